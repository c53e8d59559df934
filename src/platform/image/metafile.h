#pragma once
// Windows metafile pictures (WMF, placeable WMF and EMF), kept as the bytes
// they came in so a layout writes them back unchanged, and played as vectors
// by our own player of the common drawing records so they print sharp at any
// resolution.

#include <QByteArray>
#include <QRectF>
#include <QSize>

class QPainter;

namespace qb::image {

class Metafile {
public:
    enum class Kind { Wmf, PlaceableWmf, Emf };

    // True when bytes start like one of the three kinds.
    static bool looksLikeMetafile(QByteArrayView bytes);

    // Reads the header and walks every record once, so a damaged file is
    // refused here and never half drawn later. Throws ImageError.
    static Metafile fromBytes(const QByteArray& bytes);

    Kind kind() const { return kind_; }
    bool isEnhanced() const { return kind_ == Kind::Emf; }
    const QByteArray& bytes() const { return bytes_; }

    // The picture's own size: the placeable header's box or the enhanced
    // header's frame, in pixels at 96 per inch (layouts are measured so).
    QSize size() const;
    QSizeF sizeInInches() const { return inches_; }

    // Plays the records stretched into target, in the painter's coordinates.
    // The painter's state is as it was afterwards.
    void play(QPainter& painter, const QRectF& target) const;

private:
    Metafile() = default;

    QByteArray bytes_;
    Kind kind_ = Kind::Wmf;
    QSizeF inches_;
    QRectF window_; // WMF: the logical rectangle that fills the target
};

} // namespace qb::image
