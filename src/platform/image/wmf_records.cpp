// Windows metafile (WMF), little-endian, sizes counted in 16-bit words:
//
//   placeable header (optional, 22 bytes): key 0x9AC6CDD7, handle (u16),
//     box left, top, right, bottom (s16), units per inch (u16), reserved
//     (u32), checksum (u16)
//   header (18 bytes): type 1 or 2, header size 9 words, version, file size
//     in words (u32), number of objects (u16), largest record in words (u32),
//     unused (u16)
//   records: size in words including these 6 bytes (u32), function (u16),
//     parameters; function 0 ends the file.
//
// Points are stored y before x in most records; rectangles bottom, right,
// top, left. Objects take the lowest free slot of a table whose size the
// header gives.

#include "platform/image/metafile_records.h"

#include "platform/image/byte_reader.h"
#include "platform/image/dib.h"

namespace qb::image::detail {

namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;

QPointF yx(ByteReader& r)
{
    const double y = r.s16();
    const double x = r.s16();
    return {x, y};
}

// Bottom, right, top, left as stored.
QRectF boxBrtl(ByteReader& r)
{
    const double bottom = r.s16(), right = r.s16(), top = r.s16(), left = r.s16();
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

QPolygonF points(ByteReader& r, size_t count)
{
    r.need(count * 4);
    QPolygonF out;
    out.reserve(static_cast<qsizetype>(count));
    for (size_t i = 0; i < count; ++i) {
        const double x = r.s16();
        const double y = r.s16();
        out << QPointF(x, y);
    }
    return out;
}

QString text8(ByteReader& r, size_t count)
{
    QByteArrayView bytes = r.bytes(count);
    if (count % 2)
        r.skip(std::min<size_t>(1, r.remaining()));
    return fromWindows1252(bytes);
}

GdiFont font16(ByteReader& r)
{
    GdiFont f;
    f.height = r.s16();
    r.skip(2); // width
    f.escapement = r.s16();
    r.skip(2); // orientation
    f.weight = r.s16();
    f.italic = r.u8();
    f.underline = r.u8();
    f.strikeOut = r.u8();
    r.skip(5); // charset, precisions, quality, pitch and family
    const QByteArrayView face = r.bytes(std::min<size_t>(32, r.remaining()));
    const qsizetype end = face.indexOf('\0');
    f.face = fromWindows1252(end < 0 ? face : face.first(end));
    return f;
}

void record(uint16_t function, ByteReader& r, GdiPlayer& p)
{
    DcState& dc = p.dc();
    switch (function) {
    case 0x0201: dc.bkColor = colorRef(r.u32()); break;
    case 0x0102: dc.bkMode = r.u16(); break;
    case 0x0103: dc.mapMode = r.u16(); break;
    case 0x0106: dc.polyFillMode = r.u16(); break;
    case 0x012E: dc.textAlign = r.u16(); break;
    case 0x0209: dc.textColor = colorRef(r.u32()); break;
    case 0x020B: dc.windowOrg = yx(r); break;
    case 0x020C: {
        const QPointF e = yx(r);
        dc.windowExt = QSizeF(e.x(), e.y());
        break;
    }
    case 0x020D: dc.viewportOrg = yx(r); break;
    case 0x020E: {
        const QPointF e = yx(r);
        dc.viewportExt = QSizeF(e.x(), e.y());
        break;
    }
    case 0x020F: dc.windowOrg += yx(r); break;
    case 0x0410: {
        const double yDen = r.s16(), yNum = r.s16(), xDen = r.s16(), xNum = r.s16();
        if (xDen != 0 && yDen != 0)
            dc.windowExt = QSizeF(dc.windowExt.width() * xNum / xDen, dc.windowExt.height() * yNum / yDen);
        break;
    }
    case 0x0213: p.lineTo(yx(r)); break;
    case 0x0214: p.moveTo(yx(r)); break;
    case 0x0415: p.excludeClip(boxBrtl(r)); break;
    case 0x0416: p.intersectClip(boxBrtl(r)); break;
    case 0x0817:
    case 0x081A:
    case 0x0830: {
        const QPointF end = yx(r), start = yx(r);
        const QRectF box = boxBrtl(r);
        p.arc(function == 0x0817 ? GdiPlayer::ArcKind::Arc
                                 : function == 0x081A ? GdiPlayer::ArcKind::Pie : GdiPlayer::ArcKind::Chord,
              box, start, end);
        break;
    }
    case 0x0418: p.ellipse(boxBrtl(r)); break;
    case 0x041B: p.rectangle(boxBrtl(r)); break;
    case 0x061C: {
        const double h = r.s16(), w = r.s16();
        p.roundRect(boxBrtl(r), QSizeF(w, h));
        break;
    }
    case 0x061D: {
        const uint32_t rop = r.u32();
        const double h = r.s16(), w = r.s16();
        const QPointF at = yx(r);
        p.patternFill(QRectF(at, QSizeF(w, h)), rop);
        break;
    }
    case 0x001E: p.saveDc(); break;
    case 0x0127: p.restoreDc(r.s16()); break;
    case 0x041F: {
        const QColor c = colorRef(r.u32());
        p.setPixel(yx(r), c);
        break;
    }
    case 0x0521: {
        const size_t count = r.u16();
        const QString s = text8(r, count);
        p.text(yx(r), s);
        break;
    }
    case 0x0A32: {
        const QPointF at = yx(r);
        const int count = r.s16();
        const uint16_t options = r.u16();
        QRectF box;
        if (options & 0x0006) {
            const double left = r.s16(), top = r.s16(), right = r.s16(), bottom = r.s16();
            box = QRectF(QPointF(left, top), QPointF(right, bottom));
        }
        if (count < 0)
            r.fail("a text length is negative");
        const QString s = text8(r, static_cast<size_t>(count));
        p.text(at, s, (options & 0x0002) ? box : QRectF());
        break;
    }
    case 0x0324:
    case 0x0325: {
        const QPolygonF pts = points(r, r.u16());
        if (function == 0x0324)
            p.polygon(pts);
        else
            p.polyline(pts);
        break;
    }
    case 0x0538: {
        const size_t n = r.u16();
        r.need(n * 2);
        std::vector<size_t> counts(n);
        size_t total = 0;
        for (size_t& c : counts)
            total += (c = r.u16());
        r.need(total * 4);
        std::vector<QPolygonF> polygons;
        polygons.reserve(n);
        for (size_t c : counts)
            polygons.push_back(points(r, c));
        p.polyPolygon(polygons);
        break;
    }
    case 0x012D: p.selectObject(r.u16()); break;
    case 0x01F0: p.deleteObject(r.u16()); break;
    case 0x02FA: {
        GdiPen pen;
        pen.style = r.u16();
        pen.width = r.s16();
        r.skip(2);
        pen.color = colorRef(r.u32());
        p.addObject(pen);
        break;
    }
    case 0x02FB: p.addObject(font16(r)); break;
    case 0x02FC: {
        GdiBrush brush;
        brush.style = r.u16();
        brush.color = colorRef(r.u32());
        brush.hatch = r.u16();
        p.addObject(brush);
        break;
    }
    case 0x0142: {
        GdiBrush brush;
        brush.style = 5;
        r.skip(2);
        const bool indices = r.u16() == 1;
        brush.pattern = decodePackedDib(r.bytes(r.remaining()), indices);
        brush.color = Qt::gray;
        p.addObject(brush);
        break;
    }
    case 0x01F9: p.addObject(GdiBrush{0, Qt::gray, 0, {}}); break;
    case 0x00F7:
    case 0x06FF: p.addObject(GdiOther{}); break;
    case 0x0940:
    case 0x0B41:
    case 0x0F43: {
        const uint32_t rop = r.u32();
        const bool stretchDib = function == 0x0F43;
        const bool indices = stretchDib && r.u16() == 1;
        // Without a bitmap these two records carry one reserved word more and
        // only paint the brush.
        const size_t plainWords = function == 0x0940 ? 7 : 9;
        if (!stretchDib && r.remaining() == plainWords * 2) {
            r.skip(function == 0x0940 ? 6 : 10); // reserved word, source corner and size
            const double h = r.s16(), w = r.s16();
            p.patternFill(QRectF(yx(r), QSizeF(w, h)), rop);
            break;
        }
        double srcH, srcW;
        QPointF srcAt;
        if (function == 0x0940) {
            srcAt = yx(r);
            srcH = r.s16();
            srcW = r.s16();
            const QPointF at = yx(r);
            const QImage image = decodePackedDib(r.bytes(r.remaining()), indices);
            p.bitmap(QRectF(at, QSizeF(srcW, srcH)), QRectF(srcAt, QSizeF(srcW, srcH)), image, rop);
            break;
        }
        srcH = r.s16();
        srcW = r.s16();
        srcAt = yx(r);
        const double dh = r.s16(), dw = r.s16();
        const QPointF at = yx(r);
        const QImage image = decodePackedDib(r.bytes(r.remaining()), indices);
        QRectF src(srcAt, QSizeF(srcW, srcH));
        // Source rows of a bottom-up bitmap count from its last row.
        if (!image.isNull())
            src.moveTop(image.height() - srcAt.y() - srcH);
        p.bitmap(QRectF(at, QSizeF(dw, dh)), src, image, rop);
        break;
    }
    default:
        break; // palettes, escapes, modes that do not change what is drawn
    }
}

} // namespace

WmfInfo readWmfHeader(QByteArrayView bytes)
{
    ByteReader r(bytes, "WMF");
    WmfInfo info;
    if (r.size() >= 22 && r.u32() == kPlaceableKey) {
        info.placeable = true;
        r.skip(2);
        const int left = r.s16(), top = r.s16(), right = r.s16(), bottom = r.s16();
        info.box = QRect(QPoint(left, top), QPoint(right, bottom));
        info.unitsPerInch = r.u16();
        r.skip(6);
        if (info.box.width() <= 1 || info.box.height() <= 1 || info.unitsPerInch == 0)
            r.fail("the placeable header gives no size");
    } else {
        r.seek(0);
    }
    const size_t start = r.pos();
    const int type = r.u16();
    const int headerWords = r.u16();
    if ((type != 1 && type != 2) || headerWords != 9)
        r.fail("not a Windows metafile");
    r.skip(6);
    info.objects = r.u16();
    r.skip(6);
    info.firstRecord = start + 18;
    return info;
}

void playWmf(QByteArrayView bytes, const WmfInfo& info, GdiPlayer& player)
{
    ByteReader r(bytes, "WMF");
    r.seek(info.firstRecord);
    while (r.remaining() >= 6) {
        const size_t at = r.pos();
        const uint32_t words = r.u32();
        const uint16_t function = r.u16();
        if (words < 3 || words > (r.remaining() + 6) / 2)
            r.fail("a record's size does not fit the file");
        if (function == 0)
            return;
        ByteReader params(bytes.sliced(static_cast<qsizetype>(at + 6), static_cast<qsizetype>(words) * 2 - 6), "WMF");
        try {
            record(function, params, player);
        } catch (const ImageError&) {
            throw ImageError(QStringLiteral("WMF picture: record 0x%1 at byte %2 is damaged")
                                 .arg(function, 4, 16, QLatin1Char('0'))
                                 .arg(at));
        }
        r.seek(at + size_t(words) * 2);
    }
}

QString fromWindows1252(QByteArrayView text)
{
    // 0x80-0x9F hold punctuation and a few letters; the rest is Latin-1.
    static constexpr char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString out;
    out.reserve(text.size());
    for (char c : text) {
        const auto b = static_cast<uint8_t>(c);
        out += QChar(b >= 0x80 && b < 0xA0 ? high[b - 0x80] : char16_t(b));
    }
    return out;
}

QColor colorRef(uint32_t value) { return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF); }

} // namespace qb::image::detail
