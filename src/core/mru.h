#pragma once
// The most recently opened databases: at most four full paths, most recent
// first, kept as "Item1".."Item4" of section "MRU" in QUILLB.ini.

#include "core/settings.h"

#include <QString>
#include <QStringList>

namespace qb {

// The stored paths in order, empty values left out.
QStringList readMru(const Settings& settings);

// The list after path was opened: path first, then the earlier entries in
// order without those equal to path (compared exactly, letter case included),
// at most four in all.
QStringList mruAfterOpen(const QStringList& before, const QString& path);

// Reads the list, puts path first and writes it back one key per path
// ("Item1" onwards; keys beyond the new list's length are left as they are).
// Returns the new list for the File menu.
QStringList recordMruOpen(Settings& settings, const QString& path);

} // namespace qb
