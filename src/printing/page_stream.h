#pragma once
// The recorded document: each page a list of drawing commands in the device
// pixels of the recording job's virtual device. Nothing is rasterised, so a
// page replays sharp at any zoom and goes to a printer or a PDF exactly as it
// would have been drawn there.

#include <QBrush>
#include <QFont>
#include <QImage>
#include <QPen>
#include <QPicture>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>
#include <variant>
#include <vector>

class QPainter;

namespace qb {

struct LineCommand {
    QPointF from, to;
    QPen pen;
};
struct ShapeCommand {
    enum Kind { Rectangle, Ellipse, RoundRect } kind = Rectangle;
    QRectF rect;
    QSizeF radii;   // RoundRect only
    QPen pen;
    QBrush brush;
};
struct FillCommand {
    QRectF rect;
    QBrush brush;
};
struct TextCommand {
    QPointF baseline;
    QString text;
    QFont font;
    QColor color;
    double angle = 0;                 // degrees, counter-clockwise
    std::optional<QRectF> clip;
    QBrush background;                // Qt::NoBrush: transparent
};
struct PictureCommand {
    QRectF target;
    QRectF source;                    // the part of the picture that fills target
    QPicture picture;
};
struct ImageCommand {
    QRectF target;
    QImage image;
};

using DrawCommand = std::variant<LineCommand, ShapeCommand, FillCommand, TextCommand, PictureCommand, ImageCommand>;

// Draws one command on painter, whose coordinates are the command's device pixels.
void playCommand(QPainter& painter, const DrawCommand& command);

// Plays picture at the painter's origin from the state a picture is recorded
// in: a black one-pixel pen, no brush, the default font, a transparent
// background. A picture stores only the changes its drawing made, so played
// on the painter as it happens to be (a widget's white text colour, the last
// command's red pen) its text and lines would take those colours.
void playPicture(QPainter& painter, const QPicture& picture);

struct RecordedPage {
    int number = 0;                   // the job's page number
    QSizeF paperInches;
    std::vector<DrawCommand> commands;
};

// The in-memory stream a recording job fills and the preview replays.
class TPageStream {
public:
    // Pixels per inch of the recorded coordinates.
    static constexpr double kResolution = 1200.0;

    void clear() { pages_.clear(); }
    int pageCount() const { return int(pages_.size()); }
    bool isEmpty() const { return pages_.empty(); }
    const RecordedPage& page(int index) const { return pages_.at(size_t(index)); }
    // Job page numbers of the first and last recorded page; 0 when empty.
    int firstPage() const { return pages_.empty() ? 0 : pages_.front().number; }
    int lastPage() const { return pages_.empty() ? 0 : pages_.back().number; }

    RecordedPage& beginPage(int number, const QSizeF& paperInches);
    RecordedPage* currentPage() { return pages_.empty() ? nullptr : &pages_.back(); }

    // Draws page index on painter with one recorded pixel mapped to
    // pixelsPerRecordedPixel device pixels (painter's transform applied first).
    // The page is drawn the same on every device, whatever pen, brush or font
    // the painter came with.
    void play(QPainter& painter, int index, double pixelsPerRecordedPixel) const;

private:
    std::vector<RecordedPage> pages_;
};

} // namespace qb
