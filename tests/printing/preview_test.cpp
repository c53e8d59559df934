// The preview window over a recorded document: zoom rules, page buttons,
// caption, mouse zoom and arrow scrolling.

#include "core/paths.h"
#include "printing/preview_support.h"
#include "printing/tcanvasreport.h"
#include "printing/tfileprinter.h"
#include "printing/tpreviewform.h"
#include "printing/treportfiler.h"

#include <QPainter>
#include <QPicture>
#include <QScrollBar>
#include <QTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace qb::test {
namespace {

// A recorded document of the given number of pages, each with its number.
void record(TPageStream& stream, int pages)
{
    TReportFiler job;
    job.SetPaperSize(1, 0, 0);
    job.setMarginTop(0.5);
    job.setStream(&stream);
    job.OnPrint = [&] {
        for (int page = 1; page <= pages; ++page) {
            if (page > 1)
                job.BreakPage();
            job.ApplyFont(QStringLiteral("Arial"), 24);
            job.TextLeftAt(QStringLiteral("Page %1").arg(page), 1.0);
            // One pixel of the recording: far thinner than a screen pixel.
            job.SetPen(Qt::black, PenStyle::psSolid, PenMode::pmCopy, 1);
            job.PenMoveTo(1.0, 5.0);
            job.PenLineTo(5.0, 5.0);
        }
    };
    ASSERT_TRUE(job.RunJob());
}

class Preview : public ::testing::Test {
protected:
    void SetUp() override { ProgramFolder::setPath(dir.path()); }
    void TearDown() override { ProgramFolder::setPath(QString()); }
    QTemporaryDir dir;
};

TEST_F(Preview, ZoomIsClampedAndFitsThePage)
{
    TPageStream stream;
    record(stream, 1);
    TPreviewForm form(&stream, 100);
    form.show();
    TFilePreview& p = *form.preview();
    const std::pair<double, double> cases[] = {{5, 10}, {250, 200}, {10, 10}, {200, 200}, {0, 10}, {75.5, 75.5}};
    for (const auto& [set, expected] : cases) {
        p.setZoomFactor(set);
        EXPECT_DOUBLE_EQ(p.ZoomFactor(), expected) << set;
    }
    p.setZoomFactor(195);
    p.ZoomIn();
    EXPECT_DOUBLE_EQ(p.ZoomFactor(), 200);
    p.setZoomFactor(15);
    p.ZoomOut();
    EXPECT_DOUBLE_EQ(p.ZoomFactor(), 10);

    form.resize(800, 700);
    QApplication::processEvents();
    p.setZoomFactor(-1);
    const double whole = p.ZoomFactor();
    EXPECT_DOUBLE_EQ(whole, std::clamp(p.FitPageZoom(), 10.0, 200.0));
    p.setZoomFactor(-2.5);
    EXPECT_DOUBLE_EQ(p.ZoomFactor(), std::clamp(p.FitWidthZoom(), 10.0, 200.0));
    EXPECT_LE(whole, p.ZoomFactor());
    QApplication::processEvents();
    // The page width view: the page and its two borders fill the viewport's
    // width beside the vertical scroll bar, with no horizontal one.
    const double pageWidthPixels = 8.5 * p.screenPpi() * p.ZoomFactor() / 100 * 1.05;
    EXPECT_NEAR(pageWidthPixels, p.scrollBox()->viewport()->width(), 1.0);
    EXPECT_TRUE(p.scrollBox()->verticalScrollBar()->isVisible());
    EXPECT_FALSE(p.scrollBox()->horizontalScrollBar()->isVisible());
}

TEST_F(Preview, PageButtonsShowOnlyForSeveralPages)
{
    for (int pages : {1, 3}) {
        TPageStream stream;
        record(stream, pages);
        TPreviewForm form(&stream, 1);
        form.show();
        for (const char* name : {"sbFirstPage", "sbPrevPage", "sbNextPage", "sbLastPAge"})
            EXPECT_EQ(form.findChild<QToolButton*>(QLatin1String(name))->isVisible(), pages > 1) << name << pages;
        for (const char* name : {"sbZoomIn", "sbZoomOut", "sbZoomPageWidth", "sbZoomPage", "zbZoom100"})
            EXPECT_TRUE(form.findChild<QToolButton*>(QLatin1String(name))->isVisible()) << name;
        EXPECT_TRUE(form.findChild<QWidget*>(QStringLiteral("ReturnButton"))->isVisible());
        EXPECT_TRUE(form.findChild<QWidget*>(QStringLiteral("Helpbutton"))->isVisible());
    }
}

TEST_F(Preview, ButtonsMovePagesAndTheCaptionFollows)
{
    TPageStream stream;
    record(stream, 3);
    TPreviewForm form(&stream, 50);
    form.show();
    auto click = [&](const char* name) { form.findChild<QToolButton*>(QLatin1String(name))->click(); };
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Preview Page 1 of 3 ( 50% )"));
    click("sbPrevPage");
    EXPECT_EQ(form.preview()->currentPage(), 1);
    click("sbNextPage");
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Preview Page 2 of 3 ( 50% )"));
    click("sbLastPAge");
    click("sbNextPage");
    EXPECT_EQ(form.preview()->currentPage(), 3);
    click("sbFirstPage");
    EXPECT_EQ(form.preview()->currentPage(), 1);
    click("zbZoom100");
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Preview Page 1 of 3 ( 100% )"));
    click("sbZoomOut");
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Preview Page 1 of 3 ( 90% )"));
    EXPECT_EQ(previewCaption(4, 3, 2, 66.6), QStringLiteral("Preview Page 2 of 2 ( 67% )"));
}

TEST_F(Preview, MouseZoomsAndArrowsScroll)
{
    TPageStream stream;
    record(stream, 1);
    TPreviewForm form(&stream, 100);
    form.resize(600, 500);
    form.show();
    QWidget* page = form.findChild<QWidget*>(QStringLiteral("PreviewPage"));
    ASSERT_TRUE(page);
    QTest::mouseClick(page, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_DOUBLE_EQ(form.preview()->ZoomFactor(), 110);
    QTest::mouseClick(page, Qt::RightButton, {}, QPoint(20, 20));
    QTest::mouseClick(page, Qt::RightButton, {}, QPoint(20, 20));
    EXPECT_DOUBLE_EQ(form.preview()->ZoomFactor(), 90);

    QScrollBar* bar = form.preview()->scrollBox()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    QTest::keyClick(&form, Qt::Key_Up);
    EXPECT_EQ(bar->value(), 0);
    QTest::keyClick(&form, Qt::Key_Down);
    EXPECT_EQ(bar->value(), bar->singleStep());
    bar->setValue(bar->maximum());
    QTest::keyClick(&form, Qt::Key_Down);
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(Preview, ThePageIsDrawnFromTheStream)
{
    TPageStream stream;
    record(stream, 1);
    TPreviewForm form(&stream, 100);
    form.show();
    QWidget* page = form.findChild<QWidget*>(QStringLiteral("PreviewPage"));
    const QImage shot = page->grab().toImage();
    // "Page 1" in 24 points at one inch: dark pixels in that band, none far below.
    const double ppi = form.preview()->screenPpi();
    const int border = int(8.5 * 0.025 * ppi);
    auto darkIn = [&](QRect r) {
        int dark = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                dark += qGray(shot.pixel(x, y)) < 128;
        return dark;
    };
    const int base = border + int(ppi * 0.83);   // the first line's baseline
    EXPECT_GT(darkIn(QRect(border + int(ppi), base - int(ppi / 5), int(ppi), int(ppi / 5))), 50);
    EXPECT_EQ(darkIn(QRect(border + int(ppi), base + int(ppi), int(ppi), int(ppi / 2))), 0);
    // The hairline at five inches still shows, one pixel high.
    const int line = border + int(5 * ppi);
    EXPECT_EQ(darkIn(QRect(border + int(2 * ppi), line - 3, int(ppi), 7)), int(ppi));
    form.accept();
    EXPECT_FALSE(form.preview()->replaying());
}

// A list report as the print engine makes it: a heading band drawn from a
// recorded picture (as design objects print), boxed and shaded tab cells,
// lines and shapes in colours.
void listReport(TBaseReport& job)
{
    job.SetPaperSize(1, 0, 0);
    job.setMarginLeft(0.5);
    job.setMarginTop(0.5);
    job.OnPrint = [&job] {
        QPicture heading;
        {
            QPainter p(&heading);
            p.setFont(QFont(QStringLiteral("Liberation Sans"), 14, QFont::Bold));
            p.drawText(QPointF(4, 24), QStringLiteral("Members by city"));
            p.drawLine(QPointF(4, 30), QPointF(380, 30));
        }
        job.DrawDesignPicture(heading, 0.5, 0.5, QSizeF(400, 40));
        job.MoveCursor(0.5, 1.2);
        job.ApplyFont(QStringLiteral("Arial"), 10);
        job.AddTab(0.5, kTabLeft, 2.5, 5, kBoxLeft | kBoxBottom, 15);
        job.AddTab(kNoOverride, kTabRight, 1.5, 10, kBoxRight | kBoxBottom, 0);
        for (int row = 1; row <= 12; ++row) {
            job.NextTab();
            job.EmitLine(QStringLiteral("Springfield %1\t%2").arg(row).arg(row * 37));
        }
        job.SetPen(Qt::red, PenStyle::psSolid, PenMode::pmCopy, -3);
        job.PenMoveTo(0.5, 6.0);
        job.PenLineTo(7.5, 6.0);
        job.SetBrush(Qt::blue, BrushStyle::bsClear);
        job.SetPen(Qt::black, PenStyle::psSolid, PenMode::pmCopy, -2);
        job.DrawRectangle(1.0, 6.5, 3.0, 7.5);
        job.DrawEllipse(4.0, 6.5, 6.0, 7.5);
    };
}

TEST_F(Preview, TheWindowShowsWhatPrints)
{
    TPageStream stream;
    TReportFiler recorder;
    listReport(recorder);
    recorder.setStream(&stream);
    ASSERT_TRUE(recorder.RunJob());
    const QString pdf = dir.filePath("report.pdf");
    TReportPrinter printer;
    test::setUpPdfJob(printer, pdf);
    listReport(printer);
    ASSERT_TRUE(printer.RunJob());

    TPreviewForm form(&stream, 2);
    form.show();
    test::expectPreviewShowsPdf(form, pdf, 1);
}

} // namespace
} // namespace qb::test
