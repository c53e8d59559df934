#include "utilities/zip_count_report.h"

#include "printing/tbasereport.h"

namespace qb {

namespace {

constexpr double kColumnWidth = 1.875;
constexpr double kCellWidth = 0.625;

// The title and page number; the lines come when the page is full.
void pageTitle(TBaseReport& job)
{
    job.SetXOffset(0);
    job.SetBold(true);
    job.CursorHome();
    job.MoveCursor(job.MarginLeft(), job.AreaTop() - 0.25);
    job.NextLine();
    job.EmitText(QStringLiteral("Zip Code Count Report"));
    job.SetBold(false);
    job.MoveCursor(job.MarginLeft(), job.AreaBottom());
    job.NextLine();
    job.EmitText(QStringLiteral("Page ") + QString::number(job.CurrentPage()));
}

// The frame and the column lines, drawn over the rows' shading so that it
// never covers them.
void pageLines(TBaseReport& job)
{
    job.SetXOffset(0);
    job.SetBrush(Qt::white, BrushStyle::bsClear);
    job.DrawRectangle(job.AreaLeft(), job.AreaTop(), job.AreaRight(), job.AreaBottom());
    for (int i = 1; i <= 3; ++i) {
        job.PenMoveTo(job.AreaLeft() + i * kColumnWidth, job.AreaTop());
        job.PenLineTo(job.AreaLeft() + i * kColumnWidth, job.AreaBottom());
    }
}

} // namespace

void setUpZipCountJob(TBaseReport& job)
{
    job.setUnits(Units::unInch);
    job.setMarginLeft(0.5);
    job.setMarginRight(0.5);
    job.setMarginTop(1);
    job.setMarginBottom(1);
    job.setTitle(QStringLiteral("Zip Code Count"));
    job.setStatusFormat(QStringLiteral("Printing Page %p\r%0\r%1"));
    job.setStatusText({QString(), QString()});
}

void printZipCountList(TBaseReport& job, const QStringList& lines, const std::function<bool()>& stop)
{
    job.ApplyFont(QStringLiteral("Arial"), 10);
    job.ClearTabs();
    job.AddTab(0, kTabLeft, kCellWidth, 5, 0, 0);
    job.AddTab(kNoOverride, kTabRight, kCellWidth, 5, 0, 0);
    job.AddTab(kNoOverride, kTabLeft, kCellWidth, 5, 0, 0);
    job.setAreaTop(job.MarginTop());
    job.setAreaBottom(job.PageHeight() - job.MarginBottom());
    job.setAreaLeft(job.MarginLeft());
    job.setAreaRight(job.PageWidth() - job.MarginLeft());
    job.SetBrush(Qt::white, BrushStyle::bsClear);
    pageTitle(job);
    int column = 0, row = 0;
    job.SetXOffset(job.MarginLeft());
    job.CursorHome();
    for (const QString& line : lines) {
        if (job.RemainingLines() <= 0) {
            if (++column > 3) {
                column = 0;
                pageLines(job);
                job.BreakPage();
                pageTitle(job);
            }
            job.SetXOffset(column * kColumnWidth + job.MarginLeft());
            job.CursorHome();
            row = 0;
        }
        const int shade = ++row % 2 ? 5 : 0;
        job.NextTab(kNoOverride, kNoOverride, kNoOverride, kNoOverride, shade);
        job.EmitText(line.left(5));
        job.NextTab(kNoOverride, kNoOverride, kNoOverride, kNoOverride, shade);
        job.EmitText(line.mid(5, 12).trimmed());
        job.NextTab(kNoOverride, kNoOverride, kNoOverride, kNoOverride, shade);
        job.NextLine();
        if (job.Aborted() || (stop && stop()))
            break;
    }
    pageLines(job);
}

} // namespace qb
