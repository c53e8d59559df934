// Enhanced metafile (EMF), little-endian, every record a multiple of four
// bytes: type (u32), size in bytes including these 8 (u32), parameters.
//
//   header record (type 1): bounds in reference-device pixels and the frame
//     in hundredths of a millimetre (each left, top, right, bottom as s32,
//     inclusive), signature " EMF" (0x464D4520), version, file size, record
//     count (u32 each), handle count (u16), reserved (u16), description
//     length and offset, palette entries (u32 each), reference device size in
//     pixels and in millimetres (two s32 each), optional extensions.
//   drawing records in logical units with 32-bit or, for the "16" variants,
//     16-bit points (x before y); rectangles left, top, right, bottom.
//   end-of-file record (type 14).
//
// Bitmaps sit inside their record at offsets counted from the record's start.
// Objects live in a handle table of the size the header gives; each creating
// record names its slot. Handles with the top bit set are stock objects.

#include "platform/image/metafile_records.h"

#include "platform/image/byte_reader.h"
#include "platform/image/dib.h"

#include <cmath>

namespace qb::image::detail {

namespace {

constexpr uint32_t kEmfSignature = 0x464D4520;
constexpr size_t kHeaderMinimum = 88;

QPointF point32(ByteReader& r)
{
    const double x = r.s32();
    const double y = r.s32();
    return {x, y};
}

QRectF box32(ByteReader& r)
{
    const double left = r.s32(), top = r.s32(), right = r.s32(), bottom = r.s32();
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

QSizeF size32(ByteReader& r)
{
    const double w = r.s32();
    const double h = r.s32();
    return {w, h};
}

QPolygonF points(ByteReader& r, size_t count, bool small)
{
    r.need(count * (small ? 4 : 8));
    QPolygonF out;
    out.reserve(static_cast<qsizetype>(count));
    for (size_t i = 0; i < count; ++i) {
        if (small) {
            const double x = r.s16();
            const double y = r.s16();
            out << QPointF(x, y);
        } else {
            out << point32(r);
        }
    }
    return out;
}

std::vector<QPolygonF> polyPoly(ByteReader& r, bool small)
{
    r.skip(16); // bounds
    const size_t n = r.u32();
    const size_t total = r.u32();
    r.need(n * 4);
    std::vector<size_t> counts(n);
    size_t sum = 0;
    for (size_t& c : counts) {
        c = r.u32();
        sum += c;
        if (sum > total)
            r.fail("the polygons hold more points than announced");
    }
    r.need(sum * (small ? 4 : 8));
    std::vector<QPolygonF> out;
    out.reserve(n);
    for (size_t c : counts)
        out.push_back(points(r, c, small));
    return out;
}

// A bitmap given by offsets into the record; null when the record has none.
QImage recordBitmap(QByteArrayView rec, uint32_t offInfo, uint32_t cbInfo, uint32_t offBits, uint32_t cbBits,
                    bool indices)
{
    if (cbInfo == 0)
        return {};
    const auto size = static_cast<uint64_t>(rec.size());
    if (uint64_t(offInfo) + cbInfo > size || uint64_t(offBits) + cbBits > size)
        throw ImageError(QStringLiteral("EMF picture: a bitmap lies outside its record"));
    return decodeDib(rec.sliced(offInfo, cbInfo), rec.sliced(offBits, cbBits), indices);
}

void text(ByteReader& r, QByteArrayView rec, bool wide, GdiPlayer& p)
{
    r.skip(16 + 12); // bounds, graphics mode, x and y scale
    const QPointF at = point32(r);
    const uint32_t chars = r.u32();
    const uint32_t offString = r.u32();
    const uint32_t options = r.u32();
    const QRectF box = box32(r);
    const uint64_t bytes = uint64_t(chars) * (wide ? 2 : 1);
    if (uint64_t(offString) + bytes > static_cast<uint64_t>(rec.size()))
        r.fail("the text lies outside its record");
    const QByteArrayView raw = rec.sliced(offString, static_cast<qsizetype>(bytes));
    QString s;
    if (wide) {
        s.resize(static_cast<qsizetype>(chars));
        for (uint32_t i = 0; i < chars; ++i)
            s[i] = QChar(static_cast<char16_t>(uint8_t(raw[2 * i]) | uint8_t(raw[2 * i + 1]) << 8));
    } else {
        s = fromWindows1252(raw);
    }
    p.text(at, s, (options & 0x0002) ? box : QRectF());
}

void record(uint32_t type, ByteReader& r, QByteArrayView rec, GdiPlayer& p)
{
    DcState& dc = p.dc();
    switch (type) {
    case 2: case 3: case 4: case 5: case 6:
    case 85: case 86: case 87: case 88: case 89: {
        const bool small = type >= 85;
        r.skip(16);
        const QPolygonF pts = points(r, r.u32(), small);
        switch (small ? type - 83 : type) {
        case 2: p.polyBezier(pts, false); break;
        case 3: p.polygon(pts); break;
        case 4: p.polyline(pts); break;
        case 5: p.polyBezier(pts, true); break;
        case 6: p.polylineTo(pts); break;
        }
        break;
    }
    case 7: case 90: p.polyPolyline(polyPoly(r, type == 90)); break;
    case 8: case 91: p.polyPolygon(polyPoly(r, type == 91)); break;
    case 9: dc.windowExt = size32(r); break;
    case 10: dc.windowOrg = point32(r); break;
    case 11: dc.viewportExt = size32(r); break;
    case 12: dc.viewportOrg = point32(r); break;
    case 15: {
        const QPointF at = point32(r);
        p.setPixel(at, colorRef(r.u32()));
        break;
    }
    case 17: dc.mapMode = static_cast<int>(r.u32()); break;
    case 18: dc.bkMode = static_cast<int>(r.u32()); break;
    case 19: dc.polyFillMode = static_cast<int>(r.u32()); break;
    case 22: dc.textAlign = static_cast<int>(r.u32()); break;
    case 24: dc.textColor = colorRef(r.u32()); break;
    case 25: dc.bkColor = colorRef(r.u32()); break;
    case 27: p.moveTo(point32(r)); break;
    case 29: p.excludeClip(box32(r)); break;
    case 30: p.intersectClip(box32(r)); break;
    case 31:
    case 32: {
        const double xNum = r.s32(), xDen = r.s32(), yNum = r.s32(), yDen = r.s32();
        QSizeF& ext = type == 31 ? dc.viewportExt : dc.windowExt;
        if (xDen != 0 && yDen != 0)
            ext = QSizeF(ext.width() * xNum / xDen, ext.height() * yNum / yDen);
        break;
    }
    case 33: p.saveDc(); break;
    case 34: p.restoreDc(r.s32()); break;
    case 35:
    case 36: {
        const double m11 = r.f32(), m12 = r.f32(), m21 = r.f32(), m22 = r.f32(), dx = r.f32(), dy = r.f32();
        const uint32_t mode = type == 35 ? 4 : r.u32();
        QTransform x(m11, m12, m21, m22, dx, dy);
        if (!x.isInvertible() || !std::isfinite(m11 + m12 + m21 + m22 + dx + dy))
            x = QTransform();
        switch (mode) {
        case 1: dc.world = QTransform(); break;
        case 2: dc.world = x * dc.world; break;
        case 3: dc.world = dc.world * x; break;
        case 4: dc.world = x; break;
        default: break;
        }
        break;
    }
    case 37: p.selectObject(r.u32()); break;
    case 38: {
        const uint32_t slot = r.u32();
        GdiPen pen;
        pen.style = static_cast<int>(r.u32());
        pen.width = r.s32();
        r.skip(4);
        pen.color = colorRef(r.u32());
        p.setObject(slot, pen);
        break;
    }
    case 39: {
        const uint32_t slot = r.u32();
        GdiBrush brush;
        brush.style = static_cast<int>(r.u32());
        brush.color = colorRef(r.u32());
        brush.hatch = static_cast<int>(r.u32());
        p.setObject(slot, brush);
        break;
    }
    case 40: p.deleteObject(r.u32()); break;
    case 42: p.ellipse(box32(r)); break;
    case 43: p.rectangle(box32(r)); break;
    case 44: {
        const QRectF box = box32(r);
        p.roundRect(box, size32(r));
        break;
    }
    case 45: case 46: case 47: case 55: {
        const QRectF box = box32(r);
        const QPointF start = point32(r), end = point32(r);
        p.arc(type == 46 ? GdiPlayer::ArcKind::Chord
                         : type == 47 ? GdiPlayer::ArcKind::Pie : GdiPlayer::ArcKind::Arc,
              box, start, end);
        break;
    }
    case 49: p.setObject(r.u32(), GdiOther{}); break;
    case 54: p.lineTo(point32(r)); break;
    case 57: dc.arcClockwise = r.u32() == 2; break;
    case 59: p.beginPath(); break;
    case 60: p.endPath(); break;
    case 61: p.closeFigure(); break;
    case 62: p.fillPath(); break;
    case 63: p.strokeAndFillPath(); break;
    case 64: p.strokePath(); break;
    case 67: p.selectClipPath(static_cast<int>(r.u32())); break;
    case 68: p.abortPath(); break;
    case 75: {
        const uint32_t size = r.u32();
        const uint32_t mode = r.u32();
        if (size == 0 && mode == 5)
            p.resetClip();
        break;
    }
    case 76:
    case 77: {
        r.skip(16);
        const QPointF at = point32(r);
        const QSizeF dest = size32(r);
        const uint32_t rop = r.u32();
        const QPointF srcAt = point32(r);
        r.skip(24 + 4); // source transform, background colour
        const bool indices = r.u32() == 1;
        const uint32_t offInfo = r.u32(), cbInfo = r.u32(), offBits = r.u32(), cbBits = r.u32();
        const QSizeF src = type == 77 ? size32(r) : dest;
        if (cbInfo == 0) {
            p.patternFill(QRectF(at, dest), rop);
            break;
        }
        const QImage image = recordBitmap(rec, offInfo, cbInfo, offBits, cbBits, indices);
        p.bitmap(QRectF(at, dest), QRectF(srcAt, src), image, rop);
        break;
    }
    case 80:
    case 81: {
        r.skip(16);
        const QPointF at = point32(r);
        const QPointF srcAt = point32(r);
        const QSizeF src = size32(r);
        const uint32_t offInfo = r.u32(), cbInfo = r.u32(), offBits = r.u32(), cbBits = r.u32();
        const bool indices = r.u32() == 1;
        uint32_t rop = 0x00CC0020;
        QSizeF dest = src;
        if (type == 81) {
            rop = r.u32();
            dest = size32(r);
        }
        const QImage image = recordBitmap(rec, offInfo, cbInfo, offBits, cbBits, indices);
        QRectF from(srcAt, src);
        if (!image.isNull())
            from.moveTop(image.height() - srcAt.y() - src.height());
        p.bitmap(QRectF(at, dest), from, image, rop);
        break;
    }
    case 82: {
        const uint32_t slot = r.u32();
        GdiFont f;
        f.height = r.s32();
        r.skip(4);
        f.escapement = r.s32();
        r.skip(4);
        f.weight = r.s32();
        f.italic = r.u8();
        f.underline = r.u8();
        f.strikeOut = r.u8();
        r.skip(5);
        const size_t chars = std::min<size_t>(32, r.remaining() / 2);
        for (size_t i = 0; i < chars; ++i) {
            const char16_t c = r.u16();
            if (c == 0)
                break;
            f.face += QChar(c);
        }
        p.setObject(slot, f);
        break;
    }
    case 83:
    case 84: text(r, rec, type == 84, p); break;
    case 93:
    case 94: {
        const uint32_t slot = r.u32();
        const bool indices = r.u32() == 1;
        const uint32_t offInfo = r.u32(), cbInfo = r.u32(), offBits = r.u32(), cbBits = r.u32();
        GdiBrush brush;
        brush.style = 5;
        brush.color = Qt::gray;
        brush.pattern = recordBitmap(rec, offInfo, cbInfo, offBits, cbBits, indices);
        p.setObject(slot, brush);
        break;
    }
    case 95: {
        const uint32_t slot = r.u32();
        r.skip(16); // the pen's own bitmap, unused by the pens we draw
        GdiPen pen;
        const uint32_t style = r.u32();
        const uint32_t width = r.u32();
        pen.style = static_cast<int>(style & 0xFFFF);
        pen.width = (style & 0x000F0000) ? std::min<uint32_t>(width, 0x7FFFFFFF) : 0;
        r.skip(4);
        pen.color = colorRef(r.u32());
        p.setObject(slot, pen);
        break;
    }
    default:
        break; // comments, palettes, colour adjustment, text modes
    }
}

} // namespace

EmfInfo readEmfHeader(QByteArrayView bytes)
{
    ByteReader r(bytes, "EMF");
    if (r.size() < kHeaderMinimum || r.u32() != 1)
        r.fail("not an enhanced metafile");
    const uint32_t size = r.u32();
    EmfInfo info;
    auto rect = [&r] {
        const int left = r.s32(), top = r.s32(), right = r.s32(), bottom = r.s32();
        return QRect(QPoint(left, top), QPoint(right, bottom));
    };
    info.bounds = rect();
    info.frame = rect();
    if (r.u32() != kEmfSignature)
        r.fail("not an enhanced metafile");
    r.skip(12); // version, file size, record count
    info.handles = r.u16();
    r.skip(2 + 12);
    const int deviceWidth = r.s32(), deviceHeight = r.s32();
    const int mmWidth = r.s32(), mmHeight = r.s32();
    info.devicePixels = QSize(deviceWidth, deviceHeight);
    info.deviceMillimetres = QSize(mmWidth, mmHeight);
    if (size < kHeaderMinimum || size % 4 || size > r.size())
        r.fail("the header's size does not fit the file");
    if (info.devicePixels.width() <= 0 || info.devicePixels.height() <= 0 || info.deviceMillimetres.width() <= 0 ||
        info.deviceMillimetres.height() <= 0)
        r.fail("the reference device has no size");
    if (info.frame.right() <= info.frame.left() || info.frame.bottom() <= info.frame.top())
        r.fail("the picture frame is empty");
    return info;
}

void playEmf(QByteArrayView bytes, const EmfInfo& info, GdiPlayer& player)
{
    ByteReader r(bytes, "EMF");
    while (r.remaining() >= 8) {
        const size_t at = r.pos();
        const uint32_t type = r.u32();
        const uint32_t size = r.u32();
        if (size < 8 || size % 4 || size > r.remaining() + 8)
            r.fail("a record's size does not fit the file");
        if (type == 14)
            return;
        const QByteArrayView rec = bytes.sliced(static_cast<qsizetype>(at), size);
        ByteReader params(rec, "EMF");
        params.seek(8);
        if (type != 1) {
            try {
                record(type, params, rec, player);
            } catch (const ImageError&) {
                throw ImageError(QStringLiteral("EMF picture: record %1 at byte %2 is damaged").arg(type).arg(at));
            }
        }
        r.seek(at + size);
    }
}

} // namespace qb::image::detail
