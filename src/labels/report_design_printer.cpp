#include "labels/report_design_printer.h"

#include "printing/tbasereport.h"

#include <cmath>

namespace qb {

namespace {

PenStyle penStyle(Qt::PenStyle s)
{
    switch (s) {
    case Qt::DashLine: return PenStyle::psDash;
    case Qt::DotLine: return PenStyle::psDot;
    case Qt::DashDotLine: return PenStyle::psDashDot;
    case Qt::DashDotDotLine: return PenStyle::psDashDotDot;
    case Qt::NoPen: return PenStyle::psClear;
    default: return PenStyle::psSolid;
    }
}

BrushStyle brushStyle(Qt::BrushStyle s)
{
    switch (s) {
    case Qt::NoBrush: return BrushStyle::bsClear;
    case Qt::HorPattern: return BrushStyle::bsHorizontal;
    case Qt::VerPattern: return BrushStyle::bsVertical;
    case Qt::FDiagPattern: return BrushStyle::bsFDiagonal;
    case Qt::BDiagPattern: return BrushStyle::bsBDiagonal;
    case Qt::CrossPattern: return BrushStyle::bsCross;
    case Qt::DiagCrossPattern: return BrushStyle::bsDiagCross;
    default: return BrushStyle::bsSolid;
    }
}

} // namespace

void ReportDesignPrinter::setPen(QColor colour, Qt::PenStyle style, double widthInches)
{
    // The job takes a negative width as hundredths of an inch; 1 is a hairline.
    const int width = widthInches <= 0 ? 1 : -std::max(1, int(std::lround(widthInches * 100)));
    job_.SetPen(colour, penStyle(style), PenMode::pmCopy, width);
}

void ReportDesignPrinter::setBrush(QColor colour, Qt::BrushStyle style) { job_.SetBrush(colour, brushStyle(style)); }
void ReportDesignPrinter::drawRectangle(double x1, double y1, double x2, double y2) { job_.DrawRectangle(x1, y1, x2, y2); }
void ReportDesignPrinter::drawEllipse(double x1, double y1, double x2, double y2) { job_.DrawEllipse(x1, y1, x2, y2); }
void ReportDesignPrinter::drawRoundRect(double x1, double y1, double x2, double y2, double cornerW, double cornerH)
{
    job_.DrawRoundRect(x1, y1, x2, y2, cornerW, cornerH);
}
void ReportDesignPrinter::penMoveTo(double x, double y) { job_.PenMoveTo(x, y); }
void ReportDesignPrinter::penLineTo(double x, double y) { job_.PenLineTo(x, y); }

QRect ReportDesignPrinter::deviceRect(const QRectF& inches)
{
    lastInches_ = inches;
    lastDevice_ = job_.DeviceRect(inches.left(), inches.top(), inches.right(), inches.bottom());
    return lastDevice_;
}

void ReportDesignPrinter::drawPicture(const QRect& device, const QPicture& picture, const QSize& pictureSize)
{
    // Pictures of design objects are recorded in design pixels: placed by the
    // inches they came from, their whole box is kept however little it holds.
    if (device == lastDevice_ && !pictureSize.isEmpty())
        job_.DrawDesignPicture(picture, lastInches_.left(), lastInches_.top(), QSizeF(pictureSize));
    else
        job_.DrawPicture(device, picture);
}

void ReportDesignPrinter::drawBitmap(const QRectF& inches, const QImage& image)
{
    job_.DrawBitmap(image, inches.left(), inches.top(), inches.right(), inches.bottom());
}

int ReportDesignPrinter::pageNumber() const { return job_.CurrentPage(); }

} // namespace qb
