#pragma once
// "Print Report": the built-in lists ("Built In Reports") and the stored
// reports ("Report Designer" with New, Modify, Delete and Clone), what to
// print, and Print, Preview and Printer Setup. The status windows of the
// three kinds of report runs are here too.

#include "printing/print_status.h"
#include "reports/report_catalogue.h"
#include "reports/report_printing.h"

#include <QDialog>

#include <functional>
#include <memory>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableView;

namespace qb {

class AddressTable;
class DescriptionListModel;
class TReportFiler;
class TReportPrinter;

// The status window of a run ("Print Status Screen"), named for its kind:
// TUserDefinedReportPrint, TBuiltInReportPrint or TSingleRecordPrint.
class TReportStatusWindow : public TPrintStatusWindow {
    Q_OBJECT
public:
    TReportStatusWindow(const char* className, TBaseReport& job, PrintRunMode mode, QWidget* parent = nullptr);
};

// The hooks a report window gives a run: message boxes, the status window
// (className names its kind) and the preview.
ReportRunHooks reportWindowHooks(QWidget* parent, const char* className);

class TReportSetup : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1090;

    // reports: REPORT.DBF, open exclusively. filterSet: the main window has a filter.
    TReportSetup(xbase::Table& reports, AddressTable& addresses, bool filterSet, QWidget* parent = nullptr);
    ~TReportSetup() override;

    ReportCatalogue& catalogue() { return catalogue_; }
    QTabWidget* pages() const { return pages_; }
    QTableView* grid() const { return grid_; }
    const ReportRunResult& lastRun() const { return lastRun_; }

    // What a run asks of windows; replaceable so tests can answer.
    ReportRunHooks printHooks;     // designed reports
    ReportRunHooks builtInHooks;   // the built-in lists
    // The print dialog before Print; false on Cancel.
    std::function<bool(TReportPrinter& job)> printDialog;
    // The designer over the record, its layout and bands; true on Save.
    std::function<bool(ReportRecord&, ReportLayout&, const ReportBands&)> runDesigner;

    void NewButtonClick();
    void ModifyButtonClick();
    void DeleteButtonClick();
    void CloneButtonClick();
    void PrintClick();
    void PreviewClick();
    void PrinterSetupClick();

private:
    void edit(bool isNew);
    void run(PrintRunMode mode);
    void reloadList(const QString& selectFile = {});
    void RowChange();
    void SetButtons();
    ReportSelection selection(PrintRunMode mode) const;

    xbase::Table& reports_;
    AddressTable& addresses_;
    ReportCatalogue catalogue_;
    std::unique_ptr<DescriptionListModel> model_;
    std::unique_ptr<TReportPrinter> printerJob_;
    std::unique_ptr<TReportFiler> previewJob_;
    ReportRunResult lastRun_;
    QTabWidget* pages_;
    QListWidget* reportList_;
    QLineEdit* title_;
    QCheckBox* printMemo_;
    QCheckBox* printCodes_;
    QTableView* grid_;
    QPushButton* new_;
    QPushButton* modify_;
    QPushButton* delete_;
    QPushButton* clone_;
    QPushButton* print_;
    QPushButton* preview_;
    QWidget* what_;
    QRadioButton* all_;
    QRadioButton* filter_;
    QRadioButton* onlyThis_;
    QCheckBox* startCurrent_;
    QCheckBox* onePerPage_;
    QWidget* hiddenOwner_;
    ReportBands hidden_{};
};

} // namespace qb
