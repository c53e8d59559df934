#pragma once
// "Preview Letters": the letter merged with the current address record, one
// page at a time on a page-sized panel, with zoom, page and record buttons.
// The record buttons move the address table and merge the letter anew.

#include "platform/richtext/rich_text.h"

#include <QDate>
#include <QDialog>

#include <vector>

class QScrollArea;
class QToolButton;

namespace qb {

class AddressTable;
class PreviewPagePanel;

class TRTFPreviewForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1086;

    TRTFPreviewForm(const richtext::RichText& letterTemplate, AddressTable& addresses, QWidget* parent = nullptr);
    ~TRTFPreviewForm() override;

    int zoom() const { return zoom_; }
    int pageNumber() const { return pageNumber_; }
    // The merged letter (RTFFinal) and the page start the panel shows.
    const richtext::RichText& merged() const { return final_; }
    int pageStart() const { return start_; }
    // The start of the page after the one shown; 0 when it is the last.
    int nextStart() const { return next_; }
    QWidget* pagePanel() const;

    // The date merged for "Today's Date" and "Long Date".
    QDate today = QDate::currentDate();

    // The zoom in percent (at least 1), the page panel sized to it.
    void setZoom(int zoom);

    void sbZoomInClick();
    void sbZoomOutClick();
    void sbZoomPageWidthClick();
    void sbZoomPageClick();
    void sbPrevPageClick();
    void sbNextPageClick();
    void bFirstClick();
    void bPrevClick();
    void bNextClick();
    void bLastClick();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

private:
    friend class PreviewPagePanel;
    void FormActivate();
    void remerge();
    void layoutPage();
    double pageWidthPixels() const;
    double pageHeightPixels() const;
    void setCaption();
    void recordMoved();

    richtext::RichText template_;   // RTFTemplate
    richtext::RichText final_;      // RTFFinal
    AddressTable& addresses_;
    int zoom_ = 100;
    int pageNumber_ = 1;
    int start_ = 0;
    int next_ = 0;
    std::vector<int> starts_;
    bool activated_ = false;
    QScrollArea* box_;
    PreviewPagePanel* panel_;
};

} // namespace qb
