#pragma once
// FIELDS.LST in sysdata: the column order of the browse grid, one field name of
// the record view a line, CRLF, Windows-1252. Read before the grid opens and
// written back, all names, after it closes.

#include <QString>
#include <QStringList>

#include <optional>

namespace qb {

// program folder + "sysdata/FIELDS.LST", matched to the spelling on disk.
QString fieldsListPath();

// The names, one a line, blanks and line ends around them removed, empty lines
// skipped. nullopt when the file is missing or unreadable, or larger than a
// column list can sensibly be (then *error says why).
std::optional<QStringList> readFieldsList(const QString& path, QString* error = nullptr);

// columns reordered by the list: the field named on line i (counting from 0) is
// moved to position i, one line after the other; names that are not columns
// (compared in any letter case) are skipped, and the columns not listed follow
// in the order the moves leave them.
QStringList applyFieldsList(QStringList columns, const QStringList& listed);

// Writes every name, one a line, through a temporary file renamed into place.
// False when it could not be written; the old file is then unchanged.
bool writeFieldsList(const QString& path, const QStringList& names);

} // namespace qb
