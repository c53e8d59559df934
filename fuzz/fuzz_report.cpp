// The report file reader on arbitrary bytes: the three bands and the layout
// record read as a report is opened; a file that reads is written and read
// again, which must give the same bytes and the same record.

#include "core/paths.h"
#include "design/class_registry.h"
#include "design/layout_filer.h"
#include "design/layout_stream.h"
#include "reports/report_file.h"
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

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_report";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    g_folder = QDir::tempPath() + QStringLiteral("/qbfuzz-report-%1/").arg(::getpid());
    QDir().mkpath(g_folder);
    ProgramFolder::setPath(g_folder);
    g_owner = new QWidget;
    g_bands = {new TReportPanel(rpkHeader, g_owner), new TReportPanel(rpkDetail, g_owner),
               new TReportPanel(rpkFooter, g_owner)};
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
    return 0;
}
