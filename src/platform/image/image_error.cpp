#include "platform/image/image_error.h"

namespace qb::image {

void checkBitmapSize(int64_t width, int64_t height, const char* format)
{
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || width * height > kMaxPixels)
        throw ImageError(QStringLiteral("%1 picture: a size of %2 x %3 pixels is not accepted")
                             .arg(QLatin1StringView(format))
                             .arg(width)
                             .arg(height));
}

} // namespace qb::image
