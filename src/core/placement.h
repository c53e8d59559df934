#pragma once
// Where resizable windows reappear, and how every dialog is centred.
//
// Each resizable window keeps its last normal-state rectangle in a section of
// QUILLB.ini named after its class ("TAddressMain_Placement"); on screens of
// more than 96 logical dots per inch the resolution follows ("..._Placement120"),
// so each resolution keeps its own geometry. Left/Top/Right/Bottom are stored as
// Windows stored them: Right and Bottom are the first column and row past the
// window. The rectangle is the window's client geometry (frame excluded) on both
// the saving and the restoring side.

#include "core/settings.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>

class QWidget;

namespace qb {

QString placementSection(const QString& className, int logicalDpi);

struct StoredPlacement {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool maximized = false;

    // "Maximized" defaults to whether the window is maximised now.
    static StoredPlacement read(const Settings& settings, const QString& section, bool maximizedNow);
    bool write(Settings& settings, const QString& section) const;
    static StoredPlacement fromRect(const QRect& normal, bool maximized);
    bool operator==(const StoredPlacement&) const = default;
};

// The rectangle to give the window on a screen of the given size, or nullopt
// when it is to be centred instead: "Bottom" 0 (never saved), or a rectangle
// with no width or height. A rectangle reaching past the screen's right or
// bottom edge is moved left or up by the overshoot, keeping its size.
std::optional<QRect> restoredRect(const StoredPlacement& stored, const QSize& screen);

// Where the main window goes when it was moved or sized past the screen: a
// window that reaches past the right (bottom) edge while its left (top) edge
// is inside the screen moves to the screen's left (top) edge.
QPoint keptOnScreen(const QRect& frame, const QRect& screen);
// The same for a window in its normal state, applied to it.
void keepOnScreen(QWidget* window);

// Top-left corner that centres a window of size over area (integer division
// truncating toward zero, as the original arithmetic did).
QPoint centredIn(const QSize& window, const QRect& area);

// The window dialogs are centred over; without one they centre on the screen.
void setMainWindow(QWidget* window);
QWidget* mainWindow();

// Reads the window's section and applies it (or centres the window), maximises
// it when it was maximised, and saves the placement straight away so the
// section exists after the first opening.
void restorePlacement(QWidget* window, const QString& className, Settings& settings);
void restorePlacement(QWidget* window, const QString& className);
// Writes the window's normal-state rectangle and whether it is maximised.
void savePlacement(const QWidget* window, const QString& className, Settings& settings);
void savePlacement(const QWidget* window, const QString& className);

// Centres a window over the main window, or on the screen when it is the main
// window, there is none, or it is maximised. A window with a maximise button
// also gets a system menu. Call just before showing the window.
void centreWindow(QWidget* window);

} // namespace qb
