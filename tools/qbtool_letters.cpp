// qbtool letters DATABASE TEMPLATE OUT.pdf [--program DIR] [--filter EXPR] [--copies N]
// merges a stored letter template (its description in the program folder's
// LETTER.DBF) with every record of DATABASE passing EXPR and prints the
// letters into a PDF file, without a window.

#include "qbtool_commands.h"

#include "core/address_table.h"
#include "core/messages.h"
#include "core/paths.h"
#include "core/system_tables.h"
#include "letters/letter_catalogue.h"
#include "letters/letter_print_loop.h"
#include "platform/xbase/table.h"
#include "printing/tcanvasreport.h"

#include <QApplication>
#include <QFileInfo>

#include <iostream>
#include <memory>

namespace {

const char* kLettersUsage =
    "usage: qbtool letters DATABASE TEMPLATE OUT.pdf [--program DIR] [--filter EXPR] [--copies N]\n"
    "  TEMPLATE is a letter template's description in LETTER.DBF of the program\n"
    "  folder (DIR, or the folder qbtool lives in).\n";

} // namespace

int lettersCommand(const std::string& command, int argc, char** argv)
{
    if (command != "letters")
        return -1;
    const DesignPrintArgs args = parseDesignPrintArgs(argc, argv);
    const QStringList& positional = args.positional;
    if (positional.size() != 3 || args.copies < 1 || args.copies > qb::kMaxLetterCopies || args.presort) {
        std::cerr << kLettersUsage;
        return 1;
    }
    auto app = ensureApplication(argc, argv);
    useProgramFolder(args.program);
    // Nothing here may wait for a click: whatever a window would ask or say
    // goes to standard error, and questions are answered No.
    qb::setMessageResponder([](const qb::Message& m) {
        std::cerr << "qbtool: " << QString(m.text).replace(QLatin1String("\r\n"), QLatin1String("\n")).toStdString()
                  << "\n";
        return false;
    });
    struct ResponderReset {
        ~ResponderReset() { qb::setMessageResponder({}); }
    } reset;

    qb::AddressTable addresses;
    if (!addresses.open(positional[0], qb::AddressTable::Messages::Quiet))
        return qbtoolFail(QStringLiteral("cannot open the address database ") + positional[0]);
    std::unique_ptr<qb::xbase::Table> letters =
        qb::openSystemTable(qb::SystemTable::Letter, qb::xbase::OpenMode::ReadOnly);
    if (!letters)
        return qbtoolFail(QStringLiteral("cannot open LETTER.DBF in ") + qb::ProgramFolder::path() +
                          QStringLiteral("sysdata"));
    qb::LetterCatalogue catalogue(*letters);
    bool found = false;
    for (bool more = letters->first(); more; more = letters->next()) {
        found = catalogue.description().compare(positional[1], Qt::CaseInsensitive) == 0;
        if (found)
            break;
    }
    if (!found)
        return qbtoolFail(QStringLiteral("no letter template ") + positional[1] + QStringLiteral(" in LETTER.DBF"));
    qb::richtext::RichText letterTemplate;
    QString error;
    const std::optional<qb::richtext::RtfReadResult> read = catalogue.read(letterTemplate, error);
    if (!read)
        return qbtoolFail(error);
    if (const QString note = qb::letterReadNote(*read); !note.isEmpty())
        std::cerr << note.toStdString() << '\n';

    if (!selectRecords(addresses, args.filter))
        return 1;

    qb::TReportPrinter job;
    job.SelectPrinterByName(QStringLiteral("PDF file"));
    job.setPdfFileName(QFileInfo(positional[2]).absoluteFilePath());
    job.setTitle(QStringLiteral("Quillbase letters"));
    qb::LetterPrintLoop loop(addresses.table(), letterTemplate, args.copies, false);
    const qb::PrintOutcome outcome = loop.run(job);
    if (outcome != qb::PrintOutcome::Completed)
        return qbtoolFail(job.LastError().isEmpty() ? QStringLiteral("nothing was printed") : job.LastError());
    std::cout << loop.letters() << " letters, " << loop.pages() << " pages\n";
    return 0;
}
