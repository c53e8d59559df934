// qbtool zipcount DATABASE [--filter EXPR] [--pdf OUT.pdf]
// qbtool statezip DATABASE [--program DIR] [--blanks]
// qbtool duplicates DATABASE [--kind name|initial|street] [--chars N]
// qbtool standardize DATABASE [--program DIR] [--apply]
// qbtool undo DATABASE [--list]
// The checks of the Utilities menu for scripts: the zip count's lines (and its
// printed list), the records the state and zip check and the duplicate check
// find, in the order their result shows them.

#include "qbtool_commands.h"

#include "core/address_table.h"
#include "core/paths.h"
#include "core/restore_points.h"
#include "core/system_tables.h"
#include "platform/xbase/table.h"
#include "printing/tcanvasreport.h"
#include "utilities/address_standard.h"
#include "utilities/duplicate_check.h"
#include "utilities/state_zip_check.h"
#include "utilities/temporary_index.h"
#include "utilities/zip_count.h"
#include "utilities/zip_count_report.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include <iostream>
#include <memory>

namespace {

const char* kUtilitiesUsage =
    "usage: qbtool zipcount DATABASE [--filter EXPR] [--pdf OUT.pdf]\n"
    "usage: qbtool statezip DATABASE [--program DIR] [--blanks]\n"
    "usage: qbtool duplicates DATABASE [--kind name|initial|street] [--chars N]\n"
    "usage: qbtool standardize DATABASE [--program DIR] [--apply]\n"
    "usage: qbtool undo DATABASE [--list]\n";

struct UtilityArgs {
    QStringList positional;
    QString filter, pdf, program, kind = QStringLiteral("name");
    int chars = qb::kMaxStreetCharacters;
    bool blanks = false;
    bool apply = false;
    bool list = false;
};

UtilityArgs parseUtilityArgs(int argc, char** argv)
{
    UtilityArgs a;
    for (int i = 2; i < argc; ++i) {
        const QString s = QString::fromLocal8Bit(argv[i]);
        auto value = [&] {
            if (i + 1 >= argc)
                throw std::runtime_error("option " + s.toStdString() + " needs a value");
            return QString::fromLocal8Bit(argv[++i]);
        };
        if (s == QLatin1String("--filter"))
            a.filter = value();
        else if (s == QLatin1String("--pdf"))
            a.pdf = value();
        else if (s == QLatin1String("--program"))
            a.program = value();
        else if (s == QLatin1String("--kind"))
            a.kind = value();
        else if (s == QLatin1String("--chars"))
            a.chars = value().toInt();
        else if (s == QLatin1String("--blanks"))
            a.blanks = true;
        else if (s == QLatin1String("--apply"))
            a.apply = true;
        else if (s == QLatin1String("--list"))
            a.list = true;
        else if (s.startsWith(QLatin1String("--")))
            throw std::runtime_error("unknown option " + s.toStdString());
        else
            a.positional << s;
    }
    if (a.positional.size() != 1)
        throw std::runtime_error(std::string("wrong number of arguments\n") + kUtilitiesUsage);
    return a;
}

// Prints each record the table's current order shows: number, last name, state, zip.
void listShown(qb::xbase::Table& t)
{
    for (bool ok = t.first(); ok; ok = t.next())
        std::cout << t.recno() << '\t' << t.text("LNAME") << '\t' << t.text("STREET") << '\t' << t.text("STATE") << '\t'
                  << t.text("ZIP") << '\n';
}

int zipcount(const UtilityArgs& a, int argc, char** argv)
{
    qb::AddressTable addresses;
    if (!addresses.open(a.positional[0], qb::AddressTable::Messages::Quiet))
        return qbtoolFail(QStringLiteral("cannot open ") + a.positional[0]);
    qb::xbase::Table& t = addresses.table();
    // The records as the program counts them: those flagged deleted never,
    // with or without the deleted mark.
    t.setFilter(a.filter.isEmpty() ? std::string("!ISDEL") : "(" + a.filter.toStdString() + ") .and. !ISDEL");
    const qb::ZipCountResult result = qb::countZipCodes(t);
    if (!result.error.isEmpty())
        return qbtoolFail(result.error);
    for (const QString& line : result.lines)
        std::cout << line.toStdString() << '\n';
    if (a.pdf.isEmpty())
        return 0;
    auto app = ensureApplication(argc, argv);
    qb::TReportPrinter job;
    qb::setUpZipCountJob(job);
    job.SelectPrinterByName(QStringLiteral("PDF file"));
    job.setPdfFileName(a.pdf);
    job.OnPrint = [&] { qb::printZipCountList(job, result.lines); };
    if (!job.RunJob())
        return qbtoolFail(job.LastError());
    std::cerr << job.printedPages() << " pages\n";
    return 0;
}

int statezip(const UtilityArgs& a, int argc, char** argv)
{
    useProgramFolder(a.program);
    auto csz = qb::xbase::Table::open(qb::systemTablePath(qb::SystemTable::CityStateZip).toStdString(), qb::xbase::OpenMode::ReadOnly);
    const qb::CszReference reference(*csz);
    csz.reset();
    qb::AddressTable addresses;
    if (!addresses.open(a.positional[0], qb::AddressTable::Messages::Quiet))
        return qbtoolFail(QStringLiteral("cannot open ") + a.positional[0]);
    qb::xbase::Table& t = addresses.table();
    t.setFilter("!ISDEL");
    qb::TemporaryIndex index(t, qb::stateZipIndexPath(a.positional[0]), QStringLiteral("upper(LNAME)+upper(FNAME)"));
    const qb::StateZipOutcome outcome = qb::checkStateAndZip(t, reference, a.blanks, index);
    if (!outcome.error.isEmpty())
        return qbtoolFail(outcome.error);
    t.selectOrder(index.order());
    listShown(t);
    std::cout << "found " << outcome.found << '\n';
    return 0;
}

int duplicates(const UtilityArgs& a)
{
    qb::DuplicateKind kind = qb::DuplicateKind::LastFirst;
    if (a.kind == QLatin1String("initial"))
        kind = qb::DuplicateKind::LastFirstInitial;
    else if (a.kind == QLatin1String("street"))
        kind = qb::DuplicateKind::Street;
    else if (a.kind != QLatin1String("name"))
        return qbtoolFail(QStringLiteral("--kind is name, initial or street"));
    qb::AddressTable addresses;
    if (!addresses.open(a.positional[0], qb::AddressTable::Messages::Quiet))
        return qbtoolFail(QStringLiteral("cannot open ") + a.positional[0]);
    qb::xbase::Table& t = addresses.table();
    t.setFilter("!ISDEL");
    // Beside the database, so that two runs on two databases do not meet.
    const QString path = QFileInfo(a.positional[0]).absolutePath() + QStringLiteral("/") + QLatin1String(qb::kDuplicateIndexName);
    qb::TemporaryIndex index(t, path, qb::duplicateIndexExpression(kind));
    const qb::DuplicateOutcome outcome = qb::checkDuplicates(t, kind, a.chars, index);
    if (!outcome.error.isEmpty())
        return qbtoolFail(outcome.error);
    t.selectOrder(index.order());
    listShown(t);
    std::cout << "found " << outcome.found << '\n';
    return 0;
}

// Lists each change (record, field, old and new text) and each field left as
// it is; with --apply writes the changes.
int standardize(const UtilityArgs& a, int argc, char** argv)
{
    useProgramFolder(a.program);
    QString error;
    const auto standard =
        qb::AddressStandard::load(QFileInfo(qb::systemTablePath(qb::SystemTable::CityStateZip)).absolutePath(), &error);
    if (!standard)
        return qbtoolFail(error);
    qb::AddressTable addresses;
    if (!addresses.open(a.positional[0], qb::AddressTable::Messages::Quiet))
        return qbtoolFail(QStringLiteral("cannot open ") + a.positional[0]);
    qb::xbase::Table& t = addresses.table();
    const qb::StandardPlan plan = qb::planStandardChanges(t, *standard);
    if (!plan.error.isEmpty())
        return qbtoolFail(plan.error);
    for (const qb::StandardChange& c : plan.changes)
        std::cout << c.recno << '\t' << c.field.toStdString() << '\t' << c.before.toStdString() << '\t' << c.after.toStdString() << '\n';
    for (const qb::StandardChange& c : plan.unreadable)
        std::cout << c.recno << '\t' << c.field.toStdString() << '\t' << c.before.toStdString() << "\tleft as it is\n";
    std::cout << plan.changes.size() << " changes, " << plan.unreadable.size() << " left as they are\n";
    if (!a.apply || plan.changes.empty())
        return 0;
    qb::RestorePoints points(addresses.path());
    auto point = points.take(QStringLiteral("Standardize Addresses"), &error);
    if (!point)
        return qbtoolFail(error);
    const qb::BulkOutcome outcome = qb::applyStandardChanges(t, plan.changes);
    points.finish(*point, outcome.changed);
    if (!outcome.error.isEmpty())
        return qbtoolFail(outcome.error + QStringLiteral(" (%1 records changed)").arg(outcome.changed));
    std::cout << "changed " << qb::recordCount(outcome.changed).toStdString() << '\n';
    return 0;
}

// Lists the restore points, newest first, or puts the newest back.
int undo(const UtilityArgs& a)
{
    const QString path = a.positional[0];
    qb::RestorePoints points(path);
    const auto all = points.list();
    if (a.list) {
        for (size_t i = 0; i < all.size(); ++i)
            std::cout << i + 1 << '\t' << all[i].when.toString(Qt::ISODate).toStdString() << '\t' << all[i].what.toStdString()
                      << '\t' << qb::recordCount(all[i].records).toStdString() << '\n';
        return 0;
    }
    if (all.empty())
        return qbtoolFail(QStringLiteral("nothing to undo for ") + path);
    {
        // Nobody else may have the table open while its files are put back.
        qb::AddressTable addresses;
        if (!addresses.open(path, qb::AddressTable::Messages::Quiet))
            return qbtoolFail(QStringLiteral("cannot open ") + path);
    }
    QString error;
    if (!points.restore(all.front(), &error))
        return qbtoolFail(error);
    qb::AddressTable reopened;
    if (!reopened.open(path, qb::AddressTable::Messages::Quiet))
        return qbtoolFail(QStringLiteral("cannot open ") + path + QStringLiteral(" after the undo"));
    std::cout << "undid " << all.front().what.toStdString() << ": " << reopened.table().recordCount() << " records\n";
    return 0;
}

} // namespace

int utilitiesCommand(const std::string& command, int argc, char** argv)
{
    if (command != "zipcount" && command != "statezip" && command != "duplicates" && command != "standardize" &&
        command != "undo")
        return -1;
    const UtilityArgs a = parseUtilityArgs(argc, argv);
    if (command == "zipcount")
        return zipcount(a, argc, argv);
    if (command == "statezip")
        return statezip(a, argc, argv);
    if (command == "standardize")
        return standardize(a, argc, argv);
    if (command == "undo")
        return undo(a);
    return duplicates(a);
}
