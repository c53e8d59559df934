#pragma once
// "Print Letters": the stored letter templates with Modify, New, Delete and
// Clone; what to print, the number of copies and the printer; Print, Preview
// and Printer Setup.

#include "letters/letter_catalogue.h"
#include "letters/letter_print_loop.h"

#include <QDialog>

#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableView;

namespace qb {

class AddressTable;
class DescriptionListModel;
class TLetterDesign;
class TReportPrinter;

class TQBLetters : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1083;

    // letters: LETTER.DBF, open for writing. filterSet: a filter is active in the main window.
    TQBLetters(xbase::Table& letters, AddressTable& addresses, bool filterSet, QWidget* parent = nullptr);
    ~TQBLetters() override;

    LetterCatalogue& catalogue() { return catalogue_; }
    QTableView* grid() const { return grid_; }
    TReportPrinter& printerJob() { return *printerJob_; }

    // What the screen asks of other windows; replaceable so tests can answer.
    // The system's print dialog: true on OK.
    std::function<bool()> printDialog;
    // The printer setup: true on OK.
    std::function<bool()> printerSetup;
    // The editor, shown modally; true when it returned Ok.
    std::function<bool(TLetterDesign& editor)> runEditor;
    // The status window over a run; returns how it ended.
    std::function<PrintOutcome(LetterPrintLoop& loop)> runPrint;
    // The preview of the template.
    std::function<void(const richtext::RichText& letterTemplate)> runPreview;
    // The last run, for those who want to know.
    int lastPages() const { return lastPages_; }
    int lastLetters() const { return lastLetters_; }

    void ModifyButtonClick();
    void NewButtonClick();
    void DeleteButtonClick();
    void CloneButtonClick();
    void PrintButtonClick();
    void PreviewButtonClick();
    void PrinterSetupButtonClick();

private:
    void modify(bool isNew);
    void reloadList(uint32_t select = 0);
    void RowChange();
    void SetButtons();
    void showPrinter();

    xbase::Table& letters_;
    AddressTable& addresses_;
    LetterCatalogue catalogue_;
    std::unique_ptr<DescriptionListModel> model_;
    std::unique_ptr<TReportPrinter> printerJob_;
    QTableView* grid_;
    QPushButton* modify_;
    QPushButton* new_;
    QPushButton* delete_;
    QPushButton* clone_;
    QPushButton* print_;
    QPushButton* preview_;
    QRadioButton* all_;
    QRadioButton* filter_;
    QRadioButton* onlyThis_;
    QCheckBox* startCurrent_;
    QSpinBox* copies_;
    QLabel* printer_;
    int lastPages_ = 0;
    int lastLetters_ = 0;
};

} // namespace qb
