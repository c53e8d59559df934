#include "platform/richtext/picture.h"

#include "platform/richtext/page_layout.h"
#include "platform/richtext/text_units.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QPainter>
#include <QTextObjectInterface>
#include <QCryptographicHash>
#include <QImage>
#include <QImageReader>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QUrl>

namespace qb::richtext {

namespace {

thread_local std::vector<PlacedPicture>* collecting = nullptr;

class PictureHandler : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    PictureHandler(double scale, QObject* parent) : QObject(parent), scale_(scale) {}

    QSizeF intrinsicSize(QTextDocument* doc, int, const QTextFormat& format) override
    {
        const QTextImageFormat f = format.toImageFormat();
        QSizeF size(f.width(), f.height());
        if (size.width() <= 0 || size.height() <= 0)
            size = QSizeF(pictureImage(*doc, f).size());
        return size * scale_;
    }
    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* doc, int, const QTextFormat& format) override
    {
        const QImage image = pictureImage(*doc, format.toImageFormat());
        if (image.isNull())
            return;
        if (collecting)
            collecting->push_back({image, painter->transform().mapRect(rect)});
        else
            painter->drawImage(rect, image);
    }

private:
    double scale_;
};

QString resourceName(const QByteArray& bytes)
{
    return QStringLiteral("qbpict:") +
           QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(20));
}

QImage decode(const QByteArray& bytes, const QByteArray& kind)
{
    if (bytes.isEmpty() || bytes.size() > kMaxPictureBytes)
        return {};
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer, kind);
    reader.setAllocationLimit(256);   // megabytes: no letterhead needs more
    return reader.read();
}

} // namespace

std::optional<QTextImageFormat> pictureFormat(QTextDocument& document, const QByteArray& bytes, QByteArray kind,
                                              QSizeF twips)
{
    if (kind != "png" && kind != "jpeg") {
        QBuffer buffer;
        buffer.setData(bytes);
        kind = QImageReader::imageFormat(&buffer);
        if (kind == "jpg")
            kind = "jpeg";
    }
    const QImage image = decode(bytes, kind);
    if (image.isNull())
        return std::nullopt;
    // Other pictures (BMP and the like) are kept as PNG, which RTF carries.
    QByteArray stored = bytes;
    if (kind != "png" && kind != "jpeg") {
        stored.clear();
        QBuffer out(&stored);
        out.open(QIODevice::WriteOnly);
        image.save(&out, "PNG");
        kind = "png";
    }
    if (twips.width() <= 0 || twips.height() <= 0)
        twips = QSizeF(image.width() * kTwipsPerInch / 96.0, image.height() * kTwipsPerInch / 96.0);
    const QString name = resourceName(stored);
    document.addResource(QTextDocument::ImageResource, QUrl(name), image);
    QTextImageFormat f;
    f.setName(name);
    f.setWidth(twipsToUnits(twips.width()));
    f.setHeight(twipsToUnits(twips.height()));
    f.setProperty(kPictureBytesProperty, stored);
    f.setProperty(kPictureKindProperty, kind);
    return f;
}

void registerPictures(QTextDocument& document)
{
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            if (!f.isImageFormat() || !f.hasProperty(kPictureBytesProperty))
                continue;
            const QString name = f.toImageFormat().name();
            if (document.resource(QTextDocument::ImageResource, QUrl(name)).isValid())
                continue;
            document.addResource(QTextDocument::ImageResource, QUrl(name),
                                 decode(f.property(kPictureBytesProperty).toByteArray(),
                                        f.property(kPictureKindProperty).toByteArray()));
        }
}

QImage pictureImage(const QTextDocument& document, const QTextImageFormat& format)
{
    return document.resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
}

void installPictureHandler(QTextDocument& document, double scale)
{
    document.documentLayout()->registerHandler(QTextFormat::ImageObject, new PictureHandler(scale, &document));
}

PictureCollector::PictureCollector(std::vector<PlacedPicture>* placed) : previous_(collecting) { collecting = placed; }

PictureCollector::~PictureCollector() { collecting = previous_; }

} // namespace qb::richtext

#include "picture.moc"
