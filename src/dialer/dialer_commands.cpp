#include "dialer/dialer_commands.h"

#include "core/address_table.h"
#include "core/command.h"
#include "core/placement.h"
#include "core/settings.h"
#include "dialer/tqbdialer.h"

namespace qb {
namespace {

Command dialCommand(const QString& button, const QString& field)
{
    Command c;
    c.button = button;
    // The dial buttons show only while a record is browsed.
    c.needs = NeedDatabase | NeedNotEditing | NeedRecord;
    c.run = [field](CommandHost& host) {
        Settings settings = Settings::program();
        TQBDialer dialer(host.addressTable().text(field), settings, host.window());
        centreWindow(&dialer);
        dialer.exec();
    };
    return c;
}

} // namespace

void registerDialerCommands(CommandRegistry& registry)
{
    registry.add(dialCommand(QStringLiteral("DialPhone1Button"), QStringLiteral("PHONE")));
    registry.add(dialCommand(QStringLiteral("DialPhone2Button"), QStringLiteral("PHONE2")));
}

} // namespace qb
