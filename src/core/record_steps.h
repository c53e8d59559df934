#pragma once
// The first / previous / next / last buttons that design and print screens
// show beside a record: a step that never runs off either end.

#include <QString>

namespace qb {

namespace xbase {
class Table;
}

enum class RecordStep { First = 0, Prior = 1, Next = 2, Last = 3 };

// Moves the table one step, staying on the first or last record at the
// ends. Empty on success, otherwise the engine's message (the table then
// stays where the failed read left it).
QString stepRecord(xbase::Table& table, RecordStep step);

} // namespace qb
