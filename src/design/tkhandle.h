#pragma once
// The selection frame: a transparent child of the panel that covers the
// selected objects, draws their selection marks and moves or resizes them with
// the mouse and the arrow keys. One frame move moves every unlocked selected
// object by the same offset; one resize of a single selection resizes it.

#include <QColor>
#include <QList>
#include <QPointer>
#include <QRect>
#include <QWidget>

namespace qb::design {

class TKBasePanel;
class TKGraphicControl;

class TKHandle : public QWidget {
    Q_OBJECT
public:
    explicit TKHandle(TKBasePanel* panel);

    // Published properties.
    QColor color() const { return color_; }
    void setColor(QColor c) { color_ = c; update(); }
    QColor secondaryColor() const { return secondaryColor_; }
    void setSecondaryColor(QColor c) { secondaryColor_ = c; update(); }
    bool locked() const { return locked_; }
    void setLocked(bool on) { locked_ = on; }
    int gridX() const { return snap_ ? gridX_ : 1; }   // effective steps
    int gridY() const { return snap_ ? gridY_ : 1; }
    void setGridX(int step) { gridX_ = qBound(1, step, 255); }
    void setGridY(int step) { gridY_ = qBound(1, step, 255); }
    bool snapToGrid() const { return gridX() > 1 || gridY() > 1; }
    void setSnapToGrid(bool on) { snap_ = on; }

    // Selection.
    void add(TKGraphicControl* object);
    void remove(TKGraphicControl* object);
    void clear();
    int count() const { return int(selected_.size()); }
    TKGraphicControl* object(int index) const;
    int find(const TKGraphicControl* object) const;
    QList<TKGraphicControl*> selection() const;
    void bringToFront();
    void sendToBack();
    void refit();

    // The frame takes new bounds: every unlocked selected object follows.
    void setFrameBounds(const QRect& r);

    // Mouse and keys in frame coordinates; objects forward their moves and
    // releases here while the frame holds the capture.
    void pressAt(QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers mods, QPoint globalPos);
    void moveAt(QPoint pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods);
    void releaseAt(QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers mods, QPoint globalPos);
    void doubleClickAt(QPoint pos, QPoint globalPos);
    bool capturing() const { return capturing_; }
    void setCapturing(bool on) { capturing_ = on; }
    bool dragging() const { return dragging_; }
    int resizeZone() const { return zone_; }

    // New frame bounds for a drag from start to point in resize zone zone
    // (0 move, 1-8 corners and edges), snapped to step; width and height at least 5.
    static QRect newBounds(const QRect& frame, int zone, QPoint start, QPoint point, int stepX, int stepY);
    // The resize zone under pos of a frame of size size (0 when none).
    static int zoneAt(QPoint pos, QSize size);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    QPoint clampPoint(QPoint pos) const;
    void showPreview(const QRect& frameBounds);
    void passOn(QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers mods, QPoint globalPos);
    void endDrag();
    void keepKeysOnPanel(bool hadFocus);

    TKBasePanel* panel_;
    QList<QPointer<TKGraphicControl>> selected_;
    QColor color_ = Qt::black;
    QColor secondaryColor_ = QColor(128, 128, 128);
    bool locked_ = false;
    int gridX_ = 8, gridY_ = 8;
    bool snap_ = false;
    qint64 pressTime_ = 0;
    QPoint dragStart_;
    bool dragging_ = false;
    int zone_ = 0;
    bool keyMoving_ = false;
    QRect keyRect_;   // left, top, right, bottom as edges (right - left + 1 is its width)
    bool doubleClicked_ = false;
    bool capturing_ = false;
};

} // namespace qb::design
