#pragma once
// The two record formats, read into a GdiPlayer. Internal to the picture
// readers.

#include "platform/image/metafile_player.h"

#include <QByteArrayView>
#include <QRect>

namespace qb::image::detail {

struct WmfInfo {
    bool placeable = false;
    QRect box;        // placeable: the picture's box in logical units
    int unitsPerInch = 0;
    size_t firstRecord = 0;
    size_t objects = 0;
};
WmfInfo readWmfHeader(QByteArrayView bytes);
void playWmf(QByteArrayView bytes, const WmfInfo& info, GdiPlayer& player);

struct EmfInfo {
    QRect bounds;      // reference-device pixels, inclusive
    QRect frame;       // hundredths of a millimetre, inclusive
    QSize devicePixels;
    QSize deviceMillimetres;
    size_t handles = 0;
};
EmfInfo readEmfHeader(QByteArrayView bytes);
void playEmf(QByteArrayView bytes, const EmfInfo& info, GdiPlayer& player);

// Windows-1252 text as 8-bit metafile records carry it.
QString fromWindows1252(QByteArrayView text);
// A COLORREF (0x00BBGGRR); palette references keep their low three bytes.
QColor colorRef(uint32_t value);

} // namespace qb::image::detail
