#include "utilities/utility_commands.h"

#include "core/address_table.h"
#include "core/command.h"
#include "core/messages.h"
#include "core/placement.h"
#include "core/system_tables.h"
#include "utilities/tcheckduplicates.h"
#include "utilities/tcheckstatezip.h"
#include "utilities/tconvertcase.h"
#include "utilities/tsearchreplace.h"
#include "utilities/tstandardizeaddresses.h"
#include "utilities/tzipcodecount.h"

#include <QFile>

namespace qb {

namespace {

Command utilityCommand(const char* menuItem, CommandScope::Steps steps, std::function<void(CommandHost&)> run)
{
    Command c;
    c.menuItem = QLatin1String(menuItem);
    c.needs = NeedDatabase | NeedNotEditing;
    c.refusal = QStringLiteral("You need to have a database file open first");
    c.steps = steps;
    c.run = std::move(run);
    return c;
}

template <class Window>
void runWindow(Window& window)
{
    centreWindow(&window);
    window.exec();
}

QString conditions(CommandHost& host) { return host.filterIsSet() ? host.filterConditions() : QString(); }

} // namespace

void registerUtilityCommands(CommandRegistry& registry)
{
    Command count = utilityCommand("mnuCountZipCodes", CommandScope::countZipCodes(), [](CommandHost& host) {
        TZipCodeCount window(host.addressTable().table(), host.window());
        runWindow(window);
    });
    count.needs |= NeedPrinter;
    registry.add(count);

    Command check = utilityCommand("mnuCheckStateZip", CommandScope::checkStateAndZip(), [](CommandHost& host) {
        TCheckStateZip window(host.addressTable(), host.window());
        runWindow(window);
    });
    check.check = [](CommandHost&) {
        if (QFile::exists(systemTablePath(SystemTable::CityStateZip)))
            return true;
        showInformation(QStringLiteral("The file CSZ.DBF has been removed from the SYSDATA directory. Unable to continue."));
        return false;
    };
    registry.add(check);

    registry.add(utilityCommand("mnuCheckDuplicates", CommandScope::checkDuplicates(), [](CommandHost& host) {
        TCheckDuplicates window(host.addressTable(), host.window());
        runWindow(window);
    }));
    registry.add(utilityCommand("mnuStandardizeAddresses", CommandScope::checkStateAndZip(), [](CommandHost& host) {
        TStandardizeAddresses window(host.addressTable(), host.window());
        runWindow(window);
    }));
    registry.add(utilityCommand("mnuConvertCase", CommandScope::convertCase(), [](CommandHost& host) {
        TConvertCase window(host.addressTable().table(), host.filterIsSet(), host.window());
        runWindow(window);
    }));
    registry.add(utilityCommand("mnuDeleteRecords", CommandScope::deleteOrReplace(), [](CommandHost& host) {
        TDeleteRecords window(host.addressTable().table(), conditions(host), host.window());
        runWindow(window);
    }));
    registry.add(utilityCommand("mnuSearchReplace", CommandScope::deleteOrReplace(), [](CommandHost& host) {
        TSearchReplace window(host.addressTable().table(), conditions(host), host.window());
        runWindow(window);
    }));
}

} // namespace qb
