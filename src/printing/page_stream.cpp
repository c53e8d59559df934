#include "printing/page_stream.h"

#include <QPainter>

#include <cmath>

namespace qb {
namespace {

// A pen that would come out thinner than one pixel of this device (a
// one-pixel line of the recording in a zoomed-out preview) is drawn one pixel
// wide, so thin lines never vanish.
QPen visible(const QPainter& p, QPen pen)
{
    const double scale = std::sqrt(std::abs(p.transform().determinant()));
    if (pen.style() != Qt::NoPen && pen.widthF() * scale < 1.0)
        pen.setWidth(0);
    return pen;
}

// The state a fresh painter has on a picture or a printer, whatever device it
// is now: a widget's painter starts with its palette's colours.
void resetState(QPainter& p)
{
    p.setPen(QPen());
    p.setBrush(Qt::NoBrush);
    p.setFont(QFont());
    p.setBackground(Qt::white);
    p.setBackgroundMode(Qt::TransparentMode);
    p.setOpacity(1.0);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

struct Player {
    QPainter& p;

    void operator()(const LineCommand& c) const
    {
        p.setPen(visible(p, c.pen));
        p.drawLine(c.from, c.to);
    }
    void operator()(const ShapeCommand& c) const
    {
        p.setPen(visible(p, c.pen));
        p.setBrush(c.brush);
        switch (c.kind) {
        case ShapeCommand::Rectangle: p.drawRect(c.rect); break;
        case ShapeCommand::Ellipse: p.drawEllipse(c.rect); break;
        case ShapeCommand::RoundRect: p.drawRoundedRect(c.rect, c.radii.width(), c.radii.height()); break;
        }
    }
    void operator()(const FillCommand& c) const { p.fillRect(c.rect, c.brush); }
    void operator()(const TextCommand& c) const
    {
        if (!c.clip && c.angle == 0 && c.background.style() == Qt::NoBrush) {
            // Plain text needs no state of its own: every other command sets
            // the pen and brush it draws with, so nothing is saved and put back.
            p.setFont(c.font);
            p.setPen(c.color);
            p.drawText(c.baseline, c.text);
            return;
        }
        p.save();
        if (c.clip)
            p.setClipRect(*c.clip, Qt::IntersectClip);
        p.translate(c.baseline);
        if (c.angle != 0)
            p.rotate(-c.angle);
        p.setFont(c.font);
        if (c.background.style() != Qt::NoBrush) {
            const QFontMetricsF fm(c.font);
            p.fillRect(QRectF(0, -fm.ascent(), fm.horizontalAdvance(c.text), fm.height()), c.background);
        }
        p.setPen(c.color);
        p.drawText(QPointF(0, 0), c.text);
        p.restore();
    }
    void operator()(const PictureCommand& c) const
    {
        if (c.source.width() <= 0 || c.source.height() <= 0)
            return;
        p.save();
        p.translate(c.target.topLeft());
        // A picture plays itself scaled from its own resolution to the
        // device's; the part left to the transform is the rest.
        const QPaintDevice* device = p.device();
        const double autoX = device ? double(device->logicalDpiX()) / c.picture.logicalDpiX() : 1.0;
        const double autoY = device ? double(device->logicalDpiY()) / c.picture.logicalDpiY() : 1.0;
        p.scale(c.target.width() / c.source.width() / autoX, c.target.height() / c.source.height() / autoY);
        p.translate(-c.source.topLeft());
        playPicture(p, c.picture);
        p.restore();
    }
    void operator()(const ImageCommand& c) const { p.drawImage(c.target, c.image); }
};

} // namespace

void playCommand(QPainter& painter, const DrawCommand& command) { std::visit(Player{painter}, command); }

void playPicture(QPainter& painter, const QPicture& picture)
{
    painter.save();
    resetState(painter);
    painter.drawPicture(QPointF(0, 0), picture);
    painter.restore();
}

RecordedPage& TPageStream::beginPage(int number, const QSizeF& paperInches)
{
    pages_.push_back({number, paperInches, {}});
    return pages_.back();
}

void TPageStream::play(QPainter& painter, int index, double pixelsPerRecordedPixel) const
{
    const RecordedPage& page = this->page(index);
    painter.save();
    resetState(painter);
    painter.scale(pixelsPerRecordedPixel, pixelsPerRecordedPixel);
    for (const DrawCommand& c : page.commands)
        playCommand(painter, c);
    painter.restore();
}

} // namespace qb
