// The inch ruler: sixteenth ticks at the design resolution, longer at halves
// and inches, and only the three alignments it accepts.

#include "design/thruler.h"

#include <QImage>
#include <gtest/gtest.h>

using namespace qb::design;

TEST(Ruler, TicksEverySixteenthFromTheStartInch)
{
    THRuler ruler;
    ASSERT_EQ(ruler.size(), QSize(768, 33));
    ruler.setStartInch(0.5);   // n starts at 8: the first tick is a half-inch tick
    const QImage shot = ruler.grab().toImage();
    const QColor grey(128, 128, 128), yellow(255, 255, 0);
    const auto tickLength = [&](int x) {
        int y = 1;
        while (y < shot.height() && shot.pixelColor(x, y) == grey)
            ++y;
        return y - 1;
    };
    EXPECT_EQ(tickLength(0), 16);        // half inch: 2 x (33 div 4)
    EXPECT_EQ(tickLength(6), 8);         // a sixteenth
    EXPECT_EQ(tickLength(48), 32);       // n = 16: the inch, full height
    EXPECT_EQ(shot.pixelColor(3, 30), yellow);
    ruler.setAlignHRuler(alLeft);
    EXPECT_EQ(ruler.alignHRuler(), alNone);
    ruler.setAlignHRuler(alBottom);
    EXPECT_EQ(ruler.alignHRuler(), alBottom);
}
