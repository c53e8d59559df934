// What qbtool's commands that print stored designs for the records of a
// database share: their arguments, the program folder, the records chosen.

#include "qbtool_commands.h"

#include "core/address_table.h"
#include "core/messages.h"
#include "core/paths.h"
#include "core/system_tables.h"
#include "platform/xbase/table.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdlib>
#include <iostream>

DesignPrintArgs parseDesignPrintArgs(int argc, char** argv)
{
    DesignPrintArgs a;
    for (int i = 2; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("--program") && i + 1 < argc)
            a.program = QString::fromLocal8Bit(argv[++i]);
        else if (arg == QLatin1String("--filter") && i + 1 < argc)
            a.filter = QString::fromLocal8Bit(argv[++i]);
        else if (arg == QLatin1String("--copies") && i + 1 < argc)
            a.copies = std::atoi(argv[++i]);
        else if (arg == QLatin1String("--presort"))
            a.presort = true;
        else if (arg == QLatin1String("--feed") && i + 1 < argc)
            a.feed = QString::fromLocal8Bit(argv[++i]);
        else if (arg == QLatin1String("--paper") && i + 1 < argc)
            a.paper = QString::fromLocal8Bit(argv[++i]);
        else
            a.positional << arg;
    }
    return a;
}

int qbtoolFail(const QString& message)
{
    std::cerr << "qbtool: " << QString(message).remove(QLatin1Char('\r')).toStdString() << "\n";
    return 1;
}

void useProgramFolder(const QString& program)
{
    // Without --program, the folder Quillbase itself would use: this one when
    // the program runs in place, the user's folder for an installed copy.
    // Some commands ask before their QCoreApplication exists, so the
    // executable's folder comes from the system rather than from Qt.
    const QString executableFolder = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    const QString perUser = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Quillbase");
    qb::ProgramFolder::setPath(program.isEmpty() ? qb::ProgramFolder::choose(executableFolder, perUser)
                                                 : QDir(program).absolutePath() + QLatin1Char('/'));
}

bool selectRecords(qb::AddressTable& addresses, const QString& filter)
{
    try {
        addresses.table().setFilter(filter.isEmpty() ? std::string("!ISDEL")
                                                     : "(" + filter.toStdString() + ") .and. !ISDEL");
    } catch (const std::exception& e) {
        qbtoolFail(QString::fromStdString(e.what()));
        return false;
    }
    addresses.table().selectOrder("LNAME");
    addresses.table().first();
    return true;
}

std::unique_ptr<qb::xbase::Table> openCatalogueForReading(qb::SystemTable which)
{
    const QString path = qb::systemTablePath(which);
    const QString name = QFileInfo(path).fileName();
    if (!QFileInfo::exists(path)) {
        qbtoolFail(QStringLiteral("no ") + name + QStringLiteral(" in ") + QFileInfo(path).absolutePath());
        return nullptr;
    }
    qb::setMessageResponder([](const qb::Message& m) {
        qbtoolFail(m.text);
        return false;
    });
    std::unique_ptr<qb::xbase::Table> table = qb::openSystemTable(which, qb::xbase::OpenMode::ReadOnly);
    qb::setMessageResponder({});
    if (!table)
        qbtoolFail(QStringLiteral("cannot open ") + path);
    return table;
}
