// Every kind printed through the design printer onto a PDF page and read back
// with poppler-utils: words by their boxes (pdftotext -bbox) and marks by the
// pixels of the rendered page (pdftoppm), each within 0.01 inch of where it
// belongs.

#include "design_fixture.h"

#include "design/design_printer.h"
#include "design/tkbaselabel.h"
#include "design/tkimage.h"
#include "design/tklabelshapes.h"
#include "design/tkmultilinelabel.h"
#include "design/tkpostnetbarcode.h"
#include "printing/pdf_support.h"

#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>

using namespace qb::design;
using namespace qb::design::test;
using qb::test::renderPdf;

namespace {

constexpr double kTolerance = 0.01;
constexpr int kDpi = 300;   // a Letter page at 600 would pass Qt's image size limit

// Dark runs along a row or a column of a rendered page, in inches.
struct Run {
    double from, to;
};

bool dark(QRgb c) { return qRed(c) < 100 && qGreen(c) < 100 && qBlue(c) < 100; }

std::vector<Run> runsInRow(const QImage& page, double y, double x0, double x1, bool (*test)(QRgb) = dark)
{
    std::vector<Run> out;
    const int row = int(y * kDpi);
    bool in = false;
    int start = 0;
    for (int x = int(x0 * kDpi); x <= int(x1 * kDpi); ++x) {
        const bool d = test(page.pixel(x, row));
        if (d && !in)
            start = x;
        if (!d && in)
            out.push_back({double(start) / kDpi, double(x) / kDpi});
        in = d;
    }
    return out;
}

std::vector<Run> runsInColumn(const QImage& page, double x, double y0, double y1)
{
    std::vector<Run> out;
    const int col = int(x * kDpi);
    bool in = false;
    int start = 0;
    for (int y = int(y0 * kDpi); y <= int(y1 * kDpi); ++y) {
        const bool d = dark(page.pixel(col, y));
        if (d && !in)
            start = y;
        if (!d && in)
            out.push_back({double(start) / kDpi, double(y) / kDpi});
        in = d;
    }
    return out;
}

// The bounding box of the dark pixels inside a region, in inches; null when none.
QRectF inkBox(const QImage& page, const QRectF& region)
{
    int l = INT_MAX, t = INT_MAX, r = -1, b = -1;
    for (int y = int(region.top() * kDpi); y <= int(region.bottom() * kDpi); ++y)
        for (int x = int(region.left() * kDpi); x <= int(region.right() * kDpi); ++x)
            if (dark(page.pixel(x, y))) {
                l = std::min(l, x);
                t = std::min(t, y);
                r = std::max(r, x + 1);
                b = std::max(b, y + 1);
            }
    if (r < 0)
        return {};
    return QRectF(QPointF(double(l) / kDpi, double(t) / kDpi), QPointF(double(r) / kDpi, double(b) / kDpi));
}

bool red(QRgb c) { return qRed(c) > 200 && qGreen(c) < 80 && qBlue(c) < 80; }

class KindsPrint : public DesignFixture {
protected:
    // The panel's objects printed at the offset on one Letter page.
    QString printPanel(double x, double y, int page = 1, bool fetch = true)
    {
        const QString path = file("printed.pdf");
        {
            QPdfWriter writer(path);
            writer.setPageSize(QPageSize(QPageSize::Letter));
            writer.setPageMargins(QMarginsF(0, 0, 0, 0));
            writer.setResolution(1200);
            QPainter painter(&writer);
            PainterPrinter printer(painter, 1200, page);
            panel->setPrinting(true);
            if (fetch)   // as a print run's refresh does, with no table behind the panel
                for (TKGraphicControl* o : panel->designObjects())
                    o->showData();
            panel->printObjects(printer, x, y);
            panel->setPrinting(false);
        }
        return path;
    }
    template <class T>
    T* add(const char* className, QRect r)
    {
        return static_cast<T*>(place(className, r));
    }
};

// A placeable metafile of 100 x 100 units at 100 per inch: a red rectangle
// from (10, 10) to (50, 50), no pen.
QByteArray redSquareWmf()
{
    QByteArray b;
    const auto u16 = [&](int v) { b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); };
    const auto u32 = [&](uint32_t v) { u16(int(v & 0xFFFF)); u16(int(v >> 16)); };
    const auto record = [&](int function, std::initializer_list<int> params) {
        u32(uint32_t(3 + params.size()));
        u16(function);
        for (int p : params)
            u16(p);
    };
    u32(0x9AC6CDD7);
    for (int w : {0, 0, 0, 100, 100, 100})
        u16(w);
    u32(0);
    uint16_t sum = 0;
    for (int i = 0; i < 10; ++i)
        sum ^= uint16_t(uint8_t(b[2 * i]) | uint8_t(b[2 * i + 1]) << 8);
    u16(sum);
    QByteArray records;
    std::swap(records, b);
    record(0x020B, {0, 0});
    record(0x020C, {100, 100});
    record(0x02FC, {0, 0x00FF, 0, 0});
    record(0x012D, {0});
    record(0x02FA, {5, 0, 0, 0, 0});
    record(0x012D, {1});
    record(0x041B, {50, 50, 10, 10});
    record(0x0000, {});
    std::swap(records, b);
    for (int w : {1, 9, 0x0300})
        u16(w);
    u32(uint32_t(9 + records.size() / 2));
    u16(2);
    u32(9);
    u16(0);
    return b + records;
}

} // namespace

TEST_F(KindsPrint, TextStandsWhereItsBoxIsAndPlaceholdersStayOffThePaper)
{
    auto* plain = add<TKPLabel>("TKPLabel", QRect(96, 48, 142, 20));
    plain->setValue("Caption", "Hello");
    auto* right = add<TKPLabel>("TKPLabel", QRect(96, 96, 192, 20));
    right->setValue("Caption", "Right");
    right->setValue("Alignment", 1);
    auto* counter = add<TKCounterLabel>("TKCounterLabel", QRect(0, 144, 142, 20));
    counter->setValue("Startingnumber", 1000);
    counter->setValue("TextBefore", "No.");
    add<TKPageNumberLabel>("TKPageNumberLabel", QRect(0, 192, 60, 20));
    auto* undefined = add<TKPDLabel>("TKPDLabel", QRect(0, 240, 142, 20));
    undefined->setValue("DataFieldDescript", "Nothing");
    auto* block = add<TKMultiLineLabel>("TKMultiLineLabel", QRect(288, 0, 190, 60));
    block->setItems({"First", "Second"});
    add<TKMultiLineLabel>("TKMultiLineLabel", QRect(288, 200, 190, 40));   // empty: "<blank>" only on the screen
    for (TKGraphicControl* o : panel->designObjects())
        if (auto* l = qobject_cast<TKBaseLabel*>(o))
            l->ensureLayout();
    const QFont font = drawingFont(plain->objectFont());
    const QFontMetricsF fm(font);
    // The ink of a text whose cell's top left is at (x, y) screen pixels.
    const auto ink = [&](const QString& text, double x, double y) {
        QPainterPath path;
        path.addText(QPointF(x, y + QFontMetrics(font).ascent()), font, text);
        const QRectF r = path.boundingRect();
        return QRectF(1.0 + r.left() / 96, 1.0 + r.top() / 96, r.width() / 96, r.height() / 96);
    };
    const double rightStart = 96 + 192 - QFontMetrics(font).horizontalAdvance("Right ");
    const int lineHeight = QFontMetrics(font).boundingRect("XXX").height();
    struct Expect {
        const char* what;
        QRectF ink;
    };
    const Expect expected[] = {
        {"Hello", ink("Hello", 96, 48)},
        {"Right", ink("Right", rightStart, 96)},
        {"No.1000", ink("No.1000", 0, 144)},
        {"page 3", ink("3", 0, 192)},
        {"First", ink("First", 288, 0)},
        {"Second", ink("Second", 288, lineHeight)},
    };
    const QString path = printPanel(1.0, 1.0, 3);
    const QImage page = renderPdf(path, 1, kDpi);
    for (const Expect& e : expected) {
        const QRectF found = inkBox(page, e.ink.adjusted(-0.1, -0.05, 0.1, 0.05));
        EXPECT_NEAR(found.left(), e.ink.left(), kTolerance) << e.what;
        EXPECT_NEAR(found.top(), e.ink.top(), kTolerance) << e.what;
        EXPECT_NEAR(found.right(), e.ink.right(), kTolerance) << e.what;
        EXPECT_NEAR(found.bottom(), e.ink.bottom(), kTolerance) << e.what;
    }
    // The text stays text: a reader finds the words where the ink is.
    const qb::test::PdfText words = qb::test::readPdf(path);
    ASSERT_NE(words.find("Hello"), nullptr);
    EXPECT_NEAR(words.find("Hello")->left, 1.0 + 96 / 96.0, kTolerance);
    EXPECT_EQ(words.find("Text"), nullptr);
    // "<undefined field>", the creation text and "<blank>" stay off the paper.
    EXPECT_TRUE(inkBox(page, QRectF(1.0, 1.0 + 240 / 96.0, 142 / 96.0, 20 / 96.0)).isNull());
    EXPECT_TRUE(inkBox(page, QRectF(1.0 + 3, 1.0 + 200 / 96.0, 190 / 96.0, 40 / 96.0)).isNull());
}

TEST_F(KindsPrint, PostnetBarsStandOnTheirPitchAndFallBackToAValidLength)
{
    struct Case {
        const char* zip;
        const char* street;
        int type;
        int bars;
        int fullBars;
    };
    // 12345 + check 5: 32 bars; a 5-digit zip with the delivery-point type is
    // printed as the 5-digit code; zip+4 with 123 MAIN ST gives 62 bars.
    const Case cases[] = {{"12345", "", 0, 32, 2 + 12}, {"12345", "45 MAIN", 2, 32, 2 + 12},
                          {"12345-6789", "123 MAIN ST", 2, 62, 2 + 24}, {"ABCDE", "", 0, 0, 0}};
    for (const Case& c : cases) {
        panel->clearObjects();
        auto* bar = add<TKPostNetBarCode>("TKPostNetBarCode", QRect(0, 0, 270, 16));
        bar->setValue("BarCodeType", c.type);
        bar->setRecordTexts(c.zip, c.street);   // as showData fetches them from a record
        const QString path = printPanel(1.0, 1.0, 1, false);
        const QImage page = renderPdf(path, 1, kDpi);
        const auto all = runsInRow(page, 1.1, 0.9, 4.2);
        const auto full = runsInRow(page, 1.03, 0.9, 4.2);
        ASSERT_EQ(int(all.size()), c.bars) << c.zip;
        EXPECT_EQ(int(full.size()), c.fullBars) << c.zip;
        if (all.empty())
            continue;
        EXPECT_NEAR(all.front().from, 1.0, kTolerance) << c.zip;
        EXPECT_NEAR(all.back().to, 1.0 + (c.bars - 1) * 0.046 + 0.015, kTolerance) << c.zip;
        const auto column = runsInColumn(page, (all.front().from + all.front().to) / 2, 0.9, 1.3);
        ASSERT_EQ(column.size(), 1u);
        EXPECT_NEAR(column[0].from, 1.0, kTolerance);
        EXPECT_NEAR(column[0].to, 1.125, kTolerance);
    }
}

// The postal service's example 01234567094987654321 with routing code
// 01234567891, printed: 65 bars at 22 to the inch, each 0.02 wide and as
// tall as its state, the trackers' middle common to all; the serial counts
// up with each piece printed.
TEST_F(KindsPrint, IntelligentMailBarsStandOnTheirPitchWithTheirFourHeights)
{
    auto* bar = add<TKIntelligentMailBarCode>("TKIntelligentMailBarCode", QRect(0, 0, 282, 15));
    for (const auto& [path, v] : {std::pair{"BarcodeIdentifier", "01"}, {"ServiceType", "234"},
                                  {"MailerIdentifier", "567094"}, {"SerialStart", "987654321"}, {"BarCodeType", "2"}})
        bar->setValue(path, QString::fromLatin1(v));
    bar->setRecordTexts("01234-5678", "91 MAIN ST");
    EXPECT_EQ(bar->problem(), QString());
    const QList<qb::imb::BarState> states = qb::imb::encode(bar->fields());
    ASSERT_EQ(states, qb::imb::encode(QStringLiteral("01234567094987654321"), QStringLiteral("01234567891")));

    const QImage page = renderPdf(printPanel(1.0, 1.0, 1, false), 1, kDpi);
    const double middle = 1.0 + qb::imb::kFullBarHeight / 2;
    const auto bars = runsInRow(page, middle, 0.9, 4.5);
    ASSERT_EQ(bars.size(), 65u);
    const double heights[] = {0.048, 0.0965, 0.0965, 0.145};   // tracker, ascender, descender, full
    for (size_t i = 0; i < bars.size(); ++i) {
        EXPECT_NEAR(bars[i].from, 1.0 + double(i) / 22, kTolerance) << "bar " << i;
        EXPECT_NEAR(bars[i].to - bars[i].from, 0.020, kTolerance) << "bar " << i;
        const auto column = runsInColumn(page, (bars[i].from + bars[i].to) / 2, 0.9, 1.3);
        ASSERT_EQ(column.size(), 1u) << "bar " << i;
        EXPECT_NEAR(column[0].to - column[0].from, heights[int(states[int(i)])], kTolerance) << "bar " << i;
        EXPECT_NEAR((column[0].from + column[0].to) / 2 - middle,
                    states[int(i)] == qb::imb::BarState::Ascender   ? -(0.0965 - 0.048) / 2
                    : states[int(i)] == qb::imb::BarState::Descender ? (0.0965 - 0.048) / 2
                                                                     : 0.0,
                    kTolerance)
            << "bar " << i;
    }

    // Each piece printed takes the next serial number; fields it cannot
    // carry print nothing.
    bar->advanceCounter();
    EXPECT_EQ(bar->fields().serial, QStringLiteral("987654322"));
    bar->resetCounter();
    EXPECT_EQ(bar->fields().serial, QStringLiteral("987654321"));
    bar->setValue("MailerIdentifier", QStringLiteral("5670941"));
    EXPECT_FALSE(bar->problem().isEmpty());
    const QImage none = renderPdf(printPanel(1.0, 1.0, 1, false), 1, kDpi);
    EXPECT_TRUE(runsInRow(none, middle, 0.9, 4.5).empty());
}

TEST_F(KindsPrint, FimBarsStandInTheirSlots)
{
    auto* fim = add<TKFIMBarCode>("TKFIMBarCode", QRect(0, 0, 60, 60));
    fim->setValue("FIMType", 0);
    const QImage page = renderPdf(printPanel(1.0, 1.0), 1, kDpi);
    const auto bars = runsInRow(page, 1.3, 0.9, 1.7);
    const double starts[] = {1.0, 1.0625, 1.25, 1.4375, 1.5};
    ASSERT_EQ(bars.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_NEAR(bars[size_t(i)].from, starts[i], kTolerance);
        EXPECT_NEAR(bars[size_t(i)].to - bars[size_t(i)].from, 1 / 32.0, kTolerance);
    }
    const auto column = runsInColumn(page, 1.01, 0.9, 1.7);
    ASSERT_EQ(column.size(), 1u);
    EXPECT_NEAR(column[0].to - column[0].from, 0.5625, kTolerance);
}

TEST_F(KindsPrint, ShapesAndLinesFillTheirBoxes)
{
    auto* rect = add<TKLabelShapes>("TKLabelShapes", QRect(96, 96, 96, 48));
    rect->setValue("Brush.Color", QVariant::fromValue(0x0000FFu));   // clRed
    auto* ellipse = add<TKLabelShapes>("TKLabelShapes", QRect(288, 96, 96, 96));
    ellipse->setValue("Shape", 4);
    ellipse->setValue("Transparent", true);
    auto* line = add<TKLineShape>("TKLineShape", QRect(96, 288, 192, 10));
    line->setValue("Pen.Width", 4);
    auto* vertical = add<TKLineShape>("TKLineShape", QRect(480, 96, 10, 96));
    vertical->setValue("LineStyle", 1);

    const QImage page = renderPdf(printPanel(0.5, 0.5), 1, kDpi);
    // Rectangle from (1.5, 1.5) to (2.5, 2.0), outlined and filled red.
    const auto across = runsInRow(page, 1.75, 1.3, 2.7);
    ASSERT_GE(across.size(), 2u);
    EXPECT_NEAR(across.front().from, 1.5, kTolerance);
    EXPECT_NEAR(across.back().to, 2.5, kTolerance);
    EXPECT_TRUE(red(page.pixel(int(2.0 * kDpi), int(1.75 * kDpi))));
    // Ellipse from (3.5, 1.5) to (4.5, 2.5): its outline crosses the middle
    // row at both ends, the inside and the corners stay white.
    const auto ellipseRow = runsInRow(page, 2.0, 3.3, 4.7);
    ASSERT_EQ(ellipseRow.size(), 2u);
    EXPECT_NEAR(ellipseRow.front().from, 3.5, kTolerance);
    EXPECT_NEAR(ellipseRow.back().to, 4.5, kTolerance);
    EXPECT_FALSE(dark(page.pixel(int(3.52 * kDpi), int(1.52 * kDpi))));
    // The 4-point line: 0.04 inch thick, centred 2/96 inch below the top.
    const auto thick = runsInColumn(page, 2.5, 3.4, 3.7);
    ASSERT_EQ(thick.size(), 1u);
    EXPECT_NEAR((thick[0].from + thick[0].to) / 2, 0.5 + (288 + 2) / 96.0, kTolerance);
    EXPECT_NEAR(thick[0].to - thick[0].from, 0.04, kTolerance);
    // The vertical line runs down the left edge of its box, 1 inch long.
    const auto down = runsInColumn(page, 0.5 + 480 / 96.0 + 0.002, 1.3, 2.7);
    ASSERT_EQ(down.size(), 1u);
    EXPECT_NEAR(down[0].from, 1.5, kTolerance);
    EXPECT_NEAR(down[0].to, 2.5, kTolerance);
}

// A shape's pen mode prints as the screen shows it over a white label; a
// line's mode never reaches paper.
TEST_F(KindsPrint, ShapesPrintWithTheirPenMode)
{
    const struct {
        int mode;
        bool outlined;
        bool redOutline;
    } cases[] = {{4, true, true},     // pmCopy: the pen's red
                 {0, true, false},    // pmBlack
                 {2, false, false},   // pmNop: no outline
                 {1, false, false},   // pmWhite: white on white
                 {14, true, false}};  // pmXor: red over white shows as its inverse
    for (int i = 0; i < int(std::size(cases)); ++i) {
        auto* rect = add<TKLabelShapes>("TKLabelShapes", QRect(96 + 120 * i, 96, 96, 48));
        rect->setValue("Transparent", true);
        rect->setValue("Pen.Width", 4);
        rect->setValue("Pen.Color", QVariant::fromValue(0x0000FFu));   // clRed
        rect->setValue("Pen.Mode", cases[i].mode);
    }
    auto* line = add<TKLineShape>("TKLineShape", QRect(96, 288, 192, 10));
    line->setValue("Pen.Width", 4);
    line->setValue("Pen.Mode", 2);
    const QImage page = renderPdf(printPanel(0.5, 0.5), 1, kDpi);
    for (int i = 0; i < int(std::size(cases)); ++i) {
        const QRgb edge = page.pixel(int((1.5 + 1.25 * i) * kDpi), int(1.75 * kDpi));
        EXPECT_EQ(qGray(edge) < 224, cases[i].outlined) << cases[i].mode;
        EXPECT_EQ(red(edge), cases[i].redOutline) << cases[i].mode;
    }
    EXPECT_GT(qBlue(page.pixel(int((1.5 + 1.25 * 4) * kDpi), int(1.75 * kDpi))), 200) << "the inverse of red is cyan";
    EXPECT_TRUE(dark(page.pixel(int(2.0 * kDpi), int((0.5 + (288 + 2) / 96.0) * kDpi))));
}

TEST_F(KindsPrint, PicturesFillTheirBoxMirroredAndMetafilesStayVectors)
{
    QImage half(10, 10, QImage::Format_RGB32);
    half.fill(Qt::blue);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 10; ++x)
            half.setPixel(x, y, qRgb(255, 0, 0));   // red top half
    auto* plain = add<TKImage>("TKImage", QRect(0, 0, 96, 96));
    plain->setPicture(qb::image::Picture::fromImage(half));
    auto* flipped = add<TKImage>("TKImage", QRect(192, 0, 96, 96));
    flipped->setPicture(qb::image::Picture::fromImage(half));
    flipped->setValue("Flip", true);
    auto* vector = add<TKImage>("TKImage", QRect(0, 192, 96, 96));
    vector->setPicture(qb::image::Picture::fromFileBytes(redSquareWmf(), "square.wmf"));
    ASSERT_EQ(vector->decoded().kind(), qb::image::Picture::Kind::Metafile);

    const QString path = printPanel(1.0, 1.0);
    const QImage page = renderPdf(path, 1, kDpi);
    const auto top = runsInRow(page, 1.25, 0.9, 4.2, red);
    ASSERT_EQ(top.size(), 1u);   // only the plain picture is red at the top
    EXPECT_NEAR(top[0].from, 1.0, kTolerance);
    EXPECT_NEAR(top[0].to, 2.0, kTolerance);
    const auto bottom = runsInRow(page, 1.75, 0.9, 4.2, red);
    ASSERT_EQ(bottom.size(), 1u);   // the flipped one is red at the bottom
    EXPECT_NEAR(bottom[0].from, 3.0, kTolerance);
    EXPECT_NEAR(bottom[0].to, 4.0, kTolerance);
    // The metafile's square covers 0.1 to 0.5 of its box.
    const auto square = runsInRow(page, 3.3, 0.9, 2.2, red);
    ASSERT_EQ(square.size(), 1u);
    EXPECT_NEAR(square[0].from, 1.0 + 0.1 * 96 / 96.0, kTolerance);
    EXPECT_NEAR(square[0].to, 1.5, kTolerance);
    // Two bitmaps on the page, and no third one for the metafile.
    const QString images = qb::test::run("pdfimages", {"-list", path});
    EXPECT_EQ(images.count(QLatin1Char('\n')), 2 + 2) << images.toStdString();
}
