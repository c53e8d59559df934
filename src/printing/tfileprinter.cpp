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
    QSize wanted() const
    {
        const QSizeF paper = owner_.paperInches();
        return QSize(int(std::ceil(paper.width() * scale() + 2 * border())),
                     int(std::ceil(paper.height() * scale() + 2 * border())));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), QColor(128, 128, 128));
        const QSizeF paper = owner_.paperInches();
        const QRectF sheet(border(), border(), paper.width() * scale(), paper.height() * scale());
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

double TFilePreview::FitWidthZoom() const
{
    const QSizeF paper = paperInches();
    const double view = box_->viewport()->width();
    if (paper.width() <= 0 || view <= 0)
        return 100;
    return 100.0 * view / (paper.width() * (1 + 2 * kMarginPercent / 100.0) * screenPpi());
}

double TFilePreview::FitPageZoom() const
{
    const QSizeF paper = paperInches();
    const double view = box_->viewport()->height();
    if (paper.height() <= 0 || view <= 0)
        return FitWidthZoom();
    const double byHeight =
        100.0 * view / ((paper.height() + 2 * kMarginPercent / 100.0 * paper.width()) * screenPpi());
    return std::min(FitWidthZoom(), byHeight);
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
