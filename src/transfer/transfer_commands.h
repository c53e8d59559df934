#pragma once
// The import and export commands of the main window, described for its
// command table.

namespace qb {

class CommandRegistry;

// "Import from &ASCII File", "Import from &DBF File", "Import from Quillbase
// 1.x DBF", "Import from Quillbase 2.x DBF" and "&Export ".
void registerTransferCommands(CommandRegistry& registry);

} // namespace qb
