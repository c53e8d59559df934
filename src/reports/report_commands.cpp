#include "reports/report_commands.h"

#include "core/address_table.h"
#include "core/command.h"
#include "core/placement.h"
#include "core/system_tables.h"
#include "platform/xbase/table.h"
#include "reports/tprintcurrentrecord.h"
#include "reports/treportsetup.h"

namespace qb {

namespace {

void printReports(CommandHost& host)
{
    std::unique_ptr<xbase::Table> reports = openSystemTable(SystemTable::Report, xbase::OpenMode::Exclusive);
    if (!reports)
        return;
    // Data fields may show the calculated name and address values.
    host.addressTable().setExtraFieldsEnabled(true);
    struct Off {
        AddressTable& t;
        ~Off() { t.setExtraFieldsEnabled(false); }
    } off{host.addressTable()};
    TReportSetup screen(*reports, host.addressTable(), host.filterIsSet(), host.window());
    centreWindow(&screen);
    screen.exec();
}

void printCurrentRecord(CommandHost& host)
{
    TPrintCurrentRecord screen(host.addressTable(), host.window());
    centreWindow(&screen);
    screen.exec();
}

} // namespace

void registerReportCommands(CommandRegistry& registry)
{
    Command reports;
    reports.menuItem = QStringLiteral("mnuPrintReports");
    reports.button = QStringLiteral("ReportsButton");
    reports.needs = NeedDatabase | NeedNotEditing | NeedRecord | NeedPrinter;
    reports.steps = CommandScope::printLabelsOrReports();
    reports.run = printReports;
    registry.add(std::move(reports));

    Command record;
    record.menuItem = QStringLiteral("mnuPrintCurrentRecord");
    record.needs = NeedDatabase | NeedNotEditing | NeedRecord | NeedPrinter;
    record.steps = CommandScope::printLabelsOrReports();
    record.run = printCurrentRecord;
    registry.add(std::move(record));
}

} // namespace qb
