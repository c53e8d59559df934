#include "design/text_layout.h"

#include <QFontDatabase>
#include <QHash>
#include <algorithm>
#include <cmath>
#include <vector>

namespace qb::design {

namespace {

bool isFamily(const QFont& f, const char* name) { return f.family().compare(QLatin1String(name), Qt::CaseInsensitive) == 0; }

// Where a WingDings code shows a symbol Unicode also has.
const QHash<int, char32_t>& wingDingsMap()
{
    static const QHash<int, char32_t> map = [] {
        QHash<int, char32_t> m{
            {0x21, 0x270F}, {0x22, 0x2702}, {0x23, 0x2701}, {0x28, 0x260E}, {0x29, 0x2706}, {0x2A, 0x2709},
            {0x36, 0x231B}, {0x37, 0x2328}, {0x3E, 0x2707}, {0x3F, 0x270D}, {0x41, 0x270C}, {0x45, 0x261C},
            {0x46, 0x261E}, {0x47, 0x261D}, {0x48, 0x261F}, {0x4A, 0x263A}, {0x4C, 0x2639}, {0x4E, 0x2620},
            {0x4F, 0x2690}, {0x51, 0x2708}, {0x52, 0x263C}, {0x54, 0x2744}, {0x56, 0x271E}, {0x58, 0x2720},
            {0x59, 0x2721}, {0x5A, 0x262A}, {0x5B, 0x262F}, {0x5C, 0x0950}, {0x5D, 0x2638}, {0x6C, 0x25CF},
            {0x6D, 0x274D}, {0x6E, 0x25A0}, {0x6F, 0x25A1}, {0x71, 0x2751}, {0x72, 0x2752}, {0x73, 0x2B27},
            {0x74, 0x29EB}, {0x75, 0x25C6}, {0x76, 0x2756}, {0x77, 0x2B25}, {0x78, 0x2327}, {0x7A, 0x2318},
            {0x7B, 0x2740}, {0x7C, 0x273F}, {0x7D, 0x275D}, {0x7E, 0x275E}, {0x80, 0x24EA}, {0x8B, 0x24FF},
            {0xA1, 0x25CB}, {0xA4, 0x25C9}, {0xA7, 0x25AA}, {0xA8, 0x25FB}, {0xAB, 0x2605}, {0xD8, 0x27A2},
            {0xE8, 0x2794}, {0xEF, 0x21E6}, {0xF0, 0x21E8}, {0xF1, 0x21E7}, {0xF2, 0x21E9}, {0xFB, 0x2717},
            {0xFC, 0x2714}, {0xFD, 0x2612}, {0xFE, 0x2611},
        };
        for (int i = 0; i < 12; ++i)
            m.insert(0x5E + i, char32_t(0x2648 + i));   // the zodiac signs
        for (int i = 0; i < 10; ++i) {
            m.insert(0x81 + i, char32_t(0x2460 + i));   // circled digits
            m.insert(0x8C + i, char32_t(0x2776 + i));   // negative circled digits
        }
        return m;
    }();
    return map;
}

} // namespace

bool needsSymbolMap(const QFont& designFont)
{
    static const bool installed = QFontDatabase::hasFamily(QStringLiteral("Wingdings"));
    return isFamily(designFont, "WingDings") && !installed;
}

QFont drawingFont(const QFont& designFont)
{
    QFont f = designFont;
    if (isFamily(f, "Arial"))
        f.setFamily(QStringLiteral("Liberation Sans"));
    else if (isFamily(f, "Times New Roman"))
        f.setFamily(QStringLiteral("Liberation Serif"));
    else if (needsSymbolMap(f))
        f.setFamily(QStringLiteral("DejaVu Sans"));
    return f;
}

QString symbolText(const QString& text)
{
    QString out;
    for (QChar c : text) {
        const auto it = wingDingsMap().find(c.unicode());
        if (it == wingDingsMap().end()) {
            out += c;
        } else {
            const char32_t u = *it;
            out += QString::fromUcs4(&u, 1);
        }
    }
    return out;
}

namespace {

// One paragraph. Each line is the longest head of what is left that ends
// before a blank and fits. Only text within reach of the width is ever
// measured, so the work grows with the paragraph's length, not with its
// square; the heads ending at blanks grow with each blank taken, so the last
// one that fits is found by halving.
void wrapParagraph(const QString& source, const QFontMetrics& fm, int width, QStringList& out)
{
    const qsizetype size = source.size();
    const auto fits = [&](qsizetype from, qsizetype length) {
        return fm.horizontalAdvance(source.mid(from, length)) <= width;
    };
    std::vector<qsizetype> blanks;
    qsizetype at = 0;
    while (at < size) {
        // How far the line could reach: a span that does not fit ends any
        // head worth trying.
        qsizetype reach = 64;
        while (at + reach < size && fits(at, reach))
            reach *= 2;
        const qsizetype limit = std::min(size, at + reach);
        if (limit == size && fits(at, size - at)) {
            out << source.mid(at);
            return;
        }
        // The blanks within reach, and of them the last whose head fits,
        // found by halving.
        blanks.clear();
        for (qsizetype i = at + 1; i < limit; ++i)
            if (source[i] == QLatin1Char(' '))
                blanks.push_back(i);
        qsizetype cut = -1;
        size_t lo = 0, hi = blanks.size();   // heads before lo fit, from hi on they do not
        while (lo < hi) {
            const size_t mid = lo + (hi - lo) / 2;
            if (fits(at, blanks[mid] - at))
                lo = mid + 1;
            else
                hi = mid;
        }
        if (lo > 0)
            cut = blanks[lo - 1];
        if (cut > 0) {
            out << source.mid(at, cut - at);
            at = cut;
            while (at < size && source[at] == QLatin1Char(' '))
                ++at;
            continue;
        }
        // A word wider than the width: as many characters as fit, at least one.
        qsizetype n = 1;
        while (at + n < size && fits(at, n + 1))
            ++n;
        out << source.mid(at, n);
        at += n;
    }
}

} // namespace

QStringList wrapLines(const QStringList& lines, const QFontMetrics& fm, int width)
{
    QStringList out;
    for (const QString& source : lines) {
        if (source.isEmpty())
            out << source;
        else
            wrapParagraph(source, fm, width, out);
    }
    return out;
}

int labelLineHeight(const QFont& font)
{
    const QFontMetrics fm(font);
    const int em = font.pixelSize() > 0 ? font.pixelSize() : int(std::lround(font.pointSizeF() * 96.0 / 72.0));
    const int internalLeading = std::max(0, fm.height() - em);
    return internalLeading + fm.leading() + fm.height();
}

QPoint shadowOffset(int direction, int d)
{
    switch (direction) {
    case 1: return {d, 0};
    case 2: return {-d, 0};
    case 3: return {d, d};
    case 4: return {-d, d};
    case 5: return {0, d};
    default: return {0, 0};
    }
}

QPoint highlightOffset(int direction, int h)
{
    switch (direction) {
    case 1: return {h, 0};
    case 2: return {-h, 0};
    case 3: return {h, -h};
    case 4: return {-h, -h};
    case 5: return {0, -h};
    default: return {0, 0};
    }
}

LabelLayout layoutLabel(const LabelLayoutInput& in)
{
    LabelLayout out;
    const int sdx = in.shadow.x(), sdy = in.shadow.y(), hdx = in.highlight.x(), hdy = in.highlight.y();
    const int lh = in.lineHeight, tw = in.textWidth;
    const int ox = std::max({0, -sdx, -hdx});
    const int oy = std::max({0, -sdy, -hdy});
    out.origin = {ox, oy};
    const int f = lh + sdy - hdy;
    int w = in.width, h = in.height;
    const bool upright = in.angle == 0 || in.angle == 180;
    if (upright) {
        if (in.angle == 180 && 2 * tw < w)
            w = 2 * tw;
        if (w <= 5)
            w = tw;
        if (h > 1.2 * f)
            h = int(std::trunc(1.2 * f));
        if (h < f)
            h = f;
    } else {
        if (h > 1.2 * tw)
            h = int(std::trunc(1.2 * tw));
        if (h < 5)
            h = tw;
        if (w > 1.2 * f)
            w = int(std::trunc(1.2 * f));
        if (w < f)
            w = f;
    }
    out.width = w;
    out.height = h;

    QRect m = upright ? edges(ox, oy, w, oy + lh) : edges(oy, ox, oy + lh, h - oy);
    if (in.angle == 90)
        m.translate(0, h - (m.height() + 1) + hdx);
    else if (in.angle == 180)
        m.translate(w - (m.width() + 1) - sdy, 0);
    out.main = m;

    // The effects' offsets turn with the text.
    const auto turned = [&](QPoint d) -> QPoint {
        switch (in.angle) {
        case 90: return {d.y(), -d.x()};
        case 180: return {-d.x(), -d.y()};
        case 270: return {-d.y(), d.x()};
        default: return d;
        }
    };
    out.shadow = m.translated(turned(in.shadow));
    out.highlight = m.translated(turned(in.highlight));

    const auto start = [&](const QRect& r) -> QPoint {
        const int right = r.left() + r.width(), bottom = r.top() + r.height();
        switch (in.angle) {
        case 90: return {r.left(), bottom};
        case 180: return {right, bottom};
        case 270: return {right, r.top()};
        default: return r.topLeft();
        }
    };
    out.mainStart = start(out.main);
    out.shadowStart = start(out.shadow);
    out.highlightStart = start(out.highlight);
    if (in.angle == 0) {
        const int l = m.left(), r = m.left() + m.width();
        int x = l;
        if (in.alignment == 1)
            x = r - tw;
        else if (in.alignment == 2)
            x = (r - l) / 2 - tw / 2;
        out.mainStart.setX(x);
        out.shadowStart.setX(x + sdx);
        out.highlightStart.setX(x + hdx);
    }
    return out;
}

} // namespace qb::design
