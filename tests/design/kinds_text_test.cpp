// Text objects and multi-line objects on a panel: the single-line layout and
// its angles, counters, data labels and their placeholders, the address and
// memo blocks fed from an address table, the date text.

#include "design_fixture.h"

#include "core/address_table.h"
#include "design/date_formats.h"
#include "design/tkbaselabel.h"
#include "design/tkimagebrowser.h"
#include "design/tklabeldialogs.h"
#include "design/tkmultilinelabel.h"
#include "design/tkpostnetbarcode.h"
#include "help_topic.h"

#include <functional>
#include <memory>

using namespace qb::design;
using namespace qb::design::test;

namespace {

class Kinds : public DesignFixture {
protected:
    void openTable()
    {
        const QString path = file("ADD0001.DBF");
        ASSERT_TRUE(qb::createAddressTable(path, qb::FieldLengths::settingsDefaults()));
        ASSERT_TRUE(table.open(path, qb::AddressTable::Messages::Quiet));
        auto& t = table.table();
        t.appendBlank();
        t.setText("PREFIX", "Mr.");
        t.setText("FNAME", "John");
        t.setText("LNAME", "Smith");
        t.setText("STREET", "123 Main St");
        t.setText("CITY", "Springfield");
        t.setText("STATE", "IL");
        t.setText("ZIP", "62701-1234");
        t.setText("USER1", "   ");
        t.setMemo("MEMO", "first line\r\nsecond line");
        t.post();
        panel->setDataset(&table);
    }
    void TearDown() override
    {
        panel->setDataset(nullptr);
        DesignFixture::TearDown();
    }
    template <class T>
    T* add(const char* className, QRect r = QRect(10, 10, 142, 33))
    {
        return static_cast<T*>(place(className, r));
    }

    qb::AddressTable table;
};

} // namespace

TEST(LabelLayout, EffectsPointingLeftOrUpMoveTheText)
{
    LabelLayoutInput in;
    in.width = 142;
    in.height = 33;
    in.lineHeight = 17;
    in.textWidth = 40;
    in.shadow = shadowOffset(2, 4);        // sdLeft, depth 4
    in.highlight = highlightOffset(4, 6);  // hdUpLeft, depth 6
    const LabelLayout l = layoutLabel(in);
    EXPECT_EQ(l.origin, QPoint(6, 6));
    EXPECT_EQ(l.mainStart, QPoint(6, 6));
    EXPECT_EQ(l.shadowStart, QPoint(2, 6));
    EXPECT_EQ(l.highlightStart, QPoint(0, 0));
    // Full height 17 + 0 + 6 = 23: a 33-pixel box shrinks to Trunc(1.2 x 23).
    EXPECT_EQ(l.height, 27);

    in = {};
    in.angle = 90;
    in.width = 20;
    in.height = 200;
    in.lineHeight = 17;
    in.textWidth = 50;
    const LabelLayout turned = layoutLabel(in);
    EXPECT_EQ(turned.height, 60);   // Trunc(1.2 x 50)
    EXPECT_EQ(turned.width, 20);
    // The text runs upwards from the bottom left of its rectangle, which is
    // shifted by Height - (its height + 1).
    EXPECT_EQ(turned.main, edges(0, -1, 17, 59));
    EXPECT_EQ(turned.mainStart, QPoint(0, 59));
}

TEST_F(Kinds, AnglesOutsideTheFourAreIgnoredAndTheBoxTurns)
{
    auto* label = add<TKPLabel>("TKPLabel", QRect(10, 10, 142, 20));
    label->setValue("Alignment", 2);
    label->setAngle(45);
    EXPECT_EQ(label->angle(), 0);
    label->setAngle(90);
    EXPECT_EQ(label->angle(), 90);
    EXPECT_EQ(label->intValue("Alignment"), 0);
    EXPECT_GT(label->objectHeight(), label->objectWidth());
    label->setAngle(180);
    EXPECT_GT(label->objectWidth(), label->objectHeight());
}

TEST_F(Kinds, CountersRepeatPadAndCountIn64Bits)
{
    auto* c = add<TKCounterLabel>("TKCounterLabel");
    c->setValue("Startingnumber", 7);
    c->setValue("RepeatEach", 3);
    c->setValue("LeadingZeros", 3);
    c->setValue("TextBefore", "No. ");
    QStringList printed;
    for (int i = 0; i < 5; ++i) {
        printed << c->displayText();
        c->advanceCounter();
    }
    EXPECT_EQ(printed, (QStringList{"No. 007", "No. 007", "No. 007", "No. 008", "No. 008"}));
    c->resetCounter();
    EXPECT_EQ(c->displayText(), "No. 007");

    c->setValue("RepeatEach", 0);
    for (int i = 0; i < 3; ++i)
        c->advanceCounter();
    EXPECT_EQ(c->currentValue(), 7);

    c->setValue("RepeatEach", 1);
    c->setValue("Startingnumber", INT32_MAX);
    c->advanceCounter();
    EXPECT_EQ(c->currentValue(), qint64(INT32_MAX) + 1);

    EXPECT_EQ(TKCounterLabel::formatNumber(-5, 3), "-005");
    EXPECT_EQ(TKCounterLabel::formatNumber(42, 25), "000000042");   // a file's 25 is used as 9
    EXPECT_EQ(TKCounterLabel::formatNumber(42, -3), "42");
}

TEST_F(Kinds, DataLabelsShowValuesDescriptionsOrPlaceholdersButPrintNoPlaceholder)
{
    openTable();
    auto* name = add<TKPDLabel>("TKPDLabel");
    name->setValue("DataFieldDescript", "Last Name");
    auto* blank = add<TKPDLabel>("TKPDLabel");
    blank->setValue("DataFieldDescript", "Comment 1");
    auto* missing = add<TKPDLabel>("TKPDLabel");
    missing->setValue("DataFieldDescript", "No Such Field");
    ASSERT_TRUE(panel->fieldLabels().contains("Comment 1")) << panel->fieldLabels().join(",").toStdString();

    const auto captions = [&] {
        panel->refreshData();
        return QStringList{name->stringValue("Caption"), blank->stringValue("Caption"), missing->stringValue("Caption")};
    };
    EXPECT_EQ(captions(), (QStringList{"Smith", "<blank field>", "<undefined field>"}));
    panel->setDisplayDataValues(false);
    EXPECT_EQ(captions(), (QStringList{"[Last Name]", "[Comment 1]", "<undefined field>"}));
    panel->setPrinting(true);
    EXPECT_EQ(captions(), (QStringList{"Smith", "", ""}));
    panel->setPrinting(false);
    name->clearData();
    EXPECT_EQ(name->stringValue("Caption"), "");
}

TEST_F(Kinds, AddressAndMemoBlocksComeFromTheRecord)
{
    openTable();
    auto* address = add<TKDMultiLineAddressLabel>("TKDMultiLineAddressLabel", QRect(0, 0, 190, 60));
    auto* memo = add<TKDMultiLineLabel>("TKDMultiLineLabel", QRect(0, 80, 190, 60));
    memo->setValue("DataFieldDescript", "MEMO");
    auto* undefinedMemo = add<TKDMultiLineLabel>("TKDMultiLineLabel", QRect(0, 150, 190, 60));
    panel->refreshData();
    EXPECT_EQ(address->items(), (QStringList{"Mr. John Smith ", "123 Main St", "Springfield  IL 62701-1234"}));
    EXPECT_EQ(memo->items(), (QStringList{"first line", "second line"}));
    EXPECT_EQ(undefinedMemo->drawnLines(false), QStringList{"<undefined memo>"});

    panel->setDisplayDataValues(false);
    EXPECT_EQ(address->items(), QStringList{"[Address Label]"});
    EXPECT_EQ(memo->items(), QStringList{"[MEMO]"});

    // Printing: values, and no placeholder reaches the paper.
    panel->setPrinting(true);
    panel->refreshData();
    EXPECT_TRUE(undefinedMemo->items().isEmpty());
    EXPECT_TRUE(undefinedMemo->drawnLines(true).isEmpty());
    EXPECT_EQ(undefinedMemo->drawnLines(false), QStringList{"<blank memo>"});
    panel->setPrinting(false);

    address->clearData();
    EXPECT_EQ(address->drawnLines(false), QStringList{"<blank>"});
    address->setItems({" "});
    EXPECT_EQ(address->drawnLines(false), (QStringList{" ", "<blank>"}));
}

TEST_F(Kinds, WordWrapFollowsTheWidth)
{
    auto* text = add<TKMultiLineLabel>("TKMultiLineLabel", QRect(0, 0, 400, 40));
    text->setItems({"alpha beta gamma delta"});
    text->setValue("WordWrap", true);
    EXPECT_EQ(text->wrappedLines(), QStringList{"alpha beta gamma delta"});
    const int narrow = QFontMetrics(drawingFont(text->objectFont())).horizontalAdvance("gamma delta");
    text->setBounds(0, 0, narrow, 40);
    EXPECT_EQ(text->wrappedLines(), (QStringList{"alpha beta", "gamma delta"}));
    text->sizeToLines();
    EXPECT_EQ(text->objectHeight(), 2 * QFontMetrics(drawingFont(text->objectFont())).boundingRect("XXX").height());
}

TEST_F(Kinds, BarcodeFetchesItsFieldsByName)
{
    openTable();
    auto* bar = add<TKPostNetBarCode>("TKPostNetBarCode");
    bar->setValue("ZipCodeField", "zip");
    bar->setValue("AddressField", "STREET");
    panel->refreshData();
    EXPECT_EQ(bar->zipText(), "62701-1234");
    EXPECT_EQ(bar->addressText(), "123 Main St");
    EXPECT_EQ(bar->barcode().digits(), "62701123423");
}

TEST(DateText, UsesTheRegionalPatternsAndABlankBeforeTheTime)
{
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QDateTime when(QDate(2026, 3, 4), QTime(13, 5, 9));
    EXPECT_EQ(dateTimeText(1, 0, when, us), us.toString(when.date(), QLocale::ShortFormat));
    EXPECT_EQ(dateTimeText(2, 1, when, us),
              us.toString(when.date(), QLocale::LongFormat) + " " + us.toString(when.time(), QLocale::ShortFormat));
    EXPECT_EQ(dateTimeText(0, 2, when, us), " " + us.toString(when.time(), QLocale::LongFormat));
    EXPECT_EQ(dateTimeText(0, 0, when, us), "");
}

TEST(SymbolFont, WingDingsCodesBecomeUnicodeSymbols)
{
    EXPECT_EQ(symbolText("J"), QString(QChar(0x263A)));
    EXPECT_EQ(symbolText(QString(QChar(0xFC))), QString(QChar(0x2714)));
    EXPECT_EQ(symbolText("%"), "%");   // no counterpart: left as it is
    QFont arial("Arial");
    EXPECT_EQ(drawingFont(arial).family(), "Liberation Sans");
    EXPECT_EQ(drawingFont(QFont("Times New Roman")).family(), "Liberation Serif");
}

TEST_F(Kinds, ValuesFromALayoutFileAreUsedWithinTheirRanges)
{
    auto* label = add<TKPLabel>("TKPLabel");
    label->setValue("DepthShadow", 5000);
    label->setValue("DirectionShadow", 3);
    const LabelLayout& l = label->ensureLayout();
    EXPECT_EQ(l.shadow.topLeft() - l.main.topLeft(), QPoint(10, 10));
    EXPECT_EQ(label->intValue("DepthShadow"), 5000);   // the stored value stays
    label->setValue("Font.Height", 0);
    EXPECT_GE(label->objectFont().pixelSize(), 1);
}

// Each object dialog's Help button opens the topic of that dialog.
TEST_F(Kinds, DialogHelpButtonsOpenTheirTopics)
{
    qb::test::ShippedHelp help;
    auto* address = add<TKDMultiLineAddressLabel>("TKDMultiLineAddressLabel");
    const struct {
        std::function<std::unique_ptr<QDialog>()> make;
        const char* topic;
        const char* title;
    } cases[] = {
        {[] { return std::make_unique<TMultiLineTextEditor>(QStringList{"a"}, QFont()); }, "40001.html", "Multi-line text"},
        {[] { return std::make_unique<TKImageBrowser>(); }, "40003.html", "Loading a picture"},
        {[] { return std::make_unique<TGetLabelText>("a"); }, "40004.html", "Entering text"},
        {[] { return std::make_unique<TGetSymbol>(QFont(), QChar('A')); }, "40005.html", "Choosing a symbol"},
        {[] { return std::make_unique<TGetCounter>(CounterSettings()); }, "40006.html", "Counters"},
        {[] { return std::make_unique<TFieldSelectionBox>(QStringList{"Last Name"}, "Last Name"); }, "40007.html",
         "Choosing a field"},
        {[] { return std::make_unique<TKFont3DEffects>(Effects3D(), QFont()); }, "40008.html", "3D effects"},
        {[&] { return std::make_unique<TAddressLayout>(*address); }, "40009.html", "The address block"},
    };
    for (const auto& c : cases) {
        std::unique_ptr<QDialog> dialog = c.make();
        dialog->show();
        qb::test::expectHelpTopic(*dialog, c.topic, c.title);
    }
}
