#pragma once
// "Report Layout": the paper, orientation and margins ("Page"), and for each
// band its borders, line width, shade and shade colour, with a miniature of
// the page that shows them; clicking a band in it opens that band's tab.

#include "reports/report_layout.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

namespace qb {

class TReportLayoutDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1093;

    explicit TReportLayoutDialog(const ReportLayout& layout, QWidget* parent = nullptr);

    const ReportLayout& layout() const { return layout_; }
    QTabWidget* tabs() const { return tabs_; }
    // The band (or -1 for the page) at a point of the miniature.
    int miniatureHit(QPoint p) const;
    QWidget* miniature() const { return miniature_; }

    void DefaultsClick();
    // Margins that leave no room to print are refused with a message.
    void SaveClick();

private:
    void fromControls();
    void toControls();

    ReportLayout layout_;
    QTabWidget* tabs_;
    QRadioButton* portrait_;
    QRadioButton* landscape_;
    QRadioButton* letter_;
    QRadioButton* a4_;
    std::array<QDoubleSpinBox*, 4> margins_{};   // left, top, right, bottom
    struct BandControls {
        QCheckBox *top, *left, *bottom, *right;
        QSpinBox* width;
        QComboBox* shade;
        QPushButton* colour;
    };
    std::array<BandControls, 4> bands_{};
    QWidget* miniature_;
    bool updating_ = false;
};

} // namespace qb
