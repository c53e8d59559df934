#pragma once
// An envelope run without windows: the layout loaded into an envelope panel,
// the printer's paper set to the envelope, the records chosen, and one
// envelope a page placed on the printer's page by the feed. The envelope
// screen and qbtool envelopes both run it; the screen hands in its windows
// through the hooks.

#include "core/print_records.h"
#include "design/piece_notes.h"
#include "envelopes/envelope_feed.h"
#include "printing/print_status.h"

#include <functional>

namespace qb {

class AddressTable;
class TBaseReport;
class TEnvelopePanel;
class TPageStream;

struct EnvelopePrintRequest {
    QString layoutPath;   // sysdata + BINARY
    int code = kDefaultEnvelopeCode;
    EnvelopeFeed feed;
    PrintRecords records = PrintRecords::OnlyCurrent;
    bool startFromCurrent = false;
    PrintRunMode mode = PrintRunMode::Print;
    // Empty: the printer is given the envelope's paper code; otherwise the
    // paper of that name (a sheet the envelope is placed on).
    QString paperName;
};

struct EnvelopePrintHooks {
    std::function<void(const QString& text)> inform;
    // The confirmation before the run, with the job set up for the envelope;
    // it may change the feed. False cancels the run.
    std::function<bool(TBaseReport& job, EnvelopeFeed& feed)> confirm;
    // Runs the job under the status window (or at once).
    std::function<PrintOutcome(TBaseReport& job, PrintStatusTexts texts,
                               const std::function<void(const std::function<bool()>& stopped)>& loop)>
        runStatus;
    std::function<void(const TPageStream& pages)> preview;
    // What the pieces lacked, as soon as the last one is printed (before the
    // status window hears that the job ended).
    std::function<void(const design::PieceNotes& notes)> noted;
};

struct EnvelopePrintResult {
    PrintOutcome outcome = PrintOutcome::NotRun;
    int envelopes = 0;
    QPointF placement;   // inches, on the printer's page
    design::PieceNotes notes;
};

PrintStatusTexts envelopeStatusTexts();

EnvelopePrintResult runEnvelopePrint(AddressTable& table, TEnvelopePanel& panel, TBaseReport& job,
                                     const EnvelopePrintRequest& request, const EnvelopePrintHooks& hooks);

} // namespace qb
