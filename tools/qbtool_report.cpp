// qbtool report DATABASE REPORT OUT.pdf [--program DIR] [--filter EXPR]
// qbtool report DATABASE OUT.pdf --builtin N [--title T] [--memo] [--codes] [--filter EXPR]
// prints a stored report (its description or its BIN file name in the program
// folder's REPORT.DBF), or built-in list N (1-4), for the records of DATABASE
// passing EXPR into a PDF file, without a window, and says how many records
// and pages it made.

#include "qbtool_commands.h"

#include "core/address_table.h"
#include "core/paths.h"
#include "core/system_tables.h"
#include "platform/xbase/table.h"
#include "printing/tcanvasreport.h"
#include "reports/report_catalogue.h"
#include "reports/report_file.h"
#include "reports/report_printing.h"
#include "reports/treportpanel.h"

#include <QApplication>
#include <QFileInfo>

#include <iostream>
#include <memory>

namespace {

const char* kReportUsage =
    "usage: qbtool report DATABASE REPORT OUT.pdf [--program DIR] [--filter EXPR]\n"
    "       qbtool report DATABASE OUT.pdf --builtin N [--title T] [--memo] [--codes] [--filter EXPR]\n"
    "  REPORT is a stored report's description or its file name (BIN00001.R) in REPORT.DBF\n"
    "  of the program folder; N is a built-in list, 1 to 4.\n";

struct ReportArgs {
    QStringList positional;
    QString program, filter, title;
    int builtin = 0;
    bool memo = false, codes = false, ok = true;
};

ReportArgs parseReportArgs(int argc, char** argv)
{
    ReportArgs a;
    for (int i = 2; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        const auto value = [&](QString& out) {
            if (i + 1 >= argc) {
                a.ok = false;
                return;
            }
            out = QString::fromLocal8Bit(argv[++i]);
        };
        if (arg == QLatin1String("--program"))
            value(a.program);
        else if (arg == QLatin1String("--filter"))
            value(a.filter);
        else if (arg == QLatin1String("--title"))
            value(a.title);
        else if (arg == QLatin1String("--builtin")) {
            QString n;
            value(n);
            bool number = false;
            a.builtin = n.toInt(&number);
            if (!number || a.builtin < 1 || a.builtin > 4)
                a.ok = false;
        } else if (arg == QLatin1String("--memo"))
            a.memo = true;
        else if (arg == QLatin1String("--codes"))
            a.codes = true;
        else if (arg.startsWith(QLatin1String("--")))
            a.ok = false;
        else
            a.positional << arg;
    }
    if (a.positional.size() != (a.builtin ? 2 : 3))
        a.ok = false;
    return a;
}

} // namespace

int reportCommand(const std::string& command, int argc, char** argv)
{
    if (command != "report")
        return -1;
    const ReportArgs args = parseReportArgs(argc, argv);
    if (!args.ok) {
        std::cerr << kReportUsage;
        return 1;
    }
    auto app = ensureApplication(argc, argv);
    useProgramFolder(args.program);

    qb::AddressTable addresses;
    if (!addresses.open(args.positional[0], qb::AddressTable::Messages::Quiet))
        return qbtoolFail(QStringLiteral("cannot open the address database ") + args.positional[0]);
    if (!selectRecords(addresses, args.filter))
        return 1;
    addresses.setExtraFieldsEnabled(true);

    qb::TReportPrinter job;
    job.SelectPrinterByName(QStringLiteral("PDF file"));
    job.setPdfFileName(QFileInfo(args.positional.back()).absoluteFilePath());
    job.setUnits(qb::Units::unInch);
    job.setTitle(QStringLiteral("Quillbase"));
    QStringList problems;
    qb::ReportRunHooks hooks;
    hooks.inform = [&problems](const QString& text) { problems << text; };
    qb::ReportRunResult result;

    if (args.builtin) {
        qb::BuiltInReportRequest request;
        request.entry = args.builtin;
        request.title = args.title.isNull() ? QStringLiteral("Report %1").arg(args.builtin) : args.title;
        request.memo = args.memo;
        request.codes = args.codes;
        result = qb::runBuiltInReport(addresses, job, request, hooks);
    } else {
        std::unique_ptr<qb::xbase::Table> reports = openCatalogueForReading(qb::SystemTable::Report);
        if (!reports)
            return 1;
        qb::ReportCatalogue catalogue(*reports);
        if (!catalogue.find(args.positional[1]))
            return qbtoolFail(QStringLiteral("no report ") + args.positional[1] + QStringLiteral(" in REPORT.DBF"));
        const qb::ReportRecord record = catalogue.read();
        QWidget owner;
        const qb::ReportBands bands{new qb::TReportPanel(qb::rpkHeader, &owner),
                                    new qb::TReportPanel(qb::rpkDetail, &owner),
                                    new qb::TReportPanel(qb::rpkFooter, &owner)};
        qb::ReportLayout layout;
        try {
            problems << qb::loadReportFile(&owner, bands, layout,
                                           qb::resolvePath(qb::ReportCatalogue::reportPath(record.fileName)));
        } catch (const std::exception& e) {
            return qbtoolFail(record.fileName + QStringLiteral(": ") + QString::fromStdString(e.what()));
        }
        result = qb::runUserReport(addresses, bands, layout, job, {}, hooks);
    }
    for (const QString& p : problems)
        std::cerr << "qbtool: " << p.toStdString() << "\n";
    if (result.outcome != qb::PrintOutcome::Completed)
        return qbtoolFail(!job.LastError().isEmpty() ? job.LastError() : QStringLiteral("nothing was printed"));
    std::cout << result.records << " records, " << job.printedPages() << " pages\n";
    return 0;
}
