#pragma once
// "Print Labels": the stored label layouts with Modify, New, Delete and Clone
// above; what to print, the printer, Print and Preview below. A hidden label
// panel carries the layout being printed.

#include "labels/label_catalogue.h"
#include "labels/label_print_loop.h"
#include "labels/label_printing.h"

#include <QDialog>

#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTableView;

namespace qb {

class AddressTable;
class TReportFiler;
class TReportPrinter;

namespace design {
class TKLabelPanel;
}

class DescriptionListModel;

class TLabelSetupScreen : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1075;

    // labels: LABEL.DBF, open for writing. filterSet: a filter is active in the main window.
    TLabelSetupScreen(xbase::Table& labels, AddressTable& addresses, bool filterSet, QWidget* parent = nullptr);
    ~TLabelSetupScreen() override;

    LabelCatalogue& catalogue() { return catalogue_; }
    QTableView* grid() const { return grid_; }
    QString infoText() const;
    const PositionMask& mask() const { return mask_; }
    int copies() const { return copies_; }
    bool presorted() const { return presorted_; }
    TReportPrinter& printerJob() { return *printerJob_; }
    TReportFiler& previewJob() { return *previewJob_; }

    // What a run asks of windows; replaceable so scripts and tests can answer.
    std::function<bool(const LabelStock&, PositionMask&, int& copies, bool presort)> askPositions;
    LabelPrintHooks printHooks;
    // The designer; replaceable so tests can drive it. True on Save.
    std::function<bool(LabelLayoutRecord&, design::TKLabelPanel*)> runDesigner;
    // The last run's outcome.
    const LabelPrintResult& lastRun() const { return lastRun_; }

    void ModifyButtonClick();
    void NewButtonClick();
    void DeleteButtonClick();
    void CloneButtonClick();
    void PrintNowClick();
    void PreviewbuttonClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormActivate();
    void modify(bool isNew);
    void run(PrintRunMode mode);
    void reloadList(const QString& selectFile = {});
    void RowChange();
    void SetButtons();
    void PrinterChange(int index);

    xbase::Table& labels_;
    AddressTable& addresses_;
    LabelCatalogue catalogue_;
    std::unique_ptr<DescriptionListModel> model_;
    QTableView* grid_;
    QLabel* info_;
    QPushButton* modify_;
    QPushButton* new_;
    QPushButton* delete_;
    QPushButton* clone_;
    QGroupBox* whatToPrint_;
    QGroupBox* printerPanel_;
    QRadioButton* all_;
    QRadioButton* filter_;
    QRadioButton* onlyThis_;
    QCheckBox* startCurrent_;
    QCheckBox* presort_;
    QComboBox* printer_;
    QPushButton* print_;
    QPushButton* preview_;
    QWidget* hiddenOwner_;
    design::TKLabelPanel* hiddenPanel_;
    std::unique_ptr<TReportPrinter> printerJob_;
    std::unique_ptr<TReportFiler> previewJob_;
    PositionMask mask_;
    int copies_ = 1;
    bool presorted_ = false;
    bool activated_ = false;
    LabelPrintResult lastRun_;
    design::PieceNotes notes_;   // of the run under way
};

} // namespace qb
