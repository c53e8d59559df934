#include "mainwindow/taddressmain.h"

#include "core/first_start.h"
#include "core/messages.h"
#include "core/mru.h"
#include "core/paths.h"
#include "core/placement.h"
#include "core/preferences.h"
#include "core/printer_check.h"
#include "core/settings.h"
#include "core/tnewdatabasename.h"
#include "core/tqbreindex.h"
#include "mainwindow/configuration_report.h"
#include "mainwindow/key_rules.h"
#include "mainwindow/record_text.h"
#include "mainwindow/sort_orders.h"
#include "mainwindow/tconfigurationinfo.h"
#include "mainwindow/tcopytoclipboard.h"
#include "mainwindow/tdateselector.h"
#include "mainwindow/tgetfirstlastzip.h"
#include "utilities/temporary_index.h"
#include "mainwindow/tgettingstarted.h"
#include "mainwindow/tpreferences.h"
#include "mainwindow/command_list.h"
#include "platform/help/help_viewer.h"
#include "platform/xbase/settings.h"
#include "platform/xbase/table.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QUrl>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QInputDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QTabBar>
#include <QVBoxLayout>
#include <QWhatsThis>

#include <algorithm>

namespace qb {

namespace {

// The record's fields as the window shows them: field, caption, and whether
// it sits in the name panel (else on the first page).
struct FieldControl {
    const char* field;
    const char* caption;
    bool namePanel;
};

// In tab order.
const FieldControl kFields[] = {
    {"LNAME", "Last", true},         {"FNAME", "First", true},        {"MIDDLE", "MI", true},
    {"PREFIX", "Prefix", true},      {"TITLE", "Title", true},        {"ORG", "Org", true},
    {"STREET", "Address 1", false},  {"STREET2", "Address 2", false}, {"CITY", "City", false},
    {"STATE", "State or Prov", false}, {"ZIP", "Zip or Postal ", false}, {"COUNTRY", "Country", false},
    {"PHONE", "Phone 1", false},     {"PHONE2", "Phone 2", false},    {"FAX", "Fax", false},
    {"EMAIL", "E-mail", false},      {"CODES", "Codes", false},       {"USER1", "Comment 1", false},
    {"USER2", "Comment 2", false},
};

// Object names of the controls the button rules govern.
const char* controlName(MainControl c)
{
    using C = MainControl;
    switch (c) {
    case C::SaveButton: return "SaveButton";
    case C::CancelButton: return "CancelButton";
    case C::AddButton: return "AddButton";
    case C::EditButton: return "EditButton";
    case C::DeleteButton: return "DeleteButton";
    case C::ExitButton: return "ExitButton";
    case C::FirstButton: return "FirstButton";
    case C::PriorButton: return "PriorButton";
    case C::NextButton: return "NextButton";
    case C::LastButton: return "LastButton";
    case C::ClearFilterButton: return "ClearFilterButton";
    case C::LabelsButton: return "LabelsButton";
    case C::LettersButton: return "LettersButton";
    case C::EnvelopesButton: return "EnvelopesButton";
    case C::ReportsButton: return "ReportsButton";
    case C::BrowseButton: return "BrowseButton";
    case C::SearchButton: return "SearchButton";
    case C::FilterButton: return "FilterButton";
    case C::DialPhone1Button: return "DialPhone1Button";
    case C::DialPhone2Button: return "DialPhone2Button";
    case C::SearchMemoButton: return "SearchMemoButton";
    default: return "";
    }
}

const QString kUnreadableMemo = QStringLiteral("The memo of this record cannot be read.");
const QString kUnreadableSettings =
    QStringLiteral("The settings file %1 cannot be read.\r\nSettings are not saved until it can be.");

// Commands whose windows are not part of the program yet stay disabled.
const char* const kNotBuilt = "qbNotBuilt";

bool notBuilt(const QObject* o) { return o && o->property(kNotBuilt).toBool(); }

QString q(const std::string& s) { return QString::fromStdString(s); }

} // namespace

TAddressMain::TAddressMain(QWidget* parent) : TAddressMain(registerAllCommands, parent) {}

TAddressMain::TAddressMain(const std::function<void(CommandRegistry&)>& subsystems, QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("AddressMain"));
    setWindowTitle(QStringLiteral("Quillbase"));
    setFont(QFont(QStringLiteral("Arial"), font().pointSize()));
    setMainWindow(this);
    // F1 opens the window's topic here and in every window opened from it.
    setHelpContext(this, HelpContext);
    installHelpKey();
    table_.setDisplayDatePattern(runDisplayDatePattern());

    RecordEditor::Hooks hooks;
    hooks.refreshButtons = [this] { refreshAll(); };
    hooks.recordChanged = [this] { loadMemoEditor(); };
    hooks.detachControls = [this] { detached_ = true; };
    hooks.attachControls = [this] {
        detached_ = false;
        showRecord();
    };
    hooks.setBusy = [](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    };
    hooks.showFirstPage = [this] { tabs_->setCurrentIndex(0); };
    hooks.beep = [] { QApplication::beep(); };
    hooks.askNewRecord = [this](bool askNames, bool askZip) -> std::optional<NewRecordEntry> {
        if (!newRecordDialog_)
            return std::nullopt;
        return newRecordDialog_(askNames, askZip);
    };
    hooks.openDatabase = [this](const QString& path) { return reopenDatabase_(path); };
    hooks.applyFilter = [this] {
        applyFilter();
        table_.table().first();
    };
    editor_ = std::make_unique<RecordEditor>(table_, hooks);
    reopenDatabase_ = [this](const QString& path) { return openAddressDatabase(table_, path, [this] { runRebuildDialog(); }); };
    newRecordDialog_ = [this](bool askNames, bool askZip) {
        return askNewRecordEntry(askNames, askZip, this, table_.isOpen() ? newRecordWidths(table_.table()) : NewRecordWidths{});
    };

    buildButtons();
    buildRecordArea();
    buildMenus();
    setUpCommands(subsystems);

    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
    installEventFilter(this);
    installWhatsThis(this, {
        {"LNAMEEdit", "The last name. Records are sorted by last name, then first name, unless another order is chosen in the Sort menu."},
        {"FNAMEEdit", "The first name."},
        {"MIDDLEEdit", "The middle initial; it is typed in capitals."},
        {"PREFIXEdit", "A prefix printed before the name, such as Mr., Ms. or Dr."},
        {"TITLEEdit", "The person's job title."},
        {"ORGEdit", "The organisation, company or club the person belongs to."},
        {"STREETEdit", "The first line of the address."},
        {"STREET2Edit", "A second line of the address, such as a suite or apartment number."},
        {"CITYEdit", "The city."},
        {"STATEEdit", "The state or province."},
        {"ZIPEdit", "The zip or postal code. Labels print their barcode from it."},
        {"COUNTRYEdit", "The country; leave it empty for addresses in your own country."},
        {"PHONEEdit", "The first phone number; Dial Phone 1 dials it."},
        {"PHONE2Edit", "A second phone number; Dial Phone 2 dials it."},
        {"FAXEdit", "The fax number."},
        {"EMAILEdit", "The e-mail address."},
        {"CODESEdit", "Codes of your own that sort records into groups. A filter on Codes such as $C finds every record whose codes contain C."},
        {"USER1Edit", "A comment of your own."},
        {"USER2Edit", "A second comment of your own."},
        {"DateButton", "Picks a date for the record, or removes it."},
        {"DisplayDate", "The record's date, as picked with the Date button."},
        {"TaggedCheckBox", "Click to tag or untag this record. A filter can then show the tagged records only."},
        {"MemoEditor", "Notes of any length about this record. Typing here starts editing the record; Save stores the memo with it."},
        {"SearchMemoButton", "Finds the first record whose memo contains a text."},
        {"FindNextButton", "Finds the next record whose memo contains the same text."},
        {"PageTabs", "Switches between the address and the memo of the record."},
        {"SortStatus", "The order the records are shown in; choose another in the Sort menu."},
        {"FilterStatus", "How many records the filter lets through, or how many records there are without a filter."},
        {"LabelsButton", "Prints labels for the records, or designs label layouts (Ctrl+L)."},
        {"LettersButton", "Prints letters for the records, or writes letter templates (Ctrl+T)."},
        {"EnvelopesButton", "Prints envelopes for the records, or designs envelope layouts (Ctrl+E)."},
        {"ReportsButton", "Prints reports of the records, or designs report layouts (Ctrl+R)."},
        {"BrowseButton", "Shows the records as a table, one row each (Ctrl+B)."},
        {"SearchButton", "Finds a record by the beginning of its last name, city, zip or another sort field (Ctrl+S)."},
        {"FilterButton", "Shows only the records that match conditions you type (Ctrl+F)."},
        {"ClearFilterButton", "Shows every record again."},
        {"MouseHelpButton", "Click here, then on any control, to see what it does."},
        {"ExitButton", "Closes Quillbase."},
        {"FirstButton", "Goes to the first record (Ctrl+Page Up)."},
        {"PriorButton", "Goes to the previous record (Page Up)."},
        {"NextButton", "Goes to the next record (Page Down)."},
        {"LastButton", "Goes to the last record (Ctrl+Page Down)."},
        {"AddButton", "Starts a new record."},
        {"EditButton", "Starts changing this record; typing into a field does the same."},
        {"DeleteButton", "Deletes this record after asking."},
        {"SaveButton", "Stores the record (Ctrl+Enter)."},
        {"CancelButton", "Throws away the changes to the record (Esc)."},
        {"DialPhone1Button", "Dials the first phone number."},
        {"DialPhone2Button", "Dials the second phone number."},
        {"EmptyTablePanel", "No database is open. Open one or create a new one from the File menu."},
    });
    SetButtons();
}

TAddressMain::~TAddressMain()
{
    if (mainWindow() == this)
        setMainWindow(nullptr);
}

// ---- building ---------------------------------------------------------------

void TAddressMain::bind(MainControl control, QObject* object)
{
    controls_[size_t(control)] = object;
}

void TAddressMain::buildButtons()
{
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    setCentralWidget(central);

    auto* bar = new QHBoxLayout;
    const struct {
        MainControl control;
        const char* hint;
        void (TAddressMain::*handler)();
    } barButtons[] = {
        {MainControl::LabelsButton, "Click here or press CTRL+L to print/design labels", nullptr},
        {MainControl::LettersButton, "Click here or press CTRL+T to print/design letters", nullptr},
        {MainControl::EnvelopesButton, "Click here or press CTRL+E to print/design envelopes", nullptr},
        {MainControl::ReportsButton, "Click here or press CTRL+R to print/design reports", nullptr},
        {MainControl::BrowseButton, "Click here or press CTRL+B for a table view of the database", nullptr},
        {MainControl::SearchButton, "Click here or press CTRL+S to search for a specific value", nullptr},
        {MainControl::FilterButton, "Click here or press CTRL+F to set or change a filter", nullptr},
    };
    for (const auto& [control, hint, handler] : barButtons) {
        auto* b = new QPushButton(controlCaption(control), central);
        b->setObjectName(QLatin1String(controlName(control)));
        b->setToolTip(QLatin1String(hint));
        b->setFocusPolicy(Qt::NoFocus);
        if (handler)
            connect(b, &QPushButton::clicked, this, guarded(handler));
        else
            b->setProperty(kNotBuilt, true);
        bind(control, b);
        bar->addWidget(b);
    }
    auto* mouseHelp = new QPushButton(QStringLiteral("?"), central);
    mouseHelp->setObjectName(QStringLiteral("MouseHelpButton"));
    mouseHelp->setToolTip(QStringLiteral("Click here for mouse help"));
    mouseHelp->setFocusPolicy(Qt::NoFocus);
    connect(mouseHelp, &QPushButton::clicked, this, [] { QWhatsThis::enterWhatsThisMode(); });
    bar->addWidget(mouseHelp);
    bar->addStretch();
    layout->addLayout(bar);

    recordOrEmpty_ = new QStackedWidget(central);
    layout->addWidget(recordOrEmpty_, 1);

    auto* status = new QHBoxLayout;
    sortStatus_ = new QLabel(central);
    sortStatus_->setObjectName(QStringLiteral("SortStatus"));
    filterStatus_ = new QLabel(central);
    filterStatus_->setObjectName(QStringLiteral("FilterStatus"));
    filterStatus_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (QLabel* l : {sortStatus_, filterStatus_}) {
        l->setAutoFillBackground(true);
        QPalette p = l->palette();
        p.setColor(QPalette::Window, QColor(255, 255, 128));
        l->setPalette(p);
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        status->addWidget(l, 1);
    }
    layout->addLayout(status);

    auto* bottom = new QHBoxLayout;
    const std::pair<MainControl, void (TAddressMain::*)()> bottomButtons[] = {
        {MainControl::ExitButton, &TAddressMain::ExitButtonClick},
        {MainControl::FirstButton, &TAddressMain::FirstButtonClick},
        {MainControl::PriorButton, &TAddressMain::PriorButtonClick},
        {MainControl::NextButton, &TAddressMain::NextButtonClick},
        {MainControl::LastButton, &TAddressMain::LastButtonClick},
        {MainControl::AddButton, &TAddressMain::AddButtonClick},
        {MainControl::EditButton, &TAddressMain::EditButtonClick},
        {MainControl::DeleteButton, &TAddressMain::DeleteButtonClick},
        {MainControl::SaveButton, &TAddressMain::SaveButtonClick},
        {MainControl::CancelButton, &TAddressMain::CancelButtonClick},
        {MainControl::ClearFilterButton, nullptr},
    };
    const std::map<MainControl, const char*> arrows = {{MainControl::FirstButton, "|<"},
                                                       {MainControl::PriorButton, "<"},
                                                       {MainControl::NextButton, ">"},
                                                       {MainControl::LastButton, ">|"}};
    for (const auto& [control, handler] : bottomButtons) {
        const auto arrow = arrows.find(control);
        auto* b = new QPushButton(arrow != arrows.end() ? QLatin1String(arrow->second) : controlCaption(control),
                                  central);
        b->setObjectName(QLatin1String(controlName(control)));
        b->setFocusPolicy(Qt::NoFocus);
        if (arrow != arrows.end())
            b->setToolTip(controlCaption(control));
        if (handler)
            connect(b, &QPushButton::clicked, this, guarded(handler));
        else
            b->setProperty(kNotBuilt, true);
        if (control == MainControl::ClearFilterButton) {
            // Its place is kept while it is hidden, so a filter never widens the window.
            QSizePolicy policy = b->sizePolicy();
            policy.setRetainSizeWhenHidden(true);
            b->setSizePolicy(policy);
        }
        bind(control, b);
        bottom->addWidget(b);
    }
    bottom->addStretch();
    layout->addLayout(bottom);
}

void TAddressMain::buildRecordArea()
{
    auto* record = new QWidget(recordOrEmpty_);
    auto* layout = new QVBoxLayout(record);

    const auto makeEdit = [this](const FieldControl& f, QWidget* parent) {
        auto* edit = new QLineEdit(parent);
        const QString field = QLatin1String(f.field);
        edit->setObjectName(field + QStringLiteral("Edit"));
        edits_[field] = edit;
        tabOrder_ << field;
        connect(edit, &QLineEdit::textEdited, this,
                [this, field, edit] { recordStep([&] { FieldEdited(field, edit); }); });
        return edit;
    };
    const auto makeLabel = [](const char* caption, QLineEdit* buddy, QWidget* parent) {
        auto* label = new QLabel(QLatin1String(caption), parent);
        label->setBuddy(buddy);
        return label;
    };

    auto* names = new QWidget(record);
    auto* nameGrid = new QGridLayout(names);
    int column = 0;
    for (const FieldControl& f : kFields) {
        if (!f.namePanel)
            continue;
        QLineEdit* edit = makeEdit(f, names);
        nameGrid->addWidget(makeLabel(f.caption, edit, names), 0, column);
        nameGrid->addWidget(edit, 1, column);
        nameGrid->setColumnStretch(column, QLatin1String(f.field) == QLatin1String("MIDDLE") ? 0 : 2);
        ++column;
    }
    edits_[QStringLiteral("MIDDLE")]->setMaximumWidth(40);
    layout->addWidget(names);

    pages_ = new QStackedWidget(record);
    auto* address = new QWidget(pages_);
    auto* grid = new QGridLayout(address);
    int row = 0;
    for (const FieldControl& f : kFields) {
        if (f.namePanel)
            continue;
        QLineEdit* edit = makeEdit(f, address);
        const int side = row < 6 ? 0 : 3;
        const int r = row < 6 ? row : row - 6;
        grid->addWidget(makeLabel(f.caption, edit, address), r, side);
        grid->addWidget(edit, r, side + 1);
        const QString field = QLatin1String(f.field);
        if (field == QLatin1String("PHONE") || field == QLatin1String("PHONE2")) {
            const MainControl dial = field == QLatin1String("PHONE") ? MainControl::DialPhone1Button
                                                                     : MainControl::DialPhone2Button;
            auto* b = new QPushButton(controlCaption(dial), address);
            b->setObjectName(QLatin1String(controlName(dial)));
            b->setFocusPolicy(Qt::NoFocus);
            b->setProperty(kNotBuilt, true);
            bind(dial, b);
            grid->addWidget(b, r, side + 2);
        }
        ++row;
    }
    auto* dateButton = new QPushButton(QStringLiteral("Date"), address);
    dateButton->setObjectName(QStringLiteral("DateButton"));
    dateButton->setFocusPolicy(Qt::NoFocus);
    connect(dateButton, &QPushButton::clicked, this, guarded(&TAddressMain::DateButtonClick));
    displayDate_ = new QLabel(address);
    displayDate_->setObjectName(QStringLiteral("DisplayDate"));
    displayDate_->setFrameShape(QFrame::StyledPanel);
    grid->addWidget(dateButton, 6, 0);
    grid->addWidget(displayDate_, 6, 1);
    tagged_ = new QCheckBox(QStringLiteral("Tagged"), address);
    tagged_->setObjectName(QStringLiteral("TaggedCheckBox"));
    tagged_->setFocusPolicy(Qt::NoFocus);
    connect(tagged_, &QCheckBox::clicked, this, guarded(&TAddressMain::TaggedClick));
    grid->addWidget(tagged_, 7, 0, 1, 2);
    pages_->addWidget(address);

    auto* memoPage = new QWidget(pages_);
    auto* memoLayout = new QVBoxLayout(memoPage);
    memoLayout->addWidget(new QLabel(QStringLiteral("Memo"), memoPage));
    memo_ = new QPlainTextEdit(memoPage);
    memo_->setObjectName(QStringLiteral("MemoEditor"));
    memo_->setTabChangesFocus(true);
    connect(memo_, &QPlainTextEdit::textChanged, this, guarded(&TAddressMain::MemoChange));
    memoLayout->addWidget(memo_, 1);
    auto* memoButtons = new QHBoxLayout;
    auto* searchMemo = new QPushButton(controlCaption(MainControl::SearchMemoButton), memoPage);
    searchMemo->setObjectName(QStringLiteral("SearchMemoButton"));
    bind(MainControl::SearchMemoButton, searchMemo);
    auto* findNext = new QPushButton(QStringLiteral("Find &Next"), memoPage);
    findNext->setObjectName(QStringLiteral("FindNextButton"));
    findNext->setVisible(false);
    memoButtons->addWidget(searchMemo);
    memoButtons->addWidget(findNext);
    memoButtons->addStretch();
    memoLayout->addLayout(memoButtons);
    pages_->addWidget(memoPage);
    layout->addWidget(pages_, 1);

    tabs_ = new QTabBar(record);
    tabs_->setObjectName(QStringLiteral("PageTabs"));
    tabs_->setShape(QTabBar::RoundedSouth);
    tabs_->addTab(QStringLiteral("Address &Information"));
    tabs_->addTab(QStringLiteral("&Memo"));
    tabs_->setFocusPolicy(Qt::NoFocus);
    connect(tabs_, &QTabBar::currentChanged, pages_, &QStackedWidget::setCurrentIndex);
    layout->addWidget(tabs_);

    for (int i = 1; i < tabOrder_.size(); ++i)
        setTabOrder(edits_[tabOrder_[i - 1]], edits_[tabOrder_[i]]);

    emptyPanel_ = new QLabel(recordOrEmpty_);
    emptyPanel_->setObjectName(QStringLiteral("EmptyTablePanel"));
    emptyPanel_->setAlignment(Qt::AlignCenter);
    recordOrEmpty_->addWidget(record);
    recordOrEmpty_->addWidget(emptyPanel_);
}

QAction* TAddressMain::menuItem(QMenu* menu, const char* name, const QString& caption,
                                void (TAddressMain::*handler)(), const QKeySequence& shortcut)
{
    QAction* a = menu->addAction(caption);
    a->setObjectName(QLatin1String(name));
    if (!shortcut.isEmpty())
        a->setShortcut(shortcut);
    if (handler)
        connect(a, &QAction::triggered, this, guarded(handler));
    else {
        a->setProperty(kNotBuilt, true);
        a->setEnabled(false);
    }
    return a;
}

void TAddressMain::buildMenus()
{
    using C = MainControl;
    using M = TAddressMain;
    QMenuBar* bar = menuBar();
    const auto addMenu = [&](const char* name, const QString& caption) {
        QMenu* m = bar->addMenu(caption);
        m->setObjectName(QLatin1String(name));
        return m;
    };

    fileMenu_ = addMenu("FileMenu", controlCaption(C::FileMenu));
    bind(C::FileMenu, fileMenu_);
    menuItem(fileMenu_, "mnuNewDatabase", QStringLiteral("&New Address Database"), &M::NewDatabaseClick);
    menuItem(fileMenu_, "mnuOpenDatabase", QStringLiteral("&Open Address DataBase"), &M::OpenDatabaseClick);
    bind(C::BrowseMenuItem, menuItem(fileMenu_, "mnuBrowse", controlCaption(C::BrowseMenuItem), nullptr,
                                     QKeySequence(Qt::CTRL | Qt::Key_B)));
    bind(C::SearchMenuItem, menuItem(fileMenu_, "mnuSearch", controlCaption(C::SearchMenuItem), nullptr,
                                     QKeySequence(Qt::CTRL | Qt::Key_S)));
    QMenu* import = fileMenu_->addMenu(controlCaption(C::ImportMenu));
    import->setObjectName(QStringLiteral("mnuImport"));
    bind(C::ImportMenu, import);
    bind(C::ImportDbfMenuItem, menuItem(import, "mnuImportDbf", controlCaption(C::ImportDbfMenuItem), nullptr));
    bind(C::ImportAsciiMenuItem, menuItem(import, "mnuImportAscii", controlCaption(C::ImportAsciiMenuItem), nullptr));
    menuItem(import, "mnuImportVersion1", QStringLiteral("Import from Quillbase 1.x DBF"), nullptr);
    menuItem(import, "mnuImportVersion2", QStringLiteral("Import from Quillbase 2.x DBF"), nullptr);
    menuItem(import, "mnuImportVcard", QStringLiteral("Import from vCard File (contacts)"), nullptr);
    bind(C::ExportMenuItem, menuItem(fileMenu_, "mnuExport", controlCaption(C::ExportMenuItem), nullptr));
    fileMenu_->addSeparator();
    bind(C::SetFilterMenuItem, menuItem(fileMenu_, "mnuSetFilter", controlCaption(C::SetFilterMenuItem), nullptr,
                                        QKeySequence(Qt::CTRL | Qt::Key_F)));
    bind(C::ClearFilterMenuItem, menuItem(fileMenu_, "mnuClearFilter", controlCaption(C::ClearFilterMenuItem),
                                                 nullptr));
    bind(C::SaveFilterMenuItem, menuItem(fileMenu_, "mnuSaveFilter", controlCaption(C::SaveFilterMenuItem),
                                                nullptr));
    bind(C::RestoreFilterMenuItem,
         menuItem(fileMenu_, "mnuRestoreFilter", controlCaption(C::RestoreFilterMenuItem), nullptr));
    bind(C::ClearTagsMenuItem, menuItem(fileMenu_, "mnuClearTags", controlCaption(C::ClearTagsMenuItem),
                                               nullptr));
    bind(C::TagAllFilterMatchesMenuItem,
         menuItem(fileMenu_, "mnuTagAllFilterMatches", controlCaption(C::TagAllFilterMatchesMenuItem),
                  nullptr));
    fileMenu_->addSeparator();
    bind(C::RebuildIndexesMenuItem, menuItem(fileMenu_, "mnuRebuildIndexes", controlCaption(C::RebuildIndexesMenuItem),
                                             nullptr));
    menuItem(fileMenu_, "mnuRebuildSystemIndexes", QStringLiteral("Rebuild S&ystem File indexes"),
             nullptr);
    menuItem(fileMenu_, "mnuPreferences", QStringLiteral("&Preferences"), &M::PreferencesClick);
    fileMenu_->addSeparator();
    bind(C::ExitMenuItem, menuItem(fileMenu_, "mnuExit", controlCaption(C::ExitMenuItem), &M::ExitButtonClick));
    startOfMru_ = fileMenu_->addSeparator();
    startOfMru_->setObjectName(QStringLiteral("StartOfMRU"));

    QMenu* edit = addMenu("EditMenu", controlCaption(C::EditMenu));
    bind(C::EditMenu, edit);
    edit->menuAction()->setVisible(false);
    menuItem(edit, "mnuUndo", QStringLiteral("&Undo typing"), &M::UndoClick, QKeySequence(Qt::CTRL | Qt::Key_Z));
    menuItem(edit, "mnuCut", QStringLiteral("Cu&t"), &M::CutClick, QKeySequence(Qt::CTRL | Qt::Key_X));
    menuItem(edit, "mnuCopy", QStringLiteral("&Copy"), &M::CopyClick, QKeySequence(Qt::CTRL | Qt::Key_C));
    menuItem(edit, "mnuPaste", QStringLiteral("&Paste"), &M::PasteClick, QKeySequence(Qt::CTRL | Qt::Key_V));

    QMenu* record = addMenu("RecordMenu", controlCaption(C::RecordMenu));
    bind(C::RecordMenu, record);
    menuItem(record, "mnuFirst", QStringLiteral("&First"), &M::FirstButtonClick, QKeySequence(Qt::CTRL | Qt::Key_Up));
    menuItem(record, "mnuPrevious", QStringLiteral("&Previous"), &M::PriorButtonClick,
             QKeySequence(Qt::CTRL | Qt::Key_Left));
    menuItem(record, "mnuNext", QStringLiteral("&Next"), &M::NextButtonClick, QKeySequence(Qt::CTRL | Qt::Key_Right));
    menuItem(record, "mnuLast", QStringLiteral("&Last"), &M::LastButtonClick, QKeySequence(Qt::CTRL | Qt::Key_Down));
    record->addSeparator();
    bind(C::AddMenuItem, menuItem(record, "mnuAdd", controlCaption(C::AddMenuItem), &M::AddButtonClick));
    bind(C::EditMenuItem, menuItem(record, "mnuEdit", controlCaption(C::EditMenuItem), &M::EditButtonClick));
    bind(C::DeleteMenuItem, menuItem(record, "mnuDelete", controlCaption(C::DeleteMenuItem), &M::DeleteButtonClick));
    record->addSeparator();
    menuItem(record, "mnuCopyToClipboard", QStringLiteral("Copy To &Clipboard"), &M::CopyToClipboardClick);
    bind(C::CloneMenuItem, menuItem(record, "mnuClone", controlCaption(C::CloneMenuItem), &M::CloneClick));

    QMenu* sort = addMenu("SortMenu", controlCaption(C::SortMenu));
    bind(C::SortMenu, sort);
    sortGroup_ = new QActionGroup(this);
    for (const SortOrder& order : sortOrders()) {
        QAction* a = sort->addAction(order.caption);
        a->setObjectName(QStringLiteral("mnuSort") + plainCaption(order.caption).remove(QLatin1Char(' ')));
        a->setCheckable(true);
        sortGroup_->addAction(a);
        const QString caption = order.caption;
        connect(a, &QAction::triggered, this, [this, caption] {
            recordStep([&] {
                if (editor_->selectSortOrder(caption))
                    refreshAll();
            });
        });
    }

    QMenu* utilities = addMenu("UtilitiesMenu", controlCaption(C::UtilitiesMenu));
    bind(C::UtilitiesMenu, utilities);
    menuItem(utilities, "mnuCountZipCodes", QStringLiteral("Count &Zip Codes"), nullptr);
    menuItem(utilities, "mnuCheckStateZip", QStringLiteral("Check && Repair &State and Zip Codes"), nullptr);
    menuItem(utilities, "mnuCheckDuplicates", QStringLiteral("Check && Repair &Duplicates"), nullptr);
    menuItem(utilities, "mnuStandardizeAddresses", QStringLiteral("S&tandardize Addresses"), nullptr);
    menuItem(utilities, "mnuConvertCase", QStringLiteral("Con&vert Case"), nullptr);
    menuItem(utilities, "mnuDeleteRecords", QStringLiteral("Delete &Records"), nullptr);
    menuItem(utilities, "mnuSearchReplace", QStringLiteral("Search && Re&place Field Values"), nullptr);

    QMenu* print = addMenu("PrintMenu", controlCaption(C::PrintMenu));
    bind(C::PrintMenu, print);
    menuItem(print, "mnuPrintLabels", QStringLiteral("Print &Labels"), nullptr, QKeySequence(Qt::CTRL | Qt::Key_L));
    menuItem(print, "mnuPrintLetters", QStringLiteral("Print Le&tters"), nullptr, QKeySequence(Qt::CTRL | Qt::Key_T));
    menuItem(print, "mnuPrintEnvelopes", QStringLiteral("Print &Envelopes"), nullptr,
             QKeySequence(Qt::CTRL | Qt::Key_E));
    menuItem(print, "mnuPrintReports", QStringLiteral("Print &Reports"), nullptr, QKeySequence(Qt::CTRL | Qt::Key_R));
    menuItem(print, "mnuPrintCurrentRecord", QStringLiteral("Print C&urrent Record"), nullptr,
             QKeySequence(Qt::CTRL | Qt::Key_P));

    QMenu* help = addMenu("HelpMenu", QStringLiteral("&Help"));
    menuItem(help, "mnuContents", QStringLiteral("&Contents"), &M::HelpContentsClick);
    menuItem(help, "mnuGettingStarted", QStringLiteral("&Getting Started"), &M::GettingStartedClick);
    menuItem(help, "mnuFaq", QStringLiteral("Frequently Asked Questions"), &M::FaqClick);
    menuItem(help, "mnuAbout", QStringLiteral("&About..."), &M::AboutClick);
    // The help window's contents topic is where searching and using help start.
    menuItem(help, "mnuSearchHelp", QStringLiteral("Search for Help On"), &M::HelpContentsClick);
    menuItem(help, "mnuHowToUseHelp", QStringLiteral("How to Use Help"), &M::HelpContentsClick);
    menuItem(help, "mnuConfigurationInfo", QStringLiteral("Configuration Information"), &M::ConfigurationInfoClick);
    menuItem(help, "mnuTechnicalSupport", QStringLiteral("Technical Support"), &M::TechnicalSupportClick);
    menuItem(help, "mnuWebsite", QStringLiteral(" Visit Our Internet Website"), &M::WebsiteClick);
}

// ---- state onto the controls ------------------------------------------------

void TAddressMain::SetButtons()
{
    using C = MainControl;
    const EditState state = editor_->state();
    const bool open = table_.isOpen() && state != EditState::NoDatabase;
    const bool pending = isPending(state);
    const ButtonStates s = buttonStates({open, pending, editor_->hasRecord(), filter_.isSet()});

    // Only these are shown and hidden by the rules; the rest keep their place.
    const std::initializer_list<C> shownByRule = {
        C::SaveButton, C::CancelButton, C::AddButton, C::EditButton, C::DeleteButton, C::ExitButton,
        C::FirstButton, C::PriorButton, C::NextButton, C::LastButton, C::ClearFilterButton,
        C::DialPhone1Button, C::DialPhone2Button, C::SearchMemoButton};
    std::vector<QWidget*> shown;
    for (size_t i = 0; i < controls_.size(); ++i) {
        QObject* o = controls_[i];
        if (!o)
            continue;
        const C c = C(i);
        const bool enabled = s.enabled(c) && !notBuilt(o);
        if (auto* menu = qobject_cast<QMenu*>(o))
            menu->menuAction()->setEnabled(enabled);
        else if (auto* action = qobject_cast<QAction*>(o))
            action->setEnabled(enabled);
        else if (auto* widget = qobject_cast<QWidget*>(o)) {
            widget->setEnabled(enabled);
            if (std::find(shownByRule.begin(), shownByRule.end(), c) == shownByRule.end())
                continue;
            if (s.visible(c))
                shown.push_back(widget);
            else
                widget->setVisible(false);
        }
    }
    // Shown only after the others are hidden: a bar holding both sets for a
    // moment would widen the window for good.
    for (QWidget* widget : shown)
        widget->setVisible(true);
    // The record menu's own items need a record to work on.
    for (const char* name : {"mnuFirst", "mnuPrevious", "mnuNext", "mnuLast", "mnuCopyToClipboard"})
        if (auto* a = findChild<QAction*>(QLatin1String(name)))
            a->setEnabled(open && !pending && editor_->hasRecord());

    if (auto* findNext = findChild<QPushButton*>(QStringLiteral("FindNextButton")))
        findNext->setVisible(!pending && open && memoSearch_.found);
    if (pending) {
        QWidget* focus = focusWidget();
        if (!qobject_cast<QLineEdit*>(focus) && focus != memo_)
            edits_[QStringLiteral("LNAME")]->setFocus();
    }
    const bool writable = pending || editor_->hasRecord();
    for (auto& [field, edit] : edits_)
        edit->setReadOnly(!writable);
    memo_->setReadOnly(!writable);
    if (auto* date = findChild<QPushButton*>(QStringLiteral("DateButton")))
        date->setEnabled(writable);

    recordOrEmpty_->setCurrentIndex(open ? 0 : 1);
    sortStatus_->setText(editor_->sortStatus());
    filterStatus_->setText(open ? filterStatusText(filter_.isSet(), editor_->passingCount()) : QString());
    for (QAction* a : sortGroup_->actions())
        a->setChecked(a->text() == editor_->sortCaption());
}

void TAddressMain::refreshAll()
{
    // Every field is back in the tab order once a new record is saved or
    // given up, whichever key or button did it.
    if (!isPending(editor_->state()))
        restoreTabStops();
    SetButtons();
    if (!typing_)
        showRecord();
}

void TAddressMain::showRecord()
{
    if (detached_)
        return;
    const bool shown = table_.isOpen() && (editor_->hasRecord() || isPending(editor_->state()));
    xbase::Table* t = table_.isOpen() ? &table_.table() : nullptr;
    for (auto& [field, edit] : edits_) {
        const QString value = shown ? q(t->text(field.toStdString())) : QString();
        if (t) {
            const int index = t->fieldIndex(field.toStdString());
            if (index >= 0)
                edit->setMaxLength(int(t->field(index).length));
        }
        if (edit->text() != value)
            edit->setText(value);
    }
    displayDate_->setText(shown ? table_.displayDate() : QString());
    tagged_->setChecked(shown && table_.tagged());
}

void TAddressMain::loadMemoEditor()
{
    loadingMemo_ = true;
    memo_->setPlaceholderText(editor_->memoUnreadable() ? kUnreadableMemo : QString());
    memo_->setPlainText(editor_->memoText());
    loadingMemo_ = false;
    showRecord();
}

// ---- typing -----------------------------------------------------------------

void TAddressMain::FieldEdited(const QString& field, QLineEdit* edit)
{
    typing_ = true;
    if (field == QLatin1String("MIDDLE")) {
        const int caret = edit->cursorPosition();
        edit->setText(edit->text().toUpper());
        edit->setCursorPosition(caret);
    }
    if (editor_->state() == EditState::Browsing)
        editor_->beginEdit();
    if (isPending(editor_->state()))
        table_.table().setText(field.toStdString(), edit->text().toStdString());
    typing_ = false;
}

void TAddressMain::MemoChange()
{
    if (loadingMemo_)
        return;
    typing_ = true;
    if (editor_->state() == EditState::Browsing)
        editor_->beginEdit();
    editor_->setMemoText(memo_->toPlainText());
    typing_ = false;
}

bool TAddressMain::isMenuCommandKey(const QKeyEvent& key) const
{
    const QKeySequence pressed(key.keyCombination());
    // The Edit menu's keys act on the field itself.
    static const QStringList fieldKeys{"mnuUndo", "mnuCut", "mnuCopy", "mnuPaste"};
    for (const QAction* a : menuBar()->findChildren<QAction*>())
        if (a->isEnabled() && a->shortcut() == pressed && !fieldKeys.contains(a->objectName()))
            return true;
    return false;
}

bool TAddressMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick && qobject_cast<QLineEdit*>(watched)) {
        if (editor_->state() == EditState::Browsing)
            recordStep([this] { editor_->beginEdit(); });
        return false;
    }
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return QMainWindow::eventFilter(watched, event);
    // The menus' own keys (Esc closes a menu) are theirs, not the record's.
    if (qobject_cast<QMenu*>(watched) || qobject_cast<QMenuBar*>(watched))
        return QMainWindow::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    // Alt and a letter go to the button showing that letter underlined now
    // ("&Save" over the "&Sort" menu, "Search &Memo" over the "&Memo" tab):
    // Qt would give it to neither while both claim it.
    if (key->modifiers() == Qt::AltModifier) {
        if (QAbstractButton* b = mnemonicButton(key->key())) {
            event->accept();
            if (event->type() == QEvent::KeyPress)
                b->click();
            return true;
        }
    }
    // The menus' command keys work whichever field has the focus: a field
    // would take Ctrl+E, Ctrl+L and others as its own line editing keys.
    if (event->type() == QEvent::ShortcutOverride && isMenuCommandKey(*key)) {
        event->ignore();
        return true;
    }
    if (event->type() != QEvent::KeyPress)
        return QMainWindow::eventFilter(watched, event);
    const KeyAction action = keyAction(key->key(), key->modifiers(), editor_->state());
    switch (action) {
    case KeyAction::None: break;
    case KeyAction::ToggleInsert: insertMode_ = !insertMode_; return true;
    case KeyAction::SaveAndOfferAnother:
        recordStep([this] {
            if (editor_->save() && askQuestion(QStringLiteral("Add another record?"), QStringLiteral("Add")))
                AddButtonClick();
        });
        refreshAll();
        return true;
    default:
        recordStep([this, action] { editor_->perform(action); });
        refreshAll();
        return true;
    }

    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit)
        return QMainWindow::eventFilter(watched, event);
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && key->modifiers() == Qt::NoModifier) {
        focusNextChild();
        return true;
    }
    if (!insertMode_ && !edit->isReadOnly() && isCharacterKey(key->key(), key->text())) {
        const TextSelection now = edit->hasSelectedText()
                                      ? TextSelection{edit->selectionStart(), int(edit->selectedText().size())}
                                      : TextSelection{edit->cursorPosition(), 0};
        const TextSelection widened = overtypeSelection(now, int(edit->text().size()));
        if (widened.length > 0)
            edit->setSelection(widened.start, widened.length);
    }
    return false;
}

QAbstractButton* TAddressMain::mnemonicButton(int key) const
{
    const QKeySequence wanted(Qt::ALT | Qt::Key(key));
    for (QAbstractButton* b : findChildren<QAbstractButton*>())
        if (b->isVisible() && b->isEnabled() && QKeySequence::mnemonic(b->text()) == wanted)
            return b;
    return nullptr;
}

// ---- record commands ---------------------------------------------------------

bool TAddressMain::recordStep(const std::function<void()>& step)
{
    bool done = false;
    ++stepDepth_;
    try {
        step();
        done = true;
    } catch (const std::exception& e) {
        afterFailure(e);
    }
    if (--stepDepth_ == 0)
        offerRebuildAfterIndexLoss();
    return done;
}

void TAddressMain::offerRebuildAfterIndexLoss()
{
    if (indexLossTold_ || !table_.isOpen() || isPending(editor_->state()) || !table_.table().indexStale())
        return;
    indexLossTold_ = true;
    if (!askQuestion(rebuildQuestion(table_.path()), QStringLiteral("Warning")))
        return;
    // Only the tags are built again, so the record stays where it was.
    const uint32_t recno = table_.table().eof() ? 0 : table_.table().recno();
    detached_ = true;
    runRebuildDialog();
    detached_ = false;
    recordStep([&] {
        editor_->reselectOrder();
        applyFilter();
        if (recno == 0 || !table_.table().go(recno))
            table_.table().first();
        editor_->tableMoved();
    });
    refreshAll();
}

void TAddressMain::runRebuildDialog()
{
    TQBReindex dialog(table_.table(), this, Reindexer::workFor(table_.table()));
    withDialog(&dialog);
}

void TAddressMain::afterFailure(const std::exception& error)
{
    // The window is usable again whatever step failed: controls attached,
    // the normal cursor, the record editor on what the table holds.
    detached_ = false;
    typing_ = false;
    loadingMemo_ = false;
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    showInformation(commandErrorText(error));
    runReportingErrors([this] { editor_->recover(); });
    runReportingErrors([this] { refreshAll(); });
}

std::function<void()> TAddressMain::guarded(void (TAddressMain::*handler)())
{
    return [this, handler] { recordStep([this, handler] { (this->*handler)(); }); };
}

void TAddressMain::AddButtonClick()
{
    if (!editor_->add())
        return;
    loadMemoEditor();
    showRecord();
    focusForAdd();
}

void TAddressMain::focusForAdd()
{
    const AddingPreferences::Skip& skip = editor_->addingPreferences().skip;
    const QStringList skipped = skippedFields(skip);
    for (auto& [field, edit] : edits_)
        edit->setFocusPolicy(skipped.contains(field) ? Qt::ClickFocus : Qt::StrongFocus);
    const QString target = addFocusField(skip, edits_[QStringLiteral("LNAME")]->text().isEmpty(),
                                         edits_[QStringLiteral("FNAME")]->text().isEmpty());
    edits_[target]->setFocus();
}

void TAddressMain::restoreTabStops()
{
    for (auto& [field, edit] : edits_)
        edit->setFocusPolicy(Qt::StrongFocus);
}

void TAddressMain::EditButtonClick()
{
    editor_->beginEdit();
}

void TAddressMain::SaveButtonClick()
{
    editor_->save();
    refreshAll();
}

void TAddressMain::CancelButtonClick()
{
    editor_->cancel();
    refreshAll();
}

void TAddressMain::DeleteButtonClick()
{
    editor_->deleteCurrent();
    refreshAll();
}

void TAddressMain::CloneClick()
{
    editor_->cloneCurrent();
    refreshAll();
}

void TAddressMain::FirstButtonClick() { editor_->first(); }
void TAddressMain::PriorButtonClick() { editor_->prior(); }
void TAddressMain::NextButtonClick() { editor_->next(); }
void TAddressMain::LastButtonClick() { editor_->last(); }
void TAddressMain::ExitButtonClick() { close(); }

void TAddressMain::DateButtonClick()
{
    TDateSelector dialog(this);
    dialog.setDate(editor_->dateForDialog());
    centreWindow(&dialog);
    const int result = dialog.exec();
    if (result == QDialog::Accepted)
        editor_->setDate(dialog.date());
    else if (result == TDateSelector::NoDate)
        editor_->setDate(std::nullopt);
    refreshAll();
}

void TAddressMain::CopyToClipboardClick()
{
    if (!editor_->hasRecord())
        return;
    TCopyToClipBoard dialog(RecordFields::of(table_), this);
    withDialog(&dialog);
}

void TAddressMain::withDialog(QDialog* dialog)
{
    centreWindow(dialog);
    dialog->exec();
}

// ---- commands ---------------------------------------------------------------------

// What the window's commands see of it.
class TAddressMain::Host : public MainWindowHost {
public:
    explicit Host(TAddressMain& w) : w_(w) {}

    QWidget* window() override { return &w_; }
    AddressTable& addressTable() override { return w_.table_; }
    bool filterIsSet() const override { return w_.filter_.isSet(); }
    QString filterConditions() const override { return w_.filter_.filterText(); }
    uint32_t applyFilter() override { return w_.applyFilter(); }

    AddressFilter& filter() override { return w_.filter_; }
    RecordEditor& editor() override { return *w_.editor_; }
    MemoSearchState& memoSearch() override { return w_.memoSearch_; }
    QueryFormPlacement queryFormPlacement() override { return w_.queryFormPlacement(); }
    void showCurrentRecord() override
    {
        w_.editor_->tableMoved();
        w_.refreshAll();
    }
    std::optional<QString> askMemoSearchText() override { return w_.askMemoSearchText(); }
    QString askFilterFile(bool save) override { return w_.askFilterFile(save); }

private:
    TAddressMain& w_;
};

void TAddressMain::setUpCommands(const std::function<void(CommandRegistry&)>& subsystems)
{
    host_ = std::make_unique<Host>(*this);
    registerWindowCommands(commands_, *host_);
    if (subsystems)
        subsystems(commands_);

    CommandRunner::Hooks hooks;
    hooks.databaseOpen = [this] { return table_.isOpen() && editor_->state() != EditState::NoDatabase; };
    hooks.editing = [this] { return isPending(editor_->state()); };
    hooks.hasRecord = [this] { return editor_->hasRecord(); };
    hooks.passingCount = [this] { return editor_->passingCount(); };
    hooks.printerReady = [] { return checkPrinter(); };
    hooks.beep = [] { QApplication::beep(); };
    hooks.scope = commandHooks();
    hooks.recover = [this] { editor_->recover(); };
    hooks.afterwards = [this] {
        // The controls show the table again even when reading it fails.
        detached_ = false;
        try {
            editor_->tableMoved();
        } catch (...) {
            refreshAll();
            throw;
        }
        refreshAll();
    };
    runner_ = std::make_unique<CommandRunner>(*host_, hooks);

    // Menu items and buttons without a command stay disabled.
    for (const Command& c : commands_.commands()) {
        const Command* command = &c;
        QObject* target = nullptr;
        if (!c.menuItem.isEmpty()) {
            auto* a = findChild<QAction*>(c.menuItem);
            if (!a)
                throw std::logic_error("no menu item " + c.menuItem.toStdString() + " for a command");
            a->setProperty(kNotBuilt, false);
            a->setEnabled(true);
            connect(a, &QAction::triggered, this, [this, command] { runCommand(*command); });
            target = a;
        }
        if (!c.button.isEmpty()) {
            auto* b = findChild<QPushButton*>(c.button);
            if (!b)
                throw std::logic_error("no button " + c.button.toStdString() + " for a command");
            b->setProperty(kNotBuilt, false);
            connect(b, &QPushButton::clicked, this, [this, command] { runCommand(*command); });
            target = b;
        }
        Q_UNUSED(target);
    }
}

CommandRunner::Outcome TAddressMain::runCommand(const Command& command)
{
    const CommandRunner::Outcome outcome = runner_->run(command);
    offerRebuildAfterIndexLoss();
    return outcome;
}

CommandScope::Hooks TAddressMain::commandHooks()
{
    CommandScope::Hooks hooks;
    hooks.detach = [this] { detached_ = true; };
    hooks.attach = [this] {
        detached_ = false;
        showRecord();
    };
    hooks.setRefreshFlag = [this](bool on) { editor_->refreshFlag = on; };
    hooks.setUtilityFlag = [this](bool on) { editor_->utilityFlag = on; };
    hooks.recno = [this] { return table_.isOpen() && !table_.table().eof() ? table_.table().recno() : 0u; };
    hooks.goTo = [this](uint32_t recno) {
        if (table_.isOpen() && (recno == 0 || !table_.table().go(recno)))
            table_.table().first();
    };
    hooks.filterExpression = [this] { return table_.isOpen() ? QString::fromStdString(table_.table().filter()) : QString(); };
    hooks.setFilterExpression = [this](const QString& f) {
        if (table_.isOpen())
            table_.table().setFilter(f.toStdString());
    };
    hooks.filterConditions = [this] { return filter_.filterText(); };
    hooks.printer = [] { return QtPrinterSource::selectedPrinter(); };
    hooks.selectPrinter = [](const QString& name) { QtPrinterSource::setSelectedPrinter(name); };
    hooks.reselectOrder = [this] { editor_->reselectOrder(); };
    hooks.applyFilter = [this] { applyFilter(); };
    hooks.firstRecord = [this] {
        if (table_.isOpen())
            table_.table().first();
    };
    hooks.refreshButtons = [this] { SetButtons(); };
    return hooks;
}

// ---- filters and tags -----------------------------------------------------------

uint32_t TAddressMain::applyFilter()
{
    editor_->countAgain();
    if (!table_.isOpen())
        return 0;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct NormalCursor {
        ~NormalCursor() { QApplication::restoreOverrideCursor(); }
    } normal;
    return filter_.apply(table_.table(), table_.tagId());
}

QueryFormPlacement TAddressMain::queryFormPlacement()
{
    QueryFormPlacement placement;
    if (!isVisible())
        return placement;
    // The fields where they will be, not where a pending layout leaves them.
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    const auto rectIn = [this](const QWidget* w) { return QRect(w->mapTo(recordOrEmpty_, QPoint(0, 0)), w->size()); };
    for (int i = 0; i < kFilterFieldCount; ++i) {
        const QString field = QLatin1String(filterFields()[size_t(i)].mainField);
        const auto edit = edits_.find(field);
        if (edit == edits_.end()) {
            // The date has no edit box: its box goes where the date is shown.
            placement.boxes[size_t(i)] = rectIn(displayDate_);
            if (auto* dateButton = findChild<QPushButton*>(QStringLiteral("DateButton")))
                placement.labels[size_t(i)] = rectIn(dateButton);
            continue;
        }
        placement.boxes[size_t(i)] = rectIn(edit->second);
        for (const QLabel* label : edit->second->parentWidget()->findChildren<QLabel*>())
            if (label->buddy() == edit->second)
                placement.labels[size_t(i)] = rectIn(label);
    }
    placement.tagged = rectIn(tagged_);
    return placement;
}

QString TAddressMain::askFilterFile(bool save)
{
    if (askFilterFile_)
        return askFilterFile_(save);
    if (!save)
        return QFileDialog::getOpenFileName(this, QString(), ProgramFolder::path(),
                                            QStringLiteral("Filter Files (*.flt *.FLT)"));
    if (filterFolder_.isEmpty())
        filterFolder_ = ProgramFolder::path();
    // "&Save Filter" asks about overwriting itself, with No as the default.
    const QString chosen =
        QFileDialog::getSaveFileName(this, QString(), filterFolder_ + QStringLiteral("*.FLT"),
                                     QStringLiteral("Filter files (*.FLT)"), nullptr, QFileDialog::DontConfirmOverwrite);
    if (!chosen.isEmpty())
        filterFolder_ = QFileInfo(chosen).absolutePath() + QLatin1Char('/');
    return chosen;
}

std::optional<QString> TAddressMain::askMemoSearchText()
{
    if (askMemoSearch_)
        return askMemoSearch_();
    QInputDialog box(this);
    box.setWindowTitle(QStringLiteral("Memo Search"));
    box.setLabelText(QStringLiteral("Search For"));
    // The search text is kept to what the memo search holds.
    if (auto* edit = box.findChild<QLineEdit*>())
        edit->setMaxLength(255);
    centreWindow(&box);
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return box.textValue().left(255);
}

void TAddressMain::TaggedClick()
{
    try {
        editor_->toggleTag();
    } catch (const std::exception& e) {
        showInformation(QString::fromStdString(e.what()));
    }
    if (!isPending(editor_->state()))
        loadMemoEditor();
    refreshAll();
}

// ---- databases ----------------------------------------------------------------

bool TAddressMain::openDatabase(const QString& path)
{
    const auto rebuild = [this] { runRebuildDialog(); };
    table_.close();
    // "Find &Next" goes on with the database it searched, not another one.
    memoSearch_.found = false;
    const DatabaseOpening opening = openAddressDatabase(table_, path, rebuild);
    if (opening.fileOpened) {
        Settings settings = Settings::program();
        rebuildMruMenu(recordMruOpen(settings, path));
    }
    setWindowTitle(QStringLiteral("Quillbase - ") + path);
    startDatabase(opening.usable);
    return table_.isOpen();
}

void TAddressMain::startDatabase(bool usable)
{
    indexLossTold_ = false;
    if (usable && table_.isOpen()) {
        // The database stays open when its first record cannot be read, so
        // the user can still look at the others or open another one.
        recordStep([this] { editor_->databaseOpened(); });
    } else {
        table_.close();
        editor_->databaseClosed();
    }
    refreshAll();
}

void TAddressMain::rebuildMruMenu(const QStringList& paths)
{
    const QList<QAction*> actions = fileMenu_->actions();
    const qsizetype start = actions.indexOf(startOfMru_);
    for (qsizetype i = start + 1; i < actions.size(); ++i) {
        fileMenu_->removeAction(actions[i]);
        actions[i]->deleteLater();
    }
    for (int i = 0; i < paths.size(); ++i) {
        const QString path = paths[i];
        QAction* a = fileMenu_->addAction(QString(path).replace(QLatin1Char('&'), QStringLiteral("&&")));
        a->setObjectName(QStringLiteral("mnuMRU%1").arg(i + 1));
        connect(a, &QAction::triggered, this, [this, path] {
            recordStep([&] {
                const QString before = table_.isOpen() ? table_.path() : QString();
                if (!openDatabase(path) && !before.isEmpty())
                    openDatabase(before);
            });
        });
    }
}

void TAddressMain::NewDatabaseClick()
{
    TNewDataBaseName dialog(proposeDatabaseName(), this);
    centreWindow(&dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.databasePath().isEmpty())
        return;
    if (createAddressTable(dialog.databasePath(), dialog.fieldLengths()))
        openDatabase(dialog.databasePath());
    SetButtons();
}

void TAddressMain::OpenDatabaseClick()
{
    const QString path = askDatabase_ ? askDatabase_()
                                      : QFileDialog::getOpenFileName(this, QString(), ProgramFolder::file(QStringLiteral("DATA/")),
                                                                     QStringLiteral("DBF Files (*.dbf *.DBF)"));
    if (!path.isEmpty()) {
        if (QFileInfo(path).suffix().toUpper() != QLatin1String("DBF"))
            showInformation(QStringLiteral("Must be a DBF file"));
        else
            openDatabase(path);
    }
    SetButtons();
}

void TAddressMain::readPreferences()
{
    Settings settings = Settings::program();
    prefs_ = MainWindowPreferences::read(settings);
    editor_->setPreferences(prefs_.adding, prefs_.editing);
    table_.setTagId(prefs_.misc.globalTagId);
}

void TAddressMain::PreferencesClick()
{
    Settings settings = Settings::program();
    TPreferences dialog(settings, this);
    withDialog(&dialog);
    readPreferences();
}

void TAddressMain::ConfigurationInfoClick()
{
    const Settings settings = Settings::program();
    TConfigurationInfo dialog(configurationReport(gatherSystemFacts(settings, this)), this);
    withDialog(&dialog);
}

void TAddressMain::HelpContentsClick() { showHelpContents(this); }

void TAddressMain::WebsiteClick()
{
    const QUrl page(kProjectWebsite);
    if (!QDesktopServices::openUrl(page))
        showInformation(QStringLiteral("Unable to open ") + page.toString());
}
void TAddressMain::FaqClick() { showHelp(911, this); }
void TAddressMain::TechnicalSupportClick() { showHelp(1015, this); }

void TAddressMain::AboutClick()
{
    showInformation(QStringLiteral("Quillbase\r\nVersion ") + kProgramVersion, QStringLiteral("About Quillbase"));
}

// The hidden Edit menu's items act on whichever edit box has the focus.
void TAddressMain::UndoClick()
{
    if (auto* e = qobject_cast<QLineEdit*>(focusWidget()))
        e->undo();
    else if (focusWidget() == memo_)
        memo_->undo();
}

void TAddressMain::CutClick()
{
    if (auto* e = qobject_cast<QLineEdit*>(focusWidget()))
        e->cut();
    else if (focusWidget() == memo_)
        memo_->cut();
}

void TAddressMain::CopyClick()
{
    if (auto* e = qobject_cast<QLineEdit*>(focusWidget()))
        e->copy();
    else if (focusWidget() == memo_)
        memo_->copy();
}

void TAddressMain::PasteClick()
{
    if (auto* e = qobject_cast<QLineEdit*>(focusWidget()))
        e->paste();
    else if (focusWidget() == memo_)
        memo_->paste();
}

// ---- start and end --------------------------------------------------------------

void TAddressMain::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    if (activated_)
        keepOnScreen(this);
}

void TAddressMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (activated_)
        keepOnScreen(this);
}

void TAddressMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!activated_)
        recordStep([this] { FormActivate(); });
}

void TAddressMain::FormActivate()
{
    activated_ = true;
    restorePlacement(this, QStringLiteral("TAddressMain"));
    recordOrEmpty_->setVisible(false);
    setWindowTitle(QStringLiteral("Quillbase"));
    emptyPanel_->setText(QStringLiteral("Please Open or Create a Quillbase Address file"));

    readPreferences();
    xbase::engineSettings().skipDeleted = true;
    // A record the user saved is on the disk before Save returns.
    xbase::engineSettings().syncPosts = true;

    Settings settings = Settings::program();
    const auto rebuild = [this] { runRebuildDialog(); };
    if (!settings.readable())
        showInformation(kUnreadableSettings.arg(settings.path()));
    // A result index of the checks outlives its window only in a crash.
    removeStaleTemporaryIndexes(ProgramFolder::path());
    const FirstStart start = openFirstDatabase(table_, settings, rebuild, QDateTime::currentDateTime(), startDatabase_);
    if (!start.triedPath.isEmpty())
        setWindowTitle(QStringLiteral("Quillbase - ") + start.triedPath);
    startDatabase(table_.isOpen());
    rebuildMruMenu(readMru(settings));
    checkPrinter();
    recordOrEmpty_->setVisible(true);
    // Once the start-up has finished, not inside it.
    if (!MiscPreferences::read(settings).gettingStarted)
        QTimer::singleShot(0, this, &TAddressMain::GettingStartedClick);
}

void TAddressMain::GettingStartedClick()
{
    Settings settings = Settings::program();
    TGettingStarted dialog(settings, this);
    withDialog(&dialog);
}

void TAddressMain::closeEvent(QCloseEvent* event)
{
    if (table_.isOpen()) {
        // A pending record that could not be saved keeps the window open, so
        // what was typed is not lost; Cancel lets it go.
        if (!recordStep([this] { editor_->settleBeforeClose(); }) || isPending(editor_->state())) {
            event->ignore();
            return;
        }
        table_.close();
        editor_->databaseClosed();
    }
    savePlacement(this, QStringLiteral("TAddressMain"));
    event->accept();
}

// ---- for tests and callers ----------------------------------------------------------

QLineEdit* TAddressMain::fieldEdit(const QString& field) const
{
    const auto it = edits_.find(field.toUpper());
    return it == edits_.end() ? nullptr : it->second;
}

QString TAddressMain::sortStatus() const { return sortStatus_->text(); }
QString TAddressMain::filterStatus() const { return filterStatus_->text(); }

} // namespace qb
