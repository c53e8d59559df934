#pragma once
// Names of new layout files in sysdata: "BIN", five digits and the kind's
// extension (".L" labels, ".E" envelopes, ".R" reports), the smallest number
// whose file does not exist and that no catalogue row already names.

#include <QSet>
#include <QString>

#include <optional>

namespace qb {

// taken: file names (any case) the catalogue's rows reference.
// nullopt when all 99,999 names are in use.
std::optional<QString> newLayoutFileName(const QString& folder, const QString& extension, const QSet<QString>& taken);

// A file name read from a catalogue row (labels, envelopes, reports) is only
// ever used as a plain name inside the catalogue's folder: no folder part in
// either slash, no drive, not "." or "..", no control characters. A damaged
// row can then never make Save, Delete or a run touch a file elsewhere.
bool isPlainFileName(const QString& name);
// folder + the name (trimmed) when it is plain, otherwise empty.
QString catalogueFilePath(const QString& folder, const QString& name);
// What the user is told about a name that is not plain.
QString notPlainFileNameMessage(const QString& name);

inline const QString kNoFreeLayoutName =
    QStringLiteral("There is no free layout file name left in the sysdata directory (BIN00001 to BIN99999)");

} // namespace qb
