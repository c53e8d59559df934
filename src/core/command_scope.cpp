#include "core/command_scope.h"

namespace qb {

namespace {
template <typename F, typename... A>
void run(const F& f, A&&... args)
{
    if (f)
        f(std::forward<A>(args)...);
}
} // namespace

CommandScope::CommandScope(Steps steps, Hooks hooks) : steps_(steps), hooks_(std::move(hooks))
{
    if (steps_.detach)
        run(hooks_.detach);
    if (steps_.clearRefresh)
        run(hooks_.setRefreshFlag, false);
    if (steps_.utility)
        run(hooks_.setUtilityFlag, true);
    if (steps_.rememberRecord && hooks_.recno)
        recno_ = hooks_.recno();
    if (steps_.rememberFilter && hooks_.filterExpression)
        filter_ = hooks_.filterExpression();
    if (steps_.rememberPrinter && hooks_.printer)
        printer_ = hooks_.printer();
}

CommandScope::~CommandScope()
{
    // The flags first: the steps below may post or move, and must do so as
    // the main window's own work again.
    if (steps_.utility)
        run(hooks_.setUtilityFlag, false);
    if (steps_.rememberFilter)
        run(hooks_.setFilterExpression, filter_);
    if (steps_.reselectOrder)
        run(hooks_.reselectOrder);
    if (steps_.reapplyFilter)
        run(hooks_.applyFilter);
    if (steps_.firstRecord)
        run(hooks_.firstRecord);
    if (steps_.rememberRecord)
        run(hooks_.goTo, recno_);
    if (steps_.detach)
        run(hooks_.attach);
    if (steps_.clearRefresh)
        run(hooks_.setRefreshFlag, true);
    if (steps_.rememberPrinter)
        run(hooks_.selectPrinter, printer_);
    if (steps_.refreshButtons)
        run(hooks_.refreshButtons);
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
    return s;
}

CommandScope::Steps CommandScope::checkDuplicates()
{
    Steps s;
    s.clearRefresh = s.detach = s.utility = s.reapplyFilter = s.reselectOrder = true;
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
    return s;
}

CommandScope::Steps CommandScope::rebuildIndexes()
{
    Steps s;
    s.detach = s.reselectOrder = s.reapplyFilter = true;
    return s;
}

} // namespace qb
