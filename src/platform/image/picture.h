#pragma once
// The graphic a picture object holds: a bitmap, an icon or a metafile, with
// the bytes it was stored as. Pictures come from files chosen in the picture
// dialog or from a layout's "Picture.Data"; a layout writes back exactly the
// bytes it read.

#include "platform/image/image_error.h"
#include "platform/image/metafile.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

class QPainter;

namespace qb::image {

class Picture {
public:
    enum class Kind { Empty, Bitmap, Icon, Metafile };

    Picture() = default;

    // The picture in a file, read as the picture dialog reads it: metafiles
    // (.WMF, .EMF) stay vectors, everything else becomes a bitmap, icons too.
    // BMP, DIB, RLE, JPG, JIF, GIF and ICO go through Qt's readers; PCX and
    // TGA through our own. Throws ImageError naming the file and the fault.
    static Picture fromFile(const QString& path);
    // The same for bytes already read; the name only picks the reader.
    static Picture fromFileBytes(const QByteArray& bytes, const QString& fileName);

    // "Picture.Data" of a layout: the graphic's class name as a short string
    // ("TBitmap", "TIcon" or "TMetafile") and its data: for a bitmap a 32-bit
    // length and a BMP file, for an icon an ICO file, for a metafile an EMF or
    // placeable WMF. Throws ImageError when it is damaged.
    static Picture fromLayoutData(const QByteArray& data);
    static Picture fromImage(const QImage& image);

    // The bytes for "Picture.Data": those read, unchanged, or those made for
    // a picture that came from a file. Empty for an empty picture.
    QByteArray layoutData() const { return layoutData_; }

    Kind kind() const { return kind_; }
    bool isEmpty() const { return kind_ == Kind::Empty; }
    // The picture's own size in layout pixels (96 per inch).
    QSize size() const;
    // Bitmaps and icons; null for metafiles.
    const QImage& image() const { return image_; }
    const Metafile* metafile() const { return metafile_ ? &*metafile_ : nullptr; }

    // Draws the picture stretched into target.
    void draw(QPainter& painter, const QRectF& target) const;

private:
    static Picture bitmapFromBmp(const QByteArray& bmp);

    Kind kind_ = Kind::Empty;
    QImage image_;
    std::optional<Metafile> metafile_;
    QByteArray layoutData_;
};

} // namespace qb::image
