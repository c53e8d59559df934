#pragma once
// What the picture readers raise for a file they cannot read, and the bounds
// every reader holds a file to before it allocates anything.

#include <QString>
#include <cstdint>
#include <stdexcept>

namespace qb::image {

class ImageError : public std::runtime_error {
public:
    explicit ImageError(const QString& what) : std::runtime_error(what.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

// A picture file is read whole; nothing a layout holds comes near this.
inline constexpr int64_t kMaxPictureBytes = 64 * 1024 * 1024;
// Bitmaps: a side as wide as a 16-bit coordinate and about 40 megapixels.
inline constexpr int kMaxSide = 32767;
inline constexpr int64_t kMaxPixels = 40'000'000;

// Throws unless width x height is a bitmap we are willing to allocate.
void checkBitmapSize(int64_t width, int64_t height, const char* format);

} // namespace qb::image
