#include "labels/label_printing.h"

#include "core/address_table.h"
#include "core/paths.h"
#include "core/print_records.h"
#include "design/intelligent_mail_serials.h"
#include "design/tklabelpanel.h"
#include "labels/bulk_presort.h"
#include "labels/label_catalogue.h"
#include "labels/report_design_printer.h"
#include "platform/xbase/settings.h"
#include "platform/xbase/table.h"
#include "printing/treportfiler.h"

#include <QApplication>
#include <QFileInfo>

#include <cmath>

namespace qb {

namespace {

double round2(double v) { return std::round(v * 100.0) / 100.0; }

class JobSink : public LabelSink {
public:
    JobSink(TBaseReport& job, design::TKLabelPanel& panel, const std::function<bool()>& stopped, AddressTable& addresses,
            design::PieceNotes& notes)
        : job_(job), panel_(panel), printer_(job), stopped_(stopped), addresses_(addresses), notes_(notes)
    {
    }
    void breakPage() override { job_.BreakPage(); }
    void printLabel(const QPointF& at) override
    {
        panel_.refreshData();
        notes_.check(panel_, addresses_.table().recno(), addresses_.text(QStringLiteral("LNAME")));
        panel_.printObjects(printer_, at.x(), at.y());
        panel_.advanceCounters();
    }
    void printHeader(const QString& line, const QPointF& at, const QRectF& clip) override
    {
        headerStyle(job_);
        job_.ClippedText(clip.left(), clip.top(), clip.right(), clip.bottom(), at.x(), at.y(), line);
    }
    bool stopped() override { return job_.Aborted() || (stopped_ && stopped_()); }
    void idle() override { QApplication::processEvents(); }

    static void headerStyle(TBaseReport& job)
    {
        job.SetBrush(Qt::white, BrushStyle::bsClear);
        job.SetPen(Qt::black, PenStyle::psSolid, PenMode::pmCopy, 1);
        job.ApplyFont(QStringLiteral("Arial"), 8);
    }

private:
    TBaseReport& job_;
    design::TKLabelPanel& panel_;
    ReportDesignPrinter printer_;
    std::function<bool()> stopped_;
    AddressTable& addresses_;
    design::PieceNotes& notes_;
};

} // namespace

PrintStatusTexts labelStatusTexts()
{
    PrintStatusTexts t;
    t.cancelQuestion = QStringLiteral("Cancel Label Printing?");
    t.printCanceled = QStringLiteral("\rLabel Print Canceled!");
    t.previewCanceled = QStringLiteral("\rLabel Preview Canceled!");
    t.previewStopped = QStringLiteral("\rPreview Stopped at page %p!");
    t.printCompleted = QStringLiteral("\rLabel Print Completed!");
    t.previewReady = QStringLiteral("\rLabel Preview Ready!");
    return t;
}

QString paperQuestion(double w, double h)
{
    return QStringLiteral("Unable to confirm that the paper size was set to\r\n\r\n") + QString::number(w, 'f', 2) +
           QStringLiteral("\" by ") + QString::number(h, 'f', 2) +
           QStringLiteral("\"\r\n\r\n(you may have the wrong printer selected)\r\n\r\nWould you like to try printing anyways?");
}

bool loadRunLayout(design::TKBasePanel& panel, const QString& path, const QString& removedMessage,
                   const std::function<void(const QString&)>& inform)
{
    panel.clearObjects();
    const QString layout = resolvePath(path);
    if (path.isEmpty() || !QFileInfo(layout).isFile()) {
        inform(removedMessage);
        return false;
    }
    try {
        panel.loadFromFile(layout);
    } catch (const std::exception& e) {
        // Half a layout never prints.
        panel.clearObjects();
        inform(QString::fromStdString(e.what()));
        return false;
    }
    return true;
}

PrintOutcome runJobDirectly(TBaseReport& job, const std::function<void(const std::function<bool()>& stopped)>& loop)
{
    job.OnPrint = [&loop] { loop({}); };
    const bool ok = job.RunJob();
    if (job.Aborted())
        return PrintOutcome::Aborted;
    return ok ? PrintOutcome::Completed : PrintOutcome::Failed;
}

LabelPrintResult runLabelPrint(AddressTable& addresses, design::TKLabelPanel& panel, TBaseReport& job,
                               const LabelPrintRequest& request, bool& presorted, const LabelPrintHooks& hooks)
{
    LabelPrintResult result;
    const auto inform = [&hooks](const QString& text) {
        if (hooks.inform)
            hooks.inform(text);
    };
    xbase::Table& table = addresses.table();

    // 1. The layout; its Intelligent Mail serials carry on from the last printed run.
    if (!loadRunLayout(panel, request.layoutPath, kLabelFileRemoved, inform))
        return result;
    design::IntelligentMailSerials serials(panel);

    // 2-4. The records and where they start.
    TableRestore restore(table);
    try {
        const PrintRecords records = request.records == LabelPrintRequest::Records::All ? PrintRecords::All
                                     : request.records == LabelPrintRequest::Records::OnlyCurrent
                                         ? PrintRecords::OnlyCurrent
                                         : PrintRecords::Filter;
        selectPrintRecords(table, restore, records, request.startFromCurrent, inform);
    } catch (const std::exception& e) {
        inform(QString::fromStdString(e.what()));
        return result;
    }

    // 5. The presort.
    const int copies = request.presort ? 1 : std::clamp(request.copies, 1, 99);
    QStringList presortList;
    if (request.presort) {
        if (!presorted)
            presorted = hooks.presort ? hooks.presort(table)
                                      : presortTable(table, request.presortPath, {}) == PresortOutcome::Done;
        if (!presorted)
            return result;
        presortList = readPresortList(request.presortPath);
        xbase::engineSettings().exact = false;
        table.selectOrder("ZIP");
        inform(kPresortOrderNote);
    }

    // 6-9. The paper.
    const LabelStock& s = request.stock;
    const QString code = s.paperSize.trimmed().toUpper();
    const bool landscape = code == QLatin1String("LTRL") || code == QLatin1String("A4L") || code == QLatin1String("USERL");
    const double w = round2(landscape ? s.sheetDepth : s.sheetWidth);
    const double h = round2(landscape ? s.sheetWidth : s.sheetDepth);
    bool unconfirmed = false;
    if (code == QLatin1String("LTR") || code == QLatin1String("LTRL"))
        job.SetPaperSize(1, 0, 0);
    else if (code == QLatin1String("A4") || code == QLatin1String("A4L"))
        job.SetPaperSize(9, 0, 0);
    else if (code == QLatin1String("A5"))
        job.SetPaperSize(11, 0, 0);
    else if (job.PrinterNames().value(job.SelectedPrinter()).toUpper().contains(QLatin1String("HPFDJ")))
        unconfirmed = true;
    else
        job.SetPaperSize(0, h, w);
    job.setOrientation(landscape ? Orientation::poLandScape : Orientation::poPortrait);
    if (unconfirmed || std::abs(s.sheetWidth - round2(job.PageWidth())) > 0.05 ||
        std::abs(s.sheetDepth - round2(job.PageHeight())) > 0.05) {
        if (!hooks.askYesNo || !hooks.askYesNo(paperQuestion(w, h)))
            return result;
    }

    // 10. The job.
    panel.setPrinting(true);
    const bool preview = request.mode == PrintRunMode::Preview;
    job.OnBeforePrint = [&job, preview] {
        job.setStatusFormat(preview ? QStringLiteral("Preparing Preview Page %p\r%0\r%1")
                                    : QStringLiteral("Printing Page %p\r%0\r%1"));
        job.setStatusText({QString(), QString()});
    };
    const auto loop = [&](const std::function<bool()>& stopped) {
        JobSink::headerStyle(job);
        JobSink sink(job, panel, stopped, addresses, result.notes);
        result.stats = runLabelLoop(table, s, request.mask, copies, request.presort ? &presortList : nullptr, sink);
        if (hooks.noted)
            hooks.noted(result.notes);
    };
    result.outcome = hooks.runStatus ? hooks.runStatus(job, labelStatusTexts(), loop) : runJobDirectly(job, loop);
    panel.setPrinting(false);
    job.OnBeforePrint = nullptr;
    job.OnPrint = nullptr;
    if (!preview && result.stats.labels > 0)
        for (const QString& warning : serials.keep())
            inform(warning);

    // 11. The preview.
    if (preview && hooks.preview &&
        (result.outcome == PrintOutcome::Completed || result.outcome == PrintOutcome::Stopped))
        if (auto* filer = dynamic_cast<TReportFiler*>(&job))
            hooks.preview(*filer->stream());
    return result;
}

} // namespace qb
