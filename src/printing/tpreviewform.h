#pragma once
// The preview window every printout shares: a recorded document shown page by
// page, with page and zoom buttons along the bottom. The caller sets the
// caption, hands over the stream and a zoom mode (1 whole page, 2 page width,
// any other value that percent) and frees the stream after the window closed.

#include <QDialog>

class QAbstractButton;

namespace qb {

class TFilePreview;
class TPageStream;

// Caption of the window while a page shows: "Preview Page 2 of 5 ( 75% )".
QString previewCaption(int currentPage, int firstPage, int pageCount, double zoom);

class TPreviewForm : public QDialog {
    Q_OBJECT
public:
    explicit TPreviewForm(const TPageStream* stream, int zoomMode = 1, QWidget* parent = nullptr);
    ~TPreviewForm() override;

    TFilePreview* preview() const { return preview_; }
    // Help topic of the Help button.
    void setHelpContext(int context) { helpContext_ = context; }

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

private:
    void FormActivate();
    void updateCaption();
    void PageClick(Qt::MouseButton button);

    TFilePreview* preview_ = nullptr;
    int zoomMode_ = 1;
    int helpContext_ = 0;
    bool activated_ = false;
    bool placementSaved_ = false;
};

} // namespace qb
