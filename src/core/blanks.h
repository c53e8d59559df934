#pragma once
// Blanks at the ends of text: only the blank counts as white space, as in
// the stored fields of a table.

#include <QString>

namespace qb {

QString ltrimBlanks(const QString& s);
QString rtrimBlanks(const QString& s);
QString trimBlanks(const QString& s);

} // namespace qb
