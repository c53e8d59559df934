// Prints #10 envelopes (address block and POSTNET barcode, one a page) into
// a PDF file through the whole envelope run and reports envelopes per
// second, the PDF's size and the peak memory:
//   envelope_bench [ENVELOPES] [FOLDER] [preview]
// With "preview" it records the pages as the preview does and reports the
// memory they take and what stays once they are freed.
// It works in a new folder inside FOLDER (the temporary folder without one)
// and removes only that.

#include "core/address_table.h"
#include "core/field_lengths.h"
#include "core/paths.h"
#include "design/class_registry.h"
#include "design/tkgraphiccontrol.h"
#include "envelopes/envelope_printing.h"
#include "envelopes/tenvelopepanel.h"
#include "platform/xbase/table.h"
#include "printing/page_stream.h"
#include "printing/tcanvasreport.h"
#include "printing/treportfiler.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <malloc.h>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>

using namespace qb;

namespace {

long residentMb()
{
    QFile statm("/proc/self/statm");
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * (sysconf(_SC_PAGESIZE) / 1024) / 1024 : -1;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    // A folder of its own inside the one given, removed again at the end: what
    // the given folder held before stays as it was.
    const QString parent = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QDir::tempPath();
    QDir().mkpath(parent);
    QTemporaryDir work(parent + "/qb-envelope-bench-XXXXXX");
    if (!work.isValid())
        return std::fprintf(stderr, "cannot make a folder in %s\n", qPrintable(parent)), 1;
    const QString folder = work.path();
    QDir().mkpath(folder + "/sysdata");
    ProgramFolder::setPath(folder + "/");
    design::registerAllClasses();

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
            t->setText("ZIP", std::to_string(60000 + i % 3000) + "-" + std::to_string(1000 + i % 9000));
            t->post();
        }
        t->createTags(addressTags());
    }
    AddressTable addresses;
    if (!addresses.open(db, AddressTable::Messages::Quiet))
        return 1;
    addresses.table().setFilter("!ISDEL");
    addresses.table().first();
    addresses.setExtraFieldsEnabled(true);

    QWidget owner;
    const QString layout = folder + "/sysdata/BIN00001.E";
    {
        TEnvelopePanel design(&owner);
        for (const auto& [cls, rect] : {std::pair{"TKDMultiLineAddressLabel", QRect(380, 180, 340, 80)},
                                        std::pair{"TKPostNetBarCode", QRect(380, 270, 270, 16)}}) {
            const design::DesignClass* c = design::findDesignClass(cls);
            if (!c)
                return std::fprintf(stderr, "%s is not registered\n", cls), 1;
            design::TKGraphicControl* o = c->create(*c->table);
            o->loaded();
            design.addObject(o, rect);
            if (o->designClassName() == "TKPostNetBarCode") {
                o->setValue("ZipCodeField", "ZIP");
                o->setValue("AddressField", "STREET");
            }
        }
        design.saveToFile(layout);
    }
    TEnvelopePanel panel(&owner);
    panel.setDataset(&addresses);

    EnvelopePrintRequest request;
    request.layoutPath = layout;
    request.records = PrintRecords::Filter;
    if (argc > 3 && QString::fromLocal8Bit(argv[3]) == "preview") {
        // The recorded pages a preview holds, and what stays once it lets them go.
        TReportFiler filer;
        filer.setUnits(Units::unInch);
        auto stream = std::make_unique<TPageStream>();
        filer.setStream(stream.get());
        request.mode = PrintRunMode::Preview;
        const long before = residentMb();
        const auto start = std::chrono::steady_clock::now();
        const EnvelopePrintResult result = runEnvelopePrint(addresses, panel, filer, request, {});
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const long holding = residentMb();
        filer.setStream(nullptr);
        stream.reset();
        const long freed = residentMb();
        malloc_trim(0);
        std::printf("%d envelopes previewed on %d pages in %.2f s: %ld MB before, %ld MB holding the pages, "
                    "%ld MB after freeing them, %ld MB once returned to the system\n",
                    result.envelopes, filer.CurrentPage(), seconds, before, holding, freed, residentMb());
        return result.outcome == PrintOutcome::Completed ? 0 : 1;
    }
    const QString pdf = folder + "/envelopes.pdf";
    TReportPrinter job;
    job.SelectPrinterByName("PDF file");
    job.setPdfFileName(pdf);
    job.setUnits(Units::unInch);
    const auto start = std::chrono::steady_clock::now();
    const EnvelopePrintResult result = runEnvelopePrint(addresses, panel, job, request, {});
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    // The processor time of the whole program, the table's generation included.
    const double cpu = double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    std::printf("%d envelopes on %d pages in %.2f s (processor %.2f s): %.0f envelopes/s, PDF %.2f MB, "
                "peak memory %ld MB%s\n",
                result.envelopes, job.printedPages(), seconds, cpu, result.envelopes / seconds,
                QFileInfo(pdf).size() / 1048576.0, u.ru_maxrss / 1024,
                result.outcome == PrintOutcome::Completed ? "" : " (the job did not complete)");
    return result.outcome == PrintOutcome::Completed ? 0 : 1;
}
