#pragma once
// One run of label printing or preview: the layout loaded into a hidden label
// panel, the records chosen, the presort, the paper set from the stock and
// checked, the job run under its status window, the preview shown, and the
// address table's query, order and record put back whatever happened. The
// windows it needs come in through hooks, so scripts and tests can run it
// without any.

#include "core/print_records.h"
#include "design/piece_notes.h"
#include "labels/label_print_loop.h"
#include "labels/label_stock.h"
#include "printing/print_status.h"

#include <functional>

namespace qb {

class AddressTable;
class TBaseReport;
class TPageStream;

namespace design {
class TKBasePanel;
class TKLabelPanel;
}

struct LabelPrintRequest {
    enum class Records { All, Filter, OnlyCurrent };
    Records records = Records::Filter;
    bool startFromCurrent = false;
    bool presort = false;
    int copies = 1;
    PositionMask mask;
    PrintRunMode mode = PrintRunMode::Print;
    LabelStock stock;
    QString layoutPath;    // sysdata + BINARY
    QString presortPath;   // PRESORT.PSL in the program folder
};

struct LabelPrintHooks {
    // The presort window over the table; true when the list was written.
    std::function<bool(xbase::Table& table)> presort;
    std::function<void(const QString& text)> inform;
    std::function<bool(const QString& text)> askYesNo;
    // Runs the job under the status window (or straight away); the loop is
    // what its OnPrint does. Returns how the job ended.
    std::function<PrintOutcome(TBaseReport& job, PrintStatusTexts texts,
                               const std::function<void(const std::function<bool()>& stopped)>& loop)>
        runStatus;
    // "Preview Labels" over the recorded pages, zoom mode 2 (page width).
    std::function<void(const TPageStream& pages)> preview;
    // What the labels lacked, as soon as the last one is printed.
    std::function<void(const design::PieceNotes& notes)> noted;
};

// The status texts of the label status window.
PrintStatusTexts labelStatusTexts();

inline const QString kPresortOrderNote =
    QStringLiteral("Labels will print/preview in the following order:\r\n  1. 5-Digit presort\r\n  2. 3-Digit "
                   "presort\r\n  3. ADC presort");

// The question when the printer does not confirm the paper; w and h in
// portrait terms.
QString paperQuestion(double w, double h);

struct LabelPrintResult {
    PrintOutcome outcome = PrintOutcome::NotRun;
    LabelRunStats stats;
    design::PieceNotes notes;
};

// presorted: the print screen's flag, set when a presort completed and
// reused while it stays set.
LabelPrintResult runLabelPrint(AddressTable& table, design::TKLabelPanel& panel, TBaseReport& job,
                               const LabelPrintRequest& request, bool& presorted, const LabelPrintHooks& hooks);

// Loads the layout a run prints into panel: a missing file gives
// removedMessage, a file that fails to read its reader's message, and the
// panel is left empty; false then.
bool loadRunLayout(design::TKBasePanel& panel, const QString& path, const QString& removedMessage,
                   const std::function<void(const QString&)>& inform);

// The default hooks' status run without a window: the job runs at once.
PrintOutcome runJobDirectly(TBaseReport& job, const std::function<void(const std::function<bool()>& stopped)>& loop);

} // namespace qb
