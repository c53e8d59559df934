// qbtool labels DATABASE LAYOUT OUT.pdf [--program DIR] [--filter EXPR] [--presort] [--copies N]
// prints a stored label layout (its description or its BIN file name in the
// program folder's LABEL.DBF) for every record of DATABASE passing EXPR into
// a PDF file, optionally in bulk-mail presort order, without a window.

#include "qbtool_commands.h"

#include "core/address_table.h"
#include "core/paths.h"
#include "core/system_tables.h"
#include "design/class_registry.h"
#include "design/tklabelpanel.h"
#include "labels/label_catalogue.h"
#include "labels/label_printing.h"
#include "platform/xbase/table.h"
#include "printing/tcanvasreport.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdlib>
#include <iostream>
#include <memory>

namespace {

const char* kLabelsUsage =
    "usage: qbtool labels DATABASE LAYOUT OUT.pdf [--program DIR] [--filter EXPR] [--presort] [--copies N]\n"
    "  LAYOUT is a label layout's description or its file name (BIN00001.L) in LABEL.DBF\n"
    "  of the program folder (DIR, or the folder qbtool lives in).\n";

} // namespace

int labelsCommand(const std::string& command, int argc, char** argv)
{
    if (command != "labels")
        return -1;
    const DesignPrintArgs args = parseDesignPrintArgs(argc, argv);
    const QStringList& positional = args.positional;
    if (positional.size() != 3) {
        std::cerr << kLabelsUsage;
        return 1;
    }
    auto app = ensureApplication(argc, argv);
    useProgramFolder(args.program);
    qb::design::registerAllClasses();

    qb::AddressTable addresses;
    if (!addresses.open(positional[0], qb::AddressTable::Messages::Quiet))
        return qbtoolFail(QStringLiteral("cannot open the address database ") + positional[0]);
    std::unique_ptr<qb::xbase::Table> labels = openCatalogueForReading(qb::SystemTable::Label);
    if (!labels)
        return 1;
    qb::LabelCatalogue catalogue(*labels);
    bool found = false;
    for (bool more = labels->first(); more; more = labels->next()) {
        const qb::LabelLayoutRecord r = catalogue.read();
        found = r.description.compare(positional[1], Qt::CaseInsensitive) == 0 ||
                r.fileName.trimmed().compare(positional[1], Qt::CaseInsensitive) == 0;
        if (found)
            break;
    }
    if (!found)
        return qbtoolFail(QStringLiteral("no label layout ") + positional[1] + QStringLiteral(" in LABEL.DBF"));
    const qb::LabelLayoutRecord layout = catalogue.read();

    if (!selectRecords(addresses, args.filter))
        return 1;
    addresses.setExtraFieldsEnabled(true);

    QWidget owner;
    qb::design::TKLabelPanel panel(&owner);
    panel.setDataset(&addresses);
    qb::TReportPrinter job;
    job.SelectPrinterByName(QStringLiteral("PDF file"));
    job.setPdfFileName(QFileInfo(positional[2]).absoluteFilePath());
    job.setUnits(qb::Units::unInch);
    job.setTitle(QStringLiteral("Quillbase"));

    qb::LabelPrintRequest request;
    request.copies = args.copies;
    request.presort = args.presort;
    request.stock = layout.stock;
    request.layoutPath = catalogue.layoutPath(layout.fileName.trimmed());
    request.presortPath = qb::ProgramFolder::path() + QStringLiteral("PRESORT.PSL");
    qb::LabelPrintHooks hooks;
    hooks.inform = [](const QString& text) {
        if (!text.startsWith(QLatin1String("Labels will print")))
            std::cerr << "qbtool: " << QString(text).replace(QLatin1Char('\r'), QString()).toStdString() << "\n";
    };
    hooks.askYesNo = [](const QString& text) {
        std::cerr << "qbtool: warning: " << QString(text).replace(QLatin1Char('\r'), QString()).toStdString() << "\n";
        return true;
    };
    bool presorted = false;
    const qb::LabelPrintResult result = qb::runLabelPrint(addresses, panel, job, request, presorted, hooks);
    if (result.outcome != qb::PrintOutcome::Completed)
        return qbtoolFail(job.LastError().isEmpty() ? QStringLiteral("nothing was printed") : job.LastError());
    for (const QString& line : result.notes.report(QStringLiteral("label"), QStringLiteral("labels")))
        std::cerr << "qbtool: " << line.toStdString() << "\n";
    std::cout << result.stats.labels << " labels, " << result.stats.headers << " presort headers, "
              << result.stats.pages << " pages\n";
    return 0;
}
