// Pages of a rich text: where they start, and drawing one page into any
// rectangle at any scale.

#include "platform/richtext/rich_text.h"

#include <QImage>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace qb::richtext {
namespace {

// The smallest rectangle holding every pixel darker than light grey.
QRect inkOf(const QImage& image)
{
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 160)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

// count paragraphs "Line n" in 12-point type; the one named breakBefore
// begins a page.
void fill(RichText& rt, int count, int breakBefore = -1)
{
    QTextCursor c(&rt.document());
    QTextCharFormat f;
    f.setFontFamilies(QStringList{"Liberation Serif"});
    f.setFontPointSize(12);
    for (int i = 0; i < count; ++i) {
        QTextBlockFormat b;
        if (i == breakBefore)
            b.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        if (i == 0) {
            c.setBlockFormat(b);
            c.setBlockCharFormat(f);
        } else {
            c.insertBlock(b, f);
        }
        c.insertText(QStringLiteral("Line %1").arg(i), f);
    }
}

TEST(RichTextPages, PagesStartWhereTheLayoutBreaksThem)
{
    RichText rt;
    fill(rt, 120, 10);
    // Ten lines, a page break, then 110 lines over the following pages.
    const std::vector<int> starts = rt.pageStarts();
    ASSERT_GE(starts.size(), 3u);
    EXPECT_EQ(int(starts.size()), rt.pageCount());
    EXPECT_EQ(starts[0], 0);
    EXPECT_EQ(starts[1], rt.document().findBlockByNumber(10).position());
    // A letter's first pages carry as many lines as nine inches of 12-point type hold.
    const int second = rt.document().findBlock(starts[2]).blockNumber() - 10;
    EXPECT_GE(second, 45);
    EXPECT_LE(second, 55);

    // Walking the pages by their starts visits each once and ends with 0.
    QImage sink(10, 10, QImage::Format_RGB32);
    QPainter p(&sink);
    std::vector<int> walked;
    int start = 0;
    do {
        walked.push_back(start);
        start = rt.drawPage(p, start, QRectF(0, 0, 10, 10));
    } while (start > 0 && walked.size() < 100);
    EXPECT_EQ(walked, starts);
    EXPECT_EQ(rt.pageIndexOf(starts[1] + 3), 1);

    // A new page size lays the text out anew.
    PageLayout wide = rt.page();
    wide.height = 7 * 1440;
    rt.setPage(wide);
    EXPECT_GT(rt.pageCount(), int(starts.size()));
}

TEST(RichTextPages, APageIsDrawnInsideItsRectangleAtAnyScale)
{
    RichText rt;
    fill(rt, 60);
    rt.setPage({12240, 15840, 1440, 1440, 1440, 1440});

    // The first page's content area (6.5 by 9 inches) drawn at 40 and at 80
    // pixels an inch, each into a rectangle with room around it.
    QRect ink[2];
    int next[2] = {};
    for (int i = 0; i < 2; ++i) {
        const double dpi = 40.0 * (i + 1);
        QImage image(int(8.5 * dpi), int(11 * dpi), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        const QRectF area(dpi, dpi, 6.5 * dpi, 9 * dpi);
        next[i] = rt.drawPage(p, 0, area);
        p.end();
        ink[i] = inkOf(image);
        ASSERT_FALSE(ink[i].isEmpty());
        EXPECT_TRUE(area.contains(QRectF(ink[i]))) << "nothing is drawn outside the page's area";
    }
    EXPECT_EQ(next[0], next[1]);
    EXPECT_GT(next[0], 0);
    // Twice the resolution, twice the size: the same lines, only scaled.
    EXPECT_NEAR(ink[1].height(), 2.0 * ink[0].height(), 4);
    EXPECT_NEAR(ink[1].top() - 80, 2.0 * (ink[0].top() - 40), 3);

    // The last page says there is nothing after it.
    const int last = rt.pageStarts().back();
    QImage image(50, 50, QImage::Format_RGB32);
    QPainter p(&image);
    EXPECT_EQ(rt.drawPage(p, last, QRectF(0, 0, 50, 50)), 0);
}

TEST(RichTextPages, AnEmptyTextIsOnePage)
{
    RichText rt;
    EXPECT_TRUE(rt.isEmpty());
    EXPECT_EQ(rt.pageCount(), 1);
    EXPECT_EQ(rt.pageStarts(), std::vector<int>{0});
    QImage image(50, 50, QImage::Format_RGB32);
    QPainter p(&image);
    EXPECT_EQ(rt.drawPage(p, 0, QRectF(0, 0, 50, 50)), 0);
}

TEST(RichTextPages, AssignCopiesTextFormatsAndPage)
{
    RichText a;
    fill(a, 3);
    a.setPage({15840, 12240, 720, 720, 720, 720});
    RichText b;
    b.assign(a);
    EXPECT_EQ(b.document().toPlainText(), a.document().toPlainText());
    EXPECT_EQ(b.page(), a.page());
    EXPECT_EQ(b.rtf(), a.rtf());
    // The copy is laid out for print like the original, and apart from it.
    EXPECT_EQ(b.pageCount(), a.pageCount());
    QTextCursor(&b.document()).insertText("changed ");
    EXPECT_FALSE(a.document().toPlainText().contains("changed"));
}

} // namespace
} // namespace qb::richtext
