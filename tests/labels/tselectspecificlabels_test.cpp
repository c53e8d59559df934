#include "labels/tselectspecificlabels.h"

#include "message_log.h"

#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(SelectSpecificLabels, PositionRectsAtAFifth)
{
    LabelStock s;   // 3 x 10, left 0.188, top 0.5, pitch 2.765 x 1.01, label 2.625 x 1
    // At 96 pixels an inch s = 19.2: T(3.6096) = 3, T(53.088) = 53, T(9.6) = 9, T(19.392) = 19.
    EXPECT_EQ(positionRect(s, 0, 0, 96), QRect(QPoint(13, 19), QPoint(13 + 50, 19 + 19)));
    EXPECT_EQ(positionRect(s, 2, 1, 96).topLeft(), QPoint(3 + 53 + 10, 9 + 2 * 19 + 10));
    s.middleExtraX = 0.5;   // T(9.6) = 9 from column 3 div 2 = 1 on
    EXPECT_EQ(positionRect(s, 0, 1, 96).left(), 3 + 53 + 10 + 9);
    EXPECT_EQ(positionRect(s, 0, 0, 96).left(), 13);
    EXPECT_EQ(sheetDrawingSize(s, 96), QSize(163, 211));
}

TEST(SelectSpecificLabels, ClicksToggleAndOkNeedsAPosition)
{
    test::MessageLog log;
    const LabelStock stock;
    PositionMask mask;
    TSelectSpecificLabels dialog(stock, mask, {"PDF file on FILE:"}, 0, false);
    dialog.show();
    SheetDrawing* drawing = dialog.drawing();
    const int dpi = drawing->logicalDpiX();
    QTest::mouseClick(drawing, Qt::LeftButton, {}, positionRect(stock, 0, 1, dpi).center());
    EXPECT_FALSE(dialog.mask().isSet(1));
    EXPECT_TRUE(dialog.mask().isSet(0));
    EXPECT_EQ(drawing->grab().toImage().pixelColor(positionRect(stock, 0, 0, dpi).center()), QColor(255, 0, 0));
    EXPECT_EQ(drawing->grab().toImage().pixelColor(positionRect(stock, 0, 1, dpi).center()), QColor(Qt::white));

    dialog.findChild<QPushButton*>("NoneButton")->click();
    dialog.findChild<QPushButton*>("OkButton")->click();
    EXPECT_EQ(log.texts(), QStringList{"You must select at least one card to print"});
    EXPECT_TRUE(dialog.isVisible());
    QTest::mouseClick(drawing, Qt::LeftButton, {}, positionRect(stock, 9, 2, dpi).center());
    dialog.findChild<QSpinBox*>("NumberOfEach")->setValue(3);
    dialog.findChild<QPushButton*>("OkButton")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.mask().isSet(29));
    EXPECT_FALSE(dialog.mask().isSet(28));
    EXPECT_EQ(dialog.copies(), 3);

    TSelectSpecificLabels presorted(stock, mask, {"PDF file on FILE:"}, 0, true);
    EXPECT_TRUE(presorted.findChild<QSpinBox*>("NumberOfEach")->isHidden());
}

} // namespace
} // namespace qb
