// How fast the print engine produces a 500-page text report: to a PDF file
// through the "PDF file" printer, and into a recording for the preview.
// Figures are pages per second.

#include "printing/tcanvasreport.h"
#include "printing/treportfiler.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int kPages = 500;

// A list report: three tab cells a line, the first shaded, lines until the
// area is full, then a new page.
void listReport(qb::TBaseReport& job)
{
    job.setMarginLeft(0.5);
    job.setMarginRight(0.5);
    job.setMarginTop(0.5);
    job.setMarginBottom(0.5);
    job.OnPrint = [&job] {
        job.ApplyFont(QStringLiteral("Arial"), 10);
        job.AddTab(0.5, qb::kTabLeft, 3.0, 5, qb::kBoxLeft | qb::kBoxBottom, 5);
        job.AddTab(qb::kNoOverride, qb::kTabLeft, 3.0, 5, qb::kBoxBottom, 0);
        job.AddTab(qb::kNoOverride, qb::kTabRight, 1.5, 5, qb::kBoxRight | qb::kBoxBottom, 0);
        int record = 0;
        while (job.CurrentPage() <= kPages && !job.Aborted()) {
            if (job.RemainingLines() < 1) {
                if (job.CurrentPage() == kPages)
                    break;
                job.BreakPage();
            }
            ++record;
            job.NextTab();
            job.EmitLine(QStringLiteral("Lastname%1, Firstname\t%1 Main Street, Springfield\t$%2.00")
                             .arg(record)
                             .arg(record % 1000));
        }
    };
}

void BM_ReportToPdf(benchmark::State& state)
{
    QTemporaryDir dir;
    for (auto _ : state) {
        qb::TReportPrinter job;
        job.SelectPrinterByName(QStringLiteral("PDF file"));
        job.setPdfFileName(dir.filePath(QStringLiteral("bench.pdf")));
        listReport(job);
        if (!job.RunJob())
            state.SkipWithError(job.LastError().toUtf8().constData());
    }
    state.counters["pages_per_second"] =
        benchmark::Counter(double(kPages) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReportToPdf)->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_ReportToRecording(benchmark::State& state)
{
    for (auto _ : state) {
        qb::TPageStream stream;
        qb::TReportFiler job;
        job.setStream(&stream);
        listReport(job);
        if (!job.RunJob() || stream.pageCount() != kPages)
            state.SkipWithError("the recording is incomplete");
    }
    state.counters["pages_per_second"] =
        benchmark::Counter(double(kPages) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReportToRecording)->Unit(benchmark::kMillisecond)->MinTime(3);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
