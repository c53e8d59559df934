// Picture readers on small pictures built byte by byte here: PCX and TGA
// decoding, metafiles played onto an image, the bytes a layout keeps, and
// damaged files refused with an error.

#include "platform/image/picture.h"

#include <QBuffer>
#include <QPainter>
#include <gtest/gtest.h>

#include <initializer_list>

namespace qb::image {
namespace {

// Little-endian bytes.
struct Bytes {
    QByteArray b;
    Bytes& u8(int v) { b.append(static_cast<char>(v)); return *this; }
    Bytes& u16(int v) { return u8(v & 0xFF).u8((v >> 8) & 0xFF); }
    Bytes& u32(uint32_t v) { return u16(static_cast<int>(v & 0xFFFF)).u16(static_cast<int>(v >> 16)); }
    Bytes& raw(const QByteArray& more) { b.append(more); return *this; }
    Bytes& words(std::initializer_list<int> ws) { for (int w : ws) u16(w); return *this; }
    Bytes& dwords(std::initializer_list<int64_t> ds) { for (int64_t d : ds) u32(static_cast<uint32_t>(d)); return *this; }
};

QImage render(const Picture& picture, int side = 200)
{
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    picture.draw(painter, QRectF(0, 0, side, side));
    return image;
}

QRgb at(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

constexpr QRgb kWhite = 0xFFFFFF, kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;

// A PCX header for width x height with the given depth and planes.
Bytes pcxHeader(int width, int height, int bits, int planes, int bytesPerLine)
{
    Bytes h;
    h.u8(0x0A).u8(5).u8(1).u8(bits).words({0, 0, width - 1, height - 1, 72, 72});
    h.raw(QByteArray(48, '\0')).u8(0).u8(planes).u16(bytesPerLine).u16(1);
    h.raw(QByteArray(128 - h.b.size(), '\0'));
    return h;
}

TEST(Pcx, PalettedPictureWithRunsAcrossLines)
{
    Bytes pcx = pcxHeader(4, 2, 8, 1, 4);
    // Row 0: 1 1 1 2. Row 1: 200 0 0 1, where 200 needs a run of one since
    // its top bits would read as a count; the run of 0 starts row 1's end.
    pcx.u8(0xC3).u8(1).u8(2).u8(0xC1).u8(200).u8(0xC2).u8(0).u8(1);
    QByteArray palette(768, '\0');
    palette[3 * 1] = char(0xFF);
    palette[3 * 2 + 1] = char(0xFF);
    palette[3 * 200 + 2] = char(0xFF);
    pcx.u8(0x0C).raw(palette);

    const Picture picture = Picture::fromFileBytes(pcx.b, "logo.pcx");
    ASSERT_EQ(picture.kind(), Picture::Kind::Bitmap);
    const QImage& image = picture.image();
    ASSERT_EQ(image.size(), QSize(4, 2));
    EXPECT_EQ(at(image, 0, 0), kRed);
    EXPECT_EQ(at(image, 2, 0), kRed);
    EXPECT_EQ(at(image, 3, 0), kGreen);
    EXPECT_EQ(at(image, 0, 1), kBlue);
    EXPECT_EQ(at(image, 1, 1), 0u);
    EXPECT_EQ(at(image, 3, 1), kRed);
}

TEST(Pcx, TrueColourPlanes)
{
    // 2 x 2, three planes of two bytes each per line: red, green, blue.
    Bytes pcx = pcxHeader(2, 2, 8, 3, 2);
    auto literal = [&](int v) { pcx.u8(0xC1).u8(v); };
    for (int v : {0xFF, 0x00, 0x00, 0xFF, 0x00, 0x00, /* row 1 */ 0x00, 0x00, 0x00, 0x00, 0xFF, 0x80})
        literal(v);
    const QImage image = Picture::fromFileBytes(pcx.b, "photo.PCX").image();
    ASSERT_EQ(image.size(), QSize(2, 2));
    EXPECT_EQ(at(image, 0, 0), kRed);
    EXPECT_EQ(at(image, 1, 0), kGreen);
    EXPECT_EQ(at(image, 0, 1), kBlue);
    EXPECT_EQ(at(image, 1, 1), 0x000080u);
}

TEST(Tga, RunLengthBottomUpTrueColour)
{
    Bytes tga;
    tga.u8(0).u8(0).u8(10).words({0, 0}).u8(0).words({0, 0, 2, 2}).u8(24).u8(0);
    // Bottom row first: a run of two blue pixels, then raw red and green.
    tga.u8(0x81).u8(0xFF).u8(0).u8(0);
    tga.u8(0x01).u8(0).u8(0).u8(0xFF).u8(0).u8(0xFF).u8(0);
    const QImage image = Picture::fromFileBytes(tga.b, "scan.tga").image();
    ASSERT_EQ(image.size(), QSize(2, 2));
    EXPECT_EQ(at(image, 0, 1), kBlue);
    EXPECT_EQ(at(image, 1, 1), kBlue);
    EXPECT_EQ(at(image, 0, 0), kRed);
    EXPECT_EQ(at(image, 1, 0), kGreen);
}

// A WMF record: size in words, function, parameter words.
void wmfRecord(Bytes& out, int function, std::initializer_list<int> params)
{
    out.u32(static_cast<uint32_t>(3 + params.size())).u16(function).words(params);
}

QByteArray placeableWmf(const Bytes& records, int objects)
{
    Bytes header;
    header.u32(0x9AC6CDD7).u16(0).words({0, 0, 100, 100}).u16(100).u32(0);
    uint16_t sum = 0;
    for (int i = 0; i < 10; ++i)
        sum ^= static_cast<uint16_t>(uint8_t(header.b[2 * i]) | uint8_t(header.b[2 * i + 1]) << 8);
    header.u16(sum);
    header.words({1, 9, 0x0300}).u32(static_cast<uint32_t>(9 + records.b.size() / 2)).u16(objects).u32(9).u16(0);
    return header.b + records.b;
}

QByteArray rectangleAndLineWmf()
{
    Bytes r;
    wmfRecord(r, 0x020B, {0, 0});             // window origin
    wmfRecord(r, 0x020C, {100, 100});         // window extent, y first
    wmfRecord(r, 0x02FC, {0, 0x00FF, 0, 0});  // solid red brush -> slot 0
    wmfRecord(r, 0x012D, {0});
    wmfRecord(r, 0x02FA, {5, 0, 0, 0, 0});    // null pen -> slot 1
    wmfRecord(r, 0x012D, {1});
    wmfRecord(r, 0x041B, {50, 50, 10, 10});   // rectangle: bottom, right, top, left
    wmfRecord(r, 0x01F0, {1});                // frees slot 1 for the next pen
    wmfRecord(r, 0x02FA, {0, 4, 0, 0, 0x00FF}); // blue pen, 4 units wide -> slot 1
    wmfRecord(r, 0x012D, {1});
    wmfRecord(r, 0x0214, {80, 60});           // move to (60, 80)
    wmfRecord(r, 0x0213, {80, 95});           // line to (95, 80)
    wmfRecord(r, 0x0000, {});
    return placeableWmf(r, 2);
}

TEST(Metafile, PlaceableWmfPlaysStretchedIntoTheTarget)
{
    const QByteArray wmf = rectangleAndLineWmf();
    const Picture picture = Picture::fromFileBytes(wmf, "chart.wmf");
    ASSERT_EQ(picture.kind(), Picture::Kind::Metafile);
    EXPECT_EQ(picture.size(), QSize(96, 96)); // 100 units at 100 per inch
    const QImage image = render(picture);
    EXPECT_EQ(at(image, 60, 60), kRed);
    EXPECT_EQ(at(image, 22, 22), kRed);
    EXPECT_EQ(at(image, 15, 60), kWhite);
    EXPECT_EQ(at(image, 110, 60), kWhite);
    EXPECT_EQ(at(image, 150, 160), kBlue);
    EXPECT_EQ(at(image, 150, 157), kBlue); // 4 units are 8 pixels thick
    EXPECT_EQ(at(image, 150, 150), kWhite);
    EXPECT_EQ(at(image, 198, 160), kWhite);
}

TEST(Metafile, WmfTextLandsAtItsPositionInItsColour)
{
    Bytes r;
    wmfRecord(r, 0x020C, {100, 100});
    Bytes font;
    font.words({static_cast<uint16_t>(-20), 0, 0, 0, 700}).u8(0).u8(0).u8(0).u8(0).raw(QByteArray(4, '\0'));
    font.raw(QByteArray("Liberation Sans").leftJustified(32, '\0'));
    r.u32(static_cast<uint32_t>(3 + font.b.size() / 2)).u16(0x02FB).raw(font.b); // font -> slot 0
    wmfRecord(r, 0x012D, {0});
    wmfRecord(r, 0x0102, {1});          // transparent background
    wmfRecord(r, 0x0209, {0x00FF, 0});  // red text
    wmfRecord(r, 0x0521, {2, 'H' | 'I' << 8, 50, 10}); // "HI" with its top left at (10, 50)
    wmfRecord(r, 0x0000, {});
    const QImage image = render(Picture::fromFileBytes(placeableWmf(r, 1), "text.wmf"));
    QRect inked;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (at(image, x, y) != kWhite) {
                EXPECT_GT(qRed(image.pixel(x, y)), qGreen(image.pixel(x, y))) << x << "," << y;
                inked |= QRect(x, y, 1, 1);
            }
    // 20 units of character height are 40 pixels from y = 100 down.
    EXPECT_GE(inked.left(), 20);
    EXPECT_LE(inked.left(), 26);
    EXPECT_GE(inked.top(), 100);
    EXPECT_LE(inked.top(), 112);
    EXPECT_GT(inked.height(), 24);
    EXPECT_LE(inked.bottom(), 142);
}

TEST(Metafile, WmfStretchDibIsScaledIntoPlace)
{
    // A 2 x 2 bitmap, bottom row first, stretched to 50 x 50 units at (50, 50).
    Bytes dib;
    dib.dwords({40, 2, 2}).words({1, 24}).dwords({0, 0, 0, 0, 0, 0});
    dib.raw(QByteArray("\xFF\x00\x00\x00\xFF\x00\x00\x00", 8)); // blue, green
    dib.raw(QByteArray("\x00\x00\xFF\xFF\xFF\xFF\x00\x00", 8)); // red, white
    Bytes r;
    r.u32(static_cast<uint32_t>(3 + 12 + dib.b.size() / 2)).u16(0x0F43);
    r.u32(0x00CC0020).words({0, 2, 2, 0, 0, 50, 50, 50, 50}).raw(dib.b);
    wmfRecord(r, 0x0000, {});
    const QImage image = render(Picture::fromFileBytes(placeableWmf(r, 0), "photo.wmf"));
    EXPECT_EQ(at(image, 125, 125), kRed);
    EXPECT_EQ(at(image, 175, 125), kWhite);
    EXPECT_EQ(at(image, 125, 175), kBlue);
    EXPECT_EQ(at(image, 175, 175), kGreen);
    EXPECT_EQ(at(image, 90, 90), kWhite);
}

// An EMF of 100 x 100 reference pixels (1 inch at 100 per inch) around records.
QByteArray emf(const Bytes& records, int handles)
{
    Bytes eof;
    eof.dwords({14, 20, 0, 16, 20});
    Bytes h;
    const int64_t total = 88 + records.b.size() + eof.b.size();
    h.dwords({1, 88, 0, 0, 99, 99, 0, 0, 2539, 2539, 0x464D4520, 0x10000, total, 0});
    h.u16(handles).u16(0).dwords({0, 0, 0, 1000, 1000, 254, 254});
    return h.b + records.b + eof.b;
}

TEST(Metafile, EmfPolygonIsFilled)
{
    Bytes r;
    r.dwords({39, 24, 1, 0, 0x00FF00, 0}); // green brush in slot 1
    r.dwords({37, 12, 1});
    r.dwords({37, 12, 0x80000008}); // stock null pen
    r.dwords({86, 40, 0, 0, 0, 0, 3}).words({10, 10, 90, 10, 50, 90}); // POLYGON16
    const Picture picture = Picture::fromFileBytes(emf(r, 2), "shape.emf");
    ASSERT_EQ(picture.kind(), Picture::Kind::Metafile);
    EXPECT_EQ(picture.size(), QSize(96, 96));
    const QImage image = render(picture);
    EXPECT_EQ(at(image, 100, 60), kGreen);
    EXPECT_EQ(at(image, 100, 170), kGreen);
    EXPECT_EQ(at(image, 30, 150), kWhite);
    EXPECT_EQ(at(image, 100, 10), kWhite);
}

TEST(Metafile, EmfMappingAndSavedStates)
{
    Bytes r;
    r.dwords({17, 12, 8});          // MM_ANISOTROPIC
    r.dwords({9, 16, 1000, 1000});  // window extent
    r.dwords({11, 16, 100, 100});   // viewport extent: 10 logical units a pixel
    r.dwords({39, 24, 1, 0, 0x0000FF, 0}); // red brush in slot 1
    r.dwords({37, 12, 0x80000008}); // stock null pen
    r.dwords({37, 12, 0x80000004}); // stock black brush
    r.dwords({33, 8});              // save
    r.dwords({37, 12, 1});
    r.dwords({43, 24, 100, 100, 500, 500}); // red square, 10..50 reference pixels
    r.dwords({34, 12, static_cast<uint32_t>(-1)}); // restore: black brush again
    r.dwords({43, 24, 600, 100, 900, 500});
    const QImage image = render(Picture::fromFileBytes(emf(r, 2), "map.emf"));
    EXPECT_EQ(at(image, 60, 60), kRed);
    EXPECT_EQ(at(image, 110, 60), kWhite);
    EXPECT_EQ(at(image, 150, 60), 0u);
    EXPECT_EQ(at(image, 150, 150), kWhite);
}

TEST(Picture, LayoutDataKeepsTheBytesItRead)
{
    const QByteArray wmf = rectangleAndLineWmf();
    const Picture fromFile = Picture::fromFileBytes(wmf, "chart.wmf");
    EXPECT_EQ(fromFile.layoutData(), QByteArray("\x09TMetafile") + wmf);
    const Picture reread = Picture::fromLayoutData(fromFile.layoutData());
    EXPECT_EQ(reread.layoutData(), fromFile.layoutData());
    EXPECT_EQ(render(reread), render(fromFile));

    // A bitmap from a file is stored as a BMP and comes back with its pixels.
    QImage source(3, 2, QImage::Format_RGB32);
    source.fill(Qt::red);
    source.setPixel(2, 1, qRgb(0, 0, 255));
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(source.save(&buffer, "BMP"));
    const Picture bitmap = Picture::fromFileBytes(bmp, "small.BMP");
    const QByteArray data = bitmap.layoutData();
    ASSERT_TRUE(data.startsWith("\x07TBitmap"));
    EXPECT_EQ(data.mid(12), bmp); // the file itself, after its 4-byte length
    const Picture back = Picture::fromLayoutData(data);
    EXPECT_EQ(back.layoutData(), data);
    EXPECT_EQ(at(back.image(), 2, 1), kBlue);
    EXPECT_EQ(at(back.image(), 0, 0), kRed);
}

TEST(Picture, DamagedFilesAreRefused)
{
    const QByteArray wmf = rectangleAndLineWmf();
    QByteArray zeroSizedRecord = wmf;
    zeroSizedRecord[40] = 0; // the first record's size
    Bytes shortPolygon;
    wmfRecord(shortPolygon, 0x0324, {1000, 1, 1, 2, 2});
    Bytes runawayRecord;
    runawayRecord.dwords({43, 4000, 0, 0, 1, 1});
    Bytes bitmapOutside;
    bitmapOutside.dwords({81, 80, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 76, 40, 5000, 4, 0, 0xCC0020, 1, 1});
    QByteArray emptyFrame = emf(Bytes{}, 1);
    emptyFrame[32] = 0; // frame right
    emptyFrame[33] = 0;
    Bytes hugeTga;
    hugeTga.u8(0).u8(0).u8(2).words({0, 0}).u8(0).words({0, 0, 30000, 30000}).u8(24).u8(0);
    Bytes shortTga;
    shortTga.u8(0).u8(0).u8(2).words({0, 0}).u8(0).words({0, 0, 2, 2}).u8(24).u8(0).u8(1);

    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"cut.pcx", pcxHeader(4, 2, 8, 1, 4).b.left(60)},
        {"nodata.pcx", pcxHeader(4, 2, 8, 1, 4).b},
        {"wide.pcx", pcxHeader(4, 2, 8, 1, 60000).b + QByteArray(100, 1)},
        {"huge.tga", hugeTga.b},
        {"short.tga", shortTga.b},
        {"zero.wmf", zeroSizedRecord},
        {"short.wmf", placeableWmf(shortPolygon, 0)},
        {"cut.wmf", wmf.left(wmf.size() - 10)},
        {"runaway.emf", emf(runawayRecord, 1)},
        {"bitmap.emf", emf(bitmapOutside, 1)},
        {"frame.emf", emptyFrame},
        {"noise.bmp", QByteArray("BM not really a bitmap")},
        {"noise.jpg", QByteArray(64, 'x')},
    };
    for (const auto& c : cases)
        EXPECT_THROW(Picture::fromFileBytes(c.bytes, c.name), ImageError) << c.name;

    const QByteArray layoutCases[] = {
        QByteArray("\x07TBitmap\xE8\x03\x00\x00tooshort", 20),
        QByteArray("\x09TPngImage"),
        QByteArray("\x20TBitmap"),
        QByteArray("\x09TMetafile") + wmf.left(30),
    };
    for (const QByteArray& data : layoutCases)
        EXPECT_THROW(Picture::fromLayoutData(data), ImageError) << data.toHex().constData();
}

TEST(Picture, FileErrorsNameTheFile)
{
    try {
        Picture::fromFile("/nonexistent/logo.pcx");
        FAIL() << "no error";
    } catch (const ImageError& e) {
        EXPECT_TRUE(e.message().contains("logo.pcx")) << e.message().toStdString();
    }
}

} // namespace
} // namespace qb::image
