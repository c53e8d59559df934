#pragma once
// The program's one top-level window: one address record at a time of the
// open database, the commands that add, edit, save, cancel, delete and clone
// it, the moves through the chosen sort order, and the menus and buttons that
// reach every other window. The rules live in RecordEditor, buttonStates and
// keyAction; this window only shows their results and feeds them events.

#include "core/address_table.h"
#include "core/command.h"
#include "core/preferences.h"
#include "mainwindow/address_filter.h"
#include "mainwindow/button_rules.h"
#include "mainwindow/command_runner.h"
#include "mainwindow/record_editor.h"
#include "mainwindow/window_commands.h"

#include <QMainWindow>
#include <QStringList>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QAbstractButton;
class QAction;
class QActionGroup;
class QCheckBox;
class QDialog;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QTabBar;

namespace qb {

class TAddressMain : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1029;

    // The main window with every subsystem's commands (registerAllCommands).
    explicit TAddressMain(QWidget* parent = nullptr);
    // The main window with its own commands and those subsystems adds, for
    // callers that bring commands of their own.
    explicit TAddressMain(const std::function<void(CommandRegistry&)>& subsystems, QWidget* parent = nullptr);
    ~TAddressMain() override;

    // The command table the menus and buttons run through.
    const CommandRegistry& commands() const { return commands_; }
    CommandRunner::Outcome runCommand(const Command& command);

    AddressTable& addressTable() { return table_; }
    RecordEditor& editor() { return *editor_; }
    // The edit box of a stored field ("LNAME" ...); null for fields not shown.
    QLineEdit* fieldEdit(const QString& field) const;
    QPlainTextEdit* memoEditor() const { return memo_; }
    QString sortStatus() const;
    QString filterStatus() const;

    // The "New Record" dialog asked before an add; nullopt abandons the add.
    using NewRecordDialog = std::function<std::optional<NewRecordEntry>(bool askNames, bool askZip)>;
    void setNewRecordDialog(NewRecordDialog dialog) { newRecordDialog_ = std::move(dialog); }
    // How aggressive saving opens the database again after closing it (with
    // the rebuild offer of an open). Replaceable so a caller can watch or
    // fail the reopen.
    using DatabaseOpener = std::function<DatabaseOpening(const QString& path)>;
    void setReopenDatabase(DatabaseOpener open) { reopenDatabase_ = std::move(open); }

    // SetButtons: every control's enabled and visible state from the rules.
    void SetButtons();

    AddressFilter& filter() { return filter_; }
    // Makes the filter conditions the table's query; the number of matches,
    // 0 when no filter is set (or it was dropped).
    uint32_t applyFilter();
    // The memo search's text and whether its last run found a record.
    const QString& memoSearchText() const { return memoSearch_.text; }
    bool memoFound() const { return memoSearch_.found; }
    // The input box of "Search &Memo"; replaceable so a caller can answer it.
    using TextQuestion = std::function<std::optional<QString>()>;
    void setMemoSearchQuestion(TextQuestion ask) { askMemoSearch_ = std::move(ask); }
    // The file dialogs of the filter commands; replaceable likewise. An empty
    // name abandons the command.
    using FileQuestion = std::function<QString(bool save)>;
    void setFilterFileQuestion(FileQuestion ask) { askFilterFile_ = std::move(ask); }
    // The open dialog of "&Open Address DataBase"; replaceable likewise.
    using PathQuestion = std::function<QString()>;
    void setOpenDatabaseQuestion(PathQuestion ask) { askDatabase_ = std::move(ask); }
    // The database the first start opens instead of the most recent one (the
    // one named on the command line); empty for the usual choice.
    void setStartDatabase(const QString& path) { startDatabase_ = path; }

protected:
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool isMenuCommandKey(const QKeyEvent& key) const;

private:
    class Host;
    void setUpCommands(const std::function<void(CommandRegistry&)>& subsystems);
    CommandScope::Hooks commandHooks();
    QueryFormPlacement queryFormPlacement();
    QString askFilterFile(bool save);
    std::optional<QString> askMemoSearchText();
    void buildRecordArea();
    void buildButtons();
    void buildMenus();
    QAction* menuItem(QMenu* menu, const char* name, const QString& caption, void (TAddressMain::*handler)(),
                      const QKeySequence& shortcut = {});
    void bind(MainControl control, QObject* object);

    // First activation: settings, engine, the first database, menus, printer.
    void FormActivate();
    bool openDatabase(const QString& path);
    void startDatabase(bool usable);
    // Runs a step of a record path (typing, Save, a move, an open): an error
    // becomes a message and the window goes on; false after an error.
    bool recordStep(const std::function<void()>& step);
    void afterFailure(const std::exception& error);
    // A post that failed part way leaves the index to be rebuilt: once the
    // record is settled the user is told, once a database, and offered the
    // rebuild.
    void offerRebuildAfterIndexLoss();
    void runRebuildDialog();
    std::function<void()> guarded(void (TAddressMain::*handler)());
    // The shown and enabled button whose caption underlines the letter of key.
    QAbstractButton* mnemonicButton(int key) const;
    void rebuildMruMenu(const QStringList& paths);
    void readPreferences();
    void showRecord();
    void loadMemoEditor();
    void refreshAll();
    void focusForAdd();
    void restoreTabStops();
    void withDialog(QDialog* dialog);

    // Handlers named after the control and the event.
    void AddButtonClick();
    void EditButtonClick();
    void SaveButtonClick();
    void CancelButtonClick();
    void DeleteButtonClick();
    void FirstButtonClick();
    void PriorButtonClick();
    void NextButtonClick();
    void LastButtonClick();
    void ExitButtonClick();
    void DateButtonClick();
    void CloneClick();
    void CopyToClipboardClick();
    void NewDatabaseClick();
    void OpenDatabaseClick();
    void PreferencesClick();
    void ConfigurationInfoClick();
    void HelpContentsClick();
    void WebsiteClick();
    void FaqClick();
    void TechnicalSupportClick();
    void AboutClick();
    void GettingStartedClick();
    void UndoClick();
    void CutClick();
    void CopyClick();
    void PasteClick();
    void TaggedClick();
    void FieldEdited(const QString& field, QLineEdit* edit);
    void MemoChange();

    AddressTable table_;
    std::unique_ptr<RecordEditor> editor_;
    NewRecordDialog newRecordDialog_;
    DatabaseOpener reopenDatabase_;
    MainWindowPreferences prefs_;
    AddressFilter filter_;
    MemoSearchState memoSearch_;
    CommandRegistry commands_;
    std::unique_ptr<Host> host_;
    std::unique_ptr<CommandRunner> runner_;
    TextQuestion askMemoSearch_;
    FileQuestion askFilterFile_;
    PathQuestion askDatabase_;
    QString filterFolder_;
    bool activated_ = false;
    QString startDatabase_;
    bool detached_ = false;
    bool typing_ = false;
    bool loadingMemo_ = false;
    bool insertMode_ = false;
    int stepDepth_ = 0;
    bool indexLossTold_ = false;

    std::map<QString, QLineEdit*> edits_;
    QStringList tabOrder_;
    QPlainTextEdit* memo_ = nullptr;
    QLabel* displayDate_ = nullptr;
    QCheckBox* tagged_ = nullptr;
    QTabBar* tabs_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    QStackedWidget* recordOrEmpty_ = nullptr;
    QLabel* emptyPanel_ = nullptr;
    QLabel* sortStatus_ = nullptr;
    QLabel* filterStatus_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QAction* startOfMru_ = nullptr;
    QActionGroup* sortGroup_ = nullptr;
    std::array<QObject*, size_t(MainControl::Count)> controls_{};
};

} // namespace qb
