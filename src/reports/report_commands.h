#pragma once

namespace qb {

class CommandRegistry;

// "Print &Reports" with the Reports button, and "Print C&urrent Record".
void registerReportCommands(CommandRegistry& registry);

} // namespace qb
