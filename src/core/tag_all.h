#pragma once
// Tagging every record of a table's filtered view, one record at a time, so
// the window running it can show progress and stop between records.

#include <QString>

#include <cstdint>
#include <functional>

namespace qb {

namespace xbase {
class Table;
}

struct TagAllOutcome {
    uint64_t tagged = 0;   // records written
    bool cancelled = false;
    QString error;         // the engine's message when a write failed; empty otherwise
};

// From the first visible record to the last: TAG set to tagId and posted.
// After each record, keepGoing(tagged so far) is asked; false stops the run.
// A failing write is cancelled and stops the run. The table ends on its
// first visible record either way.
TagAllOutcome tagAllRecords(xbase::Table& table, const QString& tagId,
                            const std::function<bool(uint64_t)>& keepGoing);

} // namespace qb
