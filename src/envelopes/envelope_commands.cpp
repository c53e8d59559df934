#include "envelopes/envelope_commands.h"

#include "core/address_table.h"
#include "core/command.h"
#include "core/placement.h"
#include "core/system_tables.h"
#include "envelopes/tqbenvelopes.h"
#include "platform/xbase/table.h"

namespace qb {

namespace {

void printEnvelopes(CommandHost& host)
{
    std::unique_ptr<xbase::Table> envelopes = openSystemTable(SystemTable::Envelope);
    if (!envelopes)
        return;
    // The address block's values are computed only while envelopes are shown.
    host.addressTable().setExtraFieldsEnabled(true);
    struct Off {
        AddressTable& t;
        ~Off() { t.setExtraFieldsEnabled(false); }
    } off{host.addressTable()};
    TQBEnvelopes screen(*envelopes, host.addressTable(), host.filterIsSet(), host.window());
    centreWindow(&screen);
    screen.exec();
}

} // namespace

void registerEnvelopeCommands(CommandRegistry& registry)
{
    Command envelopes;
    envelopes.menuItem = QStringLiteral("mnuPrintEnvelopes");
    envelopes.button = QStringLiteral("EnvelopesButton");
    envelopes.needs = NeedDatabase | NeedNotEditing | NeedRecord | NeedPrinter;
    envelopes.steps = CommandScope::printEnvelopes();
    envelopes.run = printEnvelopes;
    registry.add(std::move(envelopes));
}

} // namespace qb
