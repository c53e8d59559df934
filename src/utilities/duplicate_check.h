#pragma once
// The duplicate check: records that may describe one person or place, found
// by comparing each record with its neighbour in name or street order.

#include "utilities/bulk_run.h"

#include <string>

namespace qb {

class TemporaryIndex;

enum class DuplicateKind { LastFirst, LastFirstInitial, Street };

inline constexpr int kMaxStreetCharacters = 30;

// The result index's expression and the address tag walked, by kind.
QString duplicateIndexExpression(DuplicateKind kind);
QString duplicateOrder(DuplicateKind kind);

// The comparison key of a record (fields as stored, trailing blanks gone) in
// capitals; empty when the record is not considered (no last name, or no
// street). The name parts stay apart, so "Ann"+"Elise" is not "Anne"+"Lise".
std::string duplicateKey(DuplicateKind kind, const std::string& lname, const std::string& fname, const std::string& street,
                         int streetCharacters);

struct DuplicateOutcome {
    uint64_t found = 0;   // neighbouring pairs with equal keys
    bool cancelled = false;
    QString error;
};

// Walks the records the table shows in name or street order; of two
// neighbours with equal keys both join result (a record once only, the
// middle of three too). A cancel keeps what was found so far.
DuplicateOutcome checkDuplicates(xbase::Table& table, DuplicateKind kind, int streetCharacters, TemporaryIndex& result,
                                 const KeepGoing& keepGoing = {});

} // namespace qb
