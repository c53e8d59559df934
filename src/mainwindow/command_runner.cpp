#include "mainwindow/command_runner.h"

#include "core/messages.h"

namespace qb {

namespace {
template <typename R>
R ask(const std::function<R()>& f, R otherwise)
{
    return f ? f() : otherwise;
}
} // namespace

QString commandErrorText(const std::exception& error)
{
    return QString::fromStdString(error.what());
}

bool runReportingErrors(const std::function<void()>& step)
{
    try {
        step();
        return true;
    } catch (const std::exception& e) {
        showInformation(commandErrorText(e));
    }
    return false;
}

CommandRunner::CommandRunner(CommandHost& host, Hooks hooks) : host_(host), hooks_(std::move(hooks)) {}

CommandNeed CommandRunner::refusedNeed(const Command& c) const
{
    if ((c.needs & NeedDatabase) && !ask(hooks_.databaseOpen, false))
        return NeedDatabase;
    if ((c.needs & NeedNotEditing) && ask(hooks_.editing, false))
        return NeedNotEditing;
    if ((c.needs & NeedRecord) && !ask(hooks_.hasRecord, false))
        return NeedRecord;
    if ((c.needs & NeedPassingRecords) && ask<uint32_t>(hooks_.passingCount, 0) == 0)
        return NeedPassingRecords;
    return NeedNothing;
}

CommandRunner::Outcome CommandRunner::run(const Command& c)
{
    switch (refusedNeed(c)) {
    case NeedNothing: break;
    case NeedDatabase:
    case NeedPassingRecords:
        if (!c.refusal.isEmpty())
            showInformation(c.refusal);
        return Outcome::Refused;
    case NeedNotEditing:
        if (hooks_.beep)
            hooks_.beep();
        return Outcome::Refused;
    default: return Outcome::Refused;
    }
    // The printer check speaks for itself.
    if ((c.needs & NeedPrinter) && !ask(hooks_.printerReady, true))
        return Outcome::Refused;

    Outcome outcome = Outcome::Done;
    QString error;
    try {
        if (c.check && !c.check(host_))
            return Outcome::Refused;
        CommandScope scope(c.steps, hooks_.scope);
        try {
            if (c.run)
                c.run(host_);
        } catch (...) {
            // Before the steps after the command move the table: a change
            // it was making must not go along.
            if (hooks_.recover)
                runReportingErrors(hooks_.recover);
            throw;
        }
        scope.finish();
    } catch (const std::exception& e) {
        outcome = Outcome::Failed;
        error = commandErrorText(e);
    }
    if (outcome == Outcome::Failed)
        showInformation(error);
    if (hooks_.afterwards)
        runReportingErrors(hooks_.afterwards);
    return outcome;
}

} // namespace qb
