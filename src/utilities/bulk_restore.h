#pragma once
// A bulk change run with a restore point of its table taken first: the point
// keeps what ran and how many records it changed, and goes again when the
// run changed nothing. When the point cannot be made (the disk is full) the
// user is asked whether to go on without it.

#include "utilities/bulk_run.h"

#include <functional>

namespace qb {

// Runs run() after taking the point; when no point can be made, asks
// goOnWithout (the window's question) and, without consent, runs nothing and
// returns an outcome whose error says why.
template <class Outcome>
Outcome runWithRestorePoint(xbase::Table& table, const QString& what, const std::function<Outcome()>& run,
                            const std::function<bool(const QString& why)>& goOnWithout);

// The window's question when no restore point can be made.
bool askToGoOnWithoutRestorePoint(const QString& why);

} // namespace qb

#include "core/restore_points.h"
#include "platform/xbase/table.h"

namespace qb {

template <class Outcome>
Outcome runWithRestorePoint(xbase::Table& table, const QString& what, const std::function<Outcome()>& run,
                            const std::function<bool(const QString& why)>& goOnWithout)
{
    RestorePoints points(QString::fromStdString(table.path()));
    QString error;
    auto point = points.take(what, &error);
    if (!point && !(goOnWithout && goOnWithout(error))) {
        Outcome refused;
        refused.error = error;
        return refused;
    }
    Outcome outcome = run();
    if (point)
        points.finish(*point, outcome.changed);
    return outcome;
}

} // namespace qb
