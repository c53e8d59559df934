#pragma once
// What the label and envelope design screens build alike: the zoom buttons,
// the scrolling area that holds the panel, the buttons along the bottom with
// the record moves, and the panel's font from the saved default.

#include "core/preferences.h"

#include <QFont>
#include <QObject>

#include <functional>

class QDialog;
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


// What Esc and the window's close box do on a designer: with unsaved work
// they ask "Save changes to <description>?" with Yes, No and Cancel. Yes runs
// save (which closes the window, or keeps it open when the design cannot be
// saved as it stands), No closes without saving, Cancel keeps the window open
// with the work in it. Without unsaved work the window closes at once. The
// Cancel button stays what it says: it closes without saving and without a
// question.
//
// The guard lives as a child of its window; unsaved and description are asked
// at the moment of closing.
class DesignCloseGuard : public QObject {
public:
    DesignCloseGuard(QDialog* window, std::function<bool()> unsaved, std::function<QString()> description,
                     std::function<void()> save);

    // Changes on a panel count as unsaved work besides what unsaved says,
    // from the window's first turn of its event loop on, so that objects
    // re-fitting while the window sets itself up do not.
    void watch(TKBasePanel* panel);
    bool panelsChanged() const { return panelsChanged_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // True when the window may go on closing without saving.
    bool mayDiscard();
    // Closes the window without saving.
    void discard();
    // Esc pressed in any control of the window.
    bool escapeFilter(QObject* watched, QEvent* event);

    QDialog* window_;
    std::function<bool()> unsaved_;
    std::function<QString()> description_;
    std::function<void()> save_;
    bool panelsChanged_ = false;
    bool tracking_ = false;
    bool asking_ = false;
    bool closing_ = false;
};

} // namespace qb::design
