#pragma once
// Replaying a recorded stream: TFilePrinter prints its pages on the selected
// printer, TFilePreview shows them one at a time in a scroll box at a zoom.

#include "printing/tcanvasreport.h"

#include <QScrollArea>

namespace qb {

class TFilePrinter : public TCanvasReport {
    Q_OBJECT
public:
    explicit TFilePrinter(QObject* parent = nullptr);

    void setStream(const TPageStream* stream) { stream_ = stream; }
    const TPageStream* stream() const { return stream_; }

protected:
    const TPageStream* stream_ = nullptr;
};

class PreviewPage;

class TFilePreview : public TFilePrinter {
    Q_OBJECT
public:
    static constexpr double kZoomInc = 10;
    static constexpr double kMarginPercent = 2.5;
    static constexpr double kMinZoom = 10, kMaxZoom = 200;

    // The scroll box is made as a child of boxParent.
    explicit TFilePreview(QWidget* boxParent, QObject* parent = nullptr);

    QScrollArea* scrollBox() const { return box_; }

    void StartReplay();
    void EndReplay();
    bool replaying() const { return replaying_; }

    // Page numbers are the recording job's: FirstPage() .. LastPage() of the stream.
    void ShowPage(int page);
    void PageForward();
    void PageBack();
    int currentPage() const { return current_; }
    int pageCount() const { return stream_ ? stream_->pageCount() : 0; }
    int streamFirstPage() const { return stream_ ? stream_->firstPage() : 0; }
    int streamLastPage() const { return stream_ ? stream_->lastPage() : 0; }

    double ZoomFactor() const { return zoom_; }
    // Percent clamped to 10..200; -1 shows the whole page, -2 (any value at or
    // below -1.9) the page width.
    void setZoomFactor(double zoom);
    void ZoomIn() { setZoomFactor(zoom_ + kZoomInc); }
    void ZoomOut() { setZoomFactor(zoom_ - kZoomInc); }
    double FitPageZoom() const;
    double FitWidthZoom() const;

    // The screen's pixels per inch the page is drawn at, at 100 percent.
    double screenPpi() const;
    // The widget the page is drawn on, and where the paper lies on it.
    QWidget* pageWidget() const;
    QRectF sheetRect() const;
    QSizeF paperInches() const;

signals:
    // The page or the zoom changed.
    void viewChanged();
    // A mouse button was pressed on the page.
    void pageClicked(Qt::MouseButton button);

protected:
    bool outputIsPreview() const override { return true; }

private:
    friend class PreviewPage;
    void relayout();
    double zoomForWidth(double width) const;

    QScrollArea* box_ = nullptr;
    PreviewPage* page_ = nullptr;
    bool replaying_ = false;
    int current_ = 0;
    double zoom_ = 100;
};

} // namespace qb
