#include "mainwindow/command_list.h"

#include "core/command.h"
#include "dialer/dialer_commands.h"
#include "envelopes/envelope_commands.h"
#include "labels/label_commands.h"
#include "transfer/transfer_commands.h"
#include "letters/letter_commands.h"

namespace qb {

// One line per subsystem.
void registerAllCommands(CommandRegistry& registry)
{
    registerLabelCommands(registry);
    registerEnvelopeCommands(registry);
    registerTransferCommands(registry);
    registerLetterCommands(registry);
    registerDialerCommands(registry);
}

} // namespace qb
