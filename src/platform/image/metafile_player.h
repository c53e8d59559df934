#pragma once
// The drawing state of a metafile being played (what a Windows device context
// holds: selected pen, brush and font, colours, modes, the mapping from the
// picture's logical units to the target, saved states, the current position)
// and the drawing operations both metafile kinds share. Without a painter it
// only keeps the state, which is how a file is checked when it is read.
// Internal to the picture readers.

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QTransform>

#include <variant>
#include <vector>

class QPainter;

namespace qb::image::detail {

struct GdiPen {
    int style = 0; // PS_SOLID ... PS_INSIDEFRAME, with end cap and join bits
    double width = 0; // logical units; 0 is one device pixel
    QColor color = Qt::black;
};
struct GdiBrush {
    int style = 0; // BS_SOLID, BS_NULL, BS_HATCHED, or a pattern
    QColor color = Qt::white;
    int hatch = 0;
    QImage pattern;
};
struct GdiFont {
    double height = 0; // negative: character height; positive: cell height
    int escapement = 0; // tenths of a degree, counter-clockwise
    int weight = 400;
    bool italic = false, underline = false, strikeOut = false;
    QString face;
};
// Palettes, regions and the like take a slot in the object table but draw
// nothing; an empty slot is free.
struct GdiOther {};
using GdiObject = std::variant<std::monostate, GdiOther, GdiPen, GdiBrush, GdiFont>;

// Windows' constants the two readers share.
enum : int {
    kBkTransparent = 1, kBkOpaque = 2,
    kAlternate = 1, kWinding = 2,
    kTaUpdateCp = 1, kTaRight = 2, kTaCenter = 6, kTaBottom = 8, kTaBaseline = 24,
    kMmText = 1, kMmLoMetric, kMmHiMetric, kMmLoEnglish, kMmHiEnglish, kMmTwips, kMmIsotropic, kMmAnisotropic,
};

struct DcState {
    GdiPen pen;
    GdiBrush brush;
    GdiFont font;
    QColor textColor = Qt::black;
    QColor bkColor = Qt::white;
    int bkMode = kBkOpaque;
    int polyFillMode = kAlternate;
    int textAlign = 0;
    int mapMode = kMmText;
    QPointF windowOrg{0, 0};
    QSizeF windowExt{1, 1};
    QPointF viewportOrg{0, 0};
    QSizeF viewportExt{1, 1};
    QTransform world;
    QPointF position;
    bool arcClockwise = false;
};

// Where the logical units land: for a WMF the current window fills the
// target; for an EMF the reference device's pixels map the frame onto it.
struct Frame {
    bool enhanced = false;
    QRectF target;
    QRectF deviceFrame;   // EMF: the picture frame in reference-device pixels
    QSizeF pixelsPerMm{1, 1}; // EMF: the reference device's resolution
};

class GdiPlayer {
public:
    GdiPlayer(QPainter* painter, const Frame& frame, size_t objectSlots);
    ~GdiPlayer();
    GdiPlayer(const GdiPlayer&) = delete;
    GdiPlayer& operator=(const GdiPlayer&) = delete;

    DcState& dc() { return dc_; }
    bool drawing() const { return painter_ != nullptr; }

    // Object table. WMF objects take the lowest free slot; EMF records name
    // theirs. Indexes with the top bit set are the stock objects.
    void addObject(GdiObject object);
    void setObject(uint32_t index, GdiObject object);
    void selectObject(uint32_t index);
    void deleteObject(uint32_t index);

    void saveDc();
    void restoreDc(int which);

    void moveTo(QPointF p);
    void lineTo(QPointF p);
    void polyline(const QPolygonF& points);
    void polylineTo(const QPolygonF& points);
    void polygon(const QPolygonF& points);
    void polyPolygon(const std::vector<QPolygonF>& polygons);
    void polyPolyline(const std::vector<QPolygonF>& polylines);
    void polyBezier(const QPolygonF& points, bool fromCurrent);
    void rectangle(const QRectF& box);
    void roundRect(const QRectF& box, QSizeF corner);
    void ellipse(const QRectF& box);
    enum class ArcKind { Arc, Chord, Pie };
    void arc(ArcKind kind, const QRectF& box, QPointF start, QPointF end);
    void setPixel(QPointF p, const QColor& color);
    // Text at p (or the current position with TA_UPDATECP); opaqueBox, when
    // valid, is filled with the background colour first.
    void text(QPointF p, const QString& text, const QRectF& opaqueBox = {});
    // A bitmap copied into dest (logical units) from the part src of image,
    // with a raster operation of the copy family.
    void bitmap(const QRectF& dest, const QRectF& src, const QImage& image, uint32_t rop);
    void patternFill(const QRectF& dest, uint32_t rop);

    void intersectClip(const QRectF& box);
    void excludeClip(const QRectF& box);
    void resetClip();

    void beginPath();
    void endPath();
    void abortPath();
    void closeFigure();
    void fillPath();
    void strokePath();
    void strokeAndFillPath();
    void selectClipPath(int mode);

    QTransform logicalToTarget() const;

private:
    void prepare(bool pen, bool brush);
    void drawPath(const QPainterPath& path, bool pen, bool brush);
    void applyClip();
    QPainterPath clipInTarget() const;

    QPainter* painter_;
    Frame frame_;
    QTransform base_;
    DcState dc_;
    std::vector<DcState> saved_;
    size_t slotLimit_;
    std::vector<GdiObject> objects_;
    bool inPath_ = false;
    QPainterPath path_;
    // The clip in target coordinates; empty optional-like flag when none.
    bool clipped_ = false;
    QPainterPath clip_;
    std::vector<std::pair<bool, QPainterPath>> savedClips_;
};

} // namespace qb::image::detail
