#include "platform/image/metafile.h"

#include "platform/image/byte_reader.h"
#include "platform/image/metafile_records.h"

#include <QPainter>
#include <QtEndian>

#include <algorithm>
#include <cmath>

namespace qb::image {

namespace {

using namespace detail;

constexpr double kLayoutPixelsPerInch = 96;
// A WMF without the placeable header says nothing of its size; its units are
// taken as twips, the unit most writers use.
constexpr double kPlainWmfUnitsPerInch = 1440;

bool isEmf(QByteArrayView b)
{
    return b.size() >= 44 && qFromLittleEndian<uint32_t>(b.data()) == 1 &&
           qFromLittleEndian<uint32_t>(b.data() + 40) == 0x464D4520;
}

bool isPlaceable(QByteArrayView b) { return b.size() >= 22 && qFromLittleEndian<uint32_t>(b.data()) == 0x9AC6CDD7; }

bool isPlainWmf(QByteArrayView b)
{
    if (b.size() < 18)
        return false;
    const uint16_t type = qFromLittleEndian<uint16_t>(b.data());
    const uint16_t words = qFromLittleEndian<uint16_t>(b.data() + 2);
    const uint16_t version = qFromLittleEndian<uint16_t>(b.data() + 4);
    return (type == 1 || type == 2) && words == 9 && (version == 0x0100 || version == 0x0300);
}

struct Setup {
    Frame frame;
    size_t objectSlots = 0;
    QRectF window; // WMF: the window the picture starts with
};

Setup setupFor(Metafile::Kind kind, QByteArrayView bytes, QRectF window)
{
    Setup s;
    if (kind == Metafile::Kind::Emf) {
        const EmfInfo info = readEmfHeader(bytes);
        s.frame.enhanced = true;
        s.frame.pixelsPerMm = QSizeF(double(info.devicePixels.width()) / info.deviceMillimetres.width(),
                                     double(info.devicePixels.height()) / info.deviceMillimetres.height());
        const QRect& f = info.frame;
        // The frame is inclusive, in hundredths of a millimetre.
        s.frame.deviceFrame = QRectF(QPointF(f.left() / 100.0 * s.frame.pixelsPerMm.width(),
                                             f.top() / 100.0 * s.frame.pixelsPerMm.height()),
                                     QPointF((double(f.right()) + 1) / 100.0 * s.frame.pixelsPerMm.width(),
                                             (double(f.bottom()) + 1) / 100.0 * s.frame.pixelsPerMm.height()));
        s.objectSlots = info.handles;
    } else {
        s.objectSlots = readWmfHeader(bytes).objects;
        s.window = window;
    }
    return s;
}

void run(Metafile::Kind kind, QByteArrayView bytes, GdiPlayer& player)
{
    if (kind == Metafile::Kind::Emf)
        playEmf(bytes, readEmfHeader(bytes), player);
    else
        playWmf(bytes, readWmfHeader(bytes), player);
}

} // namespace

bool Metafile::looksLikeMetafile(QByteArrayView bytes)
{
    return isEmf(bytes) || isPlaceable(bytes) || isPlainWmf(bytes);
}

Metafile Metafile::fromBytes(const QByteArray& bytes)
{
    if (bytes.size() > kMaxPictureBytes)
        throw ImageError(QStringLiteral("Metafile picture: the file is too large"));
    Metafile m;
    m.bytes_ = bytes;
    QRectF window;
    if (isEmf(bytes)) {
        m.kind_ = Kind::Emf;
        const EmfInfo info = readEmfHeader(bytes);
        m.inches_ = QSizeF((double(info.frame.right()) - info.frame.left()) / 2540.0,
                           (double(info.frame.bottom()) - info.frame.top()) / 2540.0);
    } else if (isPlaceable(bytes)) {
        m.kind_ = Kind::PlaceableWmf;
        const WmfInfo info = readWmfHeader(bytes);
        window = QRectF(info.box.left(), info.box.top(), info.box.right() - info.box.left(),
                        info.box.bottom() - info.box.top());
        m.inches_ = QSizeF(std::abs(window.width()) / info.unitsPerInch, std::abs(window.height()) / info.unitsPerInch);
    } else if (isPlainWmf(bytes)) {
        m.kind_ = Kind::Wmf;
    } else {
        throw ImageError(QStringLiteral("Metafile picture: not a Windows metafile"));
    }

    // Walk every record once without drawing: a damaged record is found now.
    Setup s = setupFor(m.kind_, bytes, window);
    GdiPlayer check(nullptr, s.frame, s.objectSlots);
    if (!s.frame.enhanced) {
        check.dc().windowOrg = window.topLeft();
        check.dc().windowExt = window.isNull() ? QSizeF(1, 1) : window.size();
    }
    run(m.kind_, bytes, check);

    if (m.kind_ == Kind::Wmf) {
        // Without a box the window the records set is the picture.
        const QSizeF ext = check.dc().windowExt;
        if (!(std::abs(ext.width()) > 1 && std::abs(ext.height()) > 1) || !std::isfinite(ext.width() * ext.height()))
            throw ImageError(QStringLiteral("WMF picture: the metafile never says how large it is"));
        m.window_ = QRectF(QPointF(0, 0), ext);
        m.inches_ = QSizeF(std::abs(ext.width()) / kPlainWmfUnitsPerInch, std::abs(ext.height()) / kPlainWmfUnitsPerInch);
    } else {
        m.window_ = window;
    }
    return m;
}

QSize Metafile::size() const
{
    auto pixels = [](double inches) {
        return static_cast<int>(std::lround(std::clamp(inches * kLayoutPixelsPerInch, 0.0, double(kMaxSide))));
    };
    return QSize(pixels(inches_.width()), pixels(inches_.height()));
}

void Metafile::play(QPainter& painter, const QRectF& target) const
{
    if (target.isEmpty())
        return;
    Setup s = setupFor(kind_, bytes_, window_);
    s.frame.target = target;
    GdiPlayer player(&painter, s.frame, s.objectSlots);
    if (!s.frame.enhanced) {
        player.dc().windowOrg = window_.topLeft();
        player.dc().windowExt = window_.size();
    }
    try {
        run(kind_, bytes_, player);
    } catch (const ImageError&) {
        // Checked when read; nothing more to draw.
    }
}

} // namespace qb::image
