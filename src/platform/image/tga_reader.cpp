// Truevision TGA file, numbers little-endian:
//
//   0    length of the image identification field that follows the header
//   1    colour map type: 0 none, 1 present
//   2    image type: 1 colour-mapped, 2 true-colour, 3 grey; 9, 10, 11 the
//        same run-length coded
//   3    colour map: first index (u16), length (u16), bits per entry (u8)
//   8    x and y origin (u16 each), width and height (u16 each)
//   16   bits per pixel: 8, 15, 16, 24 or 32
//   17   descriptor: bits 0-3 alpha bits, bit 4 right-to-left, bit 5 top-down
//   18   identification field, colour map, pixel data
//
// Pixels are stored B, G, R (, A); 15- and 16-bit pixels pack 5 bits each as
// ARRRRRGG GGGBBBBB in a little-endian word. A run-length packet starts with a
// byte whose top bit marks a run (one pixel repeated) or raw pixels, and whose
// low seven bits are the count less one.

#include "platform/image/tga_reader.h"

#include "platform/image/byte_reader.h"

#include <vector>

namespace qb::image {

namespace {

QRgb readColour(ByteReader& in, int bits, bool alpha)
{
    switch (bits) {
    case 15:
    case 16: {
        const uint16_t v = in.u16();
        auto five = [](int c) { return (c << 3) | (c >> 2); };
        const int a = bits == 16 && alpha ? ((v & 0x8000) ? 255 : 0) : 255;
        return qRgba(five((v >> 10) & 31), five((v >> 5) & 31), five(v & 31), a);
    }
    case 24: {
        const int b = in.u8(), g = in.u8(), r = in.u8();
        return qRgb(r, g, b);
    }
    case 32: {
        const int b = in.u8(), g = in.u8(), r = in.u8(), a = in.u8();
        return qRgba(r, g, b, alpha ? a : 255);
    }
    }
    in.fail("unsupported colour depth");
}

} // namespace

QImage readTga(QByteArrayView bytes)
{
    ByteReader in(bytes, "TGA");
    if (in.size() < 18)
        in.fail("not a TGA file");
    const int idLength = in.u8();
    const int mapType = in.u8();
    const int type = in.u8();
    const int mapFirst = in.u16();
    const int mapLength = in.u16();
    const int mapBits = in.u8();
    in.skip(4);
    const int width = in.u16();
    const int height = in.u16();
    const int bits = in.u8();
    const int descriptor = in.u8();

    const int baseType = type & 7;
    const bool runLength = type & 8;
    if (type & ~0xB || baseType < 1 || baseType > 3)
        in.fail("unsupported image type");
    if (mapType > 1 || (baseType == 1 && mapType != 1))
        in.fail("the colour map is missing");
    if (width == 0 || height == 0)
        in.fail("the picture is empty");
    checkBitmapSize(width, height, "TGA");
    const bool alpha = (descriptor & 0x0F) != 0;
    in.skip(static_cast<size_t>(idLength));

    std::vector<QRgb> map;
    if (mapType == 1) {
        if (mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32)
            in.fail("unsupported colour map depth");
        in.need(static_cast<size_t>(mapLength) * ((mapBits + 7) / 8));
        map.reserve(static_cast<size_t>(mapLength));
        for (int i = 0; i < mapLength; ++i)
            map.push_back(readColour(in, mapBits, alpha));
    }
    if (baseType == 1 && bits != 8 && bits != 16)
        in.fail("unsupported index size");
    if (baseType == 2 && bits != 15 && bits != 16 && bits != 24 && bits != 32)
        in.fail("unsupported colour depth");
    if (baseType == 3 && bits != 8 && bits != 16)
        in.fail("unsupported grey depth");

    auto pixel = [&]() -> QRgb {
        switch (baseType) {
        case 1: {
            const int index = (bits == 8 ? in.u8() : in.u16()) - mapFirst;
            if (index < 0 || index >= static_cast<int>(map.size()))
                in.fail("a colour index lies outside the colour map");
            return map[static_cast<size_t>(index)];
        }
        case 2:
            return readColour(in, bits, alpha);
        default: {
            const int grey = in.u8();
            const int a = bits == 16 ? in.u8() : 255;
            return qRgba(grey, grey, grey, alpha ? a : 255);
        }
        }
    };

    QImage image(width, height, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        in.fail("no memory for the picture");
    const bool topDown = descriptor & 0x20;
    const bool rightToLeft = descriptor & 0x10;
    const size_t pixelBytes = static_cast<size_t>((bits + 7) / 8);
    const int64_t total = int64_t(width) * height;
    if (!runLength)
        in.need(static_cast<size_t>(total) * pixelBytes);
    int64_t done = 0;
    auto put = [&](QRgb c) {
        const int64_t row = done / width;
        const int col = static_cast<int>(done % width);
        const int y = topDown ? static_cast<int>(row) : height - 1 - static_cast<int>(row);
        const int x = rightToLeft ? width - 1 - col : col;
        reinterpret_cast<QRgb*>(image.scanLine(y))[x] = c;
        ++done;
    };
    while (done < total) {
        if (!runLength) {
            put(pixel());
            continue;
        }
        const int packet = in.u8();
        const int64_t count = std::min<int64_t>((packet & 0x7F) + 1, total - done);
        if (packet & 0x80) {
            const QRgb c = pixel();
            for (int64_t i = 0; i < count; ++i)
                put(c);
        } else {
            for (int64_t i = 0; i < count; ++i)
                put(pixel());
        }
    }
    return image;
}

} // namespace qb::image
