#include "mainwindow/command_list.h"

#include "core/command.h"
#include "dialer/dialer_commands.h"
#include "labels/label_commands.h"
#include "transfer/transfer_commands.h"

namespace qb {

// One line per subsystem.
void registerAllCommands(CommandRegistry& registry)
{
    registerLabelCommands(registry);
    registerTransferCommands(registry);
    registerDialerCommands(registry);
}

} // namespace qb
