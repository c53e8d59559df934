#include "mainwindow/record_editor.h"

#include "core/ascii.h"
#include "core/messages.h"
#include "core/memo_text.h"
#include "mainwindow/sort_orders.h"
#include "platform/xbase/settings.h"

#include <QDir>

namespace qb {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }
std::string s(const QString& q) { return q.toStdString(); }

QString fitted(const QString& text, int width)
{
    return text.left(width).leftJustified(width, QLatin1Char(' '));
}

// Puts the engine's comparison and skipping settings back however a step ends.
class EngineSettingsGuard {
public:
    EngineSettingsGuard() : saved_(xbase::engineSettings()) {}
    ~EngineSettingsGuard()
    {
        xbase::engineSettings().exact = saved_.exact;
        xbase::engineSettings().skipDeleted = saved_.skipDeleted;
    }

private:
    xbase::EngineSettings saved_;
};

// The record and order a look-up elsewhere in the table must come back to.
class PositionGuard {
public:
    explicit PositionGuard(xbase::Table& t) : t_(t), recno_(t.recno()), order_(t.currentOrder()), atEnd_(t.eof()) {}
    void restoreOrder() { t_.selectOrder(order_); }
    void restoreRecord()
    {
        if (atEnd_ || !t_.go(recno_))
            t_.first();
    }

private:
    xbase::Table& t_;
    uint32_t recno_;
    int order_;
    bool atEnd_;
};

// Detaches the controls and shows the hourglass until end(), or until it
// goes when a step fails.
class DetachedAndBusy {
public:
    explicit DetachedAndBusy(const RecordEditor::Hooks& hooks) : hooks_(hooks)
    {
        if (hooks_.detachControls)
            hooks_.detachControls();
        if (hooks_.setBusy)
            hooks_.setBusy(true);
    }
    ~DetachedAndBusy() { end(); }
    void end()
    {
        if (ended_)
            return;
        ended_ = true;
        if (hooks_.attachControls)
            hooks_.attachControls();
        if (hooks_.setBusy)
            hooks_.setBusy(false);
    }

private:
    const RecordEditor::Hooks& hooks_;
    bool ended_ = false;
};

// The fields a clone copies; TAG and ISDEL stay empty in the copy.
const char* const kCloneFields[] = {"LNAME", "FNAME", "MIDDLE", "PREFIX", "TITLE", "ORG", "STREET",
                                    "STREET2", "CITY", "STATE", "ZIP", "COUNTRY", "PHONE", "PHONE2",
                                    "EMAIL", "FAX", "CODES", "DATE", "USER1", "USER2"};

} // namespace

QStringList skippedFields(const AddingPreferences::Skip& k)
{
    const std::pair<bool, const char*> map[] = {
        {k.lastName, "LNAME"},   {k.firstName, "FNAME"},  {k.middleInitial, "MIDDLE"}, {k.prefix, "PREFIX"},
        {k.title, "TITLE"},      {k.organization, "ORG"}, {k.address2, "STREET2"},     {k.state, "STATE"},
        {k.zip, "ZIP"},          {k.country, "COUNTRY"},  {k.date, "DATE"},            {k.phone1, "PHONE"},
        {k.phone2, "PHONE2"},    {k.fax, "FAX"},          {k.email, "EMAIL"},          {k.codes, "CODES"},
        {k.comments1, "USER1"},  {k.comments2, "USER2"},
    };
    QStringList out;
    for (const auto& [skipped, field] : map)
        if (skipped)
            out << QLatin1String(field);
    return out;
}

QString addFocusField(const AddingPreferences::Skip& k, bool lastNameEmpty, bool firstNameEmpty)
{
    if (!k.lastName && lastNameEmpty)
        return QStringLiteral("LNAME");
    if (!k.firstName && firstNameEmpty)
        return QStringLiteral("FNAME");
    const std::pair<bool, const char*> rest[] = {
        {k.middleInitial, "MIDDLE"}, {k.prefix, "PREFIX"}, {k.title, "TITLE"}, {k.organization, "ORG"}};
    for (const auto& [skipped, field] : rest)
        if (!skipped)
            return QLatin1String(field);
    return QStringLiteral("STREET");
}

int aggressiveSaveThreshold(int level)
{
    if (level <= 0)
        return 0;
    return level == 1 ? 5 : 1;
}

RecordEditor::RecordEditor(AddressTable& table, Hooks hooks) : table_(table), hooks_(std::move(hooks))
{
    if (!hooks_.applyFilter)
        hooks_.applyFilter = [this] {
            passing_.reset();
            t().setFilter("!ISDEL");
            t().first();
        };
    if (!hooks_.openDatabase)
        hooks_.openDatabase = [this](const QString& path) { return openAddressDatabase(table_, path, {}); };
    if (!hooks_.today)
        hooks_.today = [] { return QDate::currentDate(); };
    sortCaption_ = sortOrders().front().caption;
}

void RecordEditor::setPreferences(const AddingPreferences& adding, const EditingPreferences& editing)
{
    adding_ = adding;
    editing_ = editing;
}

// ---- database ---------------------------------------------------------------

void RecordEditor::databaseOpened()
{
    // Browsing from the start, so that a first record that cannot be read
    // still leaves a window that can open another database.
    databasePath_ = table_.path();
    state_ = EditState::Browsing;
    passing_.reset();
    memo_.clear();
    memoUnreadable_ = false;
    sortCaption_ = sortOrders().front().caption;
    reselectOrder();
    hooks_.applyFilter();
    t().first();
    loadMemo();
    call(hooks_.refreshButtons);
}

void RecordEditor::databaseClosed()
{
    passing_.reset();
    databasePath_.clear();
    state_ = EditState::NoDatabase;
    memo_.clear();
    call(hooks_.recordChanged);
    call(hooks_.refreshButtons);
}

bool RecordEditor::hasRecord() const
{
    return state_ != EditState::NoDatabase && table_.isOpen() && !t().eof();
}

uint32_t RecordEditor::passingCount() const
{
    if (state_ == EditState::NoDatabase || !table_.isOpen())
        return 0;
    if (!passing_)
        passing_ = const_cast<xbase::Table&>(t()).countFiltered();
    return *passing_;
}

void RecordEditor::loadMemo()
{
    // Nothing of the record shown before may survive into this one, even
    // when its memo cannot be read.
    memo_.clear();
    memoUnreadable_ = false;
    if (hasRecord() && state_ == EditState::Browsing) {
        try {
            memo_ = memoForEditor(q(t().memo("MEMO")));
        } catch (...) {
            memoUnreadable_ = true;
            call(hooks_.recordChanged);
            throw;
        }
    }
    call(hooks_.recordChanged);
}

void RecordEditor::tableMoved()
{
    passing_.reset();
    if (!table_.isOpen()) {
        if (state_ != EditState::NoDatabase)
            databaseClosed();
        return;
    }
    if (isPending(state_)) {
        call(hooks_.refreshButtons);
        return;
    }
    if (state_ == EditState::NoDatabase) {
        databasePath_ = table_.path();
        state_ = EditState::Browsing;
    }
    loadMemo();
    call(hooks_.refreshButtons);
}

void RecordEditor::recover()
{
    passing_.reset();
    if (!table_.isOpen()) {
        databaseClosed();
        return;
    }
    if (!isPending(state_) && t().editing())
        t().cancel();
}

void RecordEditor::toBrowsing()
{
    state_ = EditState::Browsing;
}

// ---- editing ----------------------------------------------------------------

bool RecordEditor::beginEdit()
{
    if (state_ != EditState::Browsing || !hasRecord())
        return false;
    t().edit();
    state_ = EditState::Editing;
    call(hooks_.refreshButtons);
    return true;
}

bool RecordEditor::add()
{
    if (state_ != EditState::Browsing)
        return false;
    call(hooks_.showFirstPage);

    struct {
        QString org, street, street2, city, state, zip, country;
    } carry;
    if (hasRecord()) {
        carry = {q(t().text("ORG")),  q(t().text("STREET")), q(t().text("STREET2")), q(t().text("CITY")),
                 q(t().text("STATE")), q(t().text("ZIP")),    QString()};
        if (adding_.carry.country)
            carry.country = q(t().text("COUNTRY"));
    }

    NewRecordEntry entry;
    if (adding_.plugCityState || adding_.autoDupCheck) {
        if (!hooks_.askNewRecord)
            return false;
        auto typed = hooks_.askNewRecord(adding_.autoDupCheck, adding_.plugCityState);
        if (!typed)
            return false;
        entry = *typed;
        if (!adding_.autoDupCheck)
            entry.lastName.clear(), entry.firstName.clear();
        if (!adding_.plugCityState)
            entry.zip.clear();
    }

    std::optional<std::pair<QString, QString>> cityState;
    if (!entry.zip.isEmpty()) {
        EngineSettingsGuard settings;
        PositionGuard position(t());
        // Without its index (lost, not yet rebuilt) the add goes on unfilled.
        xbase::engineSettings().exact = false;
        if (t().selectOrder("ZIP") > 0 && t().seek(s(asciiUpper(entry.zip))))
            cityState = {q(t().text("CITY")), q(t().text("STATE"))};
        position.restoreOrder();
        position.restoreRecord();
    }

    if (!entry.lastName.isEmpty() && !entry.firstName.isEmpty()) {
        const auto width = [this](const char* f) { return int(t().field(t().fieldIndex(f)).length); };
        const QString key = asciiUpper(fitted(entry.lastName, width("LNAME")) + fitted(entry.firstName, width("FNAME")));
        bool found = false;
        {
            EngineSettingsGuard settings;
            PositionGuard position(t());
            xbase::engineSettings().exact = true;
            found = t().selectOrder("LNAME") > 0 && t().seek(s(key));
            bool goOn = true;
            if (found) {
                call(hooks_.beep);
                const QString text = QStringLiteral("Possible duplicate: \r\n\r\n") + q(t().text("FNAME")) + " " +
                                     q(t().text("LNAME")) + "\r\n" + q(t().text("STREET")) + "\r\n" +
                                     q(t().text("CITY")) + "," + q(t().text("STATE")) + " " + q(t().text("ZIP")) +
                                     "\r\n\r\nContinue adding?";
                goOn = askQuestionDefaultNo(text, QStringLiteral("Possible Duplicate"));
            }
            // The found record stays current when the add is abandoned.
            const uint32_t foundRecno = t().recno();
            position.restoreOrder();
            if (!goOn) {
                t().go(foundRecno);
                loadMemo();
                call(hooks_.refreshButtons);
                return false;
            }
            position.restoreRecord();
        }
    }

    memo_.clear();
    memoUnreadable_ = false;
    call(hooks_.recordChanged);
    t().appendBlank();
    state_ = EditState::Adding;
    const auto put = [this](const char* field, const QString& value) { t().setText(field, s(value)); };
    const auto& c = adding_.carry;
    if (!entry.firstName.isEmpty())
        put("FNAME", entry.firstName);
    if (!entry.lastName.isEmpty())
        put("LNAME", entry.lastName);
    if (!entry.zip.isEmpty())
        put("ZIP", entry.zip);
    else if (c.zip)
        put("ZIP", carry.zip);
    if (cityState) {
        put("CITY", cityState->first);
        put("STATE", cityState->second);
    } else {
        if (c.city)
            put("CITY", carry.city);
        if (c.state)
            put("STATE", carry.state);
    }
    if (c.country)
        put("COUNTRY", carry.country);
    if (c.street)
        put("STREET", carry.street);
    if (c.street2)
        put("STREET2", carry.street2);
    if (carry.country.isEmpty() && !adding_.defaultCountry.isEmpty())
        put("COUNTRY", adding_.defaultCountry);
    if (adding_.plugDate)
        put("DATE", hooks_.today().toString(QStringLiteral("yyyyMMdd")));
    if (c.org)
        put("ORG", carry.org);
    call(hooks_.refreshButtons);
    return true;
}

bool RecordEditor::save()
{
    if (!isPending(state_))
        return false;
    if (!memoUnreadable_)
        t().setMemo("MEMO", s(memoForStorage(memo_)));
    t().post();
    if (t().editing())
        t().post();
    toBrowsing();
    afterPost();
    refilterWhenEmpty();
    loadMemo();
    call(hooks_.refreshButtons);
    return true;
}

void RecordEditor::cancel()
{
    if (!isPending(state_))
        return;
    t().cancel();
    toBrowsing();
    loadMemo();
    call(hooks_.refreshButtons);
}

bool RecordEditor::askCancel()
{
    if (!isPending(state_) || !askQuestion(QStringLiteral("Cancel changes?"), QStringLiteral("Cancel")))
        return false;
    cancel();
    return true;
}

bool RecordEditor::toggleTag()
{
    const bool wasPending = isPending(state_);
    if (!wasPending) {
        if (state_ != EditState::Browsing || !hasRecord())
            return false;
        refreshFlag = false;
        t().edit();
        state_ = EditState::Editing;
    }
    const QString id = table_.tagId();
    t().setText("TAG", q(t().text("TAG")) == id ? std::string() : s(id));
    if (!wasPending) {
        const bool utility = utilityFlag;
        utilityFlag = true;
        try {
            t().post();
        } catch (...) {
            t().cancel();
            toBrowsing();
            utilityFlag = utility;
            refreshFlag = true;
            throw;
        }
        toBrowsing();
        afterPost();
        utilityFlag = utility;
        refreshFlag = true;
        refilterWhenEmpty();
        loadMemo();
    }
    call(hooks_.refreshButtons);
    return true;
}

bool RecordEditor::askSave()
{
    if (!isPending(state_) || !askQuestion(QStringLiteral("Save changes?"), QStringLiteral("Save")))
        return false;
    return save();
}

bool RecordEditor::saveAndOfferAnother()
{
    if (!save())
        return false;
    if (askQuestion(QStringLiteral("Add another record?"), QStringLiteral("Add")))
        add();
    return true;
}

void RecordEditor::settleBeforeClose()
{
    if (!isPending(state_))
        return;
    if (!askSave())
        cancel();
}

void RecordEditor::refilterWhenEmpty()
{
    if (state_ != EditState::NoDatabase && passingCount() == 0)
        hooks_.applyFilter();
}

void RecordEditor::afterPost()
{
    passing_.reset();
    if (refreshFlag)
        call(hooks_.refreshButtons);
    if (editing_.aggressiveSave > 0 && !utilityFlag)
        closeAndReopen();
}

void RecordEditor::closeAndReopen()
{
    if (++saves_ < aggressiveSaveThreshold(editing_.aggressiveSave))
        return;
    saves_ = 0;
    // An index lost in this session that the user chose not to rebuild would
    // only be asked about again, and the database closed on No.
    if (t().indexStale())
        return;
    const uint32_t recno = t().recno();
    const QString path = databasePath_;
    // The controls come back and the cursor returns however the reopen ends,
    // so a lost database never leaves the old record's texts on the screen.
    DetachedAndBusy steps(hooks_);
    // Closing must not leave the working folder elsewhere for later relative paths.
    const QString folder = QDir::currentPath();
    table_.close();
    QDir::setCurrent(folder);
    bool declined = false;
    for (int attempt = 0; attempt < 10 && !table_.isOpen() && !declined; ++attempt) {
        const DatabaseOpening opening = hooks_.openDatabase(path);
        // The file opened but its index was not rebuilt: the user has
        // answered, and asking again would not change the answer.
        declined = opening.fileOpened && !opening.usable;
        if (!opening.usable || !table_.isOpen())
            continue;
        reselectOrder();
        hooks_.applyFilter();
        try {
            t().go(recno);
        } catch (const xbase::XbaseError&) {
        }
    }
    if (!table_.isOpen()) {
        databasePath_.clear();
        state_ = EditState::NoDatabase;
        memo_.clear();
        memoUnreadable_ = false;
        call(hooks_.recordChanged);
        if (!declined)
            showInformation(kReopenFailedMessage);
    }
    steps.end();
    call(hooks_.refreshButtons);
}

bool RecordEditor::deleteCurrent()
{
    if (state_ != EditState::Browsing || !hasRecord())
        return false;
    const bool yes = askQuestion(QStringLiteral("Delete this record?"), QStringLiteral("DELETE"));
    if (yes) {
        {
            // The deleted mark must not hide the record before ISDEL is written.
            EngineSettingsGuard settings;
            xbase::engineSettings().skipDeleted = false;
            // The deleted mark and ISDEL go to the file in one write, so a
            // failing write leaves the record as it was.
            t().edit();
            try {
                t().deleteRecord();
                t().setLogical("ISDEL", true);
                t().post();
            } catch (...) {
                t().cancel();
                throw;
            }
            afterPost();
        }
        if (table_.isOpen())
            t().prior();
    }
    refilterWhenEmpty();
    loadMemo();
    call(hooks_.refreshButtons);
    return yes;
}

bool RecordEditor::cloneCurrent()
{
    if (state_ != EditState::Browsing || !hasRecord())
        return false;
    if (!askQuestion(QStringLiteral("Clone this record?"), QStringLiteral("Clone")))
        return false;
    {
        DetachedAndBusy steps(hooks_);
        const std::string memo = t().memo("MEMO");
        std::vector<std::string> values;
        for (const char* f : kCloneFields)
            values.push_back(t().text(f));
        t().appendBlank();
        try {
            for (size_t i = 0; i < values.size(); ++i)
                t().setText(kCloneFields[i], values[i]);
            t().setMemo("MEMO", memo);
            t().post();
        } catch (...) {
            t().cancel();
            throw;
        }
        afterPost();
    }
    loadMemo();
    call(hooks_.refreshButtons);
    showInformation(QStringLiteral("Clone completed. Current record is an exact copy"));
    return true;
}

QDate RecordEditor::dateForDialog() const
{
    if (hasRecord() || isPending(state_)) {
        const QDate stored = QDate::fromString(q(t().text("DATE")).left(8), QStringLiteral("yyyyMMdd"));
        if (stored.isValid())
            return stored;
    }
    return hooks_.today();
}

bool RecordEditor::setDate(const std::optional<QDate>& date)
{
    if (state_ == EditState::Browsing && !beginEdit())
        return false;
    if (!isPending(state_))
        return false;
    t().setText("DATE", date ? s(date->toString(QStringLiteral("yyyyMMdd"))) : std::string());
    return true;
}

// ---- moving -----------------------------------------------------------------

void RecordEditor::first()
{
    if (state_ != EditState::Browsing)
        return;
    t().first();
    loadMemo();
    call(hooks_.refreshButtons);
}

void RecordEditor::last()
{
    if (state_ != EditState::Browsing)
        return;
    t().last();
    loadMemo();
    call(hooks_.refreshButtons);
}

void RecordEditor::prior()
{
    if (state_ != EditState::Browsing)
        return;
    t().prior();
    // Before the first record the engine stays on it with BOF set.
    if (t().bof())
        call(hooks_.beep);
    loadMemo();
    call(hooks_.refreshButtons);
}

void RecordEditor::next()
{
    if (state_ != EditState::Browsing)
        return;
    if (!t().next() && t().eof()) {
        call(hooks_.beep);
        t().last();
    }
    loadMemo();
    call(hooks_.refreshButtons);
}

bool RecordEditor::perform(KeyAction action)
{
    switch (action) {
    case KeyAction::SaveAndOfferAnother: return saveAndOfferAnother();
    case KeyAction::Save: return save();
    case KeyAction::AskSave:
        if (!isPending(state_))
            return false;
        askSave();
        return true;
    case KeyAction::AskCancel:
        if (!isPending(state_))
            return false;
        askCancel();
        return true;
    case KeyAction::Next: next(); return state_ == EditState::Browsing;
    case KeyAction::Last: last(); return state_ == EditState::Browsing;
    case KeyAction::Prior: prior(); return state_ == EditState::Browsing;
    case KeyAction::First: first(); return state_ == EditState::Browsing;
    case KeyAction::ToggleInsert:
    case KeyAction::None: return false;
    }
    return false;
}

// ---- sort order ---------------------------------------------------------------

bool RecordEditor::selectSortOrder(const QString& caption)
{
    const QString tag = sortTagForCaption(caption);
    if (tag.isEmpty())
        return false;
    sortCaption_ = sortCaptionForTag(tag);
    reselectOrder();
    return true;
}

QString RecordEditor::currentOrder() const
{
    return sortTagForCaption(sortCaption_);
}

QString RecordEditor::sortStatus() const
{
    return sortStatusText(sortCaption_);
}

void RecordEditor::reselectOrder()
{
    if (!table_.isOpen())
        return;
    const uint32_t recno = t().recno();
    const bool atEnd = t().eof();
    t().selectOrder(s(currentOrder()));
    // Changing the order keeps the record; the engine's cursor follows it.
    if (!atEnd)
        t().go(recno);
}

} // namespace qb
