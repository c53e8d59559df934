#include "printing/tfileprinter.h"

#include <QBitmap>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace qb {

TFilePrinter::TFilePrinter(QObject* parent) : TCanvasReport(parent)
{
    OnPrint = [this] {
        if (!stream_)
            return;
        for (int i = 0; i < stream_->pageCount() && !Aborted(); ++i) {
            if (i > 0)
                BreakPage();
            if (QPainter* p = painter(); p && drawing())
                stream_->play(*p, i, devicePixelsPerInchY() / TPageStream::kResolution);
            RefreshStatus();
        }
    };
}

// ------------------------------------------------------------------ the page widget

// The page drawn at the zoom on a grey desk, with a shadow, a border of
// kMarginPercent of the page width around it.
class PreviewPage : public QWidget {
public:
    explicit PreviewPage(TFilePreview& owner, QWidget* parent) : QWidget(parent), owner_(owner)
    {
        setCursor(magnifierCursor());
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    double scale() const { return owner_.ZoomFactor() / 100.0 * owner_.screenPpi(); }   // pixels per inch
    double border() const { return owner_.paperInches().width() * TFilePreview::kMarginPercent / 100.0 * scale(); }
    QRectF sheet() const
    {
        const QSizeF paper = owner_.paperInches();
        return QRectF(border(), border(), paper.width() * scale(), paper.height() * scale());
    }
    QSize wanted() const
    {
        const QSizeF paper = owner_.paperInches();
        // A page fitted to the box exactly must not come out a pixel wider.
        return QSize(int(std::ceil(paper.width() * scale() + 2 * border() - 1e-6)),
                     int(std::ceil(paper.height() * scale() + 2 * border() - 1e-6)));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), QColor(128, 128, 128));
        const QRectF sheet = this->sheet();
        const double shadow = std::max(2.0, border() / 3);
        p.fillRect(sheet.translated(shadow, shadow), Qt::black);
        p.fillRect(sheet, Qt::white);
        if (!owner_.replaying_ || !owner_.stream_ || owner_.stream_->isEmpty())
            return;
        const int index = owner_.current_ - owner_.stream_->firstPage();
        if (index < 0 || index >= owner_.stream_->pageCount())
            return;
        p.setClipRect(sheet);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        p.translate(sheet.topLeft());
        owner_.stream_->play(p, index, scale() / TPageStream::kResolution);
    }
    void mousePressEvent(QMouseEvent* e) override { emit owner_.pageClicked(e->button()); }

private:
    static QCursor magnifierCursor()
    {
        QPixmap pm(32, 32);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::white, 4));
        p.drawEllipse(QPointF(12, 12), 8, 8);
        p.drawLine(QPointF(18, 18), QPointF(28, 28));
        p.setPen(QPen(Qt::black, 2));
        p.drawEllipse(QPointF(12, 12), 8, 8);
        p.drawLine(QPointF(18, 18), QPointF(28, 28));
        return QCursor(pm, 12, 12);
    }

    TFilePreview& owner_;
};

// ------------------------------------------------------------------ preview control

TFilePreview::TFilePreview(QWidget* boxParent, QObject* parent) : TFilePrinter(parent)
{
    box_ = new QScrollArea(boxParent);
    box_->setObjectName(QStringLiteral("ScrollBox"));
    box_->setAlignment(Qt::AlignCenter);
    box_->setBackgroundRole(QPalette::Dark);
    page_ = new PreviewPage(*this, box_);
    page_->setObjectName(QStringLiteral("PreviewPage"));
    box_->setWidget(page_);
    box_->setWidgetResizable(false);
    relayout();
}

QRectF TFilePreview::sheetRect() const { return page_->sheet(); }
QWidget* TFilePreview::pageWidget() const { return page_; }

double TFilePreview::screenPpi() const { return box_ ? box_->logicalDpiX() : 96.0; }

QSizeF TFilePreview::paperInches() const
{
    if (stream_ && !stream_->isEmpty()) {
        const int index = std::clamp(current_ - stream_->firstPage(), 0, stream_->pageCount() - 1);
        return stream_->page(index).paperInches;
    }
    return geometry_.paper;
}

void TFilePreview::StartReplay()
{
    replaying_ = true;
    current_ = streamFirstPage();
    relayout();
    emit viewChanged();
}

void TFilePreview::EndReplay()
{
    replaying_ = false;
    page_->update();
}

void TFilePreview::ShowPage(int page)
{
    if (!stream_ || stream_->isEmpty())
        return;
    current_ = std::clamp(page, stream_->firstPage(), stream_->lastPage());
    relayout();
    box_->verticalScrollBar()->setValue(0);
    emit viewChanged();
}

void TFilePreview::PageForward()
{
    if (stream_ && current_ < stream_->lastPage())
        ShowPage(current_ + 1);
}

void TFilePreview::PageBack()
{
    if (stream_ && current_ > stream_->firstPage())
        ShowPage(current_ - 1);
}

// The zoom at which the page with its borders is width pixels wide.
double TFilePreview::zoomForWidth(double width) const
{
    const QSizeF paper = paperInches();
    if (paper.width() <= 0 || width <= 0)
        return 100;
    return 100.0 * width / (paper.width() * (1 + 2 * kMarginPercent / 100.0) * screenPpi());
}

double TFilePreview::FitWidthZoom() const
{
    // Measured without scroll bars: a page taller than the box brings the
    // vertical one, whose width the page then gives up, so that no
    // horizontal bar is needed.
    const QSize room = box_->maximumViewportSize();
    const double zoom = zoomForWidth(room.width());
    const QSizeF paper = paperInches();
    const double scale = zoom / 100.0 * screenPpi();
    const double height = paper.height() * scale + 2 * paper.width() * kMarginPercent / 100.0 * scale;
    if (height <= room.height())
        return zoom;
    return zoomForWidth(room.width() - box_->verticalScrollBar()->sizeHint().width());
}

double TFilePreview::FitPageZoom() const
{
    const QSizeF paper = paperInches();
    const double view = box_->maximumViewportSize().height();
    if (paper.height() <= 0 || view <= 0)
        return FitWidthZoom();
    const double byHeight =
        100.0 * view / ((paper.height() + 2 * kMarginPercent / 100.0 * paper.width()) * screenPpi());
    return std::min(zoomForWidth(box_->maximumViewportSize().width()), byHeight);
}

void TFilePreview::setZoomFactor(double zoom)
{
    if (zoom <= -1.9)
        zoom = FitWidthZoom();
    else if (zoom <= -0.5)
        zoom = FitPageZoom();
    zoom_ = std::clamp(zoom, kMinZoom, kMaxZoom);
    relayout();
    emit viewChanged();
}

void TFilePreview::relayout()
{
    page_->resize(page_->wanted());
    page_->update();
}

} // namespace qb
