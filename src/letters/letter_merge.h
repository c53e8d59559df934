#pragma once
// Merge fields: a name in square brackets ("[City+State+Zip]") in a letter
// template, replaced by a value from the address record when the letter is
// merged. Merging works on a copy of the template and keeps the formatting of
// each field for the text that replaces it.

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>

class QTextDocument;

namespace qb {

namespace xbase {
class Table;
}

// A stored field of the current address record by its column name
// ("LNAME"), trailing blanks removed.
using MergeFieldReader = std::function<QString(const char* column)>;
MergeFieldReader tableFieldReader(const xbase::Table& table);

// The 25 names in the order of the editor's insert list.
const QStringList& mergeFieldNames();
// The order in which the Windows program replaced them; merging here replaces
// every field in one pass through the text instead (see mergeLetter).
const QStringList& mergeOrder();

// "Full Name": prefix, first name, middle initial with its period and last
// name, each followed by one blank when present.
QString mergeFullName(const MergeFieldReader& field);
// "Name and Address": the name, title and organisation, street lines, city
// line and country, each line ended by CR LF, empty lines left out.
QString mergeAddressBlock(const MergeFieldReader& field);
// The value of a merge field name (as in mergeFieldNames); empty for any
// other. "Full Name" without the trailing blank of mergeFullName.
QString mergeValue(const QString& name, const MergeFieldReader& field, const QDate& today);

// Replaces every merge field in document, looking for "[" + name + "]" in
// any letter case from the start of the text to its end; the text put in
// takes the character format of the field's first character. Values are
// never merged again: a value holding "[Zip]" prints "[Zip]", whether it came
// from [Title] or from inside [Name and Address].
void mergeLetter(QTextDocument& document, const MergeFieldReader& field, const QDate& today = QDate::currentDate());

} // namespace qb
