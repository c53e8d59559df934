// The bitmap info header, little-endian:
//
//   BITMAPCOREHEADER (12 bytes): size, width (u16), height (u16), planes (u16),
//     bits per pixel (u16); colour table entries of 3 bytes (B, G, R).
//   BITMAPINFOHEADER (40 bytes, 108 and 124 for the later versions): size,
//     width (s32), height (s32, negative: rows top-down), planes (u16), bits
//     per pixel (u16), compression (u32: 0 none, 1 RLE8, 2 RLE4, 3 bit
//     fields), image size, resolutions, colours used, colours important;
//     colour table entries of 4 bytes (B, G, R, 0). A 40-byte header with bit
//     fields is followed by three 4-byte colour masks.
//
// Rows are padded to a multiple of four bytes. We check the header against
// the bytes there are, put a BMP file header in front and let Qt's BMP reader
// decode it.

#include "platform/image/dib.h"

#include "platform/image/byte_reader.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

namespace qb::image {

namespace {

struct DibHeader {
    size_t headerSize = 0;
    int64_t width = 0;
    int64_t height = 0;
    int bitCount = 0;
    uint32_t compression = 0;
    size_t tableBytes = 0; // colour table and masks
};

DibHeader readHeader(QByteArrayView info, bool paletteIndices)
{
    ByteReader in(info, "Bitmap");
    DibHeader h;
    h.headerSize = in.u32();
    if (h.headerSize == 12) {
        h.width = in.u16();
        h.height = in.u16();
        in.skip(2);
        h.bitCount = in.u16();
    } else if (h.headerSize >= 40 && h.headerSize <= 1024) {
        h.width = in.s32();
        h.height = in.s32();
        in.skip(2);
        h.bitCount = in.u16();
        h.compression = in.u32();
        in.skip(12);
        const uint32_t used = in.u32();
        const size_t entries = h.bitCount <= 8 ? (used && used < (1u << h.bitCount) ? used : (1u << h.bitCount))
                                               : std::min<uint32_t>(used, 256);
        h.tableBytes = entries * (paletteIndices ? 2 : 4);
        if (h.compression == 3 && h.headerSize == 40)
            h.tableBytes += 12;
    } else {
        in.fail("unknown header size");
    }
    if (h.headerSize == 12)
        h.tableBytes = h.bitCount <= 8 ? (size_t(1) << h.bitCount) * 3 : 0;
    switch (h.bitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: in.fail("unsupported bits per pixel");
    }
    checkBitmapSize(h.width, h.height < 0 ? -h.height : h.height, "Bitmap");
    return h;
}

} // namespace

QImage decodeDib(QByteArrayView info, QByteArrayView bits, bool paletteIndices)
{
    const DibHeader h = readHeader(info, paletteIndices);
    ByteReader in(info, "Bitmap");
    in.need(h.headerSize + h.tableBytes);
    switch (h.compression) {
    case 0:
    case 3: {
        const int64_t stride = ((h.width * h.bitCount + 31) / 32) * 4;
        const int64_t rows = h.height < 0 ? -h.height : h.height;
        if (bits.size() < stride * rows)
            throw ImageError(QStringLiteral("Bitmap picture: %1 bytes of rows where %2 are needed")
                                 .arg(bits.size())
                                 .arg(stride * rows));
        if (h.compression == 3 && h.bitCount != 16 && h.bitCount != 32)
            in.fail("bit fields need 16 or 32 bits per pixel");
        break;
    }
    case 1:
    case 2:
        if (h.height < 0 || h.bitCount != (h.compression == 1 ? 8 : 4))
            in.fail("run-length coding does not fit the header");
        break;
    default:
        return {};
    }
    if (paletteIndices && h.bitCount <= 8)
        return {};

    // A BMP file: "BM", file size, two reserved words, offset of the rows.
    const qsizetype infoBytes = static_cast<qsizetype>(h.headerSize + h.tableBytes);
    QByteArray file(14, '\0');
    file[0] = 'B';
    file[1] = 'M';
    qToLittleEndian<uint32_t>(static_cast<uint32_t>(14 + infoBytes + bits.size()), file.data() + 2);
    qToLittleEndian<uint32_t>(static_cast<uint32_t>(14 + infoBytes), file.data() + 10);
    file.append(info.first(infoBytes));
    file.append(bits);
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    QImage image = reader.read();
    if (image.isNull())
        throw ImageError(QStringLiteral("Bitmap picture: %1").arg(reader.errorString()));
    return image;
}

QImage decodePackedDib(QByteArrayView packed, bool paletteIndices)
{
    const DibHeader h = readHeader(packed, paletteIndices);
    const size_t infoBytes = h.headerSize + h.tableBytes;
    if (infoBytes > static_cast<size_t>(packed.size()))
        throw ImageError(QStringLiteral("Bitmap picture: the colour table runs past the end"));
    return decodeDib(packed.first(static_cast<qsizetype>(infoBytes)),
                     packed.sliced(static_cast<qsizetype>(infoBytes)), paletteIndices);
}

} // namespace qb::image
