#pragma once
// The label commands of the main window, described for its command table.

namespace qb {

class CommandRegistry;

// "Print &Labels" (Ctrl+L) and the "Labels" button: the label print screen
// over LABEL.DBF, with the calculated name and address fields switched on.
void registerLabelCommands(CommandRegistry& registry);

} // namespace qb
