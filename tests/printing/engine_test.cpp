// The print engine read back from the PDF files it writes: positions in inches,
// page ranges, tab cells with lines and shading, the recording job replayed.

#include "pdf_support.h"
#include "printing/tfileprinter.h"
#include "printing/treportfiler.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPicture>
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace qb::test {
namespace {

constexpr double kInch = 0.01;   // how close a printed position must be

class PrintEngine : public ::testing::Test {
protected:
    QString pdf(const char* name) const { return dir.filePath(QLatin1String(name)); }
    QTemporaryDir dir;
};

TEST(StatusFormat, ReplacesEveryCode)
{
    StatusValues v;
    v.page = 7;
    v.firstPage = 2;
    v.lastPage = 9;
    v.text = {QStringLiteral("zero"), QStringLiteral("one")};
    v.device = QStringLiteral("Dev");
    v.driver = QStringLiteral("Drv");
    v.port = QStringLiteral("Prt");
    const std::pair<const char*, const char*> cases[] = {
        {"Printing Page %p\r%0\r%1", "Printing Page 7\rzero\rone"},
        {"%P of %f-%L", "7 of 2-9"},
        {"100%%", "100%"},
        {"[%5]", "[]"},
        {"%d %R %t", "Dev Drv Prt"},
        {"%x!", "<ERROR-%x>!"},
        {"trailing %", "trailing %"},
    };
    for (const auto& [format, expected] : cases)
        EXPECT_EQ(formatStatus(QLatin1String(format), v), QLatin1String(expected)) << format;
}

TEST(ShadeColor, MovesEachChannelTowardsWhite)
{
    struct Case {
        QColor colour;
        int percent;
        QColor expected;
    };
    const Case cases[] = {
        {Qt::black, 5, QColor(242, 242, 242)},
        {Qt::black, 0, Qt::white},
        {Qt::black, -20, Qt::white},
        {Qt::black, 100, Qt::black},
        {QColor(10, 100, 200), 150, QColor(10, 100, 200)},
        {QColor(0, 128, 255), 50, QColor(127, 191, 255)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShadeColor(c.colour, c.percent), c.expected) << c.percent;
}

TEST(Units, FactorSelectsTheUnit)
{
    TReportFiler job;
    const std::pair<double, Units> cases[] = {{1, Units::unInch}, {25.4, Units::unMM}, {2.54, Units::unCM},
                                              {72, Units::unPoint}, {10, Units::unUser}};
    for (const auto& [factor, unit] : cases) {
        job.setUnitsFactor(factor);
        EXPECT_EQ(job.units(), unit) << factor;
    }
    job.setUnits(Units::unMM);
    job.SetPaperSize(1, 0, 0);
    EXPECT_NEAR(job.PageWidth(), 215.9, 1e-9);
    EXPECT_NEAR(job.UnitsFactor(), 25.4, 1e-12);
}

TEST_F(PrintEngine, TextLandsWhereItIsPlaced)
{
    TReportPrinter job;
    setUpPdfJob(job, pdf("text.pdf"));
    double descent = 0;
    job.OnPrint = [&] {
        job.ApplyFont(QStringLiteral("Arial"), 12);
        job.MoveCursor(1.0, 2.0);
        job.TextLeftAt(QStringLiteral("Leftword"), 1.0);
        job.TextRightAt(QStringLiteral("Rightword"), 7.5);
        job.TextCenteredAt(QStringLiteral("Middleword"), 4.25);
        descent = job.DescentHeight();
        // Millimetres: 50.8 mm is two inches.
        job.setUnits(Units::unMM);
        job.MoveCursor(0, 101.6);
        job.TextLeftAt(QStringLiteral("Metric"), 50.8);
        job.setUnits(Units::unInch);
        job.ApplyFont(QStringLiteral("Times New Roman"), 20);
        job.MoveCursor(1.0, 5.0);
        job.TextLeftAt(QStringLiteral("Serif"), 3.0);
        job.ApplyFont(QStringLiteral("Arial"), 10);
        job.MoveCursor(1.0, 6.0);
        job.TextJustified(QStringLiteral("Spread over three inches"), 1.0, 3.0);
        job.MoveCursor(1.0, 7.0);
        job.SetXOffset(0.5);
        job.TextLeftAt(QStringLiteral("Shifted"), 1.0);
    };
    ASSERT_TRUE(job.RunJob()) << job.LastError().toStdString();
    const PdfText text = readPdf(pdf("text.pdf"));
    ASSERT_EQ(text.pages, 1);
    const PdfWord* left = text.find(QStringLiteral("Leftword"));
    const PdfWord* right = text.find(QStringLiteral("Rightword"));
    const PdfWord* middle = text.find(QStringLiteral("Middleword"));
    const PdfWord* metric = text.find(QStringLiteral("Metric"));
    const PdfWord* serif = text.find(QStringLiteral("Serif"));
    ASSERT_TRUE(left && right && middle && metric && serif);
    EXPECT_NEAR(left->left, 1.0, kInch);
    EXPECT_NEAR(right->right, 7.5, kInch);
    EXPECT_NEAR((middle->left + middle->right) / 2, 4.25, kInch);
    EXPECT_NEAR(left->bottom, 2.0 + descent, kInch);
    EXPECT_NEAR(metric->left, 2.0, kInch);
    EXPECT_NEAR(metric->bottom, 4.0 + descent, kInch);
    EXPECT_NEAR(serif->left, 3.0, kInch);
    const PdfWord* spread = text.find(QStringLiteral("Spread"));
    const PdfWord* inches = text.find(QStringLiteral("inches"));
    const PdfWord* shifted = text.find(QStringLiteral("Shifted"));
    ASSERT_TRUE(spread && inches && shifted);
    EXPECT_NEAR(spread->left, 1.0, kInch);
    EXPECT_NEAR(inches->right, 4.0, kInch);
    EXPECT_NEAR(shifted->left, 1.5, kInch);
    // 20 points of Liberation Serif standing in for Times New Roman.
    EXPECT_NEAR(serif->bottom - serif->top, 20.0 / 72 * 1.15, 0.03);
}

TEST_F(PrintEngine, PrintsOnlyThePagesInTheRangeButRunsThemAll)
{
    struct Case {
        int first, last;
        QStringList expected;
    };
    const Case cases[] = {
        {3, 4, {QStringLiteral("P3"), QStringLiteral("P4")}},
        {1, kAllPages, {"P1", "P2", "P3", "P4", "P5", "P6"}},
        {5, 99, {QStringLiteral("P5"), QStringLiteral("P6")}},
    };
    for (const Case& c : cases) {
        const QString path = pdf("range.pdf");
        TReportPrinter job;
        setUpPdfJob(job, path);
        job.setFirstPage(c.first);
        job.setLastPage(c.last);
        int newPages = 0;
        job.OnNewPage = [&] { ++newPages; };
        job.OnPrint = [&] {
            for (int page = 1; page <= 6; ++page) {
                if (page > 1)
                    job.BreakPage();
                job.TextLeftAt(QStringLiteral("P%1").arg(job.CurrentPage()), 1.0);
            }
        };
        ASSERT_TRUE(job.RunJob()) << job.LastError().toStdString();
        EXPECT_EQ(newPages, 6);
        EXPECT_EQ(job.printedPages(), c.expected.size());
        const PdfText text = readPdf(path);
        ASSERT_EQ(text.pages, c.expected.size()) << c.first;
        for (int page = 1; page <= text.pages; ++page)
            EXPECT_EQ(text.wordsOf(page), QStringList{c.expected[page - 1]}) << c.first;
    }
}

TEST_F(PrintEngine, RecordingKeepsThePageRangeAndItsNumbers)
{
    TPageStream stream;
    TReportFiler job;
    job.setStream(&stream);
    job.setFirstPage(3);
    job.setLastPage(4);
    job.OnPrint = [&] {
        for (int page = 1; page <= 6; ++page) {
            if (page > 1)
                job.BreakPage();
            job.TextLeftAt(QStringLiteral("P%1").arg(page), 1.0);
        }
    };
    ASSERT_TRUE(job.RunJob());
    EXPECT_EQ(stream.pageCount(), 2);
    EXPECT_EQ(stream.firstPage(), 3);
    EXPECT_EQ(stream.lastPage(), 4);
    EXPECT_EQ(stream.page(0).commands.size(), 1u);
}

TEST(Jobs, OnPrintPageRunsUntilItReturnsFalseAndTabsCanBeSaved)
{
    TPageStream stream;
    TReportFiler job;
    job.setStream(&stream);
    int calls = 0;
    std::vector<int> tabCounts;
    job.OnPrintPage = [&] {
        ++calls;
        job.TextLeftAt(QStringLiteral("x"), 1);
        job.AddTab(1.0, kTabLeft, 1.0, 0, 0, 0);
        job.SaveTabs();
        job.ClearTabs();
        tabCounts.push_back(job.tabCount());
        job.RestoreTabs();
        tabCounts.push_back(job.tabCount());
        return calls < 3;
    };
    ASSERT_TRUE(job.RunJob());
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(stream.pageCount(), 3);
    EXPECT_EQ(tabCounts, (std::vector<int>{0, 1, 0, 2, 0, 3}));
}

TEST(RemainingLines, CountsTheCurrentLineUntilItsBottomPassesTheArea)
{
    TReportFiler job;
    job.SetPaperSize(1, 0, 0);
    job.setMarginTop(0.5);
    job.setMarginBottom(0.5);
    job.setLineHeightMethod(LineHeightMethod::lhmLinesPerInch);
    job.setLinesPerInch(6);
    std::vector<int> seen;
    double lastBottom = 0;
    job.OnPrint = [&] {
        job.CursorHome();
        while (true) {
            const int remaining = job.RemainingLines();
            seen.push_back(remaining);
            if (remaining == 1)
                lastBottom = job.CursorY() + job.DescentHeight();
            if (remaining == 0)
                break;
            job.NextLine();
        }
    };
    ASSERT_TRUE(job.RunJob());
    // Ten inches of area at six lines an inch: 60 lines, the last one ending
    // exactly on AreaBottom.
    ASSERT_EQ(seen.size(), 61u);
    for (size_t i = 0; i < seen.size(); ++i)
        EXPECT_EQ(seen[i], 60 - int(i));
    EXPECT_NEAR(lastBottom, job.AreaBottom(), 1e-9);
}

TEST(Area, CursorHomeAndMovingEdges)
{
    TReportFiler job;
    job.SetPaperSize(1, 0, 0);
    job.setMarginLeft(1.0);
    job.setMarginTop(2.0);
    job.setMarginRight(0.75);
    job.setMarginBottom(1.25);
    job.OnPrint = [&] {
        EXPECT_DOUBLE_EQ(job.AreaRight(), 7.75);
        EXPECT_DOUBLE_EQ(job.AreaBottom(), 9.75);
        job.ApplyFont(QStringLiteral("Arial"), 12);
        job.CursorHome();
        EXPECT_DOUBLE_EQ(job.CursorX(), 1.0);
        EXPECT_NEAR(job.CursorY(), 2.0 + 12.0 / 60 - job.DescentHeight(), 1e-12);
        job.MoveCursor(0.2, 10.5);
        job.setAreaLeft(0.5);
        job.setAreaBottom(9.0);
        EXPECT_DOUBLE_EQ(job.CursorX(), 0.5);
        EXPECT_DOUBLE_EQ(job.CursorY(), 9.0);
        job.ResetArea();
        EXPECT_DOUBLE_EQ(job.AreaLeft(), 1.0);
    };
    ASSERT_TRUE(job.RunJob());
}

TEST_F(PrintEngine, TabCellsDrawShadingLinesAndAlignedText)
{
    const QString path = pdf("tabs.pdf");
    TReportPrinter job;
    setUpPdfJob(job, path);
    double top = 0, bottom = 0, tabLeft2 = 0;
    job.OnPrint = [&] {
        job.setLineHeightMethod(LineHeightMethod::lhmLinesPerInch);
        job.setLinesPerInch(2);
        job.ApplyFont(QStringLiteral("Arial"), 12);
        job.SetPen(Qt::black, PenStyle::psSolid, PenMode::pmCopy, -2);
        const int all = kBoxLeft | kBoxRight | kBoxTop | kBoxBottom;
        job.AddTab(1.0, kTabLeft, 2.0, 5, all, 5);
        job.AddTab(kNoOverride, kTabRight, 2.0, 5, all, 0);
        job.AddTab(kNoOverride, kTabCenter, 2.0, 5, 0, 0);
        tabLeft2 = job.TabLeft(2);
        job.MoveCursor(0.5, 3.0);
        bottom = 3.0 + job.DescentHeight();
        top = bottom - 0.5;
        job.NextTab();
        job.EmitText(QStringLiteral("Aword\tBword\tCword"));
        // A second row whose cells all take the override: no lines, 100% shade.
        job.NextLine();
        job.NextTab(0, 0, 0, 0, 100);
        job.NextTab(0, 0, 0, 0, 100);
    };
    ASSERT_TRUE(job.RunJob()) << job.LastError().toStdString();
    EXPECT_DOUBLE_EQ(tabLeft2, 3.05);

    const PdfText text = readPdf(path);
    const PdfWord* a = text.find(QStringLiteral("Aword"));
    const PdfWord* b = text.find(QStringLiteral("Bword"));
    const PdfWord* c = text.find(QStringLiteral("Cword"));
    ASSERT_TRUE(a && b && c);
    EXPECT_NEAR(a->left, 1.05, kInch);
    EXPECT_NEAR(b->right, 4.95, kInch);
    EXPECT_NEAR((c->left + c->right) / 2, 6.0, kInch);

    const int dpi = 200;
    const QImage page = renderPdf(path, 1, dpi);
    ASSERT_FALSE(page.isNull());
    const double mid = (top + bottom) / 2;
    EXPECT_EQ(pixelAt(page, dpi, 2.5, top + 0.1), QColor(242, 242, 242));   // shaded, clear of the text
    EXPECT_EQ(pixelAt(page, dpi, 4.0, top + 0.1), QColor(Qt::white));        // no shade
    EXPECT_EQ(pixelAt(page, dpi, 1.0, mid), QColor(Qt::black));              // left line
    EXPECT_EQ(pixelAt(page, dpi, 3.0, mid), QColor(Qt::black));              // shared edge
    EXPECT_EQ(pixelAt(page, dpi, 2.5, bottom), QColor(Qt::black));           // bottom line
    EXPECT_EQ(pixelAt(page, dpi, 7.0, mid), QColor(Qt::white));              // no box on the third
    EXPECT_EQ(pixelAt(page, dpi, 0.9, mid), QColor(Qt::white));
    // Second row: full shade and the lines suppressed.
    EXPECT_EQ(pixelAt(page, dpi, 2.0, mid + 0.5), QColor(Qt::black));
    EXPECT_EQ(pixelAt(page, dpi, 6.0, mid + 0.5), QColor(Qt::white));
}

TEST_F(PrintEngine, ShapesAndDesignPicturesArePlacedInInches)
{
    const QString path = pdf("shapes.pdf");
    QPicture picture;
    {
        QPainter p(&picture);
        p.fillRect(QRect(0, 0, 96, 48), Qt::black);
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPixelSize(32);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(QPointF(0, 120), QStringLiteral("Pictext"));
    }
    QFont designFont(QStringLiteral("Liberation Sans"));
    designFont.setPixelSize(32);
    const double designWidth = QFontMetricsF(designFont).horizontalAdvance(QStringLiteral("Pictext")) / 96;

    TReportPrinter job;
    setUpPdfJob(job, path);
    job.OnPrint = [&] {
        job.SetPen(Qt::black, PenStyle::psClear, PenMode::pmCopy, 1);
        job.SetBrush(Qt::black, BrushStyle::bsSolid);
        job.DrawRectangle(1.0, 1.0, 2.0, 1.5);
        job.DrawEllipse(3.0, 1.0, 4.0, 2.0);
        job.DrawDesignPicture(picture, 5.0, 1.0, QSizeF(300, 150));
        job.DrawPicture(job.DeviceRect(1.0, 6.0, 3.0, 7.0), picture);   // stretched: 96x128 -> 2x1 inches
        job.SetPen(Qt::black, PenStyle::psSolid, PenMode::pmCopy, -5);
        job.PenMoveTo(1.0, 4.0);
        job.PenLineTo(7.0, 4.0);
        QImage red(4, 4, QImage::Format_RGB32);
        red.fill(Qt::red);
        job.DrawBitmap(red, 5.0, 6.0, 6.0, 6.5);
        // Big type cut off at the rectangle, which the brush fills.
        job.SetBrush(QColor(0, 0, 255), BrushStyle::bsSolid);
        job.ApplyFont(QStringLiteral("Arial"), 72);
        job.ClippedText(1.0, 8.0, 1.3, 9.0, 1.0, 8.8, QStringLiteral("WWWW"));
    };
    ASSERT_TRUE(job.RunJob()) << job.LastError().toStdString();
    const int dpi = 100;
    const QImage page = renderPdf(path, 1, dpi);
    const QColor black(Qt::black), white(Qt::white);
    EXPECT_EQ(pixelAt(page, dpi, 1.5, 1.25), black);
    EXPECT_EQ(pixelAt(page, dpi, 2.05, 1.25), white);
    EXPECT_EQ(pixelAt(page, dpi, 3.5, 1.5), black);    // ellipse centre
    EXPECT_EQ(pixelAt(page, dpi, 3.05, 1.05), white);  // outside the ellipse, inside its box
    EXPECT_EQ(pixelAt(page, dpi, 5.5, 1.25), black);   // 96 x 48 design pixels = 1 x 0.5 inch
    EXPECT_EQ(pixelAt(page, dpi, 6.05, 1.25), white);
    EXPECT_EQ(pixelAt(page, dpi, 5.5, 1.55), white);
    EXPECT_EQ(pixelAt(page, dpi, 4.0, 4.0), black);    // line 0.05 inch wide
    EXPECT_EQ(pixelAt(page, dpi, 4.0, 4.06), white);
    EXPECT_EQ(pixelAt(page, dpi, 2.9, 6.2), black);    // the stretched rectangle
    const QColor bitmap = pixelAt(page, dpi, 5.9, 6.4);   // images go through the PDF's own rounding
    EXPECT_TRUE(bitmap.red() > 245 && bitmap.green() < 10 && bitmap.blue() < 10) << bitmap.name().toStdString();
    EXPECT_EQ(pixelAt(page, dpi, 6.05, 6.4), white);
    EXPECT_EQ(pixelAt(page, dpi, 1.15, 8.05), QColor(0, 0, 255));
    EXPECT_EQ(pixelAt(page, dpi, 1.5, 8.5), white);     // a W, had it not been clipped
    const PdfText text = readPdf(path);
    const PdfWord* word = text.find(QStringLiteral("Pictext"));
    ASSERT_TRUE(word);
    EXPECT_NEAR(word->left, 5.0, kInch);
    EXPECT_NEAR(word->right - word->left, designWidth, kInch);
}

// A cell's text is cut at the cell's edge however little of its ink crosses
// it, italic overhang and accents included; text well inside is drawn whole.
TEST_F(PrintEngine, ClippedTextIsCutAtTheEdgeHoweverLittleCrossesIt)
{
    struct Row {
        QString text;
        bool italic;
    };
    const Row rows[] = {{QStringLiteral("Sample"), false}, {QStringLiteral("Wolf"), false},
                        {QString::fromUtf8("\xc3\x85ngstr\xc3\xb6m"), false}, {QStringLiteral("fifty"), true}};
    constexpr int dpi = 200;
    const auto rowTop = [](int i) { return 1.0 + 1.5 * i; };
    // Each row's text at 36 points with its clip ending at right[i].
    const auto print = [&](const QString& path, const std::vector<double>& right) {
        TReportPrinter job;
        setUpPdfJob(job, path);
        job.OnPrint = [&] {
            job.SetBrush(Qt::white, BrushStyle::bsClear);
            for (size_t i = 0; i < std::size(rows); ++i) {
                job.ApplyFont(QStringLiteral("Arial"), 36);
                job.SetItalic(rows[i].italic);
                const double top = rowTop(int(i));
                job.ClippedText(1.0, top, right[i], top + 1.0, 1.0, top + 0.7, rows[i].text);
            }
        };
        ASSERT_TRUE(job.RunJob()) << job.LastError().toStdString();
    };
    // The rightmost dark pixel of row i, in inches; 0 when the row is blank.
    const auto inkRight = [&](const QImage& page, int i) {
        double right = 0;
        for (int y = int(rowTop(i) * dpi); y < int((rowTop(i) + 1.0) * dpi); ++y)
            for (int x = 0; x < page.width(); ++x)
                if (qGray(page.pixel(x, y)) < 128)
                    right = std::max(right, (x + 1) / double(dpi));
        return right;
    };

    const QString whole = pdf("whole.pdf"), cut = pdf("cut.pdf");
    print(whole, std::vector<double>(std::size(rows), 7.5));
    const QImage wholePage = renderPdf(whole, 1, dpi);
    std::vector<double> edges;
    for (size_t i = 0; i < std::size(rows); ++i) {
        const double right = inkRight(wholePage, int(i));
        ASSERT_GT(right, 1.5) << rows[i].text.toStdString();
        edges.push_back(right - 0.03);
    }
    print(cut, edges);
    const QImage cutPage = renderPdf(cut, 1, dpi);
    for (size_t i = 0; i < std::size(rows); ++i) {
        const double right = inkRight(cutPage, int(i));
        EXPECT_GT(right, edges[i] - 0.05) << rows[i].text.toStdString();
        EXPECT_LE(right, edges[i] + 2.0 / dpi) << rows[i].text.toStdString();
    }
}

TEST_F(PrintEngine, ARecordedDocumentPrintsUnchanged)
{
    auto body = [](TBaseReport& job) {
        return [&job] {
            job.ApplyFont(QStringLiteral("Arial"), 11);
            job.AddTab(1.0, kTabLeft, 2.5, 5, kBoxLeft | kBoxBottom, 10);
            job.AddTab(kNoOverride, kTabRight, 2.0, 10, kBoxRight, 0);
            for (int page = 1; page <= 2; ++page) {
                if (page > 1)
                    job.BreakPage();
                for (int row = 0; row < 5; ++row) {
                    job.NextTab();
                    job.EmitLine(QStringLiteral("Name%1x%2\tAmount%1x%2").arg(page).arg(row));
                }
            }
        };
    };
    TReportPrinter direct;
    setUpPdfJob(direct, pdf("direct.pdf"));
    direct.OnPrint = body(direct);
    ASSERT_TRUE(direct.RunJob());

    TPageStream stream;
    TReportFiler filer;
    setUpPdfJob(filer, QString());
    filer.setStream(&stream);
    filer.OnPrint = body(filer);
    ASSERT_TRUE(filer.RunJob());
    ASSERT_EQ(stream.pageCount(), 2);

    TFilePrinter replay;
    setUpPdfJob(replay, pdf("replayed.pdf"));
    replay.setStream(&stream);
    ASSERT_TRUE(replay.RunJob()) << replay.LastError().toStdString();

    const PdfText a = readPdf(pdf("direct.pdf"));
    const PdfText b = readPdf(pdf("replayed.pdf"));
    ASSERT_EQ(a.pages, 2);
    ASSERT_EQ(b.pages, 2);
    ASSERT_EQ(a.words.size(), b.words.size());
    for (size_t i = 0; i < a.words.size(); ++i) {
        EXPECT_EQ(a.words[i].text, b.words[i].text);
        EXPECT_NEAR(a.words[i].left, b.words[i].left, 0.002) << a.words[i].text.toStdString();
        EXPECT_NEAR(a.words[i].bottom, b.words[i].bottom, 0.002) << a.words[i].text.toStdString();
    }
    EXPECT_EQ(renderPdf(pdf("direct.pdf"), 1, 72), renderPdf(pdf("replayed.pdf"), 1, 72));
}

TEST_F(PrintEngine, NoDocumentIsReportedAfterAnAbortOrAFailure)
{
    struct Case {
        const char* name;
        std::function<void(TBaseReport&)> body;
        QString path;
        bool errorText;
    };
    const QString existing = pdf("kept.pdf");
    const Case cases[] = {
        {"abort", [](TBaseReport& job) { job.TextLeftAt(QStringLiteral("x"), 1); job.AbortJob(); }, existing, false},
        {"throw", [](TBaseReport& job) { job.TextLeftAt(QStringLiteral("x"), 1); throw std::runtime_error("boom"); },
         existing, true},
        {"setup while running", [](TBaseReport& job) { job.SetPaperSize(9, 0, 0); }, existing, true},
        {"unwritable", [](TBaseReport& job) { job.TextLeftAt(QStringLiteral("x"), 1); },
         dir.filePath(QStringLiteral("missing/dir/out.pdf")), true},
    };
    for (const Case& c : cases) {
        {
            QFile f(existing);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("old");
        }
        TReportPrinter job;
        setUpPdfJob(job, c.path);
        job.OnPrint = [&] { c.body(job); };
        EXPECT_FALSE(job.RunJob()) << c.name;
        EXPECT_FALSE(job.Completed()) << c.name;
        EXPECT_EQ(!job.LastError().isEmpty(), c.errorText) << c.name << job.LastError().toStdString();
        QFile f(existing);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), QByteArray("old")) << c.name;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("kept.pdf")})
            << c.name;
    }
}

TEST_F(PrintEngine, APdfFileIsAskedForWhenNoneIsSet)
{
    const QString path = pdf("asked.pdf");
    for (const QString& answer : {QString(), path}) {
        TCanvasReport::setPdfFileChooser([answer] { return answer; });
        TReportPrinter job;
        setUpPdfJob(job, QString());
        job.OnPrint = [&] { job.TextLeftAt(QStringLiteral("x"), 1); };
        EXPECT_EQ(job.RunJob(), !answer.isEmpty());
        EXPECT_EQ(job.Aborted(), answer.isEmpty());
    }
    TCanvasReport::setPdfFileChooser({});
    EXPECT_TRUE(QFile::exists(path));
}

TEST(JobState, OutputNeedsARunningJobAndSetupAnIdleOne)
{
    TReportFiler job;
    EXPECT_THROW(job.TextLeftAt(QStringLiteral("x"), 1), PrintError);
    EXPECT_THROW(job.BreakPage(), PrintError);
    EXPECT_THROW(job.DrawRectangle(0, 0, 1, 1), PrintError);
    job.OnPrint = [&] { job.SelectPrinter(-1); };
    EXPECT_FALSE(job.RunJob());
    EXPECT_FALSE(job.Running());
}

TEST(Printers, ThePdfPrinterIsAlwaysListedAndUnknownNamesFallBack)
{
    TReportFiler job;
    const QStringList names = job.PrinterNames();
    EXPECT_TRUE(names.contains(QStringLiteral("PDF file on FILE:")));
    for (const QString& name : names)
        EXPECT_FALSE(name.contains(QLatin1String("RENDERING SUBSYSTEM"), Qt::CaseInsensitive));
    job.SelectPrinterByName(QStringLiteral("PDF file on FILE:"));
    const int pdf = job.SelectedPrinter();
    EXPECT_EQ(names.at(pdf), QStringLiteral("PDF file on FILE:"));
    job.SelectPrinterByName(QStringLiteral("No Such Printer on LPT9:"));
    job.SelectPrinter(-1);
    const int fallback = job.SelectedPrinter();
    job.SelectPrinterByName(QStringLiteral("No Such Printer on LPT9:"));
    EXPECT_EQ(job.SelectedPrinter(), fallback);

    job.SelectPrinterByName(QStringLiteral("PDF file"));
    EXPECT_TRUE(job.PaperNames().contains(QStringLiteral("A4")));
    EXPECT_FALSE(job.BinNames().isEmpty());
    job.SelectPaperByName(QStringLiteral("A4"));
    EXPECT_EQ(job.PaperName(), QStringLiteral("A4"));
    EXPECT_NEAR(job.PageWidth(), 8.27, 0.005);
    job.SelectPaperByName(QStringLiteral("No such paper"));
    EXPECT_EQ(job.PaperName(), QStringLiteral("Letter"));
    job.SelectBinByName(QStringLiteral("No such tray"));
    EXPECT_EQ(job.BinName(), job.BinNames().front());
}

TEST(Printers, PaperCodesCustomSizesAndOrientation)
{
    struct Case {
        int code;
        double height, width;
        Orientation orientation;
        double pageWidth, pageHeight;
    };
    const Case cases[] = {
        {1, 0, 0, Orientation::poPortrait, 8.5, 11},
        {9, 0, 0, Orientation::poPortrait, 8.27, 11.69},
        {11, 0, 0, Orientation::poPortrait, 5.83, 8.27},
        {1, 0, 0, Orientation::poLandScape, 11, 8.5},
        {20, 0, 0, Orientation::poLandScape, 9.5, 4.13},
        {256, 6, 4, Orientation::poPortrait, 4, 6},
        {256, 0, 0, Orientation::poDefault, 8.5, 11},   // nothing asked: the previous paper stays
    };
    for (const Case& c : cases) {
        TReportFiler job;
        job.SelectPrinterByName(QStringLiteral("PDF file"));
        job.SetPaperSize(c.code, c.height, c.width);
        job.setOrientation(c.orientation);
        EXPECT_NEAR(job.PageWidth(), c.pageWidth, 0.01) << c.code;
        EXPECT_NEAR(job.PageHeight(), c.pageHeight, 0.01) << c.code;
        EXPECT_DOUBLE_EQ(job.OffsetLeft(), 0);
    }
}

TEST(Fonts, ApplyFontResetsStylesAndLineHeightFollowsTheFont)
{
    TReportFiler job;
    job.OnPrint = [&] {
        job.ApplyFont(QStringLiteral("Arial"), 12);
        job.SetBold(true);
        job.SetItalic(true);
        EXPECT_NEAR(job.LineHeight(), 0.2, 1e-12);
        EXPECT_NEAR(job.FontHeight(), 12.0 / 72, 1e-12);
        job.ApplyFont(QStringLiteral("Times New Roman"), 0);
        EXPECT_EQ(job.FontName(), QStringLiteral("Times New Roman"));
        EXPECT_EQ(job.FontSize(), 12);
        EXPECT_FALSE(job.FontBold());
        EXPECT_FALSE(job.FontItalic());
        job.setLineHeightMethod(LineHeightMethod::lhmLinesPerInch);
        job.setLinesPerInch(0);
        EXPECT_NEAR(job.LineHeight(), 1.0 / 6, 1e-12);
        // Liberation Sans is metric-compatible: "Arial" at 72 points is an
        // inch of type.
        job.ApplyFont(QStringLiteral("Arial"), 72);
        EXPECT_NEAR(job.TextWidth(QStringLiteral("W")), 0.944, 0.005);
    };
    ASSERT_TRUE(job.RunJob());
    EXPECT_EQ(drawnFontFamily(QStringLiteral("arial")), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(drawnFontFamily(QStringLiteral("Times New Roman")), QStringLiteral("Liberation Serif"));
    EXPECT_EQ(drawnFontFamily(QStringLiteral("Courier")), QStringLiteral("Courier"));
}

TEST_F(PrintEngine, QbtoolPrintsATestPage)
{
    const QString path = pdf("testpage.pdf");
    QProcess p;
    p.start(QStringLiteral(QB_QBTOOL), {QStringLiteral("testpage"), path, QStringLiteral("2")});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const PdfText text = readPdf(path);
    EXPECT_EQ(text.pages, 2);
    const PdfWord* left = text.find(QStringLiteral("Left"), 2);
    ASSERT_TRUE(left);
    EXPECT_NEAR(left->left, 1.0, kInch);
}

} // namespace
} // namespace qb::test

namespace qb::test {
namespace {

// The print dialog answered with OK as it opens: the range it was given comes back.
TEST(PrintDialog, TakesOverThePageRangeAndAllPagesHasNoLimit)
{
    struct Case {
        int first, last;
    };
    for (const Case& c : {Case{3, 4}, Case{1, kAllPages}}) {
        TReportPrinter job;
        job.SelectPrinterByName(QStringLiteral("PDF file"));
        job.setPdfFileName(QStringLiteral("/tmp/unused.pdf"));
        job.setFirstPage(c.first);
        job.setLastPage(c.last);
        QTimer::singleShot(0, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->accept();
        });
        ASSERT_TRUE(job.ShowPrintDialog());
        EXPECT_EQ(job.FirstPage(), c.first);
        EXPECT_EQ(job.LastPage(), c.last);
        EXPECT_EQ(job.printerSettings().printer.device, QStringLiteral("PDF file"));
    }
}

} // namespace
} // namespace qb::test
