#pragma once
// The letter commands of the main window, described for its command table.

namespace qb {

class CommandRegistry;

// "Print Le&tters" (Ctrl+T) and the "Letters" button: the letters screen over
// LETTER.DBF.
void registerLetterCommands(CommandRegistry& registry);

} // namespace qb
