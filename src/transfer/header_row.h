#pragma once
// The first line of a text file as the names of its columns: the option
// "First line holds the column names", and the columns matched by those names,
// by the address fields' own names and labels or as the export of a known
// address book (data/transfer/address_book_headers.txt) names them.

#include "transfer/field_match.h"

#include <string>
#include <vector>

namespace qb {

// Whether first names the columns: more than half of its values that are not
// empty are field names, labels or known headers, and not one of second's is.
bool firstLineNamesColumns(const std::vector<std::string>& first, const std::vector<std::string>& second,
                           const std::vector<ImportField>& fields);

struct HeaderMatch {
    std::string book;                  // the program whose export the names are; empty when none
    std::vector<std::string> fields;   // per column, the name of the address field it feeds, or ""
};

// The field each named column feeds, each field fed by one column at most.
// Names holding three or more headers of one known export are matched as that
// export's section says, the rest by the fields' names and labels.
HeaderMatch matchHeaders(const std::vector<std::string>& names, const std::vector<ImportField>& fields);

// Puts the header match on a match over the same columns.
void applyHeaderMatch(FieldMatch& match, const HeaderMatch& headers);

} // namespace qb
