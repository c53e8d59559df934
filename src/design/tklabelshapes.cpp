#include "design/tklabelshapes.h"

#include "design/design_colour.h"
#include "design/design_printer.h"
#include "design/tkbasepanel.h"

#include <QColorDialog>
#include <QMenu>
#include <QPainter>
#include <cmath>

namespace qb::design {

namespace {

QColor colourOf(const TKGraphicControl& o, const char* path) { return designColour(o.value(QLatin1String(path)).toUInt()); }

// The pen's own mode matters on the screen only for the few modes that do not
// simply copy the colour.
void applyPenMode(QPainter& p, QPen& pen, int mode)
{
    switch (mode) {
    case 0: pen.setColor(Qt::black); break;                                              // pmBlack
    case 1: pen.setColor(Qt::white); break;                                              // pmWhite
    case 2: pen.setStyle(Qt::NoPen); break;                                              // pmNop
    case 3:                                                                              // pmNot
    case 14: p.setCompositionMode(QPainter::RasterOp_SourceXorDestination); break;       // pmXor
    default: break;
    }
}

// The pen of a shape on paper, where nothing printed can be combined with
// what is already there: the modes give what the screen shows over a white
// label (pmBlack, pmWhite, pmNop, and the exclusive-or of pmNot and pmXor),
// every other mode the pen as it is.
void paperPenMode(int mode, QColor& colour, Qt::PenStyle& style)
{
    switch (mode) {
    case 0: colour = Qt::black; break;
    case 1: colour = Qt::white; break;
    case 2: style = Qt::NoPen; break;
    case 3:
    case 14: colour = QColor(255 - colour.red(), 255 - colour.green(), 255 - colour.blue()); break;
    default: break;
    }
}

// A layout file may hold any number; beyond the whole box the corners are the box.
int roundPercent(const TKGraphicControl& o) { return qBound(0, o.intValue(QStringLiteral("RoundPerc")), 100); }

} // namespace

QList<QAction*> addThicknessMenu(TKGraphicControl* object, QMenu* menu)
{
    QList<QAction*> entries;
    QMenu* sub = menu->addMenu(QStringLiteral("Line Thickness"));
    for (int n = 1; n <= 10; ++n) {
        QAction* a = sub->addAction(QString::number(n) + QStringLiteral(" Point"));
        a->setCheckable(true);
        QObject::connect(a, &QAction::triggered, object, [object, n] {
            object->setValue(QStringLiteral("Pen.Width"), n);
            object->notifyChanged();
        });
        entries << a;
    }
    return entries;
}

// ---- TKLabelShapes ------------------------------------------------------------------

int TKLabelShapes::screenPenWidth() const
{
    const int width = intValue(QStringLiteral("Pen.Width"));
    if (zoom() == 1.0f)
        return width;
    const int w = roundHalfEven(width * double(zoom()));
    return w <= 0 && width > 0 ? 1 : w;
}

QRect TKLabelShapes::outlineRect() const
{
    const int w = qBound(0, screenPenWidth(), 32767), h = w / 2;
    return edges(h, h, objectWidth() + h - w + 1, objectHeight() + h - w + 1);
}

int TKLabelShapes::screenCorner() const
{
    return int(std::trunc(roundPercent(*this) * 0.01 * std::max(qBound(0, objectWidth(), 32767), qBound(0, objectHeight(), 32767))));
}

void TKLabelShapes::paintObject(QPainter& p)
{
    QPen pen(colourOf(*this, "Pen.Color"), qBound(0, screenPenWidth(), 32767));
    pen.setJoinStyle(Qt::MiterJoin);
    applyPenMode(p, pen, intValue(QStringLiteral("Pen.Mode")));
    p.setPen(pen);
    p.setBrush(QBrush(colourOf(*this, "Brush.Color"), brushStyleOf(intValue(QStringLiteral("Brush.Style")))));
    // Qt strokes a rectangle's edges centred on its lines; Windows' rectangle
    // keeps the pen inside the right and bottom edges, hence the last pixel off.
    const QRect r = outlineRect();
    const QRectF outline = QRectF(r).adjusted(0, 0, -1, -1);
    switch (intValue(QStringLiteral("Shape"))) {
    case 2:
    case 3: {
        const double c = screenCorner() / 2.0;
        p.drawRoundedRect(outline, c, c);
        break;
    }
    case 4:
    case 5: p.drawEllipse(outline); break;
    default: p.drawRect(outline); break;
    }
}

void TKLabelShapes::printAt(DesignPrinter& printer, double x, double y)
{
    const double ppi = kDesignPixelsPerInch;
    const int hundredths = int(std::trunc(qBound(0, intValue(QStringLiteral("Pen.Width")), 32767) / ppi * 100));
    QColor colour = colourOf(*this, "Pen.Color");
    Qt::PenStyle style = penStyleOf(intValue(QStringLiteral("Pen.Style")));
    paperPenMode(intValue(QStringLiteral("Pen.Mode")), colour, style);
    printer.setPen(colour, style, std::max(0, hundredths) / 100.0);
    printer.setBrush(colourOf(*this, "Brush.Color"), brushStyleOf(intValue(QStringLiteral("Brush.Style"))));
    const QRectF r = printRect(x, y);
    switch (intValue(QStringLiteral("Shape"))) {
    case 2:
    case 3: {
        const double side = objectHeight() < objectWidth() ? r.width() : r.height();
        const double c = roundPercent(*this) * 0.01 * side;
        printer.drawRoundRect(r.left(), r.top(), r.right(), r.bottom(), c, c);
        break;
    }
    case 4:
    case 5: printer.drawEllipse(r.left(), r.top(), r.right(), r.bottom()); break;
    default: printer.drawRectangle(r.left(), r.top(), r.right(), r.bottom()); break;
    }
}

void TKLabelShapes::propertyChanged(const QString& path)
{
    // Transparent and the brush style say the same thing; each follows the other.
    if (path == QLatin1String("Transparent")) {
        const int style = boolValue(path) ? 1 : 0;
        if (intValue(QStringLiteral("Brush.Style")) != style)
            setValue(QStringLiteral("Brush.Style"), style);
    } else if (path == QLatin1String("Brush.Style")) {
        const bool clear = intValue(path) == 1;
        if (boolValue(QStringLiteral("Transparent")) != clear && !reading())
            setValue(QStringLiteral("Transparent"), clear);
    }
}

void TKLabelShapes::addKindMenuEntries(QMenu* menu)
{
    menu->addSeparator();
    connect(menu->addAction(QStringLiteral("Background Color")), &QAction::triggered, this, [this] {
        const QColor c = QColorDialog::getColor(colourOf(*this, "Brush.Color"), this);
        if (!c.isValid())
            return;
        setValue(QStringLiteral("Brush.Color"), QVariant::fromValue(storedColour(c)));
        notifyChanged();
        setValue(QStringLiteral("Transparent"), false);
    });
    connect(menu->addAction(QStringLiteral("Line Color")), &QAction::triggered, this, [this] {
        const QColor c = QColorDialog::getColor(colourOf(*this, "Pen.Color"), this);
        if (!c.isValid())
            return;
        setValue(QStringLiteral("Pen.Color"), QVariant::fromValue(storedColour(c)));
        notifyChanged();
    });
    thicknessEntries_ = addThicknessMenu(this, menu);
    menu->addSeparator();
    transparentEntry_ = menu->addAction(QStringLiteral("Transparent"));
    transparentEntry_->setCheckable(true);
    connect(transparentEntry_, &QAction::triggered, this,
            [this] { setValue(QStringLiteral("Transparent"), !boolValue(QStringLiteral("Transparent"))); });
    const int shape = intValue(QStringLiteral("Shape"));
    if (shape == 2 || shape == 3) {
        menu->addSeparator();
        QMenu* sub = menu->addMenu(QStringLiteral("Degree of Rounding"));
        for (int n = 20; n <= 80; n += 10)
            connect(sub->addAction(QString::number(n) + QStringLiteral(" %")), &QAction::triggered, this, [this, n] {
                setValue(QStringLiteral("RoundPerc"), n);
                notifyChanged();
            });
    }
}

void TKLabelShapes::updateMenu()
{
    if (transparentEntry_)
        transparentEntry_->setChecked(boolValue(QStringLiteral("Transparent")));
    for (int i = 0; i < thicknessEntries_.size(); ++i)
        thicknessEntries_[i]->setChecked(intValue(QStringLiteral("Pen.Width")) == i + 1);
}

// ---- TKLineShape --------------------------------------------------------------------

int TKLineShape::screenPenWidth() const
{
    const int width = intValue(QStringLiteral("Pen.Width"));
    return zoom() == 1.0f ? width : roundHalfEven(width * double(zoom()));
}

QLine TKLineShape::screenLine() const
{
    const int w = qBound(0, screenPenWidth(), 32767), h = w / 2;
    const int W = objectWidth(), H = objectHeight();
    switch (intValue(QStringLiteral("LineStyle"))) {
    case 1: return QLine(h, h, h, h + H - w + 1);
    case 2: return QLine(W, 0, 0, H);
    case 3: return QLine(0, 0, W, H);
    default: return QLine(h, h, W + h - w + 1, h);
    }
}

void TKLineShape::paintObject(QPainter& p)
{
    QPen pen(colourOf(*this, "Pen.Color"), qBound(0, screenPenWidth(), 32767),
             penStyleOf(intValue(QStringLiteral("Pen.Style"))), Qt::FlatCap);
    applyPenMode(p, pen, intValue(QStringLiteral("Pen.Mode")));
    p.setPen(pen);
    // Windows leaves a line's last pixel out; a flat cap does the same along the line.
    const QLine l = screenLine();
    const double off = (pen.width() % 2) ? 0.5 : 0.0;
    p.drawLine(QPointF(l.x1() + off, l.y1() + off), QPointF(l.x2() + off, l.y2() + off));
}

void TKLineShape::printAt(DesignPrinter& printer, double x, double y)
{
    const double ppi = kDesignPixelsPerInch;
    const int t = qBound(0, intValue(QStringLiteral("Pen.Width")), 32767), d = t / 2;
    printer.setPen(colourOf(*this, "Pen.Color"), penStyleOf(intValue(QStringLiteral("Pen.Style"))), t / 100.0);
    const double x1 = x + left() / ppi, x2 = x + (double(left()) + objectWidth()) / ppi;
    const double y1 = y + (double(top()) + d) / ppi, y2 = y + (double(top()) + objectHeight() + d) / ppi;
    switch (intValue(QStringLiteral("LineStyle"))) {
    case 1:
        printer.penMoveTo(x1, y1);
        printer.penLineTo(x1, y2);
        break;
    case 2:
        printer.penMoveTo(x1, y2);
        printer.penLineTo(x2, y1);
        break;
    case 3:
        printer.penMoveTo(x1, y1);
        printer.penLineTo(x2, y2);
        break;
    default:
        printer.penMoveTo(x1, y1);
        printer.penLineTo(x2, y1);
        break;
    }
}

void TKLineShape::stretchToEdges()
{
    TKBasePanel* p = panel();
    if (!p)
        return;
    switch (intValue(QStringLiteral("LineStyle"))) {
    case 0: setBounds(0, top(), p->QWidget::width(), objectHeight()); break;
    case 1: setBounds(left(), 0, objectWidth(), p->QWidget::height()); break;
    default: break;
    }
    update();
}

void TKLineShape::addKindMenuEntries(QMenu* menu)
{
    menu->addSeparator();
    QMenu* style = menu->addMenu(QStringLiteral("Style"));
    const char* captions[] = {"Horizontal", "Vertical", "Angled Sloping Up", "Angled Sloping Down"};
    for (int i = 0; i < 4; ++i) {
        QAction* a = style->addAction(QLatin1String(captions[i]));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, i] {
            notifyChanged();
            setValue(QStringLiteral("LineStyle"), i);
        });
        styleEntries_ << a;
    }
    connect(menu->addAction(QStringLiteral("Color")), &QAction::triggered, this, [this] {
        const QColor c = QColorDialog::getColor(colourOf(*this, "Pen.Color"), this);
        if (!c.isValid())
            return;
        notifyChanged();
        setValue(QStringLiteral("Pen.Color"), QVariant::fromValue(storedColour(c)));
    });
    thicknessEntries_ = addThicknessMenu(this, menu);
    menu->addSeparator();
    connect(menu->addAction(QStringLiteral("Stretch To Edges")), &QAction::triggered, this, [this] { stretchToEdges(); });
}

void TKLineShape::updateMenu()
{
    for (int i = 0; i < styleEntries_.size(); ++i)
        styleEntries_[i]->setChecked(intValue(QStringLiteral("LineStyle")) == i);
    for (int i = 0; i < thicknessEntries_.size(); ++i)
        thicknessEntries_[i]->setChecked(intValue(QStringLiteral("Pen.Width")) == i + 1);
}

} // namespace qb::design
