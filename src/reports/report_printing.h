#pragma once
// Report runs without windows: a designed report's bands over the records,
// the four built-in lists and the printout of one record. The "Print Report"
// window, the record printout window and qbtool report all run them; windows
// hand in their status window and preview through the hooks.

#include "core/print_records.h"
#include "printing/print_status.h"
#include "reports/report_file.h"
#include "reports/report_layout.h"

#include <QDateTime>
#include <QStringList>

#include <array>
#include <functional>

namespace qb {

class AddressTable;
class TBaseReport;
class TPageStream;

struct ReportRunHooks {
    std::function<void(const QString& text)> inform;
    // Runs the job under the status window (or at once).
    std::function<PrintOutcome(TBaseReport& job, PrintStatusTexts texts,
                               const std::function<void(const std::function<bool()>& stopped)>& loop)>
        runStatus;
    std::function<void(const TPageStream& pages)> preview;
};

struct ReportRunResult {
    PrintOutcome outcome = PrintOutcome::NotRun;
    int records = 0;
    int pages = 0;
    // What went wrong on the way without stopping the run (a memo that could
    // not be read), or why the run ended early.
    QStringList notes;
};

struct ReportSelection {
    PrintRecords records = PrintRecords::Filter;
    bool startFromCurrent = false;
    PrintRunMode mode = PrintRunMode::Print;
};

// The memo text of the current record wrapped at width pixels (96 to the inch)
// in font; a single line that is blank after trimming is no line at all.
QStringList wrapMemo(const QString& memo, const ReportFont& font, int width);

// The time in the built-in lists' and the record printout's header; tests set their own.
void setReportClockForTesting(std::function<QDateTime()> clock);

// ---- designed reports ------------------------------------------------------------
struct UserReportRequest {
    ReportSelection selection;
    bool onePerPage = false;
};

// The bands already hold the report's objects and layout its record; the
// detail band is bound to addresses here.
ReportRunResult runUserReport(AddressTable& addresses, const ReportBands& bands, const ReportLayout& layout,
                              TBaseReport& job, const UserReportRequest& request, const ReportRunHooks& hooks);

// ---- built-in lists --------------------------------------------------------------
inline const QStringList kBuiltInReports{
    QStringLiteral("1. Name,Address,City,State,Zip,Phone"), QStringLiteral("2. Name,Organization,Phone,Fax"),
    QStringLiteral("3. Organization,Name,Phone,Fax "), QStringLiteral("4. All major fields (takes several lines)")};

struct BuiltInReportRequest {
    ReportSelection selection;
    int entry = 1;   // 1-4
    QString title = QStringLiteral("Report 1");
    bool memo = false, codes = false;
};

ReportRunResult runBuiltInReport(AddressTable& addresses, TBaseReport& job, const BuiltInReportRequest& request,
                                 const ReportRunHooks& hooks);

// ---- the current record ----------------------------------------------------------
// The printed fields in order: check box caption, field, printed label.
struct RecordPrintoutField {
    QString box, field, label;
};
const std::vector<RecordPrintoutField>& recordPrintoutFields();   // the memo last, field "MEMO"

// checked: one flag per entry of recordPrintoutFields().
ReportRunResult runRecordPrintout(AddressTable& addresses, TBaseReport& job, PrintRunMode mode,
                                  const std::vector<bool>& checked, const ReportRunHooks& hooks);

} // namespace qb
