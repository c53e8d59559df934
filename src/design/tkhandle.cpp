#include "design/tkhandle.h"

#include "core/messages.h"
#include "design/layout_stream.h"
#include "design/tkbasepanel.h"
#include "design/tkgraphiccontrol.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace qb::design {

namespace {

// A press released sooner than this never moves anything.
constexpr qint64 kClickMs = 150;
// Movement this soon after a press does not start a drag yet.
constexpr qint64 kDragDelayMs = 10;

int snap(int v, int step) { return (v / step) * step; }   // truncates toward zero

bool isArrow(int key) { return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down; }

} // namespace

TKHandle::TKHandle(TKBasePanel* panel) : QWidget(panel), panel_(panel)
{
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setGeometry(0, 0, 24, 24);
    setEnabled(true);
    show();
}

// ---- selection -------------------------------------------------------------------------

void TKHandle::add(TKGraphicControl* object)
{
    if (!object || object->unselectable())
        return;
    pressTime_ = designClockMs();
    if (find(object) >= 0)
        return;
    setCursor(Qt::OpenHandCursor);
    const QRect o = object->bounds();
    if (selection().isEmpty()) {
        setEnabled(true);
        show();
        setGeometry(o.x() - 2, o.y() - 2, o.width() + 5, o.height() + 5);
    } else {
        const QRect f = geometry();
        const int l = qMin(f.x(), o.x() - 2);
        const int t = qMin(f.y(), o.y() - 2);
        const int r = qMax(f.x() + f.width() - 3, o.x() + o.width()) + 3;
        const int b = qMax(f.y() + f.height() - 3, o.y() + o.height()) + 3;
        setGeometry(l, t, r - l, b - t);
    }
    selected_.append(object);
    zone_ = 0;
    panel_->keepFrameOnTop();
    setFocus();
    update();
}

void TKHandle::remove(TKGraphicControl* object)
{
    const int i = find(object);
    if (i < 0)
        return;
    selected_.removeAt(i);
    const QList<TKGraphicControl*> rest = selection();
    if (!rest.isEmpty()) {
        int l = INT_MAX, t = INT_MAX, r = INT_MIN, b = INT_MIN;
        for (const TKGraphicControl* o : rest) {
            l = qMin(l, o->left());
            t = qMin(t, o->top());
            r = qMax(r, o->left() + o->objectWidth());
            b = qMax(b, o->top() + o->objectHeight());
        }
        setGeometry(l - 2, t - 2, r - l + 5, b - t + 5);
        update();
    } else {
        const bool focused = hasFocus();
        setEnabled(false);
        hide();
        locked_ = false;
        keepKeysOnPanel(focused);
    }
}

void TKHandle::clear()
{
    const bool focused = hasFocus();
    selected_.clear();
    locked_ = false;
    hide();
    resize(24, 24);
    setEnabled(false);
    dragging_ = false;
    capturing_ = false;
    keepKeysOnPanel(focused);
}

// The frame that goes with the last selected object hands the keyboard to
// its panel, so that the design keys (Ctrl+V after Ctrl+X) still reach it
// rather than the next control of the window.
void TKHandle::keepKeysOnPanel(bool hadFocus)
{
    if (hadFocus && panel_ && panel_->isVisible())
        panel_->setFocus(Qt::OtherFocusReason);
}

TKGraphicControl* TKHandle::object(int index) const
{
    const QList<TKGraphicControl*> s = selection();
    return index >= 0 && index < s.size() ? s[index] : nullptr;
}

int TKHandle::find(const TKGraphicControl* object) const
{
    for (int i = 0; i < selected_.size(); ++i)
        if (selected_[i] == object)
            return i;
    return -1;
}

QList<TKGraphicControl*> TKHandle::selection() const
{
    QList<TKGraphicControl*> out;
    for (const QPointer<TKGraphicControl>& p : selected_)
        if (p)
            out << p.data();
    return out;
}

void TKHandle::bringToFront()
{
    for (TKGraphicControl* o : selection())
        o->raise();
    panel_->keepFrameOnTop();
}

void TKHandle::sendToBack()
{
    for (TKGraphicControl* o : selection())
        o->lower();
    panel_->keepFrameOnTop();
}

void TKHandle::refit()
{
    const QList<TKGraphicControl*> s = selection();
    if (s.isEmpty())
        return;
    int l = INT_MAX, t = INT_MAX, r = INT_MIN, b = INT_MIN;
    for (const TKGraphicControl* o : s) {
        l = qMin(l, o->left());
        t = qMin(t, o->top());
        r = qMax(r, o->left() + o->objectWidth());
        b = qMax(b, o->top() + o->objectHeight());
    }
    setGeometry(l - 2, t - 2, r + 4 - (l - 2), b + 4 - (t - 2));
    update();
}

void TKHandle::setFrameBounds(const QRect& n)
{
    const QRect f = geometry();
    for (TKGraphicControl* o : selection()) {
        if (o->locked())
            continue;
        o->setBounds(n.x() + o->left() - f.x(), n.y() + o->top() - f.y(), o->objectWidth() + n.width() - f.width(),
                     o->objectHeight() + n.height() - f.height());
    }
    setGeometry(n);
    update();
}

// ---- geometry rules ----------------------------------------------------------------------

QRect TKHandle::newBounds(const QRect& f, int zone, QPoint s, QPoint p, int stepX, int stepY)
{
    const int L = f.x(), T = f.y(), W = f.width(), H = f.height();
    const int x = p.x(), y = p.y(), sx = s.x(), sy = s.y();
    int l = L, t = T, w = W, h = H;
    const auto moveLeft = [&] { l = snap(x + L - sx, stepX); };
    const auto moveTop = [&] { t = snap(y + T - sy, stepY); };
    switch (zone) {
    case 0: moveLeft(); moveTop(); break;
    case 1: moveLeft(); moveTop(); w = W + L - l; h = H + T - t; break;
    case 2: moveTop(); w = snap(x + W - sx, stepX) - 1; h = H + T - t; break;
    case 3: moveLeft(); w = W + L - l; h = snap(y + H - sy, stepY) - 1; break;
    case 4: w = snap(x + W - sx, stepX) - 1; h = snap(y + H - sy, stepY) - 1; break;
    case 5: moveTop(); h = H + T - t; break;
    case 6: moveLeft(); w = W + L - l; break;
    case 7: h = snap(y + H - sy, stepY) - 1; break;
    case 8: w = snap(x + W - sx, stepX) - 1; break;
    default: break;
    }
    return QRect(l, t, qMax(w, 5), qMax(h, 5));
}

int TKHandle::zoneAt(QPoint pos, QSize size)
{
    const int x = pos.x(), y = pos.y(), w = size.width(), h = size.height();
    const bool nearLeft = x < 8, nearRight = x > w - 8, nearTop = y < 8, nearBottom = y > h - 8;
    int zone = 0;
    // Later tests win, as the edges' tests come after the corners'.
    if (nearLeft && nearTop) zone = 1;
    if (nearRight && nearTop) zone = 2;
    if (nearLeft && nearBottom) zone = 3;
    if (nearRight && nearBottom) zone = 4;
    if (qAbs(x - w / 2) <= 6 && nearTop) zone = 5;
    if (qAbs(x - w / 2) <= 6 && nearBottom) zone = 7;
    if (qAbs(y - h / 2) <= 6 && nearLeft) zone = 6;
    if (qAbs(y - h / 2) <= 6 && nearRight) zone = 8;
    return zone;
}

QPoint TKHandle::clampPoint(QPoint pos) const
{
    // The frame's left and top stay within the panel.
    const int L = x(), T = y();
    const int sx = dragStart_.x(), sy = dragStart_.y();
    return QPoint(qBound(sx - L, pos.x(), panel_->QWidget::width() + sx - L),
                  qBound(sy - T, pos.y(), panel_->QWidget::height() + sy - T));
}

void TKHandle::showPreview(const QRect& b)
{
    panel_->setPreviewRect(QRect(QPoint(b.x() + 2, b.y() + 2), QPoint(b.x() + b.width() - 4, b.y() + b.height() - 4)));
}

// ---- mouse ------------------------------------------------------------------------------

void TKHandle::passOn(QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers mods, QPoint globalPos)
{
    const QPoint p = pos + geometry().topLeft();
    const QList<TKGraphicControl*> objects = panel_->designObjects();
    for (auto it = objects.rbegin(); it != objects.rend(); ++it)
        if ((*it)->isVisible() && (*it)->geometry().contains(p)) {
            panel_->objectMouseDown(*it, button, mods, p, globalPos);
            return;
        }
    panel_->panelPress(p, button, mods, globalPos);
}

void TKHandle::pressAt(QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers mods, QPoint globalPos)
{
    doubleClicked_ = false;
    if (button == Qt::LeftButton && panel_->pointing() && count() > 0) {
        pressTime_ = designClockMs();
        capturing_ = true;
        if (!locked_) {
            dragStart_ = pos;
            dragging_ = true;
        }
        if (mods & Qt::ShiftModifier) {
            const QPoint p = pos + geometry().topLeft();
            for (TKGraphicControl* o : selection())
                if (o->bounds().contains(p))
                    remove(o);
            if (count() == 0)
                endDrag();
        }
        return;
    }
    if (button == Qt::RightButton) {
        const QPoint p = pos + geometry().topLeft();
        TKGraphicControl* only = count() == 1 ? object(0) : nullptr;
        if (only && only->bounds().contains(p))
            only->openContextMenu(globalPos);
        else
            panel_->openContextMenu(globalPos);
        return;
    }
    passOn(pos, button, mods, globalPos);
}

void TKHandle::moveAt(QPoint pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
{
    Q_UNUSED(mods);
    if (!(buttons & Qt::LeftButton) || dragging_ || locked_) {
        setCursor(Qt::OpenHandCursor);
        int zone = 0;
        if (count() == 1 && !dragging_) {
            zone = zoneAt(pos, size());
            switch (zone) {
            case 1: case 4: setCursor(Qt::SizeFDiagCursor); break;
            case 2: case 3: setCursor(Qt::SizeBDiagCursor); break;
            case 5: case 7: setCursor(Qt::SizeVerCursor); break;
            case 6: case 8: setCursor(Qt::SizeHorCursor); break;
            default: break;
            }
        }
        if (locked_)
            setCursor(Qt::ForbiddenCursor);
        if (dragging_)
            showPreview(newBounds(geometry(), zone_, dragStart_, clampPoint(pos), gridX(), gridY()));
        else
            zone_ = zone;
        return;
    }
    if (panel_->pointing() && count() > 0 && pressTime_ != 0 && designClockMs() - pressTime_ > kDragDelayMs) {
        dragging_ = true;
        dragStart_ = pos;
    }
}

void TKHandle::releaseAt(QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers mods, QPoint globalPos)
{
    if (dragging_ && pressTime_ != 0 && designClockMs() - pressTime_ < kClickMs)
        dragStart_ = pos;   // a click does not move
    pressTime_ = 0;
    if (!dragging_ || button != Qt::LeftButton) {
        capturing_ = false;
        const QPoint p = pos + geometry().topLeft();
        if (button == Qt::LeftButton)
            panel_->panelRelease(p, button, mods);
        Q_UNUSED(globalPos);
        return;
    }
    const QPoint p = clampPoint(pos);
    if (p != dragStart_)
        setFrameBounds(newBounds(geometry(), zone_, dragStart_, p, gridX(), gridY()));
    endDrag();
}

void TKHandle::endDrag()
{
    panel_->setPreviewRect(std::nullopt);
    dragging_ = false;
    capturing_ = false;
    setCursor(Qt::ArrowCursor);
    update();
}

void TKHandle::doubleClickAt(QPoint pos, QPoint globalPos)
{
    Q_UNUSED(pos);
    if (count() > 1)
        return;
    doubleClicked_ = true;
    if (dragging_)
        endDrag();
    if (TKGraphicControl* o = object(0))
        o->openContextMenu(globalPos);
}

void TKHandle::mousePressEvent(QMouseEvent* e)
{
    pressAt(e->position().toPoint(), e->button(), e->modifiers(), e->globalPosition().toPoint());
}

void TKHandle::mouseMoveEvent(QMouseEvent* e) { moveAt(e->position().toPoint(), e->buttons(), e->modifiers()); }

void TKHandle::mouseReleaseEvent(QMouseEvent* e)
{
    releaseAt(e->position().toPoint(), e->button(), e->modifiers(), e->globalPosition().toPoint());
}

void TKHandle::mouseDoubleClickEvent(QMouseEvent* e)
{
    doubleClickAt(e->position().toPoint(), e->globalPosition().toPoint());
}

void TKHandle::leaveEvent(QEvent*)
{
    if (!dragging_)
        setCursor(panel_->idleCursor());
}

// ---- keys -------------------------------------------------------------------------------

bool TKHandle::event(QEvent* e)
{
    // The arrow keys move the selection; they never move the focus.
    if (e->type() == QEvent::ShortcutOverride) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (isArrow(k->key())) {
            e->accept();
            return true;
        }
    }
    return QWidget::event(e);
}

void TKHandle::keyPressEvent(QKeyEvent* e)
{
    const int key = e->key();
    if (panel_->clipboardKey(e))
        return;
    if (!isArrow(key) || count() == 0) {
        QWidget::keyPressEvent(e);
        return;
    }
    if (!keyMoving_) {
        keyMoving_ = true;
        const QRect f = geometry();
        keyRect_ = QRect(QPoint(f.x() + 2, f.y() + 2), QPoint(f.x() + f.width() - 3, f.y() + f.height() - 3));
    }
    const bool resize = (e->modifiers() & Qt::ShiftModifier) && count() == 1;
    int l = keyRect_.left(), t = keyRect_.top(), r = keyRect_.right(), b = keyRect_.bottom();
    const int pw = panel_->QWidget::width(), ph = panel_->QWidget::height();
    switch (key) {
    case Qt::Key_Left:
        if (resize) {
            if (r - l + 1 > 10)
                --r;
        } else if (l > 0) {
            --l;
            --r;
        }
        break;
    case Qt::Key_Up:
        if (resize) {
            if (b - t + 1 > 10)
                --b;
        } else if (t > 0) {
            --t;
            --b;
        }
        break;
    case Qt::Key_Right:
        if ((r - l + 1) + l <= pw) {
            if (!resize)
                ++l;
            ++r;
        }
        break;
    case Qt::Key_Down:
        if ((b - t + 1) + t <= ph) {
            if (!resize)
                ++t;
            ++b;
        }
        break;
    default: break;
    }
    keyRect_ = QRect(QPoint(l, t), QPoint(r, b));
    panel_->setPreviewRect(keyRect_);
}

void TKHandle::keyReleaseEvent(QKeyEvent* e)
{
    if (!keyMoving_ || !isArrow(e->key()) || e->isAutoRepeat()) {
        QWidget::keyReleaseEvent(e);
        return;
    }
    keyMoving_ = false;
    panel_->setPreviewRect(std::nullopt);
    const int l = keyRect_.left(), t = keyRect_.top(), r = keyRect_.right(), b = keyRect_.bottom();
    setFrameBounds(QRect(l - 2, t - 2, r - l + 5, b - t + 5));
    panel_->update();
}

// ---- marks ------------------------------------------------------------------------------

void TKHandle::paintEvent(QPaintEvent*)
{
    const QList<TKGraphicControl*> s = selection();
    if (s.isEmpty())
        return;
    QPainter p(this);
    const QColor c = s.size() == 1 ? color_ : secondaryColor_;
    const QPoint origin = geometry().topLeft();
    const auto mark = [&](int x, int y) { p.fillRect(QRect(x - origin.x(), y - origin.y(), 5, 5), c); };
    for (const TKGraphicControl* o : s) {
        // The object's rectangle grown by 2, edges inclusive.
        const int l = o->left() - 2, t = o->top() - 2;
        const int r = o->left() + o->objectWidth() + 2, b = o->top() + o->objectHeight() + 2;
        mark(l, t);
        mark(r - 4, t);
        mark(l, b - 4);
        mark(r - 4, b - 4);
        if (s.size() == 1) {
            const int mx = (l + r) / 2 - 2, my = (t + b) / 2 - 2;
            mark(mx, t);
            mark(mx, b - 4);
            mark(l, my);
            mark(r - 4, my);
        }
    }
}

} // namespace qb::design
