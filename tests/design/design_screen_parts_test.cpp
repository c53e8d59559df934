// The design screens' own keys: scrolling the design area and zooming from
// the keypad; every other key is left for the panel.

#include "design/design_screen_parts.h"

#include <QKeyEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace qb::design {
namespace {

TEST(DesignScreenKeys, ScrollTheAreaOrZoomAndLeaveTheRestForThePanel)
{
    QScrollArea area;
    area.resize(200, 200);
    auto* tall = new QWidget;
    tall->resize(180, 2000);
    area.setWidget(tall);
    area.show();
    QScrollBar* bar = area.verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    ASSERT_GT(bar->singleStep(), 0);

    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        bool taken;
        int zoomed;   // the step asked for, 0 for none
        int scrolledTo;   // -1: one step down from the middle, -2: one step up, else the value
    };
    const int middle = bar->maximum() / 2;
    const Case cases[] = {
        {Qt::Key_PageDown, Qt::NoModifier, true, 0, -1},
        {Qt::Key_PageUp, Qt::NoModifier, true, 0, -2},
        {Qt::Key_Home, Qt::NoModifier, true, 0, bar->minimum()},
        {Qt::Key_End, Qt::NoModifier, true, 0, bar->maximum()},
        {Qt::Key_Plus, Qt::KeypadModifier, true, +1, middle},
        {Qt::Key_Minus, Qt::KeypadModifier, true, -1, middle},
        {Qt::Key_Plus, Qt::NoModifier, false, 0, middle},   // typed into an object
        {Qt::Key_Minus, Qt::NoModifier, false, 0, middle},
        {Qt::Key_Left, Qt::NoModifier, false, 0, middle},   // moves the selection
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        bar->setValue(middle);
        int zoomed = 0;
        QKeyEvent event(QEvent::KeyPress, c.key, c.modifiers);
        EXPECT_EQ(designScreenKey(&event, &area, [&](int step) { zoomed = step; }), c.taken);
        EXPECT_EQ(zoomed, c.zoomed);
        const int expected = c.scrolledTo == -1 ? middle + bar->singleStep()
                             : c.scrolledTo == -2 ? middle - bar->singleStep()
                                                  : c.scrolledTo;
        EXPECT_EQ(bar->value(), expected);
    }
}

} // namespace
} // namespace qb::design
