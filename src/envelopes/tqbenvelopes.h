#pragma once
// "Print Envelope": the stored envelope layouts with Modify, New, Delete and
// Clone, a small preview of the highlighted one filled with the current
// record, the current record and its navigation, what to print, and Print,
// Preview and Printer Setup. TEnvelopeForm is the run's status window.

#include "envelopes/envelope_catalogue.h"
#include "envelopes/envelope_printing.h"
#include "printing/print_status.h"

#include <QDialog>

#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTableView;

namespace qb {

class AddressTable;
class DescriptionListModel;
class TEnvelopePanel;
class TReportFiler;
class TReportPrinter;

// The status window of an envelope run: Cancel stops a print at once, Stop a
// preview; it closes by itself when the run ends.
class TEnvelopeForm : public TPrintStatusWindow {
    Q_OBJECT
public:
    TEnvelopeForm(TBaseReport& job, PrintRunMode mode, QWidget* parent = nullptr);
};

class TQBEnvelopes : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1082;

    // envelopes: ENVELOPE.DBF, open for writing. filterSet: a filter is active in the main window.
    TQBEnvelopes(xbase::Table& envelopes, AddressTable& addresses, bool filterSet, QWidget* parent = nullptr);
    ~TQBEnvelopes() override;

    EnvelopeCatalogue& catalogue() { return catalogue_; }
    QTableView* grid() const { return grid_; }
    TEnvelopePanel* previewPanel() const { return display_; }
    TReportPrinter& printerJob() { return *printerJob_; }
    const EnvelopeFeed& feed() const { return feed_; }
    const EnvelopePrintResult& lastRun() const { return lastRun_; }

    // What a run asks of windows; replaceable so tests can answer.
    EnvelopePrintHooks printHooks;
    // The designer; true on Save.
    std::function<bool(EnvelopeLayoutRecord&, TEnvelopePanel*)> runDesigner;
    // The size dialog of New; nullopt on Cancel.
    std::function<std::optional<int>(int code)> chooseSize;

    void ModifyButtonClick();
    void NewButtonClick();
    void DeleteButtonClick();
    void CloneButtonClick();
    void PrintClick();
    void PreviewClick();
    void PrinterSetupClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void modify(bool isNew, int code);
    void run(PrintRunMode mode);
    void loadPrinterSettings();
    void savePrinterSettings();
    void reloadList(const QString& selectFile = {});
    void RowChange();
    void rebuildPreview();
    void showRecord();
    void moveRecord(int which);
    void SetButtons();

    xbase::Table& envelopes_;
    AddressTable& addresses_;
    EnvelopeCatalogue catalogue_;
    std::unique_ptr<DescriptionListModel> model_;
    std::unique_ptr<TReportPrinter> printerJob_;
    std::unique_ptr<TReportFiler> previewJob_;
    EnvelopeFeed feed_;
    EnvelopePrintResult lastRun_;
    design::PieceNotes notes_;   // of the run under way
    QTableView* grid_;
    QPushButton* modify_;
    QPushButton* new_;
    QPushButton* delete_;
    QPushButton* clone_;
    QPushButton* print_;
    QPushButton* preview_;
    QLabel* first_;
    QLabel* last_;
    QLabel* org_;
    QLabel* city_;
    QRadioButton* all_;
    QRadioButton* filter_;
    QRadioButton* onlyThis_;
    QCheckBox* startCurrent_;
    QWidget* hiddenOwner_;
    TEnvelopePanel* hiddenPanel_;
    TEnvelopePanel* display_;
    bool activated_ = false;
};

} // namespace qb
