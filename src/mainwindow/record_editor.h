#pragma once
// The main window's record editing without the window: the state of the
// current record (browsing, editing, adding), what Add, Save, Cancel, Delete,
// Clone and the navigation commands do to the address table, the sort order,
// and aggressive saving. The window wires its controls to these calls and
// refreshes itself through the hooks. Engine errors (xbase::XbaseError) pass
// to the caller; the state is then what it was before the failing step.

#include "core/address_table.h"
#include "core/preferences.h"
#include "mainwindow/edit_state.h"
#include "mainwindow/key_rules.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace qb {

// What the "New Record" dialog returns; empty texts were not typed (or not asked).
struct NewRecordEntry {
    QString lastName;
    QString firstName;
    QString zip;
};

// The fields a new record is typed without (the "Skip..." preferences). The
// Date button counts as "DATE".
QStringList skippedFields(const AddingPreferences::Skip& skip);
// Where the caret goes in a new record: LNAME, FNAME, MIDDLE, PREFIX, TITLE, ORG or STREET.
QString addFocusField(const AddingPreferences::Skip& skip, bool lastNameEmpty, bool firstNameEmpty);

// After this many saves the database is closed and reopened, by "AggressiveSave"; 0: never.
int aggressiveSaveThreshold(int level);

inline const QString kReopenFailedMessage = QStringLiteral(
    "An error has occurred which may have resulted in lost data.\r\nPlease close and restart the program, and verify that "
    "the\r\nlast few changes were saved.\r\n\r\nIf you see this message too often, turn off agressive saving\r\nfrom "
    "the Preferences screen");

class RecordEditor {
public:
    struct Hooks {
        std::function<void()> refreshButtons;      // SetButtons; state() and the table tell what to show
        std::function<void()> recordChanged;       // refill the memo editor from memoText() (loading flag set)
        std::function<void()> detachControls;
        std::function<void()> attachControls;
        std::function<void(bool)> setBusy;         // hourglass on / normal cursor
        std::function<void()> showFirstPage;       // "Address &Information"
        std::function<void()> beep;
        // Part of the filter machinery: make the current filter the table's
        // query again (it drops a filter that matches nothing). Default: "!ISDEL".
        std::function<void()> applyFilter;
        // Opens the database at path into the address table. Default:
        // openAddressDatabase without a rebuild offer.
        std::function<DatabaseOpening(const QString& path)> openDatabase;
        // The "New Record" dialog; nullopt on "Cancel".
        std::function<std::optional<NewRecordEntry>(bool askNames, bool askZip)> askNewRecord;
        std::function<QDate()> today;
    };

    explicit RecordEditor(AddressTable& table, Hooks hooks = {});

    void setPreferences(const AddingPreferences& adding, const EditingPreferences& editing);
    const AddingPreferences& addingPreferences() const { return adding_; }

    // ---- database -------------------------------------------------------
    // After the address table was opened: browsing, sorted by last name, first record.
    void databaseOpened();
    // The table is closed (or was lost); nothing to browse.
    void databaseClosed();
    // The database the reopen of aggressive saving opens; empty when none.
    const QString& databasePath() const { return databasePath_; }

    EditState state() const { return state_; }
    // A current record: the table is open, not empty and not past its end.
    bool hasRecord() const;
    // Records passing the filter; 0 without a database. Counted once and
    // kept until records or the filter change, so moving never recounts.
    uint32_t passingCount() const;
    // The filter was applied anew or records were written behind the
    // editor's back: the next passingCount() counts again.
    void countAgain() { passing_.reset(); }

    // ---- editing ---------------------------------------------------------
    // "&Edit", a double click, typing into a field or the memo: locks the
    // record. False when not browsing a record.
    bool beginEdit();
    // "&Add". False when abandoned (dialog cancelled, duplicate answered No).
    bool add();
    // "&Save", Ctrl+Enter: stores the memo editor's text and posts.
    bool save();
    // "&Cancel": the changes are discarded.
    void cancel();
    // Esc: "Cancel changes?"; Yes cancels. Esc in the memo is the same.
    bool askCancel();
    // PgDn while editing: "Save changes?"; Yes saves, No keeps editing.
    bool askSave();
    // Alt+Enter: save, then "Add another record?"; Yes starts Add.
    bool saveAndOfferAnother();
    // Before the window closes: a pending record is saved on "Save changes?"
    // Yes and discarded on No, so closing never drops changes unasked.
    void settleBeforeClose();

    // "&Delete" after "Delete this record?"; the previous record becomes current.
    bool deleteCurrent();
    // "Create a Duplicate &Record (Clone)" after "Clone this record?"; the copy becomes current.
    bool cloneCurrent();

    // The "Tagged" box, the browse grid: tags the current record with the
    // current identifier, or untags it when it holds that one. A record being
    // edited keeps the change for its save; otherwise it is posted at once,
    // never closing the table under a caller (aggressive saving waits).
    bool toggleTag();

    // The memo editor's text; the window sets it as the user types.
    const QString& memoText() const { return memo_; }
    void setMemoText(const QString& text)
    {
        memo_ = text;
        memoUnreadable_ = false;
    }
    // The current record's memo could not be read: the memo page is empty,
    // and Save leaves MEMO as it is unless a new memo was typed.
    bool memoUnreadable() const { return memoUnreadable_; }

    // ---- after others moved the table ------------------------------------
    // A command, another window or a reopen moved the table (or closed or
    // opened it): browse whatever record is current now, its memo read from
    // the table. A pending add or edit keeps its typed values and memo.
    void tableMoved();
    // After a step failed: a change the table still holds that is not the
    // user's pending add or edit is dropped, so the table browses again.
    void recover();

    // The Date button: the day the dialog starts on (DATE, or today).
    QDate dateForDialog() const;
    // "Ok" (a date) or "No Date" (nullopt): the record goes into editing first.
    bool setDate(const std::optional<QDate>& date);

    // ---- moving ----------------------------------------------------------
    // Each is ignored unless browsing; prior at the first record and next at
    // the last one beep and stay.
    void first();
    void prior();
    void next();
    void last();

    // Runs a key's action; false for KeyAction::None and keys the state ignores.
    bool perform(KeyAction action);

    // ---- sort order --------------------------------------------------------
    // Selects the order of a "&Sort" menu caption; false for an unknown caption.
    bool selectSortOrder(const QString& caption);
    const QString& sortCaption() const { return sortCaption_; }
    QString currentOrder() const;   // tag name
    QString sortStatus() const;
    // Selects the current order on the table again (after a utility).
    void reselectOrder();

    // ---- flags -----------------------------------------------------------
    // Clear while another window works on the table: posts do not refresh buttons.
    bool refreshFlag = true;
    // Set while a utility, import or tagging window writes records: posts
    // never close and reopen the table under it.
    bool utilityFlag = false;
    int savesCounter() const { return saves_; }

private:
    xbase::Table& t() { return table_.table(); }
    const xbase::Table& t() const { return table_.table(); }
    void call(const std::function<void()>& f) const { if (f) f(); }
    void loadMemo();
    void afterPost();
    void closeAndReopen();
    void refilterWhenEmpty();
    void toBrowsing();

    AddressTable& table_;
    Hooks hooks_;
    AddingPreferences adding_;
    EditingPreferences editing_;
    EditState state_ = EditState::NoDatabase;
    QString databasePath_;
    QString sortCaption_;
    QString memo_;
    bool memoUnreadable_ = false;
    mutable std::optional<uint32_t> passing_;
    int saves_ = 0;
};

} // namespace qb
