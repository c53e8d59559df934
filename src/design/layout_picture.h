#pragma once
// A picture as a layout file holds it in "Picture.Data": the graphic's class
// name as a short string, then the graphic's own bytes:
//   "TBitmap"    4-byte length + a complete BMP file (14-byte file header,
//                then the bitmap header, palette and pixels)
//   "TIcon"      an ICO file image, to the end of the value
//   "TMetafile"  an enhanced or placeable metafile image, to the end of the value
// Icons and metafiles are kept as the bytes read so that they are written back
// unchanged; bitmaps too, until a new image replaces them.

#include <QByteArray>
#include <QImage>
#include <QMetaType>
#include <QString>

namespace qb::design {

class LayoutPicture {
public:
    enum class Kind { None, Bitmap, Icon, Metafile };

    LayoutPicture() = default;
    // A bitmap made from an image (the picture dialog's result).
    static LayoutPicture fromImage(const QImage& image);
    // The payload of "Picture.Data"; throws LayoutError "Invalid property value"
    // for an unknown graphic class, a damaged header or an absurd size, and
    // "Stream read error" for a length beyond the payload.
    static LayoutPicture fromData(const QByteArray& payload);

    Kind kind() const { return kind_; }
    bool isEmpty() const { return kind_ == Kind::None; }
    QString graphicClass() const;
    const QByteArray& graphicBytes() const { return bytes_; }   // BMP, ICO or metafile image
    QByteArray data() const;                                     // the "Picture.Data" payload
    // The decoded image for drawing; null for metafiles (drawn by their own player).
    QImage image() const;
    QSize size() const;   // pixels; for metafiles the frame when known

    bool operator==(const LayoutPicture& other) const { return kind_ == other.kind_ && bytes_ == other.bytes_; }

    // Largest width or height we accept, and the largest pixel count.
    static constexpr int kMaxSide = 32767;
    static constexpr qint64 kMaxPixels = 64ll << 20;

private:
    Kind kind_ = Kind::None;
    QByteArray bytes_;
    QSize size_;
};

// Checks a BMP file image; returns its size or throws as fromData does.
QSize checkBmp(const QByteArray& bmp);

} // namespace qb::design

Q_DECLARE_METATYPE(qb::design::LayoutPicture)
