#pragma once
// Every subsystem's commands for the main window's command table.

namespace qb {

class CommandRegistry;

// Adds the commands of every subsystem (labels, and the output, utility,
// transfer and dialling subsystems as they come) to registry. The main
// window adds its own on top.
void registerAllCommands(CommandRegistry& registry);

} // namespace qb
