// qbtool letters DATABASE TEMPLATE OUT.pdf [--program DIR] [--filter EXPR] [--copies N]
// merges a stored letter template (its description in the program folder's
// LETTER.DBF) with every record of DATABASE passing EXPR and prints the
// letters into a PDF file, without a window.

#include "qbtool_commands.h"

#include "core/address_table.h"
#include "core/paths.h"
#include "core/system_tables.h"
#include "letters/letter_catalogue.h"
#include "letters/letter_print_loop.h"
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

const char* kLettersUsage =
    "usage: qbtool letters DATABASE TEMPLATE OUT.pdf [--program DIR] [--filter EXPR] [--copies N]\n"
    "  TEMPLATE is a letter template's description in LETTER.DBF of the program\n"
    "  folder (DIR, or the folder qbtool lives in).\n";

int fail(const QString& message)
{
    std::cerr << "qbtool: " << QString(message).remove(QLatin1Char('\r')).toStdString() << "\n";
    return 1;
}

} // namespace

int lettersCommand(const std::string& command, int argc, char** argv)
{
    if (command != "letters")
        return -1;
    QStringList positional;
    QString program, filter;
    int copies = 1;
    for (int i = 2; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (a == QLatin1String("--program") && i + 1 < argc)
            program = QString::fromLocal8Bit(argv[++i]);
        else if (a == QLatin1String("--filter") && i + 1 < argc)
            filter = QString::fromLocal8Bit(argv[++i]);
        else if (a == QLatin1String("--copies") && i + 1 < argc)
            copies = std::atoi(argv[++i]);
        else
            positional << a;
    }
    if (positional.size() != 3 || copies < 1 || copies > qb::kMaxLetterCopies) {
        std::cerr << kLettersUsage;
        return 1;
    }
    auto app = ensureApplication(argc, argv);
    qb::ProgramFolder::setPath(program.isEmpty() ? QCoreApplication::applicationDirPath() + QLatin1Char('/')
                                                 : QDir(program).absolutePath() + QLatin1Char('/'));

    qb::AddressTable addresses;
    if (!addresses.open(positional[0], qb::AddressTable::Messages::Quiet))
        return fail(QStringLiteral("cannot open the address database ") + positional[0]);
    std::unique_ptr<qb::xbase::Table> letters =
        qb::openSystemTable(qb::SystemTable::Letter, qb::xbase::OpenMode::ReadOnly);
    if (!letters)
        return fail(QStringLiteral("cannot open LETTER.DBF in ") + qb::ProgramFolder::path() + QStringLiteral("sysdata"));
    qb::LetterCatalogue catalogue(*letters);
    bool found = false;
    for (bool more = letters->first(); more; more = letters->next()) {
        found = catalogue.description().compare(positional[1], Qt::CaseInsensitive) == 0;
        if (found)
            break;
    }
    if (!found)
        return fail(QStringLiteral("no letter template ") + positional[1] + QStringLiteral(" in LETTER.DBF"));
    qb::richtext::RichText letterTemplate;
    if (!catalogue.load(letterTemplate))
        return fail(QStringLiteral("the letter template ") + positional[1] + QStringLiteral(" cannot be read"));

    try {
        addresses.table().setFilter(filter.isEmpty() ? std::string("!ISDEL")
                                                     : "(" + filter.toStdString() + ") .and. !ISDEL");
    } catch (const std::exception& e) {
        return fail(QString::fromStdString(e.what()));
    }
    addresses.table().selectOrder("LNAME");
    addresses.table().first();

    qb::TReportPrinter job;
    job.SelectPrinterByName(QStringLiteral("PDF file"));
    job.setPdfFileName(QFileInfo(positional[2]).absoluteFilePath());
    job.setTitle(QStringLiteral("Quillbase letters"));
    qb::LetterPrintLoop loop(addresses.table(), letterTemplate, copies, false);
    const qb::PrintOutcome outcome = loop.run(job);
    if (outcome != qb::PrintOutcome::Completed)
        return fail(job.LastError().isEmpty() ? QStringLiteral("nothing was printed") : job.LastError());
    std::cout << loop.letters() << " letters, " << loop.pages() << " pages\n";
    return 0;
}
