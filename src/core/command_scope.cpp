#include "core/command_scope.h"

namespace qb {

namespace {
template <typename F, typename... A>
void run(const F& f, A&&... args)
{
    if (f)
        f(std::forward<A>(args)...);
}

// Runs one step after the command, keeping the first error for later.
template <typename F>
void step(std::exception_ptr& firstError, const F& f)
{
    try {
        f();
    } catch (...) {
        if (!firstError)
            firstError = std::current_exception();
    }
}
} // namespace

CommandScope::CommandScope(Steps steps, Hooks hooks) : steps_(steps), hooks_(std::move(hooks))
{
    try {
        before();
    } catch (...) {
        std::exception_ptr ignored;
        finished_ = true;
        after(ignored);
        throw;
    }
}

void CommandScope::before()
{
    if (steps_.detach) {
        done_.detach = true;
        run(hooks_.detach);
    }
    if (steps_.clearRefresh) {
        done_.clearRefresh = true;
        run(hooks_.setRefreshFlag, false);
    }
    if (steps_.utility) {
        done_.utility = true;
        run(hooks_.setUtilityFlag, true);
    }
    if (steps_.rememberRecord && hooks_.recno) {
        recno_ = hooks_.recno();
        done_.rememberRecord = true;
    }
    if (steps_.rememberFilter && hooks_.filterExpression) {
        filter_ = hooks_.filterExpression();
        done_.rememberFilter = true;
    }
    if (steps_.rememberPrinter && hooks_.printer) {
        printer_ = hooks_.printer();
        done_.rememberPrinter = true;
    }
    if (steps_.filterDuring == TableFilter::NotDeleted)
        run(hooks_.setFilterExpression, QStringLiteral("!ISDEL"));
    else if (steps_.filterDuring == TableFilter::ConditionsOnly)
        run(hooks_.setFilterExpression, hooks_.filterConditions ? hooks_.filterConditions() : QString());
    else if (steps_.filterDuring == TableFilter::None)
        run(hooks_.setFilterExpression, QString());
    // From here on every step after the command is due.
    done_ = steps_;
    done_.rememberRecord = steps_.rememberRecord && hooks_.recno;
    done_.rememberFilter = steps_.rememberFilter && hooks_.filterExpression;
    done_.rememberPrinter = steps_.rememberPrinter && hooks_.printer;
}

CommandScope::~CommandScope()
{
    if (finished_)
        return;
    finished_ = true;
    std::exception_ptr ignored;
    after(ignored);
}

void CommandScope::finish()
{
    if (finished_)
        return;
    finished_ = true;
    std::exception_ptr firstError;
    after(firstError);
    if (firstError)
        std::rethrow_exception(firstError);
}

void CommandScope::after(std::exception_ptr& e)
{
    // The flags first: the steps below may post or move, and must do so as
    // the main window's own work again.
    if (done_.utility)
        step(e, [&] { run(hooks_.setUtilityFlag, false); });
    if (done_.rememberFilter)
        step(e, [&] { run(hooks_.setFilterExpression, filter_); });
    if (done_.reselectOrder)
        step(e, [&] { run(hooks_.reselectOrder); });
    if (done_.reapplyFilter)
        step(e, [&] { run(hooks_.applyFilter); });
    if (done_.firstRecord)
        step(e, [&] { run(hooks_.firstRecord); });
    if (done_.rememberRecord)
        step(e, [&] { run(hooks_.goTo, recno_); });
    if (done_.detach)
        step(e, [&] { run(hooks_.attach); });
    if (done_.clearRefresh)
        step(e, [&] { run(hooks_.setRefreshFlag, true); });
    if (done_.rememberPrinter)
        step(e, [&] { run(hooks_.selectPrinter, printer_); });
    if (done_.refreshButtons)
        step(e, [&] { run(hooks_.refreshButtons); });
}

CommandScope::Steps CommandScope::printLabelsOrReports()
{
    Steps s;
    s.detach = s.clearRefresh = s.rememberRecord = s.rememberFilter = s.rememberPrinter = true;
    return s;
}

CommandScope::Steps CommandScope::printEnvelopes()
{
    Steps s;
    s.clearRefresh = s.rememberPrinter = true;
    return s;
}

CommandScope::Steps CommandScope::printLetters()
{
    Steps s;
    s.detach = s.clearRefresh = s.rememberPrinter = true;
    return s;
}

CommandScope::Steps CommandScope::countZipCodes()
{
    Steps s;
    s.detach = s.reselectOrder = true;
    return s;
}

CommandScope::Steps CommandScope::checkStateAndZip()
{
    Steps s;
    s.clearRefresh = s.detach = s.rememberFilter = s.utility = s.reselectOrder = true;
    s.filterDuring = TableFilter::NotDeleted;
    return s;
}

CommandScope::Steps CommandScope::checkDuplicates()
{
    Steps s;
    s.clearRefresh = s.detach = s.utility = s.reapplyFilter = s.reselectOrder = s.rememberRecord = true;
    s.filterDuring = TableFilter::NotDeleted;
    return s;
}

CommandScope::Steps CommandScope::convertCase()
{
    Steps s;
    s.clearRefresh = s.rememberRecord = s.detach = s.utility = true;
    return s;
}

CommandScope::Steps CommandScope::deleteOrReplace()
{
    Steps s;
    s.clearRefresh = s.detach = s.utility = s.reapplyFilter = s.firstRecord = s.reselectOrder = s.refreshButtons = true;
    s.filterDuring = TableFilter::ConditionsOnly;
    return s;
}

CommandScope::Steps CommandScope::exportRecords()
{
    Steps s;
    s.clearRefresh = s.detach = s.rememberRecord = s.reselectOrder = true;
    return s;
}

CommandScope::Steps CommandScope::importOlderVersion()
{
    Steps s;
    s.detach = s.clearRefresh = s.utility = s.reselectOrder = s.reapplyFilter = s.refreshButtons = true;
    s.filterDuring = TableFilter::None;
    return s;
}

CommandScope::Steps CommandScope::importFile()
{
    // The import works on the main window's own table, which it holds
    // exclusively already, so no other program can come between a close and
    // a reopen; afterwards the window shows the table from its first record.
    Steps s = importOlderVersion();
    s.firstRecord = true;
    return s;
}

CommandScope::Steps CommandScope::rebuildIndexes()
{
    // Packing renumbers the records, so the one that was current is gone.
    Steps s;
    s.detach = s.reselectOrder = s.reapplyFilter = s.firstRecord = true;
    return s;
}

CommandScope::Steps CommandScope::tagAll()
{
    Steps s;
    s.clearRefresh = s.utility = s.detach = s.firstRecord = true;
    return s;
}

CommandScope::Steps CommandScope::memoSearch()
{
    Steps s;
    s.detach = true;
    return s;
}

} // namespace qb
