#pragma once
// Which source column or field feeds which address field. The match windows
// show one row per address field; a source feeds at most one row, so choosing
// it for a row takes it from any other.

#include "platform/xbase/table.h"

#include <string>
#include <vector>

namespace qb {

// An address field offered for matching.
struct ImportField {
    std::string name;    // as stored: "LNAME"
    std::string label;   // as shown: "Last Name"
    char type = 'C';
    int width = 0;
};

// The text fields a comma-separated file can feed: those the record view shows,
// in its order. Memo, date and logical fields are not offered.
std::vector<ImportField> textImportFields(const xbase::Table& table);
// The fields another table can feed: every stored field but ISDEL and TAG, in
// the record view's order, MEMO shown as "Memo".
std::vector<ImportField> tableImportFields(const xbase::Table& table);

// A column of a text file or a field of a source table.
struct ImportSourceField {
    std::string name;   // "Field 3", or the source field's name
    char type = 'C';    // C for text columns; the source field's type otherwise
};

class FieldMatch {
public:
    // Text columns fit every row; table fields only rows of their kind.
    enum class Kind { Text, Table };

    FieldMatch() = default;
    FieldMatch(Kind kind, std::vector<ImportField> rows, std::vector<ImportSourceField> sources);

    const std::vector<ImportField>& rows() const { return rows_; }
    const std::vector<ImportSourceField>& sources() const { return sources_; }

    // The source feeding row, or -1.
    int sourceOf(int row) const { return feeding_.at(size_t(row)); }
    // The row source feeds, or -1.
    int rowOf(int source) const;
    // The sources a row may take: a memo row memo fields, a date row date
    // fields, any other row every field but memos (every column of a text file).
    std::vector<int> choices(int row) const;
    // Puts source on row, taking it from any other row; -1 clears the row.
    // A source the row may not take is refused (false).
    bool select(int row, int source);
    void clear(int row) { select(row, -1); }
    void clearAll();
    bool any() const;

    // The first match for a source table: a memo field feeds the "Memo" row
    // when no other does yet; a character, numeric, logical or date field the
    // first free row whose label or name is the field's name (any letter case).
    void preMatch();

private:
    bool fits(int row, int source) const;

    Kind kind_ = Kind::Text;
    std::vector<ImportField> rows_;
    std::vector<ImportSourceField> sources_;
    std::vector<int> feeding_;   // per row
};

} // namespace qb
