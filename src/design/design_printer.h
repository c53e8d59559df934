#pragma once
// What a design object needs of the print engine to print itself: positions in
// inches on the page, pens and brushes, and pictures scaled into a device
// rectangle. The print engine's job implements it; PainterPrinter draws on any
// QPainter (a PDF page, an image) at a given resolution.

#include <QColor>
#include <QImage>
#include <QPicture>
#include <QRect>
#include <QRectF>

class QPainter;

namespace qb::design {

class DesignPrinter {
public:
    virtual ~DesignPrinter() = default;

    virtual void setPen(QColor colour, Qt::PenStyle style, double widthInches) = 0;
    virtual void setBrush(QColor colour, Qt::BrushStyle style) = 0;
    virtual void drawRectangle(double x1, double y1, double x2, double y2) = 0;
    virtual void drawEllipse(double x1, double y1, double x2, double y2) = 0;
    virtual void drawRoundRect(double x1, double y1, double x2, double y2, double cornerW, double cornerH) = 0;
    virtual void penMoveTo(double x, double y) = 0;
    virtual void penLineTo(double x, double y) = 0;
    // The device rectangle of a rectangle in inches, for DrawPicture.
    virtual QRect deviceRect(const QRectF& inches) = 0;
    // A picture recorded in its own pixels, scaled to fill the device rectangle.
    virtual void drawPicture(const QRect& device, const QPicture& picture, const QSize& pictureSize) = 0;
    virtual void drawBitmap(const QRectF& inches, const QImage& image) = 0;
    virtual int pageNumber() const = 0;
};

class PainterPrinter : public DesignPrinter {
public:
    // dotsPerInch: device pixels per inch of the painter's coordinates.
    PainterPrinter(QPainter& painter, double dotsPerInch, int page = 1);

    void setPen(QColor colour, Qt::PenStyle style, double widthInches) override;
    void setBrush(QColor colour, Qt::BrushStyle style) override;
    void drawRectangle(double x1, double y1, double x2, double y2) override;
    void drawEllipse(double x1, double y1, double x2, double y2) override;
    void drawRoundRect(double x1, double y1, double x2, double y2, double cornerW, double cornerH) override;
    void penMoveTo(double x, double y) override;
    void penLineTo(double x, double y) override;
    QRect deviceRect(const QRectF& inches) override;
    void drawPicture(const QRect& device, const QPicture& picture, const QSize& pictureSize) override;
    void drawBitmap(const QRectF& inches, const QImage& image) override;
    int pageNumber() const override { return page_; }

private:
    QPointF device(double x, double y) const { return {x * dpi_, y * dpi_}; }

    QPainter& painter_;
    double dpi_;
    int page_;
    QPointF pen_;
};

} // namespace qb::design
