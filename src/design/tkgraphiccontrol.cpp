#include "design/tkgraphiccontrol.h"

#include "core/messages.h"
#include "design/design_printer.h"
#include "design/layout_filer.h"
#include "design/layout_picture.h"
#include "design/tkbasepanel.h"
#include "design/tkhandle.h"

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPicture>
#include <cmath>
#include <limits>

namespace qb::design {

int roundHalfEven(double v)
{
    if (!(v == v))
        return 0;
    const double r = std::nearbyint(v);   // the default rounding mode: to nearest, ties to even
    if (r >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (r <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return int(r);
}

TKGraphicControl::TKGraphicControl(const ClassTable& table, QWidget* parent) : QWidget(parent), table_(table)
{
    values_.reserve(table.properties.size());
    for (const PropertyDef& d : table.properties)
        values_.push_back(d.initial);
    left_ = value(QStringLiteral("Left")).toInt();
    top_ = value(QStringLiteral("Top")).toInt();
    width_ = value(QStringLiteral("Width")).toInt();
    height_ = value(QStringLiteral("Height")).toInt();
    designLeft_ = left_;
    designTop_ = top_;
    designWidth_ = width_;
    designHeight_ = height_;
    setMouseTracking(true);
    applyGeometry();
    lastBounds_ = bounds();
    haveLastBounds_ = true;
}

TKGraphicControl::~TKGraphicControl()
{
    if (TKBasePanel* p = panel())
        if (p->handle())
            p->handle()->remove(this);
}

// ---- properties ------------------------------------------------------------------

QVariant TKGraphicControl::value(const QString& path) const
{
    const int i = table_.indexOf(path);
    if (i < 0)
        return {};
    const QString& name = table_.properties[size_t(i)].path;
    if (name == QLatin1String("Left"))
        return left_;
    if (name == QLatin1String("Top"))
        return top_;
    if (name == QLatin1String("Width"))
        return width_;
    if (name == QLatin1String("Height"))
        return height_;
    if (name == QLatin1String("Locked"))
        return locked_;
    if (name == QLatin1String("Unselectable"))
        return unselectable_;
    return values_[size_t(i)];
}

bool TKGraphicControl::setValue(const QString& path, const QVariant& v)
{
    const int i = table_.indexOf(path);
    if (i < 0)
        return false;
    const QString& name = table_.properties[size_t(i)].path;
    if (name == QLatin1String("Left"))
        setBounds(v.toInt(), top_, width_, height_);
    else if (name == QLatin1String("Top"))
        setBounds(left_, v.toInt(), width_, height_);
    else if (name == QLatin1String("Width"))
        setBounds(left_, top_, v.toInt(), height_);
    else if (name == QLatin1String("Height"))
        setBounds(left_, top_, width_, v.toInt());
    else if (name == QLatin1String("Locked"))
        setLocked(v.toBool());
    else if (name == QLatin1String("Unselectable"))
        setUnselectable(v.toBool());
    else {
        values_[size_t(i)] = v;
        propertyChanged(name);
        update();
    }
    return true;
}

void TKGraphicControl::setBounds(int left, int top, int width, int height)
{
    if (zoom_ == 1.0f || zoom_ == 0.0f) {
        designLeft_ = left;
        designTop_ = top;
        designWidth_ = width;
        designHeight_ = height;
    } else {
        const double z = zoom_;
        if (left != left_)
            designLeft_ = roundHalfEven(left / z);
        if (top != top_)
            designTop_ = roundHalfEven(top / z);
        if (width != width_)
            designWidth_ = roundHalfEven(width / z);
        if (height != height_)
            designHeight_ = roundHalfEven(height / z);
    }
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    applyGeometry();
    if (!reading_)
        boundsChanged();
}

void TKGraphicControl::applyGeometry()
{
    // Sizes read from a file are used within 0..32767; the stored values stay.
    const auto clampPos = [](int v) { return qBound(-32767, v, 32767); };
    setGeometry(clampPos(left_), clampPos(top_), qBound(0, width_, 32767), qBound(0, height_, 32767));
}

void TKGraphicControl::setReading(bool on)
{
    reading_ = on;
    if (!on) {
        // Loaded bounds are the reference, so that the first move after a load counts as a change.
        lastBounds_ = bounds();
        haveLastBounds_ = true;
    }
}

void TKGraphicControl::setLocked(bool on)
{
    locked_ = on;
    if (reading_)
        return;
    try {
        if (lockedAction_)
            lockedAction_->setChecked(on);
        notifyChanged();
    } catch (...) {
    }
}

void TKGraphicControl::setUnselectable(bool on)
{
    unselectable_ = on;
    if (reading_ || !on)
        return;
    try {
        if (TKBasePanel* p = panel())
            p->handle()->remove(this);
        notifyChanged();
    } catch (...) {
    }
}

QFont TKGraphicControl::objectFont() const
{
    QFont f(stringValue(QStringLiteral("Font.Name")));
    int points = fontPointsFromHeight(intValue(QStringLiteral("Font.Height")));
    if (zoom_ != 1.0f)
        points = int(std::trunc(points * double(zoom_)));
    f.setPixelSize(qBound(1, -fontHeightFromPoints(points), 4096));
    const uint style = value(QStringLiteral("Font.Style")).toUInt();
    f.setBold(style & 1);
    f.setItalic(style & 2);
    f.setUnderline(style & 4);
    f.setStrikeOut(style & 8);
    const int pitch = intValue(QStringLiteral("Font.Pitch"));
    if (pitch == 2)
        f.setFixedPitch(true);
    return f;
}

QColor TKGraphicControl::fontColour() const
{
    const uint c = value(QStringLiteral("Font.Color")).toUInt();
    if (c & 0xFF000000u)
        return Qt::black;   // system colours: the window text colour
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

void TKGraphicControl::setObjectFont(const QFont& font, QColor colour)
{
    if (!table_.isSubObject(QStringLiteral("Font")))
        return;
    const int points = font.pointSize() > 0 ? font.pointSize()
                                            : fontPointsFromHeight(font.pixelSize() > 0 ? font.pixelSize() : 13);
    uint style = 0;
    style |= font.bold() ? 1u : 0u;
    style |= font.italic() ? 2u : 0u;
    style |= font.underline() ? 4u : 0u;
    style |= font.strikeOut() ? 8u : 0u;
    values_[size_t(table_.indexOf(QStringLiteral("Font.Name")))] = font.family();
    values_[size_t(table_.indexOf(QStringLiteral("Font.Height")))] = fontHeightFromPoints(points);
    values_[size_t(table_.indexOf(QStringLiteral("Font.Style")))] = QVariant::fromValue(style);
    values_[size_t(table_.indexOf(QStringLiteral("Font.Color")))] =
        QVariant::fromValue(uint32_t(colour.red() | (colour.green() << 8) | (colour.blue() << 16)));
    propertyChanged(QStringLiteral("Font"));
    notifyChanged();
    update();
}

void TKGraphicControl::applyObjectFont(const QFont& font, QColor colour) { setObjectFont(font, colour); }

// ---- life cycle ------------------------------------------------------------------

void TKGraphicControl::loaded()
{
    if (loaded_)
        return;
    loaded_ = true;
    menu_ = new QMenu(this);
    const auto add = [this](const char* caption, auto slot) {
        QAction* a = menu_->addAction(QString::fromLatin1(caption));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    const auto guarded = [this](const std::function<void()>& f) {
        try {
            f();
        } catch (const LayoutError& e) {
            showInformation(e.message());
        }
    };
    add("Bring To Front", [this] {
        notifyChanged();
        bringToFront();
    });
    add("Send To Back", [this] {
        notifyChanged();
        sendToBack();
    });
    add("Cut", [this, guarded] {
        notifyChanged();
        if (TKBasePanel* p = panel())
            guarded([&] { p->clipboardAction(TKBasePanel::Cut, this); });
    });
    add("Copy", [this, guarded] {
        if (TKBasePanel* p = panel())
            guarded([&] { p->clipboardAction(TKBasePanel::Copy, this); });
    });
    add("Delete", [this, guarded] {
        notifyChanged();
        if (TKBasePanel* p = panel())
            guarded([&] { p->clipboardAction(TKBasePanel::Delete, this); });
    });
    add("Clone", [this, guarded] { guarded([&] { clone(); }); });
    menu_->addSeparator();
    lockedAction_ = add("Locked", [this] { setLocked(!locked_); });
    lockedAction_->setCheckable(true);
    lockedAction_->setChecked(locked_);
    add("Unselectable", [this] { setUnselectable(true); });
    menu_->addSeparator();
    add("Center Vertically", [this] { centerVertically(); });
    add("Center Horizontally", [this] { centerHorizontally(); });
    addKindMenuEntries(menu_);
    connect(menu_, &QMenu::aboutToShow, this, [this] {
        lockedAction_->setChecked(locked_);
        updateMenu();
    });
}

void TKGraphicControl::openContextMenu(const QPoint& globalPos)
{
    if (menu_)
        menu_->popup(globalPos);
}

// ---- the family's operations -------------------------------------------------------

void TKGraphicControl::boundsChanged()
{
    if (busy_)
        return;
    busy_ = true;
    if (!haveLastBounds_) {
        lastBounds_ = bounds();
        haveLastBounds_ = true;
    }
    if (bounds() != lastBounds_) {
        notifyChanged();
        lastBounds_ = bounds();
        // One re-fit after all objects moved together, from the panel's event loop.
        if (TKBasePanel* p = panel())
            QMetaObject::invokeMethod(p, &TKBasePanel::refitSelection, Qt::QueuedConnection);
    }
    busy_ = false;
}

void TKGraphicControl::setZoom(float z)
{
    if (z == zoom_)
        return;
    const bool whole = z == 1.0f || z == 0.0f;
    left_ = whole ? designLeft_ : roundHalfEven(designLeft_ * double(z));
    top_ = whole ? designTop_ : roundHalfEven(designTop_ * double(z));
    width_ = whole ? designWidth_ : roundHalfEven(designWidth_ * double(z));
    height_ = whole ? designHeight_ : roundHalfEven(designHeight_ * double(z));
    applyGeometry();
    zoom_ = z;
    boundsChanged();
    update();
}

void TKGraphicControl::setZoomFactor(float z)
{
    if (z == zoom_)
        return;
    zoom_ = z;
    designLeft_ = z == 1.0f || z == 0.0f ? left_ : roundHalfEven(left_ / double(z));
    designTop_ = z == 1.0f || z == 0.0f ? top_ : roundHalfEven(top_ / double(z));
    designWidth_ = z == 1.0f || z == 0.0f ? width_ : roundHalfEven(width_ / double(z));
    designHeight_ = z == 1.0f || z == 0.0f ? height_ : roundHalfEven(height_ / double(z));
}

void TKGraphicControl::fitBounds(int width, int height)
{
    if (zoom_ == 1.0f || zoom_ == 0.0f) {
        setBounds(left_, top_, width, height);
        return;
    }
    const QRect design = designBounds();
    setBounds(left_, top_, width, height);
    designWidth_ = design.width();
    designHeight_ = design.height();
}

void TKGraphicControl::notifyChanged()
{
    if (reading_)
        return;
    TKBasePanel* p = panel();
    if (p && !p->scaling() && !p->printing())
        p->notifyChanged();
}

TKBasePanel* TKGraphicControl::panel() const { return qobject_cast<TKBasePanel*>(parentWidget()); }

bool TKGraphicControl::selected() const
{
    const TKBasePanel* p = panel();
    return p && p->handle() && p->handle()->find(this) >= 0;
}

QRectF TKGraphicControl::printRect(double x, double y) const
{
    const double ppi = kDesignPixelsPerInch;
    return QRectF(QPointF(x + left_ / ppi, y + top_ / ppi),
                  QPointF(x + (double(left_) + width_) / ppi, y + (double(top_) + height_) / ppi));
}

QPicture TKGraphicControl::recordPicture()
{
    QPicture picture;
    const float zoom = zoom_;
    zoom_ = 1.0f;
    {
        QPainter p(&picture);
        p.setClipRect(QRect(0, 0, qBound(0, width_, 32767), qBound(0, height_, 32767)));
        paintObject(p);
    }
    zoom_ = zoom;
    picture.setBoundingRect(QRect(0, 0, qBound(0, width_, 32767), qBound(0, height_, 32767)));
    return picture;
}

void TKGraphicControl::printAt(DesignPrinter& printer, double x, double y)
{
    if (!printsAsPicture())
        return;
    const QPicture picture = recordPicture();
    printer.drawPicture(printer.deviceRect(printRect(x, y)), picture, QSize(width_, height_));
}

bool TKGraphicControl::printsAsPicture() const { return table_.isSubObject(QStringLiteral("Font")); }

// ---- common commands ---------------------------------------------------------------

void TKGraphicControl::bringToFront()
{
    raise();
    if (TKBasePanel* p = panel())
        p->keepFrameOnTop();
}

void TKGraphicControl::sendToBack()
{
    lower();
    if (TKBasePanel* p = panel())
        p->clearSelection();
}

void TKGraphicControl::centerVertically()
{
    TKBasePanel* p = panel();
    if (!p)
        return;
    setBounds(left_, p->QWidget::height() / 2 - height_ / 2, width_, height_);
    notifyChanged();
    QCoreApplication::processEvents();
    p->update();
}

void TKGraphicControl::centerHorizontally()
{
    TKBasePanel* p = panel();
    if (!p)
        return;
    setBounds(p->QWidget::width() / 2 - width_ / 2, top_, width_, height_);
    notifyChanged();
    QCoreApplication::processEvents();
    p->update();
}

void TKGraphicControl::clone()
{
    TKBasePanel* p = panel();
    if (!p)
        return;
    TKGraphicControl* copy = TKLabelObjectFiler::CloneObject(this, p->owner(), p);
    if (!copy)
        return;
    copy->setBounds(copy->left(), copy->top() + 25, copy->objectWidth(), copy->objectHeight());
    copy->bringToFront();
    p->refreshData();
    if (selected()) {
        p->handle()->remove(this);
        p->handle()->add(copy);
    }
    p->hookObjects();
    notifyChanged();
}

// ---- drawing and mouse ---------------------------------------------------------------

void TKGraphicControl::paintObject(QPainter& painter)
{
    const QRect box(0, 0, qBound(0, width_, 32767), qBound(0, height_, 32767));
    const int caption = table_.indexOf(QStringLiteral("Caption"));
    const int items = table_.indexOf(QStringLiteral("Items.Strings"));
    if (caption >= 0 || items >= 0) {
        const int transparent = table_.indexOf(QStringLiteral("Transparent"));
        if (transparent >= 0 && !values_[size_t(transparent)].toBool()) {
            const uint c = value(QStringLiteral("BackColor")).toUInt();
            painter.fillRect(box, (c & 0xFF000000u) ? QColor(Qt::white)
                                                    : QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)));
        }
        painter.setFont(objectFont());
        painter.setPen(fontColour());
        const QString text = caption >= 0 ? values_[size_t(caption)].toString()
                                          : values_[size_t(items)].toStringList().join(QLatin1Char('\n'));
        painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, text);
        if (value(QStringLiteral("BorderStyle")).toInt() == 1) {
            painter.setPen(Qt::black);
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(box.adjusted(0, 0, -1, -1));
        }
        return;
    }
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
}

void TKGraphicControl::paintEvent(QPaintEvent*)
{
    if (TKBasePanel* p = panel(); p && p->printing())
        return;
    QPainter painter(this);
    paintObject(painter);
}

void TKGraphicControl::mousePressEvent(QMouseEvent* event)
{
    TKBasePanel* p = panel();
    if (!p) {
        QWidget::mousePressEvent(event);
        return;
    }
    p->objectMouseDown(this, event->button(), event->modifiers(), mapToParent(event->position().toPoint()),
                       event->globalPosition().toPoint());
}

void TKGraphicControl::mouseMoveEvent(QMouseEvent* event)
{
    if (TKBasePanel* p = panel())
        p->objectMouseMove(this, mapToParent(event->position().toPoint()), event->buttons(), event->modifiers());
}

void TKGraphicControl::mouseReleaseEvent(QMouseEvent* event)
{
    if (TKBasePanel* p = panel())
        p->objectMouseUp(this, mapToParent(event->position().toPoint()), event->button(), event->modifiers(),
                         event->globalPosition().toPoint());
}

void TKGraphicControl::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (TKBasePanel* p = panel())
        p->objectDoubleClick(this, event->globalPosition().toPoint());
}

void TKGraphicControl::leaveEvent(QEvent*)
{
    if (TKBasePanel* p = panel())
        setCursor(p->idleCursor());
}

} // namespace qb::design
