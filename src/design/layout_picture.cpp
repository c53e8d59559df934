#include "design/layout_picture.h"

#include "design/layout_stream.h"

#include <QBuffer>
#include <QImageReader>
#include <cstdlib>

namespace qb::design {

namespace {

[[noreturn]] void invalid() { throw LayoutError(QString::fromLatin1(msg::kInvalidPropertyValue)); }
[[noreturn]] void shortRead() { throw LayoutError(QString::fromLatin1(msg::kStreamReadError)); }

uint32_t u32(const QByteArray& b, qsizetype at)
{
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= uint32_t(uint8_t(b[at + i])) << (8 * i);
    return v;
}

uint16_t u16(const QByteArray& b, qsizetype at) { return uint16_t(uint8_t(b[at]) | (uint8_t(b[at + 1]) << 8)); }

QSize checkIcon(const QByteArray& ico)
{
    // ICONDIR: reserved 0, type 1 (icon) or 2 (cursor), count; 16 bytes per entry.
    if (ico.size() < 6 || u16(ico, 0) != 0 || (u16(ico, 2) != 1 && u16(ico, 2) != 2))
        invalid();
    const int count = u16(ico, 4);
    if (count == 0 || 6 + qsizetype(count) * 16 > ico.size())
        invalid();
    const int w = uint8_t(ico[6]) ? uint8_t(ico[6]) : 256;
    const int h = uint8_t(ico[7]) ? uint8_t(ico[7]) : 256;
    return {w, h};
}

QSize checkMetafile(const QByteArray& mf)
{
    if (mf.size() >= 88 && u32(mf, 0) == 1 && u32(mf, 40) == 0x464D4520) {
        // Enhanced metafile: the frame (in 0.01 mm) at 24..39.
        const auto frame = [&](qsizetype at) { return int32_t(u32(mf, at)); };
        const qint64 w = std::llabs(qint64(frame(32)) - frame(24));
        const qint64 h = std::llabs(qint64(frame(36)) - frame(28));
        return {int(qMin<qint64>(w * 96 / 2540, LayoutPicture::kMaxSide)), int(qMin<qint64>(h * 96 / 2540, LayoutPicture::kMaxSide))};
    }
    if (mf.size() >= 22 && u32(mf, 0) == 0x9AC6CDD7) {
        // Placeable metafile: bounding box in units of the stated units per inch.
        const int16_t left = int16_t(u16(mf, 6)), top = int16_t(u16(mf, 8));
        const int16_t right = int16_t(u16(mf, 10)), bottom = int16_t(u16(mf, 12));
        const int inch = u16(mf, 14) ? u16(mf, 14) : 1440;
        return {int(std::abs(right - left) * 96 / inch), int(std::abs(bottom - top) * 96 / inch)};
    }
    if (mf.size() >= 18)
        return {};   // a plain Windows metafile: no size of its own
    invalid();
}

} // namespace

QSize checkBmp(const QByteArray& bmp)
{
    // BITMAPFILEHEADER (14) + at least a BITMAPCOREHEADER (12).
    if (bmp.size() < 26 || bmp[0] != 'B' || bmp[1] != 'M')
        invalid();
    const uint32_t offBits = u32(bmp, 10);
    const uint32_t headerSize = u32(bmp, 14);
    int64_t width = 0, height = 0;
    int bits = 0;
    uint32_t compression = 0;
    if (headerSize == 12) {
        width = u16(bmp, 18);
        height = int16_t(u16(bmp, 20));
        bits = u16(bmp, 24);
    } else if (headerSize >= 40 && headerSize <= 124) {
        if (bmp.size() < 14 + 40)
            invalid();
        width = int32_t(u32(bmp, 18));
        height = int32_t(u32(bmp, 22));
        bits = u16(bmp, 28);
        compression = u32(bmp, 30);
    } else {
        invalid();
    }
    height = std::llabs(height);
    if (width <= 0 || height <= 0 || width > LayoutPicture::kMaxSide || height > LayoutPicture::kMaxSide || width * height > LayoutPicture::kMaxPixels)
        invalid();
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        invalid();
    if (offBits < 14 + headerSize || offBits > uint32_t(bmp.size()))
        shortRead();
    // Uncompressed pixels must all be there; run-length data is checked by its decoder.
    if (compression == 0) {
        const int64_t stride = ((width * bits + 31) / 32) * 4;
        if (int64_t(offBits) + stride * height > bmp.size())
            shortRead();
    }
    return {int(width), int(height)};
}

LayoutPicture LayoutPicture::fromImage(const QImage& image)
{
    LayoutPicture p;
    if (image.isNull())
        return p;
    QBuffer buffer(&p.bytes_);
    buffer.open(QIODevice::WriteOnly);
    image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB888).save(&buffer, "BMP");
    p.kind_ = Kind::Bitmap;
    p.size_ = image.size();
    return p;
}

LayoutPicture LayoutPicture::fromData(const QByteArray& payload)
{
    if (payload.isEmpty())
        shortRead();
    const int nameLength = uint8_t(payload[0]);
    if (payload.size() < 1 + nameLength)
        shortRead();
    const QString graphic = QString::fromLatin1(payload.mid(1, nameLength));
    const QByteArray rest = payload.mid(1 + nameLength);
    LayoutPicture p;
    if (graphic.compare(QLatin1String("TBitmap"), Qt::CaseInsensitive) == 0) {
        if (rest.size() < 4)
            shortRead();
        const uint32_t length = u32(rest, 0);
        if (length > uint32_t(rest.size() - 4))
            shortRead();
        p.kind_ = Kind::Bitmap;
        p.bytes_ = rest.mid(4, qsizetype(length));
        p.size_ = checkBmp(p.bytes_);
    } else if (graphic.compare(QLatin1String("TIcon"), Qt::CaseInsensitive) == 0) {
        p.kind_ = Kind::Icon;
        p.bytes_ = rest;
        p.size_ = checkIcon(rest);
    } else if (graphic.compare(QLatin1String("TMetafile"), Qt::CaseInsensitive) == 0) {
        p.kind_ = Kind::Metafile;
        p.bytes_ = rest;
        p.size_ = checkMetafile(rest);
    } else {
        invalid();
    }
    return p;
}

QString LayoutPicture::graphicClass() const
{
    switch (kind_) {
    case Kind::Bitmap: return QStringLiteral("TBitmap");
    case Kind::Icon: return QStringLiteral("TIcon");
    case Kind::Metafile: return QStringLiteral("TMetafile");
    case Kind::None: break;
    }
    return {};
}

QByteArray LayoutPicture::data() const
{
    if (kind_ == Kind::None)
        return {};
    QByteArray out;
    const QByteArray name = graphicClass().toLatin1();
    out.append(char(name.size()));
    out.append(name);
    if (kind_ == Kind::Bitmap) {
        const uint32_t n = uint32_t(bytes_.size());
        for (int i = 0; i < 4; ++i)
            out.append(char(uint8_t(n >> (8 * i))));
    }
    out.append(bytes_);
    return out;
}

QImage LayoutPicture::image() const
{
    if (kind_ != Kind::Bitmap && kind_ != Kind::Icon)
        return {};
    QBuffer buffer;
    buffer.setData(bytes_);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, kind_ == Kind::Bitmap ? "BMP" : "ICO");
    reader.setAllocationLimit(int(kMaxPixels * 4 >> 20) + 1);
    return reader.read();
}

QSize LayoutPicture::size() const { return size_; }

} // namespace qb::design
