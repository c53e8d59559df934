#pragma once
// The printers a job can print on: the CUPS queues, and our built-in "PDF file"
// printer that writes the document to a file and is always listed. Each printer
// appears as one list entry "device on port"; paper sources and papers come
// from CUPS for real queues and from a fixed list of standard sizes for the
// PDF printer.

#include <QList>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <optional>

class QPrinter;

namespace qb::printer {

struct PrinterEntry {
    QString device;   // the CUPS queue name, or "PDF file"
    QString port;     // where it prints to: the queue's device URI, or "FILE:"
    bool isPdf = false;

    QString entry() const { return device + QStringLiteral(" on ") + port; }
    bool operator==(const PrinterEntry&) const = default;
};

QString pdfPrinterDevice();
PrinterEntry pdfPrinter();

// Every CUPS queue (leaving out names containing "RENDERING SUBSYSTEM"), then
// the PDF printer.
QList<PrinterEntry> installedPrinters();
// Index in printers of the CUPS default queue; the PDF printer's when CUPS
// names none.
int defaultPrinterIndex(const QList<PrinterEntry>& printers);
// Index of the entry that name names: the whole entry or its device, in any
// letter case; -1 when none does.
int findPrinter(const QList<PrinterEntry>& printers, const QString& name);

struct PaperChoice {
    QString name;
    QPageSize size;
};
struct BinChoice {
    QString name;      // as shown to the user
    QString keyword;   // what CUPS is told ("media-source")
};

// Papers and paper sources the printer offers; the first one is its default.
QList<PaperChoice> papers(const PrinterEntry& printer);
QList<BinChoice> bins(const PrinterEntry& printer);
// The printer's own paper when nothing was chosen.
QPageSize defaultPaper(const PrinterEntry& printer);

// The paper an operating-system paper code stands for (1 Letter, 5 Legal,
// 9 A4, 11 A5, 20 envelope #10, ...); nullopt for codes we do not know.
std::optional<QPageSize> standardPaper(int code);
// A paper of the given size in inches, portrait (width the shorter side kept
// as given).
QPageSize customPaper(double widthInches, double heightInches);

// What a job asks of its printer.
struct PrinterSettings {
    PrinterEntry printer = pdfPrinter();
    std::optional<QPageSize> paper;      // nullopt: the printer's default
    QString binKeyword;                  // empty: the printer's default source
    std::optional<QPageLayout::Orientation> orientation;   // nullopt: the printer's own
    int copies = 0;                      // 0: not passed on
    QString pdfPath;                     // where the PDF printer writes
};

// Paper size and unprintable borders in inches as the settings give them.
struct PageGeometry {
    QSizeF paper;
    QMarginsF unprintable;
};
PageGeometry pageGeometry(const PrinterSettings& settings);

// Points printer at the settings' printer (or the PDF writer at pdfPath), with
// paper, source, orientation and copies; the origin is the paper's corner.
void configure(QPrinter& printer, const PrinterSettings& settings);

// Hands a finished PDF to the settings' CUPS queue as one job named title,
// with the paper, paper source and copies the settings ask for. Returns the
// job's number; throws PrintQueueError saying why the queue would not take
// it, having cancelled the job if one was already made.
int submitPdf(const PrinterSettings& settings, const QString& pdfPath, const QString& title);

struct PrintQueueError {
    QString message;
};

} // namespace qb::printer
