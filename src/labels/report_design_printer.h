#pragma once
// Design objects printing through a print job: the operations they need of a
// printer, in inches, mapped onto the job's own.

#include "design/design_printer.h"

namespace qb {

class TBaseReport;

class ReportDesignPrinter : public design::DesignPrinter {
public:
    explicit ReportDesignPrinter(TBaseReport& job) : job_(job) {}

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
    int pageNumber() const override;

private:
    TBaseReport& job_;
    QRect lastDevice_;
    QRectF lastInches_;
};

} // namespace qb
