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

inline const QString kNoFreeLayoutName =
    QStringLiteral("There is no free layout file name left in the sysdata directory (BIN00001 to BIN99999)");

} // namespace qb
