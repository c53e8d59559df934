// The report file reader on arbitrary bytes: the three bands and the layout
// record read as a report is opened; a file that reads is written and read
// again, which must give the same bytes and the same record. What reads is
// then opened in the designer and printed, as "Print Report" would, over a
// few records (one with a memo long enough to run over a page) into a
// recording job: no layout, however odd, may crash the designer or the run,
// and no band may hold an object its rule refuses.

#include "core/address_table.h"
#include "core/field_lengths.h"
#include "core/messages.h"
#include "core/paths.h"
#include "design/class_registry.h"
#include "design/layout_filer.h"
#include "design/layout_stream.h"
#include "design/tkgraphiccontrol.h"
#include "platform/xbase/table.h"
#include "printing/treportfiler.h"
#include "reports/report_file.h"
#include "reports/report_printing.h"
#include "reports/treportdesigner.h"
#include "reports/treportpanel.h"

#include <QApplication>
#include <QDir>
#include <cstdlib>
#include <unistd.h>

using namespace qb;

namespace {

QWidget* g_owner = nullptr;
ReportBands g_bands{};
QString g_folder;
AddressTable* g_addresses = nullptr;

void makeAddresses()
{
    const QString path = g_folder + QStringLiteral("ADDR.DBF");
    {
        auto t = xbase::Table::create(path.toStdString(), addressFieldDefs(FieldLengths::settingsDefaults()));
        std::string memo;
        while (memo.size() < 6000)
            memo += "a memo that runs on over the page ";
        const char* const names[] = {"Adams", "Baker", "Clark"};
        for (int i = 0; i < 3; ++i) {
            t->appendBlank();
            t->setText("LNAME", names[i]);
            t->setText("CITY", "Springfield");
            if (i == 1)
                t->setMemo("MEMO", memo);
            t->post();
        }
        t->createTags(addressTags());
    }
    g_addresses = new AddressTable;
    if (!g_addresses->open(path, AddressTable::Messages::Quiet))
        qFatal("the fuzz target's address table did not open");
}

void ready()
{
    g_addresses->table().setFilter("!ISDEL");
    g_addresses->table().selectOrder("LNAME");
    g_addresses->table().first();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_report";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    g_folder = QDir::tempPath() + QStringLiteral("/qbfuzz-report-%1/").arg(::getpid());
    QDir().mkpath(g_folder + QStringLiteral("sysdata"));
    ProgramFolder::setPath(g_folder);
    // Message boxes (a refused object, say) are answered at once.
    setMessageResponder([](const Message&) { return false; });
    g_owner = new QWidget;
    g_bands = {new TReportPanel(rpkHeader, g_owner), new TReportPanel(rpkDetail, g_owner),
               new TReportPanel(rpkFooter, g_owner)};
    makeAddresses();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString in = g_folder + QStringLiteral("in.R"), out = g_folder + QStringLiteral("out.R"),
                  again = g_folder + QStringLiteral("again.R");
    design::TKLabelObjectFiler::writeFile(in, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    ReportLayout layout;
    try {
        loadReportFile(g_owner, g_bands, layout, in);
    } catch (const design::LayoutError&) {
        for (TReportPanel* p : g_bands)
            if (!p->designObjects().isEmpty())
                qFatal("a report that failed to read left objects on a band");
        return 0;
    }
    for (TReportPanel* p : g_bands)
        for (design::TKGraphicControl* o : p->designObjects())
            if (!TReportPanel::bandMessage(o->designClassName(), p->panelKind()).isEmpty())
                qFatal("a band holds an object its rule refuses");
    (void)reportGeometry(layout);
    saveReportFile(g_bands, layout, out);
    ReportLayout back;
    try {
        loadReportFile(g_owner, g_bands, back, out);
    } catch (const design::LayoutError& e) {
        qFatal("a report written by us did not read back: %s", qPrintable(e.message()));
    }
    if (!(back == layout))
        qFatal("the layout record changed on the way through a file");
    saveReportFile(g_bands, back, again);
    if (design::TKLabelObjectFiler::readFile(again) != design::TKLabelObjectFiler::readFile(out))
        qFatal("a report written twice differs");

    // Opened in the designer and closed again, the bands back with their owner.
    {
        ReportRecord record;
        ReportLayout edited = layout;
        ready();
        TReportDesigner designer(record, edited, g_bands, *g_addresses);
        designer.reject();
    }
    for (TReportPanel* p : g_bands)
        if (p->parentWidget() != g_owner)
            qFatal("the designer kept a band");

    // Printed into a recording. A run may fail (a memo with no room between
    // header and footer), never crash, and never call a failure complete.
    ready();
    TReportFiler job;
    job.setUnits(Units::unInch);
    const ReportRunResult r = runUserReport(*g_addresses, g_bands, layout, job, {}, {});
    if (r.outcome == PrintOutcome::Completed && !job.Completed())
        qFatal("a report run said Completed for a job that did not complete");
    return 0;
}
