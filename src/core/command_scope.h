#pragma once
// What the main window does around every command that opens another window
// on its table: before it, detach the record controls, clear the refresh
// flag, set the utility flag and remember record, filter and printer; when the
// scope ends, however the command ended, put each of them back.

#include <QString>
#include <cstdint>
#include <functional>

namespace qb {

class CommandScope {
public:
    struct Steps {
        bool detach = false;            // detach before, attach after
        bool clearRefresh = false;      // refresh flag clear during, set after
        bool utility = false;           // utility flag set during, cleared after
        bool rememberRecord = false;    // return to the record after
        bool rememberFilter = false;    // restore the filter expression after
        bool rememberPrinter = false;   // select the printer selected before
        bool reselectOrder = false;     // select the current order after
        bool reapplyFilter = false;     // apply the filter (the filter machinery's rule) after
        bool firstRecord = false;       // go to the first record after
        bool refreshButtons = false;    // SetButtons after
    };

    struct Hooks {
        std::function<void()> detach, attach;
        std::function<void(bool)> setRefreshFlag, setUtilityFlag;
        std::function<uint32_t()> recno;
        std::function<void(uint32_t)> goTo;
        std::function<QString()> filterExpression;
        std::function<void(const QString&)> setFilterExpression;
        std::function<QString()> printer;
        std::function<void(const QString&)> selectPrinter;
        std::function<void()> reselectOrder, applyFilter, firstRecord, refreshButtons;
    };

    CommandScope(Steps steps, Hooks hooks);
    ~CommandScope();
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;

    // The steps of the main window's commands.
    static Steps printLabelsOrReports();
    static Steps printEnvelopes();
    static Steps printLetters();
    static Steps countZipCodes();
    static Steps checkStateAndZip();
    static Steps checkDuplicates();
    static Steps convertCase();
    static Steps deleteOrReplace();
    static Steps exportRecords();
    static Steps importOlderVersion();
    static Steps rebuildIndexes();

private:
    Steps steps_;
    Hooks hooks_;
    uint32_t recno_ = 0;
    QString filter_;
    QString printer_;
};

} // namespace qb
