#include "design/design_printer.h"

#include "printing/page_stream.h"

#include <QPaintDevice>

#include <QPainter>
#include <cmath>

namespace qb::design {

PainterPrinter::PainterPrinter(QPainter& painter, double dotsPerInch, int page)
    : painter_(painter), dpi_(dotsPerInch), page_(page)
{
}

void PainterPrinter::setPen(QColor colour, Qt::PenStyle style, double widthInches)
{
    QPen pen(colour, widthInches * dpi_, style);
    painter_.setPen(pen);
}

void PainterPrinter::setBrush(QColor colour, Qt::BrushStyle style) { painter_.setBrush(QBrush(colour, style)); }

void PainterPrinter::drawRectangle(double x1, double y1, double x2, double y2)
{
    painter_.drawRect(QRectF(device(x1, y1), device(x2, y2)));
}

void PainterPrinter::drawEllipse(double x1, double y1, double x2, double y2)
{
    painter_.drawEllipse(QRectF(device(x1, y1), device(x2, y2)));
}

void PainterPrinter::drawRoundRect(double x1, double y1, double x2, double y2, double cornerW, double cornerH)
{
    painter_.drawRoundedRect(QRectF(device(x1, y1), device(x2, y2)), cornerW * dpi_ / 2, cornerH * dpi_ / 2);
}

void PainterPrinter::penMoveTo(double x, double y) { pen_ = device(x, y); }

void PainterPrinter::penLineTo(double x, double y)
{
    const QPointF to = device(x, y);
    painter_.drawLine(pen_, to);
    pen_ = to;
}

QRect PainterPrinter::deviceRect(const QRectF& inches)
{
    const QPointF a = device(inches.left(), inches.top());
    const QPointF b = device(inches.right(), inches.bottom());
    return QRect(QPoint(int(std::lround(a.x())), int(std::lround(a.y()))),
                 QPoint(int(std::lround(b.x())) - 1, int(std::lround(b.y())) - 1));
}

void PainterPrinter::drawPicture(const QRect& device, const QPicture& picture, const QSize& pictureSize)
{
    if (pictureSize.isEmpty())
        return;
    painter_.save();
    painter_.translate(device.topLeft());
    // A picture already plays scaled from its own resolution to the device's;
    // the transform only adds what remains.
    const QPaintDevice* target = painter_.device();
    const double autoX = target ? double(target->logicalDpiX()) / picture.logicalDpiX() : 1.0;
    const double autoY = target ? double(target->logicalDpiY()) / picture.logicalDpiY() : 1.0;
    painter_.scale(double(device.width()) / pictureSize.width() / autoX,
                   double(device.height()) / pictureSize.height() / autoY);
    playPicture(painter_, picture);
    painter_.restore();
}

void PainterPrinter::drawBitmap(const QRectF& inches, const QImage& image)
{
    painter_.drawImage(QRectF(device(inches.left(), inches.top()), device(inches.right(), inches.bottom())), image);
}

} // namespace qb::design
