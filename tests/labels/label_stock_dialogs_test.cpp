#include "labels/label_stock_dialogs.h"

#include "message_log.h"
#include "platform/xbase/table.h"
#include "test_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

#include <filesystem>
#include <gtest/gtest.h>

namespace qb {
namespace {

class StockDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* ext : {".DBF", ".CDX"})
            std::filesystem::copy_file(std::string(QB_PROGRAM_DIR "/sysdata/LBLTPL") + ext,
                                       dir.path() / (std::string("LBLTPL") + ext));
        catalogue = xbase::Table::open((dir.path() / "LBLTPL.DBF").string(), xbase::OpenMode::ReadOnly);
    }

    xbase::test::ScratchDir dir;
    std::unique_ptr<xbase::Table> catalogue;
    test::MessageLog log;
};

TEST_F(StockDialogs, TemplateDialogOpensOnTheStockAndFilters)
{
    LabelStock user;
    user.makeUserDefined();
    TSelectLabel fresh(*catalogue, user, false);
    EXPECT_EQ(fresh.findChild<QComboBox*>("eManuFac")->currentText(), "Avery Laserjet");
    EXPECT_EQ(fresh.findChild<QComboBox*>("eProdType")->currentText(), "Address/Shipping Labels");
    EXPECT_GT(fresh.rowCount(), 0);

    LabelStock nebs;
    nebs.manufacturer = "NEBS";
    TSelectLabel fromNebs(*catalogue, nebs, false);
    EXPECT_EQ(fromNebs.findChild<QComboBox*>("eManuFac")->currentIndex(), -1);
    EXPECT_EQ(fromNebs.filterText(), R"( UPPER(PRODTYPE)="ADDRESS/SHIPPING LABELS" )");

    // The stock's own template is highlighted; Ok copies it with its name.
    const LabelStock avery = LabelStock::newLayout();
    TSelectLabel dialog(*catalogue, avery, false);
    QTableView* grid = dialog.grid();
    ASSERT_GE(grid->currentIndex().row(), 0);
    EXPECT_EQ(grid->model()->data(grid->currentIndex()).toString(), avery.templateName);
    dialog.findChild<QComboBox*>("eProdType")->setCurrentText("Card Products");
    EXPECT_EQ(dialog.filterText(),
              R"( UPPER(manufac)="AVERY"  and  UPPER(printer)="LJ"  and  UPPER(PRODTYPE)="CARD PRODUCTS" )");
    const QString chosen = grid->model()->data(grid->currentIndex()).toString();
    dialog.findChild<QPushButton*>("OkButton")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.selected().templateName, chosen);
    EXPECT_EQ(dialog.selected().productType, "CARD PRODUCTS");
}

TEST_F(StockDialogs, TemplateDialogWithNothingToShowDisablesOk)
{
    LabelStock costar;
    costar.manufacturer = "COSTAR";
    costar.productType = "DISKETTE LABELS";
    TSelectLabel dialog(*catalogue, costar, false);
    dialog.findChild<QCheckBox*>("EuropeanPaper")->setChecked(true);
    EXPECT_EQ(dialog.rowCount(), 0);
    EXPECT_FALSE(dialog.findChild<QPushButton*>("OkButton")->isEnabled());
    EXPECT_FALSE(dialog.grid()->isEnabled());
}

TEST_F(StockDialogs, StockEditorUnitsPaperAndPitch)
{
    LabelStock a5;
    a5.paperSize = "A5";
    TLabelEdit edit(a5);
    edit.show();
    edit.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&edit));
    EXPECT_EQ(edit.lengthBox("LabelWidth")->text(), "2.625");
    EXPECT_EQ(edit.lengthBox("LabelHeight")->text(), "1.0");

    // Leaving the width raises a smaller pitch, never lowers a larger one.
    for (const auto& [width, pitch, after] : {std::tuple{"3.0", "2.75", "3.0"}, std::tuple{"3.0", "3.5", "3.5"}}) {
        edit.lengthBox("HorizontalPitch")->setText(pitch);
        edit.lengthBox("LabelWidth")->setFocus();
        edit.lengthBox("LabelWidth")->setText(width);
        edit.lengthBox("LabelHeight")->setFocus();
        EXPECT_EQ(edit.lengthBox("HorizontalPitch")->text(), after);
    }

    edit.findChild<QRadioButton*>("MillimetersRadio")->setChecked(true);
    EXPECT_EQ(edit.lengthBox("PaperWidth")->text(), "216");
    auto* paper = edit.findChild<QComboBox*>("PaperSizeCombo");
    EXPECT_EQ(paper->currentIndex(), -1);
    paper->setCurrentIndex(3);
    emit paper->activated(3);
    EXPECT_EQ(edit.lengthBox("PaperWidth")->text(), "296.926");
    EXPECT_EQ(edit.lengthBox("PaperHeight")->text(), "210.058");
    edit.lengthBox("LabelHeight")->setText("50.8");
    edit.lengthBox("VerticalPitch")->setText("60");
    edit.findChild<QPushButton*>("OkButton")->click();
    EXPECT_EQ(edit.result(), QDialog::Accepted);
    EXPECT_EQ(edit.stock().labelHeight, 2.0);
    EXPECT_EQ(edit.stock().paperSize, "A4L");
    EXPECT_EQ(edit.stock().sheetWidth, 11.69);
    EXPECT_EQ(edit.stock().manufacturer, "USER");
    EXPECT_EQ(edit.stock().templateName, "");
}

TEST_F(StockDialogs, StockEditorKeepsThePaperCodeAndRefusesBadValues)
{
    LabelStock a5;
    a5.paperSize = "A5";
    TLabelEdit keep(a5);
    keep.lengthBox("PaperWidth")->setText("6");
    keep.findChild<QPushButton*>("OkButton")->click();
    EXPECT_EQ(keep.stock().paperSize, "A5");
    EXPECT_EQ(keep.stock().sheetWidth, 6.0);

    // Each refused with its message, the dialog left open and the stock as it was.
    const QString range = " must be a number from 0 to 99.999 inches (or 0 to 2540mm)";
    const struct {
        bool mm;
        std::vector<std::pair<const char*, const char*>> boxes;
        QString message;
    } cases[] = {
        {false, {{"LabelHeight", "0.2"}}, "Label Height must be at least .3 inches (or 7mm)"},
        {false, {{"LabelWidth", "abc"}}, "Label Width" + range},
        {false, {{"LabelWidth", "150"}}, "Label Width" + range},   // millimetres typed in inch mode
        {false, {{"LeftMargin", "-12"}}, "Left Margin" + range},
        {false, {{"TopMargin", ""}}, "Top Margin" + range},
        {false, {{"PaperHeight", "1e9"}}, "Paper Height" + range},
        {false, {{"VerticalPitch", "100"}}, "Vertical Pitch" + range},
        {true, {{"PaperWidth", "2541"}}, "Paper Width" + range},
        {false, {{"LabelWidth", "9"}, {"HorizontalPitch", "9"}}, "Label Width must not be more than the Paper Width"},
        {false, {{"LabelHeight", "12"}, {"VerticalPitch", "12"}}, "Label Height must not be more than the Paper Height"},
        {false, {{"LeftMargin", "8.5"}}, "Left Margin must be less than the Paper Width"},
        {true, {{"TopMargin", "280"}}, "Top Margin must be less than the Paper Height"},
    };
    for (const auto& c : cases) {
        log.messages.clear();
        TLabelEdit refuse(a5);
        refuse.show();
        refuse.findChild<QRadioButton*>(c.mm ? "MillimetersRadio" : "InchesRadio")->setChecked(true);
        for (const auto& [box, text] : c.boxes)
            refuse.lengthBox(box)->setText(text);
        refuse.findChild<QPushButton*>("OkButton")->click();
        EXPECT_EQ(log.texts(), QStringList{c.message}) << c.boxes[0].first << " " << c.boxes[0].second;
        EXPECT_TRUE(refuse.isVisible()) << c.boxes[0].first;
        EXPECT_EQ(refuse.stock(), a5) << c.boxes[0].first;
    }
    // The largest length the columns hold passes, in either unit.
    double inches = 0;
    EXPECT_EQ(stockLengthCheck("Paper Width", "99.999", false, inches), std::nullopt);
    EXPECT_EQ(inches, 99.999);
    EXPECT_EQ(stockLengthCheck("Paper Width", "2539.97", true, inches), std::nullopt);
    EXPECT_EQ(inches, 99.999);
}

TEST(ChooseLabelLayout, Choices)
{
    TChooseLabelLayout dialog;
    EXPECT_EQ(dialog.windowTitle(), "Label Layout");
    dialog.findChild<QRadioButton*>("ManualRadio")->setChecked(true);
    dialog.findChild<QPushButton*>("OkButton")->click();
    EXPECT_EQ(dialog.choice(), TChooseLabelLayout::Choice::Manual);
    TChooseLabelLayout cancelled;
    cancelled.reject();
    EXPECT_EQ(cancelled.choice(), TChooseLabelLayout::Choice::Cancelled);
}

} // namespace
} // namespace qb
