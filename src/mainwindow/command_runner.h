#pragma once
// The one runner of the main window's commands: it checks what a command
// needs (with the messages users know), runs the command's own check, takes
// the steps before it, runs it, takes the steps after it, and turns any
// engine or file error into a message box. Whatever happened, the window is
// told afterwards that the table may have moved, so the record shown, its
// memo and the buttons come from the table again.

#include "core/command.h"

#include <functional>

namespace qb {

class CommandRunner {
public:
    struct Hooks {
        std::function<bool()> databaseOpen;
        std::function<bool()> editing;      // an add or edit is pending
        std::function<bool()> hasRecord;
        std::function<uint32_t()> passingCount;
        std::function<bool()> printerReady; // shows the printer check's messages itself
        std::function<void()> beep;
        CommandScope::Hooks scope;
        // After a failure: a change the table still holds is dropped and the
        // record editor browses again.
        std::function<void()> recover;
        // After every command that started, failed or not.
        std::function<void()> afterwards;
    };

    enum class Outcome { Refused, Failed, Done };

    CommandRunner(CommandHost& host, Hooks hooks);

    Outcome run(const Command& command);

    // The need that stops a command now; NeedNothing when it may run.
    CommandNeed refusedNeed(const Command& command) const;

private:
    CommandHost& host_;
    Hooks hooks_;
};

// Runs a step of a window that is already open over the table (a "Test" in
// the filter dialog, a move in the browse grid): an error becomes a message
// box instead of passing through the window's event loop. False after an error.
bool runReportingErrors(const std::function<void()>& step);

// The text a failed command shows.
QString commandErrorText(const std::exception& error);

} // namespace qb
