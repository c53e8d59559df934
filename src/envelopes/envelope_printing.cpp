#include "envelopes/envelope_printing.h"

#include "core/address_table.h"
#include "core/paths.h"
#include "envelopes/envelope_catalogue.h"
#include "design/intelligent_mail_serials.h"
#include "envelopes/tenvelopepanel.h"
#include "labels/label_printing.h"
#include "labels/report_design_printer.h"
#include "platform/xbase/table.h"
#include "printing/tbasereport.h"
#include "printing/treportfiler.h"

#include <QApplication>
#include <QFileInfo>

namespace qb {

PrintStatusTexts envelopeStatusTexts()
{
    PrintStatusTexts t;
    t.cancelQuestion.clear();   // Cancel stops at once
    t.printCanceled = QStringLiteral("\rEnvelope Print Canceled!");
    t.previewCanceled = QStringLiteral("\rEnvelope Preview Canceled!");
    t.previewStopped = QStringLiteral("\rPreview Stopped!");
    t.printCompleted = QStringLiteral("\rEnvelope Print Completed!");
    t.previewReady = QStringLiteral("Printing Page %p");
    return t;
}

EnvelopePrintResult runEnvelopePrint(AddressTable& addresses, TEnvelopePanel& panel, TBaseReport& job,
                                     const EnvelopePrintRequest& request, const EnvelopePrintHooks& hooks)
{
    EnvelopePrintResult result;
    const auto inform = [&hooks](const QString& text) {
        if (hooks.inform)
            hooks.inform(text);
    };
    xbase::Table& table = addresses.table();

    // The layout: missing, or failing to read, prints nothing.
    if (!loadRunLayout(panel, request.layoutPath, kEnvelopeFileRemoved, inform))
        return result;
    // Serials carry on from the last printed run; a preview shows the ones
    // the print would use.
    design::IntelligentMailSerials serials(panel);
    const EnvelopeSize size = EnvelopeLayoutRecord{QString(), request.code, QString(), false}.size();
    if (size.width <= 0) {
        inform(unknownEnvelopeSizeMessage(request.code));
        return result;
    }

    // The paper: the envelope's own code, or the sheet asked for; the feed's orientation.
    EnvelopeFeed feed = request.feed;
    if (request.paperName.isEmpty())
        job.SetPaperSize(request.code, 0, 0);
    else
        job.SelectPaperByName(request.paperName);
    job.setOrientation(feed.orientation == kPortrait ? Orientation::poPortrait : Orientation::poLandScape);
    if (hooks.confirm && !hooks.confirm(job, feed))
        return result;

    TableRestore restore(table);
    try {
        selectPrintRecords(table, restore, request.records, request.startFromCurrent, inform);
    } catch (const std::exception& e) {
        inform(QString::fromStdString(e.what()));
        return result;
    }

    const bool preview = request.mode == PrintRunMode::Preview;
    job.OnBeforePrint = [&job] {
        job.setStatusFormat(QStringLiteral("Printing Page %p\r%0\r%1"));
        job.setStatusText({QString(), QString()});
    };
    const auto loop = [&](const std::function<bool()>& stopped) {
        const double pw = job.PageWidth(), ph = job.PageHeight();
        result.placement = envelopePlacement(feed, pw, ph, size.width, size.height);
        job.setMarginLeft(0);
        job.setMarginTop(0);
        ReportDesignPrinter printer(job);
        panel.setPrinting(true);
        int printed = 0;
        while (!table.eof() && !(stopped && stopped()) && !job.Aborted()) {
            if (printed > 0)
                job.BreakPage();
            if (preview) {
                // The printable area, on the screen only.
                job.SetBrush(Qt::white, BrushStyle::bsClear);
                job.SetPen(QColor(255, 0, 0), PenStyle::psDot, PenMode::pmCopy, 1);
                job.DrawRectangle(job.OffsetLeft(), job.OffsetTop(), pw - job.OffsetRight(), ph - job.OffsetBottom());
                job.SetPen(Qt::black, PenStyle::psSolid, PenMode::pmCopy, 1);
            }
            panel.refreshData();
            result.notes.check(panel, table.recno(), addresses.text(QStringLiteral("LNAME")));
            panel.printObjects(printer, result.placement.x(), result.placement.y());
            panel.advanceCounters();
            ++printed;
            result.envelopes = printed;
            if (request.records == PrintRecords::OnlyCurrent)
                break;
            table.next();
            QApplication::processEvents();
        }
        panel.setPrinting(false);
        if (hooks.noted)
            hooks.noted(result.notes);
    };
    result.outcome =
        hooks.runStatus ? hooks.runStatus(job, envelopeStatusTexts(), loop) : runJobDirectly(job, loop);
    panel.setPrinting(false);
    job.OnBeforePrint = nullptr;
    job.OnPrint = nullptr;
    // The serials that went to the printer are used, cancelled run or not.
    if (!preview && result.envelopes > 0)
        for (const QString& warning : serials.keep())
            inform(warning);

    if (preview && hooks.preview &&
        (result.outcome == PrintOutcome::Completed || result.outcome == PrintOutcome::Stopped))
        if (auto* filer = dynamic_cast<TReportFiler*>(&job))
            hooks.preview(*filer->stream());
    return result;
}

} // namespace qb
