#pragma once
// The zip code count: how many records carry each zip or postal code, as the
// lines of the printed list ("%-10.10s" key, "#,##0" count).

#include "utilities/bulk_run.h"

#include <QStringList>

namespace qb {

// The first five characters of a ZIP value (fewer when shorter).
QString zipCountKey(const QString& zip);
// Five characters, a digit first, between "00000" and "99999-999" as text.
bool isUsStyleZipKey(const QString& key);
// One line of the list: the key padded or cut to ten characters, then the count.
QString zipCountLine(const QString& key, uint64_t count);

struct ZipCountResult {
    QStringList lines;
    bool cancelled = false;
    QString error;   // the engine's message when reading failed; then no lines
};

// Counts the records the table shows (its filter and skip-deleted honoured),
// reading them in record order; the table's order and record are put back.
// The ten digit lists 0 to 9, two empty lines, the other keys, then "BLANK"
// when any ZIP was empty; each list sorted without regard to case, a key
// listed as first met. Cancelled: no lines. sorting is told when the reading
// is done and the sorting begins.
ZipCountResult countZipCodes(xbase::Table& table, const KeepGoing& keepGoing = {}, const std::function<void()>& sorting = {});

} // namespace qb
