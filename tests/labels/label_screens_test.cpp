// The label print screen and the label designer driven as a user would.

#include "labels/label_stock_dialogs.h"
#include "labels/tlabeldesignscreen.h"
#include "labels/tlabelsetupscreen.h"
#include "labels/tselectspecificlabels.h"

#include "core/address_fixture.h"
#include "core/system_tables.h"
#include "design/class_registry.h"
#include "design/tintelligentmaildialog.h"
#include "design/tkgraphiccontrol.h"
#include "design/tkhandle.h"
#include "design/tklabelpanel.h"
#include "design/text_layout.h"
#include "design/tkmultilinelabel.h"
#include "design/tkpostnetbarcode.h"
#include "help_topic.h"
#include "platform/xbase/table.h"
#include "printing/preview_support.h"
#include "printing/print_status.h"
#include "printing/tcanvasreport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace qb {
namespace {

using test::MessageLog;
using test::ProgramDir;
using test::expectHelpTopic;

TLabelDesignScreen* openDesigner()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<TLabelDesignScreen*>(w); d && d->isVisible() && d->ready())
            return d;
    return nullptr;
}

// Runs act on the designer once it shows, and closes it if act left it open,
// so a failing check cannot leave the test waiting.
void whenDesignerShown(std::function<void(TLabelDesignScreen*)> act)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        TLabelDesignScreen* designer = openDesigner();
        if (!designer)
            return;
        poll->stop();
        poll->deleteLater();
        act(designer);
        if (designer->isVisible())
            designer->reject();
    });
    poll->start(10);
}

// Accepts whatever dialog a tool opens while it is placed (a text to type,
// a picture to choose), leaving the windows under test alone.
class DialogAnswerer {
public:
    explicit DialogAnswerer(QList<QWidget*> keep) : keep_(std::move(keep))
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (QWidget* w = QApplication::activeModalWidget(); w && !keep_.contains(w))
                if (auto* d = qobject_cast<QDialog*>(w))
                    d->accept();
        });
        timer_.start(20);
    }

private:
    QList<QWidget*> keep_;
    QTimer timer_;
};

// Answers the windows of a run: the status window's "Ok" once its job has
// ended, and whatever onPreview does with the preview before it closes.
class RunAnswerer {
public:
    explicit RunAnswerer(std::function<void(TPreviewForm&)> onPreview) : onPreview_(std::move(onPreview))
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* w = QApplication::activeModalWidget();
            if (auto* status = qobject_cast<TPrintStatusWindow*>(w); status && status->loop().ended())
                status->button()->click();
            if (auto* preview = qobject_cast<TPreviewForm*>(w)) {
                timer_.stop();
                ++previews;
                onPreview_(*preview);
                preview->accept();
                timer_.start();
            }
        });
        timer_.start(20);
    }
    int previews = 0;

private:
    std::function<void(TPreviewForm&)> onPreview_;
    QTimer timer_;
};

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The box of the dark pixels in the first label's cell of the first page,
// in pixels at 96 to the inch.
QRect firstLabelInk(const QString& pdf)
{
    const QImage page = test::renderPdf(pdf, 1, 96);
    const LabelStock stock;
    QRect box;
    for (int y = int(stock.topMargin * 96); y < int((stock.topMargin + stock.verticalPitch) * 96); ++y)
        for (int x = int(stock.leftMargin * 96); x < int((stock.leftMargin + stock.horizontalPitch) * 96); ++x)
            if (qGray(page.pixel(x, y)) < 128)
                box |= QRect(x, y, 1, 1);
    return box;
}

class LabelScreens : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(program.folder() + "sysdata");
        design::registerAllClasses();
        const QString path = program.data("add0001.DBF");
        ASSERT_TRUE(createAddressTable(path, FieldLengths::settingsDefaults()));
        ASSERT_TRUE(addresses.open(path));
        for (int i = 0; i < 3; ++i)
            test::addRow(addresses.table(), {{"LNAME", "Name"}, {"FNAME", "Pat"}, {"ZIP", "62701"}});
        addresses.table().setFilter("!ISDEL");
        addresses.table().first();
        labels = openSystemTable(SystemTable::Label, xbase::OpenMode::Exclusive);
        ASSERT_TRUE(labels);
        screen = std::make_unique<TLabelSetupScreen>(*labels, addresses, false);
        screen->show();
    }

    static design::TKGraphicControl* put(design::TKLabelPanel* panel, const char* className, QRect r)
    {
        const design::DesignClass* cls = design::findDesignClass(QLatin1String(className));
        design::TKGraphicControl* o = cls->create(*cls->table);
        o->loaded();
        panel->addObject(o, r);
        return o;
    }

    // A frame round the label, a line and a text. Zooming rounds every step
    // (it is not exactly reversible); bounds in tens come back whole from 50
    // and 150 percent, and a text's box also follows its font's line height.
    static void framedLabel(design::TKLabelPanel* panel)
    {
        frameAndLine(panel);
        design::TKGraphicControl* text = put(panel, "TKPLabel", QRect(20, 30, 120, 30));
        text->setValue("Caption", "MEMBER");
        text->setValue("Font.Name", "Arial");
        text->setValue("Font.Height", -16);
    }
    static void frameAndLine(design::TKLabelPanel* panel)
    {
        design::TKGraphicControl* frame = put(panel, "TKLabelShapes", kFrame);
        frame->setValue("Pen.Width", 2);
        frame->setValue("Transparent", true);
        design::TKGraphicControl* line = put(panel, "TKLineShape", kLine);
        line->setValue("LineStyle", 1);
        line->setValue("Pen.Width", 2);
    }
    static constexpr QRect kFrame{10, 10, 230, 80};
    static constexpr QRect kLine{160, 10, 10, 80};

    // A new layout made in the designer, what build places instead of the
    // address block a new label starts with, saved at 100 percent; its file.
    QString newLayout(const std::function<void(design::TKLabelPanel*)>& build)
    {
        whenDesignerShown([&](TLabelDesignScreen* designer) {
            designer->panel()->clearObjects();
            build(designer->panel());
            designer->findChild<QPushButton*>("SaveButton")->click();
        });
        screen->findChild<QPushButton*>("NewButton")->click();
        return program.folder() + "sysdata/" + QString::fromStdString(labels->text("BINARY")).trimmed();
    }

    // Opens the highlighted layout in the designer, runs act and saves.
    void modifyAndSave(const std::function<void(TLabelDesignScreen*)>& act = {})
    {
        whenDesignerShown([&](TLabelDesignScreen* designer) {
            if (act)
                act(designer);
            QTest::keyClicks(designer->findChild<QLineEdit*>("LabelSetupDescription"), "z");
            ASSERT_TRUE(designer->saveVisible());
            designer->findChild<QPushButton*>("SaveButton")->click();
        });
        screen->findChild<QPushButton*>("ModifyButton")->click();
    }

    // The highlighted layout printed through the screen into a PDF, every
    // position of the sheet.
    void printTo(const QString& pdf)
    {
        screen->askPositions = [](const LabelStock&, PositionMask&, int&, bool) { return true; };
        screen->printerJob().SelectPrinterByName("PDF file");
        screen->printerJob().setPdfFileName(pdf);
        RunAnswerer answer([](TPreviewForm&) {});
        screen->findChild<QPushButton*>("PrintNow")->click();
    }

    // The designer's objects of a class, in child order.
    static QList<design::TKGraphicControl*> objectsOf(TLabelDesignScreen* designer, const char* className)
    {
        QList<design::TKGraphicControl*> out;
        for (design::TKGraphicControl* o : designer->panel()->designObjects())
            if (o->designClassName() == QLatin1String(className))
                out << o;
        return out;
    }

    // Presses on an object, which selects it, and drags the selection frame
    // that then covers it by delta; the drag begins at the first move.
    static void dragObject(design::TKLabelPanel* panel, design::TKGraphicControl* object, QPoint delta)
    {
        const QPoint at = object->rect().center();
        QTest::mousePress(object, Qt::LeftButton, {}, at);
        QTest::qWait(200);
        QWidget* frame = panel->handle();
        const QPoint start = object->mapTo(panel, at) - frame->pos() + QPoint(1, 1);
        QTest::mouseMove(frame, start);
        QTest::mouseMove(frame, start + delta);
        QTest::mouseRelease(frame, Qt::LeftButton, {}, start + delta);
    }

    // Drags a rectangle on the panel with the current tool.
    static void drag(design::TKLabelPanel* panel, QPoint from, QPoint to)
    {
        QTest::mousePress(panel, Qt::LeftButton, {}, from);
        QTest::mouseMove(panel, (from + to) / 2);
        QTest::mouseMove(panel, to);
        QTest::mouseRelease(panel, Qt::LeftButton, {}, to);
    }

    ProgramDir program;
    MessageLog log;
    AddressTable addresses;
    std::unique_ptr<xbase::Table> labels;
    std::unique_ptr<TLabelSetupScreen> screen;
};

TEST_F(LabelScreens, DesignPlaceEveryToolSaveReopenCloneDelete)
{
    EXPECT_FALSE(screen->findChild<QPushButton*>("ModifyButton")->isEnabled());
    EXPECT_FALSE(screen->findChild<QWidget*>("WhatToPrintPanel")->isVisible());

    int placed = 0;
    whenDesignerShown([&](TLabelDesignScreen* designer) {
        design::TKLabelPanel* panel = designer->panel();
        EXPECT_EQ(panel->size(), QSize(252, 96));   // 2.625 x 1 inch at 96 pixels an inch
        EXPECT_EQ(panel->designObjects().size(), 1);   // the address block of a new label
        DialogAnswerer answer({designer, screen.get()});
        const int before = int(panel->designObjects().size());
        for (const char* tool : {"TextTool", "MultiLineTextTool", "CounterTool", "SymbolTool", "RectangleTool",
                                 "EllipseTool", "RoundRectangleTool", "LineTool", "DatabaseFieldTool",
                                 "DatabaseMemoFieldTool", "DatabaseMailingAddressTool", "ClipArtTool"}) {
            QToolButton* b = designer->tool(tool);
            if (!b->isEnabled())
                continue;
            b->click();
            drag(panel, QPoint(20, 20), QPoint(90, 50));
            EXPECT_TRUE(designer->tool("SelectionTool")->isChecked()) << tool;
            ++placed;
        }
        EXPECT_EQ(int(panel->designObjects().size()), before + placed);
        // The barcode needs 2.85 inches; this label is 2.625 wide.
        designer->tool("PostnetBarcodeTool")->click();
        EXPECT_EQ(log.texts().last(), kPostnetTooNarrow);
        // Move the first object with the mouse.
        design::TKGraphicControl* first = panel->designObjects().first();
        const QRect from = first->bounds();
        dragObject(panel, first, QPoint(8, 4));
        EXPECT_EQ(first->bounds(), from.translated(8, 4));
        designer->findChild<QLineEdit*>("LabelSetupDescription")->setText("Club labels " + QString(50, 'x'));
        ASSERT_TRUE(designer->saveVisible());
        designer->findChild<QPushButton*>("SaveButton")->click();
    });
    screen->findChild<QPushButton*>("NewButton")->click();
    ASSERT_EQ(labels->recordCount(), 1u);
    labels->first();
    EXPECT_EQ(QString::fromStdString(labels->text("DESCRIPT")), ("Club labels " + QString(50, 'x')).left(50));
    EXPECT_EQ(labels->text("BINARY"), "BIN00001.L");
    EXPECT_TRUE(QFile::exists(program.folder() + "sysdata/BIN00001.L"));
    EXPECT_TRUE(screen->findChild<QPushButton*>("ModifyButton")->isEnabled());
    EXPECT_TRUE(screen->infoText().startsWith("Sheet Name: Avery 5160  Address"));

    // Reopened, the designer shows what was saved; Cancel writes nothing.
    const QByteArray saved = [&] {
        QFile f(program.folder() + "sysdata/BIN00001.L");
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    whenDesignerShown([&](TLabelDesignScreen* designer) {
        EXPECT_EQ(int(designer->panel()->designObjects().size()), 1 + placed);
        EXPECT_FALSE(designer->saveVisible());
        designer->reject();
    });
    screen->findChild<QPushButton*>("ModifyButton")->click();
    QFile f(program.folder() + "sysdata/BIN00001.L");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), saved);

    screen->findChild<QPushButton*>("CloneButton")->click();
    EXPECT_EQ(labels->recordCount(), 2u);
    EXPECT_TRUE(QFile::exists(program.folder() + "sysdata/BIN00002.L"));
    EXPECT_EQ(screen->grid()->model()->rowCount(), 2);

    screen->findChild<QPushButton*>("DeleteButton")->click();
    EXPECT_EQ(screen->grid()->model()->rowCount(), 1);
}

// Every label window's Help button opens that window's own topic.
TEST_F(LabelScreens, HelpButtonsOpenTheirTopics)
{
    test::ShippedHelp help;
    expectHelpTopic(*screen, "1075.html", "Printing labels");
    bool designed = false;
    whenDesignerShown([&](TLabelDesignScreen* designer) {
        expectHelpTopic(*designer, "1073.html", "Designing a label");
        designed = true;
    });
    screen->findChild<QPushButton*>("NewButton")->click();
    EXPECT_TRUE(designed);

    const std::unique_ptr<xbase::Table> catalogue =
        xbase::Table::open(QB_PROGRAM_DIR "/sysdata/LBLTPL.DBF", xbase::OpenMode::ReadOnly);
    const LabelStock stock;
    const struct {
        std::function<std::unique_ptr<QDialog>()> make;
        const char* topic;
        const char* title;
    } cases[] = {
        {[] { return std::make_unique<TChooseLabelLayout>(); }, "1049.html", "Label layout"},
        {[&] { return std::make_unique<TSelectLabel>(*catalogue, stock, false); }, "1048.html",
         "Selecting a label template"},
        {[&] { return std::make_unique<TLabelEdit>(stock); }, "1050.html", "User defined label layouts"},
        {[&] { return std::make_unique<TSelectSpecificLabels>(stock, PositionMask(), QStringList{"PDF file"}, 0, false); },
         "1019.html", "Choosing the labels to print"},
    };
    for (const auto& c : cases) {
        std::unique_ptr<QDialog> dialog = c.make();
        dialog->show();
        expectHelpTopic(*dialog, c.topic, c.title);
    }
}

// The Intelligent Mail tool asks for the mailer's identifiers as it places
// its barcode, refusing what the barcode cannot carry; the barcode is saved
// and read back with them; a label too narrow for it refuses the tool and, when
// the stock shrinks, loses the barcode with a warning.
TEST_F(LabelScreens, IntelligentMailToolAsksForTheMailerAndNeedsItsWidth)
{
    LabelLayoutRecord record;
    record.stock.labelWidth = 4.0;
    record.description = "Wide";
    QWidget home;
    auto* panel = new design::TKLabelPanel(&home);
    TLabelDesignScreen designer(record, panel, addresses);
    designer.show();
    QTRY_VERIFY(designer.ready());
    while (designer.zoom() > 1.0)
        designer.zoomStep(-1);
    panel->clearObjects();

    int asked = 0;
    QTimer fill;
    QObject::connect(&fill, &QTimer::timeout, [&] {
        auto* d = qobject_cast<design::TIntelligentMailDialog*>(QApplication::activeModalWidget());
        if (!d)
            return;
        ++asked;
        // First with the 7-digit mailer a slip gives, then as it should be.
        d->findChild<QLineEdit*>("MailerIdentifier")->setText(asked == 1 ? "5670941" : "567094");
        d->findChild<QLineEdit*>("BarcodeIdentifier")->setText("01");
        d->findChild<QLineEdit*>("ServiceType")->setText("234");
        d->findChild<QLineEdit*>("SerialStart")->setText("987654321");
        d->findChild<QComboBox*>("BarCodeType")->setCurrentIndex(2);
        d->accept();
    });
    fill.start(20);
    designer.tool("IntelligentMailBarcodeTool")->click();
    drag(panel, QPoint(10, 40), QPoint(60, 60));
    fill.stop();
    EXPECT_EQ(asked, 2);
    ASSERT_FALSE(log.texts().isEmpty());
    EXPECT_EQ(log.texts().first(), QStringLiteral("The mailer identifier must be 6 or 9 digits."));
    EXPECT_TRUE(designer.tool("SelectionTool")->isChecked());
    ASSERT_EQ(panel->designObjects().size(), 1);
    auto* bar = qobject_cast<design::TKIntelligentMailBarCode*>(panel->designObjects()[0]);
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->stringValue("MailerIdentifier"), "567094");
    EXPECT_EQ(bar->stringValue("ZipCodeField"), "ZIP");
    EXPECT_EQ(bar->intValue("BarCodeType"), 2);
    bar->setRecordTexts("01234-5678", "91 MAIN ST");
    EXPECT_EQ(qb::imb::encode(bar->fields()),
              qb::imb::encode(QStringLiteral("01234567094987654321"), QStringLiteral("01234567891")));
    // The box is as wide as the 65 bars.
    QTRY_COMPARE(bar->objectWidth(), 282);

    // Saved and read back through the panel's own file operations.
    QTemporaryDir dir;
    const QString file = dir.filePath("IMB.L");
    panel->saveToFile(file);
    panel->clearObjects();
    panel->loadFromFile(file);
    ASSERT_EQ(panel->designObjects().size(), 1);
    EXPECT_EQ(panel->designObjects()[0]->stringValue("SerialStart"), "987654321");

    // 2.625 inches cannot hold it.
    designer.applyStock(LabelStock::newLayout(), false);
    EXPECT_TRUE(panel->designObjects().isEmpty());
    EXPECT_EQ(log.texts().last(), "Warning: " + QString::fromLatin1(qb::imb::kLabelTooNarrowWarning));
    designer.tool("IntelligentMailBarcodeTool")->click();
    EXPECT_EQ(log.texts().last(), QString::fromLatin1(qb::imb::kLabelTooNarrowWarning));
    EXPECT_TRUE(designer.tool("SelectionTool")->isChecked());
}

TEST_F(LabelScreens, ZoomAndStockChanges)
{
    LabelLayoutRecord record;
    record.stock.labelWidth = 4.0;
    record.description = "Wide";
    QWidget home;
    auto* panel = new design::TKLabelPanel(&home);
    TLabelDesignScreen designer(record, panel, addresses);
    designer.show();
    QTRY_VERIFY(designer.ready());
    for (int i = 0; i < 8; ++i)
        designer.zoomStep(-1);
    EXPECT_DOUBLE_EQ(designer.zoom(), 0.5);
    for (int i = 0; i < 12; ++i)
        designer.zoomStep(+1);
    EXPECT_DOUBLE_EQ(designer.zoom(), 1.5);
    EXPECT_EQ(designer.findChild<QToolButton*>("ZoomButton")->text(), "150%");
    while (designer.zoom() > 1.0)
        designer.zoomStep(-1);

    // An object at left 300 on a 4-inch label moves to 232 on a 2.625-inch
    // one; a POSTNET barcode there goes, with the warning.
    const design::DesignClass* text = design::findDesignClass("TKPLabel");
    design::TKGraphicControl* far = text->create(*text->table);
    far->loaded();
    panel->addObject(far, QRect(300, 10, 40, 20));
    const design::DesignClass* bar = design::findDesignClass("TKPostNetBarCode");
    ASSERT_TRUE(bar);
    design::TKGraphicControl* code = bar->create(*bar->table);
    code->loaded();
    panel->addObject(code, QRect(10, 40, 280, 20));
    designer.applyStock(LabelStock::newLayout(), false);
    EXPECT_EQ(far->left(), 232);
    ASSERT_EQ(panel->designObjects().size(), 1);
    EXPECT_EQ(panel->designObjects()[0], far);
    EXPECT_EQ(log.texts().last(), kPostnetRemoved);
    EXPECT_EQ(designer.findChild<QAction*>("mnuLayout")->text(), "Layout:  Avery 5160  Address");

    // "Show art" draws each stock's own sheet behind the design, in light grey on white.
    LabelStock thirty = LabelStock::newLayout();
    thirty.art = "AV5160.BMP";
    designer.applyStock(thirty, false);
    ASSERT_TRUE(designer.findChild<QToolButton*>("ShowArtButton")->isChecked());
    const QImage sheetOfThirty = panel->picture();
    EXPECT_EQ(sheetOfThirty, artBackground(stockOutline(thirty, QSize(252, 96))));
    LabelStock ten = thirty;
    ten.across = 2;
    ten.down = 5;
    ten.verticalPitch = 2.0;
    ten.art = "AV5163.BMP";
    designer.applyStock(ten, false);
    EXPECT_NE(panel->picture(), sheetOfThirty);
    designer.applyStock(ten, true);   // typed values: no art
    EXPECT_TRUE(panel->picture().isNull());
}

TEST_F(LabelScreens, PreviewShowsWhatPrints)
{
    // A new layout: its address block, a frame round the label and a text.
    whenDesignerShown([&](TLabelDesignScreen* designer) {
        design::TKLabelPanel* panel = designer->panel();
        const design::DesignClass* shapes = design::findDesignClass("TKLabelShapes");
        design::TKGraphicControl* frame = shapes->create(*shapes->table);
        frame->loaded();
        panel->addObject(frame, QRect(2, 2, 246, 90));
        frame->setValue("Pen.Width", 2);
        frame->setValue("Transparent", true);
        const design::DesignClass* text = design::findDesignClass("TKPLabel");
        design::TKGraphicControl* member = text->create(*text->table);
        member->loaded();
        panel->addObject(member, QRect(170, 60, 70, 20));
        member->setValue("Caption", "MEMBER");
        member->setValue("Font.Name", "Arial");
        member->setValue("Font.Height", -12);
        designer->findChild<QPushButton*>("SaveButton")->click();
    });
    screen->findChild<QPushButton*>("NewButton")->click();
    ASSERT_EQ(labels->recordCount(), 1u);

    const QString pdf = program.folder() + "labels.pdf";
    printTo(pdf);
    ASSERT_EQ(screen->lastRun().outcome, PrintOutcome::Completed);
    ASSERT_EQ(test::readPdf(pdf).pages, 1);

    RunAnswerer answer([&](TPreviewForm& form) {
        EXPECT_EQ(form.windowTitle().left(12), "Preview Page");
        test::expectPreviewShowsPdf(form, pdf, 1);
    });
    screen->findChild<QPushButton*>("Previewbutton")->click();
    EXPECT_EQ(answer.previews, 1);
    EXPECT_EQ(screen->lastRun().stats.labels, 3u);
}

// Saved at 150 or 50 percent, a layout is stored as at 100 percent: the same
// bytes, reopened at 100 percent with the same bounds, printed the same size.
TEST_F(LabelScreens, SavingWhileZoomedStoresTheHundredPercentLayout)
{
    // Saved once more at 100 percent the objects carry the names they are read with.
    const QString file = newLayout(frameAndLine);
    modifyAndSave();
    const QByteArray hundred = bytesOf(file);
    ASSERT_FALSE(hundred.isEmpty());
    printTo(program.folder() + "hundred.pdf");
    const QRect ink = firstLabelInk(program.folder() + "hundred.pdf");
    EXPECT_NEAR(ink.width(), kFrame.width(), 3);
    EXPECT_NEAR(ink.height(), kFrame.height(), 3);

    for (const auto& [button, percent, zoom] :
         {std::tuple{"ZoomInButton", "150%", 1.5}, std::tuple{"ZoomOutButton", "50%", 0.5}}) {
        modifyAndSave([&](TLabelDesignScreen* designer) {
            for (int i = 0; i < 5; ++i)
                designer->findChild<QToolButton*>(button)->click();
            EXPECT_EQ(designer->findChild<QToolButton*>("ZoomButton")->text(), percent);
            EXPECT_EQ(objectsOf(designer, "TKLabelShapes")[0]->bounds(),
                      QRect(kFrame.topLeft() * zoom, kFrame.size() * zoom));
        });
        EXPECT_EQ(bytesOf(file), hundred) << percent;

        whenDesignerShown([&](TLabelDesignScreen* designer) {
            EXPECT_EQ(designer->findChild<QToolButton*>("ZoomButton")->text(), "100%");
            EXPECT_EQ(designer->panel()->size(), QSize(252, 96));
            EXPECT_EQ(objectsOf(designer, "TKLabelShapes")[0]->bounds(), kFrame) << percent;
            EXPECT_EQ(objectsOf(designer, "TKLineShape")[0]->bounds(), kLine) << percent;
            designer->reject();
        });
        screen->findChild<QPushButton*>("ModifyButton")->click();
        const QString pdf = program.folder() + QString("zoomed%1.pdf").arg(percent).remove('%');
        printTo(pdf);
        EXPECT_EQ(firstLabelInk(pdf), ink) << percent;
    }
}

TEST_F(LabelScreens, CancelWhileZoomedThenModifyAndSave)
{
    const QString file = newLayout(frameAndLine);
    modifyAndSave();
    const QByteArray hundred = bytesOf(file);
    whenDesignerShown([&](TLabelDesignScreen* designer) {
        for (int i = 0; i < 5; ++i)
            designer->zoomStep(+1);
        EXPECT_EQ(objectsOf(designer, "TKLabelShapes")[0]->bounds(), QRect(15, 15, 345, 120));
        designer->findChild<QPushButton*>("CancelButton")->click();
    });
    screen->findChild<QPushButton*>("ModifyButton")->click();
    EXPECT_EQ(bytesOf(file), hundred);

    modifyAndSave([&](TLabelDesignScreen* designer) {
        EXPECT_EQ(designer->zoom(), 1.0);
        EXPECT_EQ(designer->findChild<QToolButton*>("ZoomButton")->text(), "100%");
        EXPECT_EQ(designer->panel()->zoom(), 1.0f);
        EXPECT_EQ(designer->panel()->size(), QSize(252, 96));
        EXPECT_EQ(objectsOf(designer, "TKLabelShapes")[0]->bounds(), kFrame);
    });
    EXPECT_EQ(bytesOf(file), hundred);
}

// A layout file that fails to read is never opened in the designer, copied
// or printed, and stays byte for byte as it is.
TEST_F(LabelScreens, ADamagedLayoutIsNeitherOpenedNorOverwritten)
{
    const QString file = newLayout(framedLabel);
    QByteArray damaged = bytesOf(file);
    damaged.chop(12);
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(damaged);
    }
    bool opened = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (TLabelDesignScreen* designer = openDesigner()) {
            opened = true;
            designer->reject();
        }
    });
    poll.start(10);
    log.messages.clear();
    screen->findChild<QPushButton*>("ModifyButton")->click();
    EXPECT_FALSE(opened);
    ASSERT_EQ(log.texts().size(), 1);
    EXPECT_TRUE(log.texts()[0].startsWith("Unable to read the label layout " + file)) << log.texts()[0].toStdString();
    EXPECT_EQ(bytesOf(file), damaged);

    screen->findChild<QPushButton*>("CloneButton")->click();
    EXPECT_TRUE(log.texts().last().contains("Unable to read the label layout")) << log.texts().last().toStdString();
    EXPECT_EQ(labels->recordCount(), 1u);
    EXPECT_FALSE(QFile::exists(program.folder() + "sysdata/BIN00002.L"));

    const QString pdf = program.folder() + "damaged.pdf";
    printTo(pdf);
    EXPECT_EQ(screen->lastRun().outcome, PrintOutcome::NotRun);
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_EQ(bytesOf(file), damaged);
}

// Ctrl+X then Ctrl+V where the keys go, with nothing left selected between;
// the design clipboard goes with the designer that made it.
TEST_F(LabelScreens, CutAndPasteWithTheKeysAndTheClipboardGoesWithTheDesigner)
{
    newLayout(framedLabel);
    const QString clipboard = program.folder() + "Clipbrd.tmp";
    whenDesignerShown([&](TLabelDesignScreen* designer) {
        designer->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(designer));
        design::TKLabelPanel* panel = designer->panel();
        design::TKGraphicControl* member = objectsOf(designer, "TKPLabel")[0];
        const QRect text = member->bounds();
        // A click: the frame that now covers the object takes the release.
        QTest::mousePress(member, Qt::LeftButton, {}, member->rect().center());
        QTest::mouseRelease(panel->handle(), Qt::LeftButton, {}, member->rect().center() + QPoint(2, 2));
        ASSERT_EQ(panel->handle()->count(), 1);
        // Ctrl is pressed first, a key the frame, the panel and the window pass up.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_X, Qt::ControlModifier);
        EXPECT_TRUE(objectsOf(designer, "TKPLabel").isEmpty());
        EXPECT_TRUE(QFile::exists(clipboard));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
        const QList<design::TKGraphicControl*> pasted = objectsOf(designer, "TKPLabel");
        ASSERT_EQ(pasted.size(), 1);
        EXPECT_EQ(pasted[0]->bounds(), text.translated(15, 15));
        EXPECT_EQ(pasted[0]->stringValue("Caption"), "MEMBER");
        designer->reject();
    });
    screen->findChild<QPushButton*>("ModifyButton")->click();
    EXPECT_FALSE(QFile::exists(clipboard));
}

// The counter, field and address tools fit their objects to what they show.
TEST_F(LabelScreens, TextToolsFitWhatTheyShow)
{
    whenDesignerShown([&](TLabelDesignScreen* designer) {
        DialogAnswerer answer({designer, screen.get()});
        design::TKLabelPanel* panel = designer->panel();
        panel->clearObjects();
        panel->setFont(QFont("Arial", 16));
        for (const char* tool : {"CounterTool", "DatabaseFieldTool", "DatabaseMailingAddressTool"}) {
            designer->tool(tool)->click();
            drag(panel, QPoint(10, 10), QPoint(14, 14));   // widened to 50 x 15 before it fits
        }
        const QList<design::TKGraphicControl*> objects = panel->designObjects();
        ASSERT_EQ(objects.size(), 3);
        const QFontMetrics fm(panel->font());
        // The counter's "1000" and the first field offered: wider than 50 and a line of the font high.
        ASSERT_GT(fm.height(), 15);
        for (design::TKGraphicControl* o : {objects[0], objects[1]}) {
            EXPECT_GT(o->objectWidth(), 50) << o->designClassName().toStdString();
            EXPECT_GE(o->objectHeight(), fm.height()) << o->designClassName().toStdString();
        }
        // The address block: room for the seven lines its parts can give, not
        // just this record's two, inside the label (in a smaller font).
        const int lh = QFontMetrics(design::drawingFont(objects[2]->objectFont())).boundingRect("XXX").height();
        EXPECT_GE(objects[2]->objectHeight(), 7 * lh);
        EXPECT_LE(objects[2]->top() + objects[2]->objectHeight(), panel->height());
        designer->reject();
    });
    screen->findChild<QPushButton*>("NewButton")->click();
}

// The dark text lines in a box of a page rendered at 300 dots an inch: runs
// of rows with ink, apart from each other by rows without.
int inkLines(const QImage& page, const QRect& box)
{
    int lines = 0;
    bool inLine = false;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        bool ink = false;
        for (int x = box.left(); x <= box.right() && !ink; ++x)
            ink = qGray(page.pixel(x, y)) < 128;
        lines += ink && !inLine;
        inLine = ink;
    }
    return lines;
}

// A new layout's address block holds the seven lines its parts can give on
// the one-inch label, "Tallest Address" shows the record that needs them all,
// and that record prints all seven. A block drawn for four lines prints the
// first four, and the run names the label in its status window and qbtool
// names it too.
TEST_F(LabelScreens, TheAddressBlockHoldsTheMostLinesItsPartsGive)
{
    test::addRow(addresses.table(), {{"LNAME", "Dunn"}, {"FNAME", "Ed"}, {"TITLE", "Treasurer"}, {"ORG", "Dunn Co"},
                                     {"STREET", "1 Main St"}, {"STREET2", "Suite 5"}, {"CITY", "Dayton"},
                                     {"STATE", "OH"}, {"ZIP", "45401"}, {"COUNTRY", "USA"}});
    addresses.table().first();
    int blockLines = 0;
    whenDesignerShown([&](TLabelDesignScreen* designer) {
        QPushButton* tallest = designer->findChild<QPushButton*>("TallestAddressButton");
        ASSERT_TRUE(tallest);
        tallest->click();
        EXPECT_EQ(addresses.table().recno(), 4u);
        const QList<design::TKGraphicControl*> blocks = objectsOf(designer, "TKDMultiLineAddressLabel");
        ASSERT_EQ(blocks.size(), 1);
        auto* block = static_cast<design::TKMultiLineBaseLabel*>(blocks[0]);
        EXPECT_EQ(block->items().size(), 7);
        // Seven lines of its own font, inside the label.
        const int lh = QFontMetrics(design::drawingFont(block->objectFont())).boundingRect("XXX").height();
        EXPECT_GE(block->objectHeight(), 7 * lh);
        EXPECT_LE(block->top() + block->objectHeight(), designer->panel()->height());
        blockLines = block->objectHeight() / lh;
        designer->findChild<QPushButton*>("SaveButton")->click();
    });
    screen->findChild<QPushButton*>("NewButton")->click();
    ASSERT_EQ(labels->recordCount(), 1u);
    ASSERT_GE(blockLines, 7);

    // Dunn's label on paper: the cell where his title printed.
    const auto dunnsLines = [](const QString& pdf) {
        const test::PdfText text = test::readPdf(pdf);
        const test::PdfWord* w = text.find("Treasurer");
        if (!w)
            return -1;
        const LabelStock stock;
        const int col = int((w->left - stock.leftMargin) / stock.horizontalPitch);
        const int row = int((w->top - stock.topMargin) / stock.verticalPitch);
        const QImage page = test::renderPdf(pdf, 1, 300);
        return inkLines(page, QRect(int((stock.leftMargin + col * stock.horizontalPitch) * 300),
                                    int((stock.topMargin + row * stock.verticalPitch) * 300),
                                    int(stock.labelWidth * 300), int(stock.labelHeight * 300)));
    };
    const QString whole = program.folder() + "whole.pdf";
    printTo(whole);
    ASSERT_EQ(screen->lastRun().outcome, PrintOutcome::Completed);
    EXPECT_EQ(dunnsLines(whole), 7);
    EXPECT_TRUE(screen->lastRun().notes.blockCut.isEmpty());

    // The block cut down to four lines: Dunn's label loses three and says so.
    modifyAndSave([](TLabelDesignScreen* designer) {
        design::TKGraphicControl* block = objectsOf(designer, "TKDMultiLineAddressLabel").value(0);
        ASSERT_TRUE(block);
        const int lh = QFontMetrics(design::drawingFont(block->objectFont())).boundingRect("XXX").height();
        block->setBounds(block->left(), block->top(), block->objectWidth(), 4 * lh);
    });
    QString status;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (auto* w = qobject_cast<TPrintStatusWindow*>(QApplication::activeModalWidget()); w && w->loop().ended())
            status = w->statusLabel()->text();
    });
    watch.start(5);
    const QString cut = program.folder() + "cut.pdf";
    printTo(cut);
    watch.stop();
    EXPECT_EQ(dunnsLines(cut), 4);
    EXPECT_EQ(screen->lastRun().notes.blockCut, (QList<design::PieceNote>{design::PieceNote{4, "Dunn"}}));
    EXPECT_TRUE(status.contains("1 label whose address block could not hold every line: 4 Dunn")) << status.toStdString();

    labels->first();
    const QString description = QString::fromStdString(labels->text("DESCRIPT")).trimmed();
    screen.reset();
    labels.reset();
    addresses.close();
    QProcess qbtool;
    qbtool.start(QB_QBTOOL, {"labels", program.data("add0001.DBF"), description, program.folder() + "tool.pdf",
                             "--program", program.folder()});
    ASSERT_TRUE(qbtool.waitForFinished(60000));
    EXPECT_EQ(qbtool.exitCode(), 0);
    EXPECT_TRUE(qbtool.readAllStandardError().contains("1 label whose address block could not hold every line: 4 Dunn"));
}

// The runs of the print screen, each printed into a PDF: which records, from
// where, and the table as it was afterwards.
class LabelRuns : public LabelScreens {
protected:
    void SetUp() override
    {
        LabelScreens::SetUp();
        // Records 4 to 6 in Dayton, 7 deleted; the three of the fixture are "Name".
        for (const char* name : {"R04", "R05", "R06", "R07"})
            test::addRow(addresses.table(), {{"LNAME", name}, {"ZIP", "45401"}, {"ISDEL", name == std::string("R07") ? "T" : "F"}});
        xbase::Table& t = addresses.table();
        t.selectOrder("LNAME");
        t.setFilter("ZIP=\"45\" .and. !ISDEL");   // the main window's filter
        screen = std::make_unique<TLabelSetupScreen>(*labels, addresses, true);
        screen->show();
        newLayout([](design::TKLabelPanel* panel) {
            design::TKGraphicControl* name = put(panel, "TKPDLabel", QRect(10, 10, 150, 30));
            name->setValue("DataFieldName", "LNAME");
            name->setValue("DataFieldDescript", "Last Name");
            name->setValue("Font.Name", "Arial");
            name->setValue("Font.Height", -13);
        });
    }

    // The last names printed, in order; the table must come back as it was.
    QStringList run(uint32_t current)
    {
        xbase::Table& t = addresses.table();
        t.go(current);
        const QString pdf = program.folder() + QString("run%1.pdf").arg(++runs);
        printTo(pdf);
        EXPECT_EQ(t.recno(), current);
        EXPECT_EQ(t.filter(), "ZIP=\"45\" .and. !ISDEL");
        EXPECT_EQ(t.currentOrderName(), "LNAME");
        QStringList names;
        for (const test::PdfWord& w : test::readPdf(pdf).words)
            names << w.text;
        return names;
    }
    void choose(const char* name, bool on = true)
    {
        auto* b = screen->findChild<QAbstractButton*>(name);
        if (b->isChecked() != on)
            b->click();
    }

    int runs = 0;
};

TEST_F(LabelRuns, StartFromTheCurrentRecordInsideAndOutsideTheSelection)
{
    choose("rbQFilter");
    choose("StartCurrentCheck");
    log.messages.clear();
    EXPECT_EQ(run(5), QStringList({"R05", "R06"}));
    EXPECT_TRUE(log.messages.empty());
    // Record 1 is not in Dayton: the run says so and starts at the first.
    EXPECT_EQ(run(1), QStringList({"R04", "R05", "R06"}));
    EXPECT_EQ(log.texts(), QStringList{kOutOfRange});
}

TEST_F(LabelRuns, AllRecordsAreEveryRecordNotDeleted)
{
    choose("rbQAll");
    EXPECT_EQ(run(4), QStringList({"Name", "Name", "Name", "R04", "R05", "R06"}));
    choose("rbOnlyThis");
    EXPECT_EQ(run(6), QStringList({"R06"}));
}

TEST_F(LabelRuns, ACancelledPresortPrintsNothing)
{
    choose("rbQFilter");
    choose("PresortCheck");
    // Cancel, and Yes to its question, as soon as the presort runs.
    QTimer cancel;
    QObject::connect(&cancel, &QTimer::timeout, [] {
        if (QWidget* w = QApplication::activeModalWidget(); w && w->objectName() == "TSortBulkMail")
            w->findChild<QPushButton*>("CancelButton")->click();
    });
    cancel.start(0);
    xbase::Table& t = addresses.table();
    t.go(5);
    const QString pdf = program.folder() + "presort.pdf";
    printTo(pdf);
    cancel.stop();
    EXPECT_TRUE(log.texts().contains("Cancel PRESORT?"));
    EXPECT_EQ(screen->lastRun().outcome, PrintOutcome::NotRun);
    EXPECT_FALSE(screen->presorted());
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_EQ(t.recno(), 5u);
    EXPECT_EQ(t.filter(), "ZIP=\"45\" .and. !ISDEL");
    EXPECT_EQ(t.currentOrderName(), "LNAME");
}

// Cancel in the position dialog changes nothing, the printer chosen in it
// included. This machine may have no printer but the PDF one: a second entry
// in the screen's list stands for one.
TEST_F(LabelRuns, CancellingThePositionsKeepsThePrinter)
{
    auto* printers = screen->findChild<QComboBox*>("PrinterCombo");
    printers->addItem("Second printer");
    const int before = printers->currentIndex();
    const int selected = screen->printerJob().SelectedPrinter();
    bool shown = false;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<TSelectSpecificLabels*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        shown = true;
        auto* list = dialog->findChild<QComboBox*>("PrinterCombo");
        list->setCurrentIndex(1);
        emit list->activated(1);
        EXPECT_EQ(printers->currentIndex(), 1);   // chosen there, it is the screen's
        dialog->reject();
    });
    answer.start(10);
    screen->findChild<QPushButton*>("PrintNow")->click();
    EXPECT_TRUE(shown);
    EXPECT_EQ(printers->currentIndex(), before);
    EXPECT_EQ(screen->printerJob().SelectedPrinter(), selected);
    EXPECT_EQ(screen->lastRun().outcome, PrintOutcome::NotRun);
}

} // namespace
} // namespace qb
