#pragma once
// The address filter: eighteen per-field conditions and two flags, the xBase
// text built from them, how it becomes the table's query, and .FLT files.
//
// A condition text is a small language of its own: ";" separates
// alternatives, "+" conditions that must all hold, "^" conditions that must
// not hold (in that order of binding, loosest first); a single value may
// start with ">=", ">", "<=", "<" or "$" (contains), and otherwise matches
// fields that begin with it.

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace qb {

namespace xbase {
class Table;
}

// One condition: its label in the filter dialog (copied from the main
// window), the main window field its box lines up with, and the field
// expression it tests. Listed in the order of the .FLT file.
struct FilterField {
    const char* label;
    const char* mainField;
    const char* expression;
};
inline constexpr int kFilterFieldCount = 18;
const std::array<FilterField, kFilterFieldCount>& filterFields();

struct FilterConditions {
    std::array<QString, kFilterFieldCount> texts;
    bool taggedOnly = false;
    bool reverse = false;

    void clear() { *this = FilterConditions(); }
    bool operator==(const FilterConditions&) const = default;
};

// The filter text may take this much of the engine's 255 characters, leaving
// room for ".and. !ISDEL".
inline constexpr int kMaxFilterLength = 243;

inline const QString kFilterTooComplex = QStringLiteral("Sorry - filter is too complex.Please simplify it.");

// A value as an xBase string constant: delimited by the first of ", ' and []
// it does not contain; a value containing all three is joined from pieces
// that each can be delimited, so nothing typed can end the constant early.
QString quotedConstant(const QString& value);

// The expression testing field expression `field` against a condition text.
QString conditionExpression(const QString& text, const QString& field);

// The filter text: the conditions that are not blank, joined by " and ", the
// tagged-only test, and the reverse wrapping. Empty when nothing is set.
QString BuildQueryString(const FilterConditions& conditions, const QString& tagId);

// The filter of the main window, which lasts for the whole run and survives
// opening another database.
class AddressFilter {
public:
    FilterConditions conditions;

    // The text of the last apply; empty when no filter is set.
    const QString& filterText() const { return text_; }
    bool isSet() const { return !text_.isEmpty(); }

    // Makes the conditions the table's query. Returns the number of matching
    // records; 0 when no filter is set, or when it was dropped because it was
    // too long (after saying so) or matched nothing (silently). A dropped
    // filter clears the conditions. The table stays where the engine leaves it.
    uint32_t apply(xbase::Table& table, const QString& tagId);

    // Empties every condition, both flags and the filter text.
    void ClearQueryVars();

private:
    QString text_;
};

// ---- .FLT files -----------------------------------------------------------
// Twenty CRLF lines: the eighteen texts as typed in file order, then "T" or
// "F" for the tagged-only flag and for the reverse flag. Windows-1252.

// Writes through a temporary file renamed into place; false (old file intact)
// when that fails.
bool SaveFilterTo(const QString& path, const FilterConditions& conditions);
// Missing lines read as empty; a flag is set only by exactly "T". nullopt
// when the file cannot be read or is too large to be a filter file.
std::optional<FilterConditions> RestoreFilterFrom(const QString& path);

inline const QString kMustHaveFltExtension = QStringLiteral("Must have a .FLT extension");
inline const QString kMustBeFltFile = QStringLiteral("Must be a Filter (.FLT) file");

// The name "&Save Filter" writes for the name chosen in the save dialog:
// ".FLT" appended when the name has no extension; nullopt (after telling the
// user) when it has another one.
std::optional<QString> filterFileForSaving(const QString& chosen);

} // namespace qb
