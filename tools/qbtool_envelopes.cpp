// qbtool envelopes DATABASE LAYOUT OUT.pdf [--program DIR] [--filter EXPR]
//     [--feed ORIENTATION,FACING,POSITION[,cw]] [--paper NAME]
// prints a stored envelope layout (its description or its BIN file name in
// the program folder's ENVELOPE.DBF) for every record of DATABASE passing
// EXPR into a PDF file, one envelope a page, without a window. Without
// --paper the page is the envelope itself; with it the envelope is placed on
// that paper as the feed says (the saved "Envelope Feed" unless --feed).

#include "qbtool_commands.h"

#include "core/address_table.h"
#include "core/layout_names.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/system_tables.h"
#include "envelopes/envelope_catalogue.h"
#include "envelopes/envelope_printing.h"
#include "envelopes/tenvelopepanel.h"
#include "platform/xbase/table.h"
#include "printing/tcanvasreport.h"

#include <QApplication>
#include <QFileInfo>

#include <iostream>
#include <memory>
#include <optional>

namespace {

const char* kEnvelopesUsage =
    "usage: qbtool envelopes DATABASE LAYOUT OUT.pdf [--program DIR] [--filter EXPR]\n"
    "                        [--feed ORIENTATION,FACING,POSITION[,cw]] [--paper NAME]\n"
    "  LAYOUT is an envelope layout's description or its file name (BIN00001.E) in ENVELOPE.DBF\n"
    "  of the program folder. ORIENTATION is portrait or landscape, FACING up or down,\n"
    "  POSITION left, right or center; cw adds clockwise rotation.\n";

// "landscape,down,center,cw" and the like; nullopt when a word is unknown.
std::optional<qb::EnvelopeFeed> parseFeed(const QString& text, qb::EnvelopeFeed feed)
{
    const QStringList words = text.toLower().split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (words.size() < 3 || words.size() > 4)
        return std::nullopt;
    const auto pick = [](const QString& w, const QStringList& names) {
        for (int i = 0; i < names.size(); ++i)
            for (const QString& n : names[i].split(QLatin1Char('|')))
                if (w.trimmed() == n)
                    return i;
        return -1;
    };
    feed.orientation = pick(words[0], {"portrait|0", "landscape|1"});
    feed.facing = pick(words[1], {"up|0", "down|1"});
    feed.position = pick(words[2], {"left|0", "right|1", "center|centre|2"});
    feed.clockWiseRotation = words.size() == 4 && words[3].trimmed() == QLatin1String("cw");
    if (feed.orientation < 0 || feed.facing < 0 || feed.position < 0 || (words.size() == 4 && !feed.clockWiseRotation))
        return std::nullopt;
    return feed;
}

} // namespace

int envelopesCommand(const std::string& command, int argc, char** argv)
{
    if (command != "envelopes")
        return -1;
    const DesignPrintArgs args = parseDesignPrintArgs(argc, argv);
    if (args.positional.size() != 3) {
        std::cerr << kEnvelopesUsage;
        return 1;
    }
    auto app = ensureApplication(argc, argv);
    useProgramFolder(args.program);

    qb::EnvelopeFeed feed = qb::EnvelopeFeedPreferences::read(qb::Settings::program());
    if (!args.feed.isEmpty()) {
        const std::optional<qb::EnvelopeFeed> parsed = parseFeed(args.feed, feed);
        if (!parsed) {
            std::cerr << kEnvelopesUsage;
            return 1;
        }
        feed = *parsed;
    }

    qb::AddressTable addresses;
    if (!addresses.open(args.positional[0], qb::AddressTable::Messages::Quiet))
        return qbtoolFail(QStringLiteral("cannot open the address database ") + args.positional[0]);
    std::unique_ptr<qb::xbase::Table> envelopes = openCatalogueForReading(qb::SystemTable::Envelope);
    if (!envelopes)
        return 1;
    qb::EnvelopeCatalogue catalogue(*envelopes);
    if (!catalogue.find(args.positional[1]))
        return qbtoolFail(QStringLiteral("no envelope layout ") + args.positional[1] + QStringLiteral(" in ENVELOPE.DBF"));
    const qb::EnvelopeLayoutRecord layout = catalogue.read();
    if (!layout.fileName.isEmpty() && catalogue.layoutPath(layout.fileName).isEmpty())
        return qbtoolFail(qb::notPlainFileNameMessage(layout.fileName));

    if (!selectRecords(addresses, args.filter))
        return 1;
    addresses.setExtraFieldsEnabled(true);

    QWidget owner;
    qb::TEnvelopePanel panel(&owner);
    panel.setDataset(&addresses);
    qb::TReportPrinter job;
    job.SelectPrinterByName(QStringLiteral("PDF file"));
    job.setPdfFileName(QFileInfo(args.positional[2]).absoluteFilePath());
    job.setUnits(qb::Units::unInch);
    job.setTitle(QStringLiteral("Quillbase"));
    if (!args.paper.isEmpty() && !job.PaperNames().contains(args.paper, Qt::CaseInsensitive))
        return qbtoolFail(QStringLiteral("no paper ") + args.paper + QStringLiteral(" on the PDF printer; it has ") +
                          job.PaperNames().join(QStringLiteral(", ")));

    qb::EnvelopePrintRequest request;
    request.layoutPath = catalogue.layoutPath(layout.fileName);
    request.code = layout.code;
    request.feed = feed;
    request.records = qb::PrintRecords::Filter;
    request.paperName = args.paper;
    qb::EnvelopePrintHooks hooks;
    QStringList told;
    hooks.inform = [&told](const QString& text) { told << text; };
    const qb::EnvelopePrintResult result = qb::runEnvelopePrint(addresses, panel, job, request, hooks);
    if (result.outcome != qb::PrintOutcome::Completed)
        return qbtoolFail(!told.isEmpty()                ? told.last()
                          : !job.LastError().isEmpty() ? job.LastError()
                                                       : QStringLiteral("nothing was printed"));
    // Notes (a serial range that began again, pieces without their barcode or
    // whole address) go with the finished PDF, one a line, every record named.
    for (const QString& line : told + result.notes.report(QStringLiteral("envelope"), QStringLiteral("envelopes")))
        std::cerr << "qbtool: " << line.toStdString() << "\n";
    std::cout << result.envelopes << " envelopes, " << job.printedPages() << " pages\n";
    return 0;
}
