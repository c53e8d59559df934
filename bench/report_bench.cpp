// Prints built-in list 1 and a designed three-band report over generated
// records into PDF files through the report runs and says pages per second,
// the PDFs' sizes and the peak memory; then wraps single-paragraph memos of
// 8 KB and 100 KB and prints a record with the 8 KB one:
//   report_bench [RECORDS] [FOLDER]

#include "core/address_table.h"
#include "core/field_lengths.h"
#include "core/paths.h"
#include "design/tkgraphiccontrol.h"
#include "design/class_registry.h"
#include "platform/xbase/table.h"
#include "printing/tcanvasreport.h"
#include "reports/report_printing.h"
#include "reports/treportpanel.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include <chrono>
#include <functional>
#include <cstdio>
#include <sys/resource.h>
#include <time.h>

using namespace qb;

namespace {

long peakMegabytes()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

void put(TReportPanel* panel, const char* cls, QRect r, const char* property, const char* value)
{
    const design::DesignClass* c = design::findDesignClass(cls);
    design::TKGraphicControl* o = c->create(*c->table);
    o->loaded();
    panel->addObject(o, r);
    o->setValue(property, value);
    if (QByteArray(cls) == "TKPDLabel")
        o->setValue("DataFieldDescript", value == QByteArray("LNAME") ? "Last Name" : "City");
}

// Processor time of the process: on a shared machine the wall clock also
// counts the time others had the cores.
double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

void report(const char* what, int records, int pages, double seconds, double cpu, const QString& pdf, bool ok)
{
    std::printf("%s: %d records on %d pages in %.2f s (%.2f s of processor): %.0f pages/s (%.0f by processor time), "
                "%.0f records/s, PDF %.2f MB, peak memory %ld MB%s\n",
                what, records, pages, seconds, cpu, pages / seconds, pages / cpu, records / seconds,
                QFileInfo(pdf).size() / 1048576.0, peakMegabytes(), ok ? "" : " (the job did not complete)");
}

// One report run into pdf, timed and reported; true when it completed.
bool printTimed(const char* what, const QString& pdf, const std::function<ReportRunResult(TBaseReport&)>& run)
{
    TReportPrinter job;
    job.SelectPrinterByName("PDF file");
    job.setPdfFileName(pdf);
    job.setUnits(Units::unInch);
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = cpuSeconds();
    const ReportRunResult r = run(job);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = cpuSeconds() - cpuStart;
    report(what, r.records, job.printedPages(), seconds, cpu, pdf, r.outcome == PrintOutcome::Completed);
    return r.outcome == PrintOutcome::Completed;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QDir::tempPath() + "/qb-report-bench";
    QDir(folder).removeRecursively();
    QDir().mkpath(folder + "/sysdata");
    ProgramFolder::setPath(folder + "/");

    const QString db = folder + "/ADDR.DBF";
    {
        auto t = xbase::Table::create(db.toStdString(), addressFieldDefs(FieldLengths::settingsDefaults()));
        for (int i = 1; i <= count; ++i) {
            t->appendBlank();
            t->setText("FNAME", "Pat");
            t->setText("LNAME", "Sample" + std::to_string(i));
            t->setText("STREET", std::to_string(100 + i % 900) + " Main St");
            t->setText("CITY", "Springfield");
            t->setText("STATE", "IL");
            t->setText("ZIP", std::to_string(60000 + i % 3000));
            t->setText("PHONE", "555-0100");
            t->post();
        }
        t->createTags(addressTags());
    }
    AddressTable addresses;
    if (!addresses.open(db, AddressTable::Messages::Quiet))
        return 1;
    const auto ready = [&addresses] {
        addresses.table().setFilter("!ISDEL");
        addresses.table().selectOrder("LNAME");
        addresses.table().first();
    };
    bool ok = true;
    std::printf("%d records generated and open: peak memory %ld MB\n", count, peakMegabytes());

    ready();
    ok &= printTimed("built-in list 1", folder + "/list.pdf",
                     [&](TBaseReport& job) { return runBuiltInReport(addresses, job, BuiltInReportRequest{}, {}); });
    {
        ready();
        QWidget owner;
        const ReportBands bands{new TReportPanel(rpkHeader, &owner), new TReportPanel(rpkDetail, &owner),
                                new TReportPanel(rpkFooter, &owner)};
        put(bands[0], "TKPLabel", QRect(0, 10, 200, 20), "Caption", "Members");
        put(bands[0], "TKPageNumberLabel", QRect(500, 10, 100, 20), "Caption", "");
        put(bands[1], "TKPDLabel", QRect(0, 2, 200, 18), "DataFieldName", "LNAME");
        put(bands[1], "TKPDLabel", QRect(220, 2, 200, 18), "DataFieldName", "CITY");
        put(bands[2], "TKDateTimeLabel", QRect(0, 10, 200, 20), "Caption", "");
        ReportLayout layout;
        layout.useFooter = true;
        layout.detailHeight = 24;
        layout.frames[kDetailBand].bottom = true;
        layout.frames[kHeaderBand].shadePercent = 20;
        ok &= printTimed("designed report", folder + "/designed.pdf",
                         [&](TBaseReport& job) { return runUserReport(addresses, bands, layout, job, {}, {}); });
    }
    {
        // One paragraph without a line break, wrapped as the memo band wraps it.
        for (const int kilobytes : {8, 100}) {
            QString memo;
            for (int i = 0; memo.size() < kilobytes * 1024; ++i)
                memo += QStringLiteral("word%1 ").arg(i % 1000);
            const auto start = std::chrono::steady_clock::now();
            const double cpuStart = cpuSeconds();
            const QStringList lines = wrapMemo(memo, ReportFont{}, 7 * kReportPixelsPerInch);
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            std::printf("memo of %d KB in one paragraph: %lld lines wrapped in %.3f s (%.3f s of processor)\n",
                        kilobytes, static_cast<long long>(lines.size()), seconds, cpuSeconds() - cpuStart);
            if (kilobytes != 8)
                continue;
            addresses.table().setFilter("RECNO()=1");
            addresses.table().first();
            addresses.table().edit();
            addresses.table().setMemo("MEMO", memo.toStdString());
            addresses.table().post();
            QWidget owner;
            const ReportBands bands{new TReportPanel(rpkHeader, &owner), new TReportPanel(rpkDetail, &owner),
                                    new TReportPanel(rpkFooter, &owner)};
            put(bands[1], "TKPDLabel", QRect(0, 2, 200, 18), "DataFieldName", "LNAME");
            ReportLayout layout;
            layout.useMemo = true;
            ok &= printTimed("one record, 8 KB memo", folder + "/memo.pdf",
                             [&](TBaseReport& job) { return runUserReport(addresses, bands, layout, job, {}, {}); });
        }
    }
    return ok ? 0 : 1;
}
