#pragma once
// PCX pictures, which Qt cannot read.

#include <QByteArrayView>
#include <QImage>

namespace qb::image {

// True when bytes start like a PCX file.
bool looksLikePcx(QByteArrayView bytes);
// Decodes a whole PCX file; throws ImageError when it is damaged.
QImage readPcx(QByteArrayView bytes);

} // namespace qb::image
