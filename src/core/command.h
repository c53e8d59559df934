#pragma once
// A main-window command as data: the menu item and button that start it, what
// it needs before it may run, the main window's steps around it, and the work
// itself. Each subsystem describes its commands in its own folder and adds
// them to a CommandRegistry; the main window binds the registry to its menus
// and runs every command through one runner, so no subsystem knows the main
// window and no command repeats the guards, the steps or the error handling.

#include "core/command_scope.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

class QWidget;

namespace qb {

class AddressTable;

// What a command needs before it runs. The runner checks them in this order;
// a refused need shows the command's refusal text (or nothing, as for the
// print commands) and the command does not run.
enum CommandNeed : unsigned {
    NeedNothing = 0,
    NeedDatabase = 1u << 0,        // an address database is open
    NeedNotEditing = 1u << 1,      // no add or edit is pending
    NeedRecord = 1u << 2,          // there is a current record
    NeedPassingRecords = 1u << 3,  // at least one record passes the filter
    NeedPrinter = 1u << 4,         // the printer check with its two messages
};

// What a running command may use of the main window: its table, its filter
// and a parent for its dialogs. The runner's steps put the table back
// afterwards and tell the record editor that the table may have moved.
class CommandHost {
public:
    virtual ~CommandHost() = default;
    // The parent of the command's dialogs.
    virtual QWidget* window() = 0;
    // The open address database, positioned on the current record.
    virtual AddressTable& addressTable() = 0;
    // Whether filter conditions are set.
    virtual bool filterIsSet() const = 0;
    // The filter's conditions as an expression, without the condition that
    // hides deleted records; empty without a filter.
    virtual QString filterConditions() const = 0;
    // Makes the filter conditions the table's query again (a filter that
    // matches nothing is dropped); the number of matches, 0 without a filter.
    virtual uint32_t applyFilter() = 0;
};

struct Command {
    QString menuItem;            // objectName of the menu item ("mnuPrintEnvelopes"), or empty
    QString button;              // objectName of the button that does the same, or empty
    unsigned needs = NeedNothing;
    // Shown when NeedDatabase or NeedPassingRecords is refused; empty: refuse silently.
    QString refusal;
    // Asked after the needs and before the steps, for what only the command
    // knows (a file that must exist, a question to confirm); false stops it
    // quietly, so it says why itself.
    std::function<bool(CommandHost&)> check;
    CommandScope::Steps steps;   // the steps around the command
    std::function<void(CommandHost&)> run;
};

class CommandRegistry {
public:
    // Adds a command; one without a menu item and a button, or a second one
    // for the same menu item or button, is a programming error and throws
    // std::logic_error.
    void add(Command command);
    const Command* find(const QString& menuItem) const;
    const Command* findButton(const QString& button) const;
    const std::vector<Command>& commands() const { return commands_; }

private:
    std::vector<Command> commands_;
};

} // namespace qb
