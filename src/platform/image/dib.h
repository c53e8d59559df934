#pragma once
// Device-independent bitmaps as metafiles embed them: an info header, its
// colour table and the pixel rows, without the 14-byte file header of a BMP
// file.

#include <QByteArrayView>
#include <QImage>

namespace qb::image {

// Decodes a bitmap whose header and colour table are info and whose rows are
// bits. Throws ImageError when the two do not fit together; returns a null
// image for a kind we do not draw (JPEG or PNG inside, palette indices).
QImage decodeDib(QByteArrayView info, QByteArrayView bits, bool paletteIndices = false);
// The same for a packed bitmap: header, colour table and rows in one block.
QImage decodePackedDib(QByteArrayView packed, bool paletteIndices = false);

} // namespace qb::image
