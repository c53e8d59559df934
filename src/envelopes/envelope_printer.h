#pragma once
// The envelope printer as the settings file remembers it (section "Envelope
// Printer"): the printer by its list entry, paper source and paper by name,
// and the orientation. A saved name that is no longer offered leaves the
// current choice as it is, so an envelope run never lands on a printer or a
// tray the user did not pick.

#include "core/preferences.h"

#include <QStringList>

namespace qb {

class TBaseReport;

// The first entry that contains, ignoring case, the part of saved before its
// first " ON " (the port may have changed since); -1 when none does.
int findEnvelopePrinter(const QStringList& entries, const QString& saved);

void applyEnvelopePrinter(TBaseReport& job, const EnvelopePrinterPreferences& saved);
// What the job has selected: its list entry, source and paper names (empty
// when the printer reports none) and orientation.
EnvelopePrinterPreferences envelopePrinterOf(TBaseReport& job);

} // namespace qb
