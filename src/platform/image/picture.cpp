#include "platform/image/picture.h"

#include "platform/image/byte_reader.h"
#include "platform/image/pcx_reader.h"
#include "platform/image/tga_reader.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QtEndian>

#include <algorithm>
#include <cmath>

namespace qb::image {

namespace {

QByteArray shortString(const QByteArray& text)
{
    QByteArray out(1, static_cast<char>(text.size()));
    return out + text;
}

// Qt's readers, with the size checked before anything is decoded.
QImage readWithQt(const QByteArray& bytes, const char* format)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (size.isValid())
        checkBitmapSize(size.width(), size.height(), format ? format : "Picture");
    QImage image = reader.read();
    if (image.isNull())
        throw ImageError(QStringLiteral("Picture: %1").arg(reader.errorString()));
    checkBitmapSize(image.width(), image.height(), format ? format : "Picture");
    return image;
}

QByteArray encodeBmp(const QImage& image)
{
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    if (!writer.write(image))
        throw ImageError(QStringLiteral("Picture: cannot make a bitmap: %1").arg(writer.errorString()));
    return bmp;
}

QByteArray bitmapLayoutData(const QByteArray& bmp)
{
    QByteArray length(4, '\0');
    qToLittleEndian<uint32_t>(static_cast<uint32_t>(bmp.size()), length.data());
    return shortString("TBitmap") + length + bmp;
}

} // namespace

Picture Picture::bitmapFromBmp(const QByteArray& bmp)
{
    Picture p;
    p.kind_ = Kind::Bitmap;
    p.image_ = readWithQt(bmp, "bmp");
    p.layoutData_ = bitmapLayoutData(bmp);
    return p;
}

Picture Picture::fromImage(const QImage& image)
{
    if (image.isNull())
        return {};
    Picture p;
    p.kind_ = Kind::Bitmap;
    p.image_ = image;
    p.layoutData_ = bitmapLayoutData(encodeBmp(image));
    return p;
}

Picture Picture::fromFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ImageError(QStringLiteral("%1: %2").arg(path, file.errorString()));
    if (file.size() > kMaxPictureBytes)
        throw ImageError(QStringLiteral("%1: the file is too large for a picture").arg(path));
    const QByteArray bytes = file.readAll();
    try {
        return fromFileBytes(bytes, path);
    } catch (const ImageError& e) {
        throw ImageError(QStringLiteral("%1: %2").arg(path, e.message()));
    }
}

Picture Picture::fromFileBytes(const QByteArray& bytes, const QString& fileName)
{
    if (bytes.size() > kMaxPictureBytes)
        throw ImageError(QStringLiteral("Picture: the file is too large"));
    const QString suffix = QFileInfo(fileName).suffix().toUpper();
    if (suffix == u"WMF" || suffix == u"EMF" || Metafile::looksLikeMetafile(bytes)) {
        Metafile metafile = Metafile::fromBytes(bytes);
        Picture p;
        p.kind_ = Kind::Metafile;
        if (metafile.kind() == Metafile::Kind::Wmf) {
            // Layouts hold placeable metafiles; a bare one gets the header
            // that says how large it is.
            auto twips = [](double inches) {
                return static_cast<int16_t>(std::clamp(std::round(inches * 1440), 2.0, 32767.0));
            };
            QByteArray header(22, '\0');
            qToLittleEndian<uint32_t>(0x9AC6CDD7, header.data());
            qToLittleEndian<int16_t>(twips(metafile.sizeInInches().width()), header.data() + 10);
            qToLittleEndian<int16_t>(twips(metafile.sizeInInches().height()), header.data() + 12);
            qToLittleEndian<uint16_t>(1440, header.data() + 14);
            uint16_t sum = 0;
            for (int i = 0; i < 10; ++i)
                sum ^= qFromLittleEndian<uint16_t>(header.constData() + 2 * i);
            qToLittleEndian<uint16_t>(sum, header.data() + 20);
            metafile = Metafile::fromBytes(header + bytes);
        }
        p.layoutData_ = shortString("TMetafile") + metafile.bytes();
        p.metafile_ = std::move(metafile);
        return p;
    }
    // A BMP file is kept as it is; anything else becomes one.
    if (bytes.startsWith("BM"))
        return bitmapFromBmp(bytes);
    if (suffix == u"PCX")
        return fromImage(readPcx(bytes));
    if (suffix == u"TGA")
        return fromImage(readTga(bytes));
    // JPG, JIF, GIF, ICO and whatever else Qt knows, told apart by content;
    // a PCX file under another name last.
    try {
        return fromImage(readWithQt(bytes, nullptr));
    } catch (const ImageError&) {
        if (!looksLikePcx(bytes))
            throw;
    }
    return fromImage(readPcx(bytes));
}

Picture Picture::fromLayoutData(const QByteArray& data)
{
    if (data.isEmpty())
        return {};
    ByteReader r(data, "Layout");
    const QByteArray className = r.bytes(r.u8()).toByteArray();
    const QByteArray rest = data.sliced(static_cast<qsizetype>(r.pos()));
    Picture p;
    if (className.compare("TBitmap", Qt::CaseInsensitive) == 0 ||
        className.compare("TJPEGImage", Qt::CaseInsensitive) == 0) {
        const uint32_t length = r.u32();
        const QByteArray image = r.bytes(length).toByteArray();
        p.kind_ = Kind::Bitmap;
        p.image_ = readWithQt(image, className.startsWith("TJ") ? "jpeg" : "bmp");
    } else if (className.compare("TIcon", Qt::CaseInsensitive) == 0) {
        p.kind_ = Kind::Icon;
        p.image_ = readWithQt(rest, "ico");
    } else if (className.compare("TMetafile", Qt::CaseInsensitive) == 0) {
        p.kind_ = Kind::Metafile;
        p.metafile_ = Metafile::fromBytes(rest);
    } else {
        throw ImageError(QStringLiteral("Layout picture: unknown graphic class %1").arg(QString::fromLatin1(className)));
    }
    p.layoutData_ = data;
    return p;
}

QSize Picture::size() const
{
    switch (kind_) {
    case Kind::Bitmap:
    case Kind::Icon:
        return image_.size();
    case Kind::Metafile:
        return metafile_->size();
    case Kind::Empty:
        break;
    }
    return {};
}

void Picture::draw(QPainter& painter, const QRectF& target) const
{
    switch (kind_) {
    case Kind::Bitmap:
    case Kind::Icon:
        painter.drawImage(target, image_);
        break;
    case Kind::Metafile:
        metafile_->play(painter, target);
        break;
    case Kind::Empty:
        break;
    }
}

} // namespace qb::image
