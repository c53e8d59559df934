#pragma once
// What the main window does around every command that opens another window
// on its table: before it, detach the record controls, clear the refresh
// flag, set the utility flag, remember record, filter and printer, and give
// the table the filter the command works under; when the scope ends, however
// the command ended, put each of them back.

#include <QString>
#include <cstdint>
#include <exception>
#include <functional>

namespace qb {

class CommandScope {
public:
    // The table's query while the command runs.
    enum class TableFilter {
        Keep,             // as the main window set it
        NotDeleted,       // "!ISDEL": every record the user has not deleted
        ConditionsOnly,   // the filter conditions without the deleted-record test
        None,             // no filter: the command sees every record
    };

    struct Steps {
        bool detach = false;            // detach before, attach after
        bool clearRefresh = false;      // refresh flag clear during, set after
        bool utility = false;           // utility flag set during, cleared after
        bool rememberRecord = false;    // return to the record after
        bool rememberFilter = false;    // restore the filter expression after
        bool rememberPrinter = false;   // select the printer selected before
        TableFilter filterDuring = TableFilter::Keep;
        bool reselectOrder = false;     // select the current order after
        bool reapplyFilter = false;     // apply the filter (the filter machinery's rule) after
        bool firstRecord = false;       // go to the first record after
        bool refreshButtons = false;    // SetButtons after
        bool operator==(const Steps&) const = default;
    };

    struct Hooks {
        std::function<void()> detach, attach;
        std::function<void(bool)> setRefreshFlag, setUtilityFlag;
        std::function<uint32_t()> recno;
        std::function<void(uint32_t)> goTo;
        std::function<QString()> filterExpression;
        std::function<void(const QString&)> setFilterExpression;
        std::function<QString()> filterConditions;   // for TableFilter::ConditionsOnly
        std::function<QString()> printer;
        std::function<void(const QString&)> selectPrinter;
        std::function<void()> reselectOrder, applyFilter, firstRecord, refreshButtons;
    };

    // A step before the command that fails undoes the steps done so far and
    // passes its error on.
    CommandScope(Steps steps, Hooks hooks);
    // Runs the steps after the command unless finish() did.
    ~CommandScope();
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;

    // The steps after the command, once. Every step runs even when one before
    // it fails (the controls must come back whatever the table does); the
    // first failure is then passed on. The destructor swallows it, since it
    // runs while another error is already on its way.
    void finish();

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
    static Steps importFile();
    static Steps rebuildIndexes();
    static Steps tagAll();
    static Steps memoSearch();

private:
    void before();
    void after(std::exception_ptr& firstError);

    Steps steps_;
    Hooks hooks_;
    Steps done_;   // the steps before the command that were taken
    bool finished_ = false;
    uint32_t recno_ = 0;
    QString filter_;
    QString printer_;
};

} // namespace qb
