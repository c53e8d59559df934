#pragma once
// Truevision TGA pictures, which Qt cannot read without extra plugins.

#include <QByteArrayView>
#include <QImage>

namespace qb::image {

// Decodes a whole TGA file; throws ImageError when it is damaged.
QImage readTga(QByteArrayView bytes);

} // namespace qb::image
