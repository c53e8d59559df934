#pragma once
// The state and zip check: which address records have a zip or postal code
// outside the range the reference table CSZ.DBF gives their state.

#include "utilities/bulk_run.h"

#include <map>
#include <optional>
#include <string>

namespace qb {

class TemporaryIndex;

// One row of CSZ.DBF as the check uses it; codes as stored (Windows-1252).
struct CszRange {
    std::string low, high;
    QString fault;   // why the row cannot be trusted; empty when it can
};

// What is wrong with a row's codes: a code holding anything but letters,
// digits, blanks and '-', or a LOW above HIGH. Empty when nothing is.
QString cszRowFault(const QString& low, const QString& high);

// The first row of each state (compared in capitals, as the table's STATE
// tag orders them).
class CszReference {
public:
    // Reads every row of CSZ.DBF, in its STATE order when it has one; throws
    // the engine's error, or one naming a field the table lacks.
    explicit CszReference(xbase::Table& csz);
    CszReference() = default;
    void add(const std::string& state, const CszRange& range);   // a later row of a state is ignored
    const CszRange* find(const std::string& state) const;

private:
    std::map<std::string, CszRange> rows_;
};

// Whether a record's STATE and ZIP (as stored, trailing blanks gone) are
// questionable: no row for the state, a row that cannot be trusted, or a ZIP
// below LOW_ZIP or above HIGH_ZIP as text.
bool isQuestionable(const CszReference& reference, const std::string& state, const std::string& zip);

struct StateZipOutcome {
    uint64_t found = 0;
    bool cancelled = false;
    QString error;
};

// Walks the records the table shows in record order and adds the key of each
// questionable one to result. Without includeBlanks, records with an empty
// STATE or ZIP are passed over. A cancel keeps what was found so far; so
// does an engine error, which the outcome names. found hears the count rise.
StateZipOutcome checkStateAndZip(xbase::Table& table, const CszReference& reference, bool includeBlanks,
                                 TemporaryIndex& result, const KeepGoing& keepGoing = {},
                                 const std::function<void(uint64_t)>& found = {});

} // namespace qb
