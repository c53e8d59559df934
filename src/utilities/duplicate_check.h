#pragma once
// The duplicate check: records that may describe one person or place, found
// by comparing the records' name or street keys.

#include "utilities/bulk_run.h"

#include <string>

namespace qb {

class AddressStandard;
class TemporaryIndex;

enum class DuplicateKind { LastFirst, LastFirstInitial, Street };

inline constexpr int kMaxStreetCharacters = 30;

// The result index's expression, by kind: the records found show in name or
// street order.
QString duplicateIndexExpression(DuplicateKind kind);

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

// Groups the records the table shows by their key: every record of a group
// of two or more joins result (once), and a group of n counts n - 1 pairs,
// as n neighbours in an order of that key would. A cancel keeps what was
// found so far; onFound hears the count rise. With standardStreets the street
// check compares the streets in the postal standard's form ("123 North Main
// Street, Apt 4" is "123 N MAIN ST APT 4"); a street it cannot read is
// compared as it is.
DuplicateOutcome checkDuplicates(xbase::Table& table, DuplicateKind kind, int streetCharacters, TemporaryIndex& result,
                                 const KeepGoing& keepGoing = {}, const std::function<void(uint64_t)>& onFound = {},
                                 const AddressStandard* standardStreets = nullptr);

} // namespace qb
