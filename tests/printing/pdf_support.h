#pragma once
// Reading printed PDF files back with poppler-utils: the words with their
// boxes in inches (pdftotext -bbox) and rendered pages (pdftoppm).

#include "printing/tcanvasreport.h"

#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <vector>

namespace qb::test {

struct PdfWord {
    int page = 0;   // 1-based
    QString text;
    double left = 0, top = 0, right = 0, bottom = 0;   // inches from the page's top-left
};

struct PdfText {
    int pages = 0;
    std::vector<PdfWord> words;

    const PdfWord* find(const QString& text, int page = 0) const
    {
        for (const PdfWord& w : words)
            if (w.text == text && (page == 0 || w.page == page))
                return &w;
        return nullptr;
    }
    QStringList wordsOf(int page) const
    {
        QStringList out;
        for (const PdfWord& w : words)
            if (w.page == page)
                out << w.text;
        return out;
    }
};

inline QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

inline PdfText readPdf(const QString& path)
{
    PdfText out;
    const QString xml = run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    static const QRegularExpression tag(
        QStringLiteral(R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    auto it = tag.globalMatch(xml);
    while (it.hasNext()) {
        const auto m = it.next();
        if (m.captured(0).startsWith(QLatin1String("<page"))) {
            ++out.pages;
            continue;
        }
        PdfWord w;
        w.page = out.pages;
        w.left = m.captured(1).toDouble() / 72;
        w.top = m.captured(2).toDouble() / 72;
        w.right = m.captured(3).toDouble() / 72;
        w.bottom = m.captured(4).toDouble() / 72;
        w.text = m.captured(5).replace(QLatin1String("&amp;"), QLatin1String("&"));
        out.words.push_back(w);
    }
    return out;
}

// Page page of the PDF rendered at dpi pixels per inch, without smoothing.
inline QImage renderPdf(const QString& path, int page, int dpi)
{
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("page"));
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"), QString::number(page),
                                     QStringLiteral("-l"), QString::number(page), QStringLiteral("-singlefile"),
                                     QStringLiteral("-aa"), QStringLiteral("no"), QStringLiteral("-aaVector"),
                                     QStringLiteral("no"), QStringLiteral("-png"), path, prefix});
    return QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

// Page page of the PDF rendered to exactly size pixels, smoothed as a screen
// draws it.
inline QImage renderPdfToSize(const QString& path, int page, QSize size)
{
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("page"));
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"), QString::number(page),
                                     QStringLiteral("-singlefile"), QStringLiteral("-scale-to-x"),
                                     QString::number(size.width()), QStringLiteral("-scale-to-y"),
                                     QString::number(size.height()), QStringLiteral("-png"), path, prefix});
    return QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

// The dark pixels (grey below 128) of two renderings of one page: how many
// each has, and the share of each that has a mark (grey below 224) of the
// other within reach pixels, so that glyphs and hairlines rasterised a little
// differently (lighter, a pixel off) still agree.
struct InkMatch {
    int inkA = 0, inkB = 0;
    double aInB = 0, bInA = 0;
};

inline InkMatch compareInk(const QImage& a, const QImage& b, int reach = 2)
{
    const int w = std::min(a.width(), b.width()), h = std::min(a.height(), b.height());
    const auto grey = [w, h](const QImage& image) {
        std::vector<int> g(size_t(w) * size_t(h));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                g[size_t(y) * size_t(w) + size_t(x)] = qGray(image.pixel(x, y));
        return g;
    };
    const std::vector<int> ga = grey(a), gb = grey(b);
    const auto share = [&](const std::vector<int>& from, const std::vector<int>& in, int& count) {
        int found = 0;
        count = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                if (from[size_t(y) * size_t(w) + size_t(x)] >= 128)
                    continue;
                ++count;
                bool near = false;
                for (int dy = -reach; dy <= reach && !near; ++dy)
                    for (int dx = -reach; dx <= reach && !near; ++dx) {
                        const int nx = x + dx, ny = y + dy;
                        near = nx >= 0 && ny >= 0 && nx < w && ny < h && in[size_t(ny) * size_t(w) + size_t(nx)] < 224;
                    }
                found += near;
            }
        return count ? double(found) / count : 0.0;
    };
    InkMatch m;
    m.aInB = share(ga, gb, m.inkA);
    m.bInA = share(gb, ga, m.inkB);
    return m;
}

// The pixel under a point given in inches.
inline QColor pixelAt(const QImage& image, int dpi, double x, double y)
{
    return image.pixelColor(int(x * dpi), int(y * dpi));
}

// A printer job on the "PDF file" printer writing to path, with half-inch
// margins, units of inches and Letter paper.
inline void setUpPdfJob(TBaseReport& job, const QString& path)
{
    job.SelectPrinterByName(QStringLiteral("PDF file"));
    job.setPdfFileName(path);
    job.SetPaperSize(1, 0, 0);
    job.setMarginLeft(0.5);
    job.setMarginRight(0.5);
    job.setMarginTop(0.5);
    job.setMarginBottom(0.5);
}

} // namespace qb::test
