#pragma once
// The main window's dial buttons: "Dial Phone &1" dials the record's PHONE,
// "Dial Phone &2" its PHONE2.

namespace qb {

class CommandRegistry;

void registerDialerCommands(CommandRegistry& registry);

} // namespace qb
