#pragma once
// "Report Designer": one report's bands under a ruler (header, detail, memo,
// footer), each with its check box and a sizer to drag, the tools of the band
// panels, grid, snap, field names or values, zoom, the default font, the
// memo band's font and alignment, the layout ("Report Layout") and the
// address records to look at. Save hands the description, the layout record
// and the bands' objects back to "Print Report".

#include "reports/report_catalogue.h"
#include "reports/report_file.h"
#include "reports/report_layout.h"
#include "reports/treportpanel.h"

#include <QDialog>

#include <array>
#include <functional>

class QAction;
class QCheckBox;
class QFrame;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;
class QVBoxLayout;

namespace qb {

class AddressTable;

class TReportDesigner : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1092;

    // bands: the report's header, detail and footer panels, loaded; the
    // designer shows them and gives them back to their owner when it closes.
    TReportDesigner(ReportRecord& record, ReportLayout& layout, const ReportBands& bands, AddressTable& addresses,
                    QWidget* parent = nullptr);
    ~TReportDesigner() override;

    QToolButton* tool(const char* name) const;
    QCheckBox* bandCheck(ReportBand band) const { return checks_[size_t(band)]; }
    TReportPanel* band(ReportBand band) const;
    int bandHeight(ReportBand band) const;
    // The band's height as a sizer drag sets it: cut to what the page's area
    // leaves, objects below or right of the band moved back in.
    void setBandHeight(ReportBand band, int height);
    void setBandUsed(ReportBand band, bool on);
    void ToolClick(TRPanelState state);
    void setZoom(double zoom);
    double zoom() const { return zoom_; }
    const ReportLayout& layout() const { return layout_; }
    QString layoutCaption() const;
    QString defaultFontCaptionText() const;
    void SaveButtonClick();

    // Replaceable so tests can answer: the layout dialog (true on Save), the
    // default and memo fonts (false on Cancel).
    std::function<bool(ReportLayout&)> chooseLayout;
    std::function<bool(ReportFont&)> chooseFont;

    void LayoutClick();
    void DefaultFontClick();
    void MemoFontClick();
    void setMemoAlignment(int alignment);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void done(int result) override;

private:
    void relayout();
    void updateCaptions();
    void moveRecord(int which);
    void showMemo();
    int available() const;
    int usedHeights() const;
    void keepObjectsIn(TReportPanel* panel);
    void fitBandsToPage();
    void applyDefaultFont();

    ReportRecord& record_;
    ReportLayout& result_;
    ReportLayout layout_;
    ReportBands bands_;
    std::array<QWidget*, 3> homes_{};
    AddressTable& addresses_;
    QLineEdit* description_;
    std::array<QCheckBox*, 4> checks_{};
    std::array<QFrame*, 4> sizers_{};
    QWidget* memoBand_;
    QPlainTextEdit* memo_;
    QWidget* page_;
    QWidget* ruler_;
    QAction* fontAction_;
    QAction* layoutAction_;
    std::array<QAction*, 3> alignActions_{};
    double zoom_ = 1.0;
    // Sizer drag.
    int dragBand_ = -1;
    int dragStartHeight_ = 0;
    int dragStartY_ = 0;
};

} // namespace qb
