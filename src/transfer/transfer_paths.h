#pragma once
// Paths an import or export compares with the open database, and the names of
// a table's companion files.

#include <QString>
#include <string>

namespace qb {

// Whether a and b name the same file: spelled as on disk (in any letter case,
// '\' or '/'), links followed.
bool sameFile(const QString& a, const QString& b);

// The companion of a table (".FPT", ".CDX") as the engine finds it: an existing
// file in any letter case, otherwise the extension in the table's own case.
std::string companionOf(const std::string& tablePath, const char* upperExtension);

} // namespace qb
