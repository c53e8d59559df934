#pragma once
// The envelope commands of the main window: "Print &Envelopes" and the
// Envelopes button.

namespace qb {

class CommandRegistry;

void registerEnvelopeCommands(CommandRegistry& registry);

} // namespace qb
