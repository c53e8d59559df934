#pragma once
// The main window's own commands on its table: setting, clearing, saving and
// restoring the filter, clearing tags and tagging every match, the key
// search, the memo search and "Find &Next", browsing, and rebuilding the
// indexes. They run through the same runner as the subsystems' commands,
// against a host that offers them what only the main window has.

#include "core/command.h"
#include "mainwindow/address_filter.h"
#include "mainwindow/taddressqueryform.h"

#include <optional>

namespace qb {

class RecordEditor;

// The memo search's text and whether its last run found a record; "Find
// &Next" is shown only then.
struct MemoSearchState {
    QString text;
    bool found = false;
};

class MainWindowHost : public CommandHost {
public:
    virtual AddressFilter& filter() = 0;
    virtual RecordEditor& editor() = 0;
    virtual MemoSearchState& memoSearch() = 0;
    // Where the filter dialog lays its boxes: over the window's own fields.
    virtual QueryFormPlacement queryFormPlacement() = 0;
    // The window shows the table's current record again, its memo read anew
    // (while another window moves the table under it).
    virtual void showCurrentRecord() = 0;
    // The input box of "Search &Memo"; nullopt on Cancel.
    virtual std::optional<QString> askMemoSearchText() = 0;
    // The file dialog of "&Save Filter" (save) or "&Restore Filter"; empty on Cancel.
    virtual QString askFilterFile(bool save) = 0;
};

// The main window's own commands, run against host.
void registerWindowCommands(CommandRegistry& registry, MainWindowHost& host);

} // namespace qb
