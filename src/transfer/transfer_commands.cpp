#include "transfer/transfer_commands.h"

#include "core/address_table.h"
#include "core/command.h"
#include "core/placement.h"
#include "transfer/tasciiimport.h"
#include "transfer/tcopyrecordsout.h"
#include "transfer/tdbfimport.h"
#include "transfer/timportoldversion.h"
#include "transfer/tvcardimport.h"

namespace qb {

namespace {

template <class Window, class... Args>
void show(CommandHost& host, Args... args)
{
    Window window(args..., host.addressTable(), host.window());
    centreWindow(&window);
    window.exec();
}

Command importCommand(const char* menuItem, CommandScope::Steps steps, std::function<void(CommandHost&)> run)
{
    Command c;
    c.menuItem = QLatin1String(menuItem);
    c.needs = NeedDatabase | NeedNotEditing;
    c.refusal = QStringLiteral("You need to have a database file open first");
    c.steps = steps;
    c.run = std::move(run);
    return c;
}

} // namespace

void registerTransferCommands(CommandRegistry& registry)
{
    registry.add(importCommand("mnuImportAscii", CommandScope::importFile(), [](CommandHost& h) { show<TASCIIImport>(h); }));
    registry.add(importCommand("mnuImportDbf", CommandScope::importFile(), [](CommandHost& h) { show<TDBFImport>(h); }));
    registry.add(importCommand("mnuImportVersion1", CommandScope::importOlderVersion(),
                               [](CommandHost& h) { show<TImportOldVersion>(h, 1); }));
    registry.add(importCommand("mnuImportVersion2", CommandScope::importOlderVersion(),
                               [](CommandHost& h) { show<TImportOldVersion>(h, 2); }));
    registry.add(importCommand("mnuImportVcard", CommandScope::importFile(), [](CommandHost& h) { show<TVCardImport>(h); }));

    Command out;
    out.menuItem = QStringLiteral("mnuExport");
    out.needs = NeedDatabase | NeedNotEditing | NeedPassingRecords;
    out.refusal = QStringLiteral("No active records for current filter. Nothing to copy");
    out.steps = CommandScope::exportRecords();
    out.run = [](CommandHost& h) { show<TCopyRecordsOut>(h); };
    registry.add(std::move(out));
}

} // namespace qb
