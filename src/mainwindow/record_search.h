#pragma once
// Finding records in the open database: the key search, which jumps to the
// first key of an order that begins with the typed text, and the memo
// search, which walks the records until a memo contains a text. Both see
// only the records the filter lets through, in the current order.

#include <QString>

#include <functional>

namespace qb {

namespace xbase {
class Table;
}

// The key search seeks in an index tag; without a usable index it says so.
inline const QString kSearchNeedsIndexMessage = QStringLiteral(
    "The index of this database must be rebuilt before it can be searched.\r\n"
    "Choose \"Rebuild Indexes for this file\" from the File menu.");

// Seeks text (upper-cased, a-z only, as the keys are) in the table's current
// order with exact comparison off and soft seek on. True when found; when not,
// the record that was current before stays current. Engine errors count as
// not found.
bool keySearch(xbase::Table& table, const QString& text);

// The memo test: the first 32,767 characters of memo contain text, letters
// a-z compared without case. An empty memo never matches.
bool memoContains(const QString& memo, const QString& text);

// Walks from the first record (fromStart) or the one after the current one
// until a memo contains text. keepGoing is asked after each record that did
// not match; false stops the walk. On a match that record is current and the
// result is true; otherwise the record current before is current again. An
// engine error (a memo that cannot be read) passes on, with the record
// current before current again.
bool findTextInMemo(xbase::Table& table, const QString& text, bool fromStart, const std::function<bool()>& keepGoing);

} // namespace qb
