#include "platform/image/metafile_player.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace qb::image::detail {

namespace {

// Nesting of saved states; a file that saves more is refused further saves.
constexpr size_t kMaxSavedStates = 1024;
// Text larger than this many device pixels is drawn at this size.
constexpr double kMaxFontPixels = 4096;
// Coordinates are clamped so that a damaged file cannot send the painter
// into overflow; far beyond any page at any resolution.
constexpr double kCoordinateLimit = 1e7;

enum : uint32_t {
    kStockWhiteBrush = 0, kStockLtGrayBrush, kStockGrayBrush, kStockDkGrayBrush, kStockBlackBrush, kStockNullBrush,
    kStockWhitePen, kStockBlackPen, kStockNullPen,
    kStockDcBrush = 18, kStockDcPen = 19,
};
enum : int { kPsNull = 5, kPsStyleMask = 0x0F, kPsEndcapMask = 0x0F00, kPsJoinMask = 0xF000 };
enum : int { kBsSolid = 0, kBsNull = 1, kBsHatched = 2 };

double finite(double v)
{
    if (!std::isfinite(v))
        return 0;
    return std::clamp(v, -kCoordinateLimit, kCoordinateLimit);
}

QPointF clampPoint(const QPointF& p) { return {finite(p.x()), finite(p.y())}; }

QRectF clampRect(const QRectF& r)
{
    return QRectF(clampPoint(r.topLeft()), clampPoint(r.bottomRight()));
}

QPen toQPen(const GdiPen& pen)
{
    if ((pen.style & kPsStyleMask) == kPsNull)
        return Qt::NoPen;
    QPen out(pen.color);
    out.setWidthF(pen.width > 0 ? std::min(pen.width, kCoordinateLimit) : 0);
    out.setCosmetic(pen.width <= 0);
    switch (pen.style & kPsStyleMask) {
    case 1: out.setStyle(Qt::DashLine); break;
    case 2: out.setStyle(Qt::DotLine); break;
    case 3: out.setStyle(Qt::DashDotLine); break;
    case 4: out.setStyle(Qt::DashDotDotLine); break;
    default: out.setStyle(Qt::SolidLine); break;
    }
    switch (pen.style & kPsEndcapMask) {
    case 0x100: out.setCapStyle(Qt::SquareCap); break;
    case 0x200: out.setCapStyle(Qt::FlatCap); break;
    default: out.setCapStyle(Qt::RoundCap); break;
    }
    switch (pen.style & kPsJoinMask) {
    case 0x1000: out.setJoinStyle(Qt::BevelJoin); break;
    case 0x2000: out.setJoinStyle(Qt::MiterJoin); break;
    default: out.setJoinStyle(Qt::RoundJoin); break;
    }
    return out;
}

QBrush toQBrush(const GdiBrush& brush)
{
    switch (brush.style) {
    case kBsSolid:
        return QBrush(brush.color);
    case kBsNull:
        return Qt::NoBrush;
    case kBsHatched: {
        static constexpr Qt::BrushStyle hatches[] = {Qt::HorPattern, Qt::VerPattern, Qt::FDiagPattern,
                                                     Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
        return QBrush(brush.color, hatches[std::clamp(brush.hatch, 0, 5)]);
    }
    default:
        if (!brush.pattern.isNull())
            return QBrush(brush.pattern);
        return QBrush(brush.color);
    }
}

GdiObject stockObject(uint32_t which)
{
    switch (which) {
    case kStockWhiteBrush: return GdiBrush{kBsSolid, Qt::white, 0, {}};
    case kStockLtGrayBrush: return GdiBrush{kBsSolid, QColor(192, 192, 192), 0, {}};
    case kStockGrayBrush: return GdiBrush{kBsSolid, QColor(128, 128, 128), 0, {}};
    case kStockDkGrayBrush: return GdiBrush{kBsSolid, QColor(64, 64, 64), 0, {}};
    case kStockBlackBrush: return GdiBrush{kBsSolid, Qt::black, 0, {}};
    case kStockNullBrush: return GdiBrush{kBsNull, Qt::white, 0, {}};
    case kStockWhitePen: return GdiPen{0, 0, Qt::white};
    case kStockBlackPen: return GdiPen{0, 0, Qt::black};
    case kStockNullPen: return GdiPen{kPsNull, 0, Qt::black};
    case kStockDcBrush: return GdiBrush{};
    case kStockDcPen: return GdiPen{};
    case 10: case 11: case 12: case 13: case 14: case 16: case 17: return GdiFont{};
    default: return GdiOther{};
    }
}

// Scale of one logical unit in device units of a fixed mapping mode, in mm.
double millimetresPerUnit(int mapMode)
{
    switch (mapMode) {
    case kMmLoMetric: return 0.1;
    case kMmHiMetric: return 0.01;
    case kMmLoEnglish: return 0.254;
    case kMmHiEnglish: return 0.0254;
    case kMmTwips: return 25.4 / 1440;
    default: return 0;
    }
}

double safeRatio(double num, double den) { return den == 0 || !std::isfinite(num / den) ? 1.0 : num / den; }

} // namespace

GdiPlayer::GdiPlayer(QPainter* painter, const Frame& frame, size_t objectSlots)
    : painter_(painter), frame_(frame), slotLimit_(objectSlots)
{
    if (painter_) {
        painter_->save();
        base_ = painter_->worldTransform();
        if (painter_->hasClipping()) {
            clipped_ = true;
            clip_ = painter_->clipPath();
        }
    }
}

GdiPlayer::~GdiPlayer()
{
    if (painter_)
        painter_->restore();
}

QTransform GdiPlayer::logicalToTarget() const
{
    const QRectF& t = frame_.target;
    if (!frame_.enhanced) {
        const double sx = safeRatio(t.width(), dc_.windowExt.width());
        const double sy = safeRatio(t.height(), dc_.windowExt.height());
        return QTransform(sx, 0, 0, sy, t.left() - dc_.windowOrg.x() * sx, t.top() - dc_.windowOrg.y() * sy);
    }
    double sx = 1, sy = 1;
    if (const double mm = millimetresPerUnit(dc_.mapMode); mm > 0) {
        sx = mm * frame_.pixelsPerMm.width();
        sy = -mm * frame_.pixelsPerMm.height();
    } else if (dc_.mapMode == kMmIsotropic || dc_.mapMode == kMmAnisotropic) {
        sx = safeRatio(dc_.viewportExt.width(), dc_.windowExt.width());
        sy = safeRatio(dc_.viewportExt.height(), dc_.windowExt.height());
        if (dc_.mapMode == kMmIsotropic) {
            const double s = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(s, sx);
            sy = std::copysign(s, sy);
        }
    }
    const QTransform page(sx, 0, 0, sy, dc_.viewportOrg.x() - dc_.windowOrg.x() * sx,
                          dc_.viewportOrg.y() - dc_.windowOrg.y() * sy);
    const QRectF& d = frame_.deviceFrame;
    const double fx = safeRatio(t.width(), d.width());
    const double fy = safeRatio(t.height(), d.height());
    const QTransform device(fx, 0, 0, fy, t.left() - d.left() * fx, t.top() - d.top() * fy);
    return dc_.world * page * device;
}

void GdiPlayer::addObject(GdiObject object)
{
    for (GdiObject& slot : objects_) {
        if (std::holds_alternative<std::monostate>(slot)) {
            slot = std::move(object);
            return;
        }
    }
    // More objects than the header announced: Windows refuses the record, so
    // does the player.
    if (objects_.size() < slotLimit_)
        objects_.push_back(std::move(object));
}

void GdiPlayer::setObject(uint32_t index, GdiObject object)
{
    // The table grows as slots are used, never past the header's size.
    if (index >= slotLimit_)
        return;
    if (index >= objects_.size())
        objects_.resize(index + 1);
    objects_[index] = std::move(object);
}

void GdiPlayer::selectObject(uint32_t index)
{
    const GdiObject* chosen = nullptr;
    GdiObject stock;
    if (index & 0x80000000u) {
        stock = stockObject(index & 0x7FFFFFFFu);
        chosen = &stock;
    } else if (index < objects_.size()) {
        chosen = &objects_[index];
    }
    if (!chosen)
        return;
    if (const auto* pen = std::get_if<GdiPen>(chosen))
        dc_.pen = *pen;
    else if (const auto* brush = std::get_if<GdiBrush>(chosen))
        dc_.brush = *brush;
    else if (const auto* font = std::get_if<GdiFont>(chosen))
        dc_.font = *font;
}

void GdiPlayer::deleteObject(uint32_t index)
{
    if (index < objects_.size())
        objects_[index] = std::monostate{};
}

void GdiPlayer::saveDc()
{
    if (saved_.size() >= kMaxSavedStates)
        return;
    saved_.push_back(dc_);
    savedClips_.emplace_back(clipped_, clip_);
}

void GdiPlayer::restoreDc(int which)
{
    // Negative: that many levels back; positive: the state saved as number
    // which (counting from 1). Anything else leaves the state alone.
    const int64_t depth = static_cast<int64_t>(saved_.size());
    const int64_t keep = which < 0 ? depth + which : int64_t(which) - 1;
    if (keep < 0 || keep >= depth)
        return;
    dc_ = saved_[static_cast<size_t>(keep)];
    clipped_ = savedClips_[static_cast<size_t>(keep)].first;
    clip_ = savedClips_[static_cast<size_t>(keep)].second;
    saved_.resize(static_cast<size_t>(keep));
    savedClips_.resize(static_cast<size_t>(keep));
}

void GdiPlayer::applyClip()
{
    painter_->setWorldTransform(base_);
    if (clipped_)
        painter_->setClipPath(clip_);
    else
        painter_->setClipping(false);
}

void GdiPlayer::prepare(bool pen, bool brush)
{
    applyClip();
    painter_->setWorldTransform(logicalToTarget() * base_);
    painter_->setPen(pen ? toQPen(dc_.pen) : QPen(Qt::NoPen));
    painter_->setBrush(brush ? toQBrush(dc_.brush) : QBrush(Qt::NoBrush));
    painter_->setBackground(dc_.bkColor);
    painter_->setBackgroundMode(dc_.bkMode == kBkOpaque ? Qt::OpaqueMode : Qt::TransparentMode);
}

void GdiPlayer::drawPath(const QPainterPath& path, bool pen, bool brush)
{
    if (inPath_) {
        path_.addPath(path);
        return;
    }
    if (!painter_)
        return;
    prepare(pen, brush);
    painter_->drawPath(path);
}

void GdiPlayer::moveTo(QPointF p)
{
    dc_.position = clampPoint(p);
    if (inPath_)
        path_.moveTo(dc_.position);
}

void GdiPlayer::lineTo(QPointF p)
{
    p = clampPoint(p);
    if (inPath_) {
        if (path_.elementCount() == 0)
            path_.moveTo(dc_.position);
        path_.lineTo(p);
    } else if (painter_) {
        prepare(true, false);
        painter_->drawLine(dc_.position, p);
    }
    dc_.position = p;
}

void GdiPlayer::polyline(const QPolygonF& points)
{
    if (points.size() < 2)
        return;
    QPainterPath path;
    path.moveTo(clampPoint(points.first()));
    for (qsizetype i = 1; i < points.size(); ++i)
        path.lineTo(clampPoint(points[i]));
    drawPath(path, true, false);
}

void GdiPlayer::polylineTo(const QPolygonF& points)
{
    if (points.isEmpty())
        return;
    QPolygonF all;
    all << dc_.position << points;
    polyline(all);
    dc_.position = clampPoint(points.last());
}

void GdiPlayer::polygon(const QPolygonF& points) { polyPolygon({points}); }

void GdiPlayer::polyPolygon(const std::vector<QPolygonF>& polygons)
{
    QPainterPath path;
    path.setFillRule(dc_.polyFillMode == kWinding ? Qt::WindingFill : Qt::OddEvenFill);
    for (const QPolygonF& polygon : polygons) {
        if (polygon.size() < 2)
            continue;
        path.moveTo(clampPoint(polygon.first()));
        for (qsizetype i = 1; i < polygon.size(); ++i)
            path.lineTo(clampPoint(polygon[i]));
        path.closeSubpath();
    }
    drawPath(path, true, true);
}

void GdiPlayer::polyPolyline(const std::vector<QPolygonF>& polylines)
{
    for (const QPolygonF& line : polylines)
        polyline(line);
}

void GdiPlayer::polyBezier(const QPolygonF& points, bool fromCurrent)
{
    QPainterPath path;
    qsizetype i = 0;
    if (fromCurrent) {
        path.moveTo(dc_.position);
    } else {
        if (points.isEmpty())
            return;
        path.moveTo(clampPoint(points[0]));
        i = 1;
    }
    for (; i + 2 < points.size(); i += 3)
        path.cubicTo(clampPoint(points[i]), clampPoint(points[i + 1]), clampPoint(points[i + 2]));
    if (fromCurrent && !points.isEmpty())
        dc_.position = path.currentPosition();
    drawPath(path, true, false);
}

void GdiPlayer::rectangle(const QRectF& box)
{
    QPainterPath path;
    path.addRect(clampRect(box).normalized());
    drawPath(path, true, true);
}

void GdiPlayer::roundRect(const QRectF& box, QSizeF corner)
{
    QPainterPath path;
    path.addRoundedRect(clampRect(box).normalized(), std::abs(finite(corner.width())) / 2,
                        std::abs(finite(corner.height())) / 2);
    drawPath(path, true, true);
}

void GdiPlayer::ellipse(const QRectF& box)
{
    QPainterPath path;
    path.addEllipse(clampRect(box).normalized());
    drawPath(path, true, true);
}

void GdiPlayer::arc(ArcKind kind, const QRectF& rawBox, QPointF start, QPointF end)
{
    const QRectF box = clampRect(rawBox).normalized();
    if (box.width() <= 0 || box.height() <= 0)
        return;
    const QPointF c = box.center();
    auto angle = [&](QPointF p) {
        return qRadiansToDegrees(std::atan2(-(finite(p.y()) - c.y()) / box.height(), (finite(p.x()) - c.x()) / box.width()));
    };
    const double a0 = angle(start);
    double sweep = angle(end) - a0;
    if (dc_.arcClockwise) {
        while (sweep >= 0)
            sweep -= 360;
    } else {
        while (sweep <= 0)
            sweep += 360;
    }
    QPainterPath path;
    if (kind == ArcKind::Pie) {
        path.moveTo(c);
        path.arcTo(box, a0, sweep);
        path.closeSubpath();
    } else {
        path.arcMoveTo(box, a0);
        path.arcTo(box, a0, sweep);
        if (kind == ArcKind::Chord)
            path.closeSubpath();
    }
    drawPath(path, true, kind != ArcKind::Arc);
}

void GdiPlayer::setPixel(QPointF p, const QColor& color)
{
    if (!painter_)
        return;
    prepare(false, false);
    const QPointF at = logicalToTarget().map(clampPoint(p));
    painter_->setWorldTransform(base_);
    painter_->fillRect(QRectF(at, QSizeF(1, 1)), color);
}

void GdiPlayer::text(QPointF p, const QString& text, const QRectF& opaqueBox)
{
    const bool updateCp = dc_.textAlign & kTaUpdateCp;
    if (updateCp)
        p = dc_.position;
    p = clampPoint(p);
    if (!painter_ || text.isEmpty()) {
        // The current position still moves, by an amount we cannot know
        // without fonts; only drawing needs it.
        return;
    }
    const QTransform toTarget = logicalToTarget();
    const QTransform toDevice = toTarget * base_;
    if (opaqueBox.isValid()) {
        prepare(false, false);
        painter_->fillRect(clampRect(opaqueBox).normalized(), dc_.bkColor);
    }
    applyClip();

    // Text is drawn in device pixels so that a small logical unit cannot round
    // the font to nothing.
    const double scale = std::hypot(toDevice.m21(), toDevice.m22());
    double logicalHeight = std::abs(finite(dc_.font.height));
    if (logicalHeight == 0)
        logicalHeight = 12 / std::max(scale, 1e-9);
    // A positive height is the cell height, which includes the internal leading.
    if (dc_.font.height > 0)
        logicalHeight *= 0.82;
    const int pixels = static_cast<int>(std::clamp(std::round(logicalHeight * scale), 1.0, kMaxFontPixels));
    QFont font(dc_.font.face.isEmpty() ? QStringLiteral("Liberation Sans") : dc_.font.face);
    font.setPixelSize(pixels);
    font.setWeight(static_cast<QFont::Weight>(std::clamp(dc_.font.weight == 0 ? 400 : dc_.font.weight, 1, 1000)));
    font.setItalic(dc_.font.italic);
    font.setUnderline(dc_.font.underline);
    font.setStrikeOut(dc_.font.strikeOut);
    const QFontMetricsF metrics(font);
    const double width = metrics.horizontalAdvance(text);
    double dx = 0;
    switch (dc_.textAlign & kTaCenter) {
    case kTaRight: dx = -width; break;
    case kTaCenter: dx = -width / 2; break;
    default: break;
    }
    double dy = metrics.ascent();
    if ((dc_.textAlign & kTaBaseline) == kTaBaseline)
        dy = 0;
    else if (dc_.textAlign & kTaBottom)
        dy = -metrics.descent();

    QTransform at;
    at.translate(toDevice.map(p).x(), toDevice.map(p).y());
    at.rotate(-dc_.font.escapement / 10.0);
    painter_->setWorldTransform(at);
    painter_->setFont(font);
    painter_->setPen(dc_.textColor);
    if (dc_.bkMode == kBkOpaque)
        painter_->fillRect(QRectF(dx, dy - metrics.ascent(), width, metrics.height()), dc_.bkColor);
    painter_->drawText(QPointF(dx, dy), text);
    if (updateCp && scale > 0) {
        const double advance = (dc_.textAlign & kTaCenter) == kTaRight ? -width : width;
        dc_.position = clampPoint(p + QPointF(advance / scale, 0));
    }
}

void GdiPlayer::bitmap(const QRectF& rawDest, const QRectF& src, const QImage& image, uint32_t rop)
{
    if (!painter_ || image.isNull())
        return;
    QRectF dest = clampRect(rawDest);
    QImage picture = image;
    // A negative extent mirrors the bitmap.
    const bool mirrorX = dest.width() < 0, mirrorY = dest.height() < 0;
    if (mirrorX || mirrorY) {
        picture = picture.mirrored(mirrorX, mirrorY);
        dest = dest.normalized();
    }
    QRectF from = src.isValid() ? src : QRectF(picture.rect());
    if (mirrorX)
        from.moveLeft(picture.width() - from.right());
    if (mirrorY)
        from.moveTop(picture.height() - from.bottom());
    prepare(false, false);
    const bool blends = painter_->paintEngine() && painter_->paintEngine()->hasFeature(QPaintEngine::BlendModes);
    switch (rop) {
    case 0x008800C6: // SRCAND: a mask darkens what is below it
        if (!blends)
            return;
        painter_->setCompositionMode(QPainter::CompositionMode_Multiply);
        break;
    case 0x00EE0086: // SRCPAINT: lightens, as OR does on black-backed pictures
        if (!blends)
            return;
        painter_->setCompositionMode(QPainter::CompositionMode_Lighten);
        break;
    case 0x00660046: // SRCINVERT
        if (!blends)
            return;
        painter_->setCompositionMode(QPainter::CompositionMode_Difference);
        break;
    default:
        break;
    }
    painter_->drawImage(dest, picture, from);
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void GdiPlayer::patternFill(const QRectF& dest, uint32_t rop)
{
    if (!painter_)
        return;
    prepare(false, false);
    const QRectF box = clampRect(dest).normalized();
    switch (rop) {
    case 0x00F00021: // PATCOPY
        painter_->fillRect(box, toQBrush(dc_.brush));
        break;
    case 0x00000042: // BLACKNESS
        painter_->fillRect(box, Qt::black);
        break;
    case 0x00FF0062: // WHITENESS
        painter_->fillRect(box, Qt::white);
        break;
    default:
        break;
    }
}

QPainterPath GdiPlayer::clipInTarget() const
{
    if (clipped_)
        return clip_;
    QPainterPath all;
    all.addRect(QRectF(-kCoordinateLimit, -kCoordinateLimit, 2 * kCoordinateLimit, 2 * kCoordinateLimit));
    return all;
}

void GdiPlayer::intersectClip(const QRectF& box)
{
    QPainterPath path;
    path.addRect(clampRect(box).normalized());
    path = logicalToTarget().map(path);
    clip_ = clipped_ ? clip_.intersected(path) : path;
    clipped_ = true;
}

void GdiPlayer::excludeClip(const QRectF& box)
{
    QPainterPath path;
    path.addRect(clampRect(box).normalized());
    clip_ = clipInTarget().subtracted(logicalToTarget().map(path));
    clipped_ = true;
}

void GdiPlayer::resetClip()
{
    clipped_ = false;
    clip_ = {};
}

void GdiPlayer::beginPath()
{
    inPath_ = true;
    path_ = QPainterPath();
    path_.moveTo(dc_.position);
}

void GdiPlayer::endPath() { inPath_ = false; }

void GdiPlayer::abortPath()
{
    inPath_ = false;
    path_ = QPainterPath();
}

void GdiPlayer::closeFigure()
{
    if (inPath_)
        path_.closeSubpath();
}

void GdiPlayer::fillPath()
{
    inPath_ = false;
    path_.setFillRule(dc_.polyFillMode == kWinding ? Qt::WindingFill : Qt::OddEvenFill);
    const QPainterPath path = path_;
    path_ = QPainterPath();
    drawPath(path, false, true);
}

void GdiPlayer::strokePath()
{
    inPath_ = false;
    const QPainterPath path = path_;
    path_ = QPainterPath();
    drawPath(path, true, false);
}

void GdiPlayer::strokeAndFillPath()
{
    inPath_ = false;
    path_.setFillRule(dc_.polyFillMode == kWinding ? Qt::WindingFill : Qt::OddEvenFill);
    const QPainterPath path = path_;
    path_ = QPainterPath();
    drawPath(path, true, true);
}

void GdiPlayer::selectClipPath(int mode)
{
    inPath_ = false;
    const QPainterPath path = logicalToTarget().map(path_);
    path_ = QPainterPath();
    switch (mode) {
    case 1: // RGN_AND
        clip_ = clipped_ ? clip_.intersected(path) : path;
        break;
    case 2: // RGN_OR
        clip_ = clipped_ ? clip_.united(path) : path;
        break;
    case 4: // RGN_DIFF
        clip_ = clipInTarget().subtracted(path);
        break;
    default: // RGN_COPY
        clip_ = path;
        break;
    }
    clipped_ = true;
}

} // namespace qb::image::detail
