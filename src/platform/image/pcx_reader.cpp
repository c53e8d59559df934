// PCX (ZSoft Paintbrush) file, all numbers little-endian:
//
//   0    manufacturer, always 0x0A
//   1    version: 0, 2, 3 (no palette), 4, 5 (256 colours possible)
//   2    encoding: 1 = run-length (0 = none, seldom seen)
//   3    bits per pixel in each plane: 1, 2, 4 or 8
//   4    xmin, ymin, xmax, ymax (u16 each), inclusive
//   12   horizontal and vertical resolution (u16 each)
//   16   16-colour palette, 16 x RGB
//   64   reserved
//   65   number of colour planes: 1 to 4
//   66   bytes per line in each plane (u16)
//   68   palette info, screen size, filler up to byte 128
//
// Each scan line is the planes one after the other, bytes-per-line bytes each.
// Run-length coding: a byte whose two top bits are set repeats the next byte
// (its low six bits) times; any other byte stands for itself. A version-5,
// 8-bit, one-plane picture keeps its 256-colour palette in the last 769 bytes:
// 0x0C and then 256 x RGB.

#include "platform/image/pcx_reader.h"

#include "platform/image/byte_reader.h"

#include <QList>
#include <array>

namespace qb::image {

namespace {

constexpr size_t kHeaderSize = 128;
// Writers pad lines to an even length; anything far beyond what the width
// needs is a damaged header, not padding.
constexpr int kMaxLinePadding = 256;

// The 16 colours of the EGA, for version 3 files that carry no palette.
constexpr std::array<QRgb, 16> kEgaColours{
    0xff000000, 0xff0000aa, 0xff00aa00, 0xff00aaaa, 0xffaa0000, 0xffaa00aa, 0xffaa5500, 0xffaaaaaa,
    0xff555555, 0xff5555ff, 0xff55ff55, 0xff55ffff, 0xffff5555, 0xffff55ff, 0xffffff55, 0xffffffff};

class RunDecoder {
public:
    RunDecoder(ByteReader& in, bool encoded) : in_(in), encoded_(encoded) {}
    void line(QByteArray& out)
    {
        auto* p = reinterpret_cast<uint8_t*>(out.data());
        const qsizetype n = out.size();
        for (qsizetype i = 0; i < n;) {
            if (count_ == 0) {
                if (in_.atEnd())
                    in_.fail("the file ends inside the pixel data");
                const uint8_t b = in_.u8();
                if (encoded_ && (b & 0xC0) == 0xC0) {
                    count_ = b & 0x3F;
                    if (count_ == 0)
                        continue;
                    if (in_.atEnd())
                        in_.fail("the file ends inside the pixel data");
                    value_ = in_.u8();
                } else {
                    count_ = 1;
                    value_ = b;
                }
            }
            // A run may carry on into the next line; real files do that.
            const qsizetype take = std::min<qsizetype>(count_, n - i);
            std::memset(p + i, value_, static_cast<size_t>(take));
            i += take;
            count_ -= static_cast<int>(take);
        }
    }

private:
    ByteReader& in_;
    bool encoded_;
    int count_ = 0;
    uint8_t value_ = 0;
};

} // namespace

bool looksLikePcx(QByteArrayView bytes)
{
    if (bytes.size() < static_cast<qsizetype>(kHeaderSize))
        return false;
    const auto* b = reinterpret_cast<const uint8_t*>(bytes.data());
    return b[0] == 0x0A && b[1] <= 5 && b[2] <= 1 && (b[3] == 1 || b[3] == 2 || b[3] == 4 || b[3] == 8);
}

QImage readPcx(QByteArrayView bytes)
{
    ByteReader in(bytes, "PCX");
    if (in.size() < kHeaderSize)
        in.fail("the file is shorter than its header");
    if (in.u8() != 0x0A)
        in.fail("not a PCX file");
    const int version = in.u8();
    const int encoding = in.u8();
    const int bits = in.u8();
    const int xmin = in.u16(), ymin = in.u16(), xmax = in.u16(), ymax = in.u16();
    in.seek(16);
    std::array<QRgb, 16> headerPalette{};
    for (QRgb& c : headerPalette) {
        const int r = in.u8(), g = in.u8(), b = in.u8();
        c = qRgb(r, g, b);
    }
    in.seek(65);
    const int planes = in.u8();
    const int bytesPerLine = in.u16();
    in.seek(kHeaderSize);

    if (encoding > 1)
        in.fail("unknown encoding");
    if (xmax < xmin || ymax < ymin)
        in.fail("the picture's corners are reversed");
    const int width = xmax - xmin + 1;
    const int height = ymax - ymin + 1;
    checkBitmapSize(width, height, "PCX");

    enum Layout { Mono, Planar, Packed, Indexed8, Rgb, Rgba };
    Layout layout;
    if (bits == 1 && planes == 1)
        layout = Mono;
    else if (bits == 1 && planes <= 4)
        layout = Planar;
    else if ((bits == 2 || bits == 4) && planes == 1)
        layout = Packed;
    else if (bits == 8 && planes == 1)
        layout = Indexed8;
    else if (bits == 8 && planes == 3)
        layout = Rgb;
    else if (bits == 8 && planes == 4)
        layout = Rgba;
    else
        in.fail("unsupported bits per pixel and planes");
    const int needed = (width * bits + 7) / 8;
    if (bytesPerLine < needed || bytesPerLine > needed + kMaxLinePadding)
        in.fail("bytes per line do not fit the width");

    std::array<QRgb, 256> palette{};
    if (layout == Indexed8) {
        const size_t end = in.size();
        const auto* b = reinterpret_cast<const uint8_t*>(bytes.data());
        if (end >= kHeaderSize + 769 && b[end - 769] == 0x0C) {
            for (int i = 0; i < 256; ++i) {
                const uint8_t* rgb = b + end - 768 + 3 * i;
                palette[i] = qRgb(rgb[0], rgb[1], rgb[2]);
            }
        } else {
            for (int i = 0; i < 256; ++i)
                palette[i] = qRgb(i, i, i);
        }
    } else {
        for (int i = 0; i < 16; ++i)
            palette[i] = version == 3 ? kEgaColours[i] : headerPalette[i];
    }

    QImage image(width, height, layout == Rgba ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        in.fail("no memory for the picture");
    RunDecoder runs(in, encoding == 1);
    QByteArray line(static_cast<qsizetype>(planes) * bytesPerLine, '\0');
    const auto* l = reinterpret_cast<const uint8_t*>(line.constData());
    for (int y = 0; y < height; ++y) {
        runs.line(line);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            switch (layout) {
            case Mono:
                out[x] = (l[x / 8] >> (7 - x % 8)) & 1 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
                break;
            case Planar: {
                int index = 0;
                for (int p = 0; p < planes; ++p)
                    index |= ((l[p * bytesPerLine + x / 8] >> (7 - x % 8)) & 1) << p;
                out[x] = palette[index];
                break;
            }
            case Packed: {
                const int perByte = 8 / bits;
                const int shift = 8 - bits * (x % perByte + 1);
                out[x] = palette[(l[x / perByte] >> shift) & ((1 << bits) - 1)];
                break;
            }
            case Indexed8:
                out[x] = palette[l[x]];
                break;
            case Rgb:
                out[x] = qRgb(l[x], l[bytesPerLine + x], l[2 * bytesPerLine + x]);
                break;
            case Rgba:
                out[x] = qRgba(l[x], l[bytesPerLine + x], l[2 * bytesPerLine + x], l[3 * bytesPerLine + x]);
                break;
            }
        }
    }
    return image;
}

} // namespace qb::image
