#pragma once
// What the label and envelope design screens build alike: the zoom buttons,
// the scrolling area that holds the panel, the buttons along the bottom with
// the record moves, and the panel's font from the saved default.

#include "core/preferences.h"

#include <QFont>

#include <functional>

class QHBoxLayout;
class QKeyEvent;
class QPushButton;
class QScrollArea;
class QToolButton;
class QWidget;

namespace qb::design {

class TKBasePanel;

// Appends "-", the zoom caption and "+" to row; the two buttons call
// step(-1) and step(+1). Returns the caption button.
QToolButton* addZoomButtons(QHBoxLayout* row, QWidget* owner, std::function<void(int)> step);

// The "DesignArea" scroll area holding panel at 100 percent.
QScrollArea* newDesignArea(QWidget* owner, TKBasePanel* panel);

struct DesignScreenButtons {
    QPushButton* cancel;
    QPushButton* save;   // hidden until something changes
    QPushButton* help;
};

// Cancel, Save and Help, then the first, prior, next and last record buttons,
// which call move(0..3), and "Tallest Address", which calls move(4).
DesignScreenButtons addDesignScreenButtons(QHBoxLayout* bottom, QWidget* owner, std::function<void(int)> move);

// The screen's own keys: Page Up and Page Down scroll the area a step, Home
// and End to its ends, the keypad's + and - zoom through zoomStep. True when
// the key was one of them.
bool designScreenKey(QKeyEvent* event, QScrollArea* area, const std::function<void(int)>& zoomStep);

// The font new objects take: the default saved for this kind of design.
QFont defaultDesignFont(DesignKind kind);

} // namespace qb::design
