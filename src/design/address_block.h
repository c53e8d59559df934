#pragma once
// The address block composed from one record: which fields, in which order,
// how city, state, zip and country share lines, and when a line is left out.
// Plain functions, so the rules can be checked without a table or a panel.

#include "core/blanks.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace qb::design {

enum class ZipOption { AfterState, BeforeCity, AfterCountry, BeforeCountry };

struct AddressOptions {
    bool useName = true;
    bool useTitle = true;
    bool useCompany = true;
    bool useStreet = true;
    bool useStreet2 = true;
    bool useCityState = true;
    bool useZip = true;
    bool usePhone = false;
    bool useCountry = true;
    ZipOption zip = ZipOption::AfterState;
    bool upperCase = false;
};

// A field's text by its name (PREFIX, FNAME, ...), trailing blanks already
// removed; nothing when the table has no such field.
using FieldReader = std::function<std::optional<QString>(const char* name)>;

// The lines of the block. Empty lines are never produced. A field the table
// lacks ends the composition quietly with the lines made so far.
QStringList composeAddress(const AddressOptions& options, const FieldReader& field);

// The most lines the chosen parts can give: one for each of name, title,
// organisation, the two streets and phone, one for the city line and one for
// the country line where the options make them.
int mostAddressLines(const AddressOptions& options);

using qb::ltrimBlanks;
using qb::rtrimBlanks;
using qb::trimBlanks;
// Upper case of the letters a to z only; accented letters keep their case.
QString asciiUpper(const QString& s);

} // namespace qb::design
