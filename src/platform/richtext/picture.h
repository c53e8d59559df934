#pragma once
// Pictures in a rich text: an inline image whose format keeps the picture's
// file bytes as RTF stored them (PNG or JPEG), so a letter writes back the
// same picture it read, and names a document resource that holds the decoded
// image. The same bytes give the same name, so a picture used on every page
// or in every letter is one image.

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QTextImageFormat>

#include <optional>
#include <vector>

class QTextDocument;

namespace qb::richtext {

inline constexpr int kPictureBytesProperty = 0x100000 + 82;   // QTextFormat::UserProperty + 82
inline constexpr int kPictureKindProperty = 0x100000 + 83;    // "png" or "jpeg"

// The largest picture a letter takes, in bytes of its file.
inline constexpr qsizetype kMaxPictureBytes = 16 << 20;

// The format of an inline picture of bytes (kind "png" or "jpeg"; any other
// kind is found from the bytes) shown at size twips; the decoded image is
// added to document. nullopt when the bytes are no picture Qt can read. An
// empty size takes the picture's own at 96 pixels to the inch.
std::optional<QTextImageFormat> pictureFormat(QTextDocument& document, const QByteArray& bytes, QByteArray kind,
                                              QSizeF twips);

// Adds the images of every picture of document again from their bytes (a
// cloned document has the formats, not the resources).
void registerPictures(QTextDocument& document);

// The decoded image of a picture format.
QImage pictureImage(const QTextDocument& document, const QTextImageFormat& format);

// A picture where a page put it, in the coordinates of the painter's device.
struct PlacedPicture {
    QImage image;
    QRectF rect;
};

// Lays out and draws the pictures of a document laid out at scale times the
// resolution its formats are measured in (a print document's layout).
void installPictureHandler(QTextDocument& document, double scale);

// While one lives, the pictures of documents with the handler are put into
// placed instead of being drawn: a print job draws each itself, so a picture
// on every page is one image in the output.
class PictureCollector {
public:
    explicit PictureCollector(std::vector<PlacedPicture>* placed);
    ~PictureCollector();
    PictureCollector(const PictureCollector&) = delete;
    PictureCollector& operator=(const PictureCollector&) = delete;

private:
    std::vector<PlacedPicture>* previous_;
};

} // namespace qb::richtext
