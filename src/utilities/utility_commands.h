#pragma once
// The six "Utilities" commands of the main window.

namespace qb {

class CommandRegistry;

void registerUtilityCommands(CommandRegistry& registry);

} // namespace qb
