#include "core/address_table.h"

#include "core/blanks.h"
#include "core/index_maintenance.h"
#include "core/messages.h"
#include "core/paths.h"

#include <QDate>
#include <QFileInfo>
#include <QLocale>
#include <map>

namespace qb {

// ---- layout ----------------------------------------------------------------

const std::vector<AddressField>& addressFields()
{
    static const std::vector<AddressField> fields{
        {"LNAME", 'C', 0, "Last Name"},       {"FNAME", 'C', 0, "First Name"},
        {"MIDDLE", 'C', 1, "Middle"},         {"PREFIX", 'C', 0, "Prefix"},
        {"TITLE", 'C', 0, "Title"},           {"ORG", 'C', 0, "Organization"},
        {"STREET", 'C', 0, "Address 1"},      {"STREET2", 'C', 0, "Address 2"},
        {"CITY", 'C', 0, "City"},             {"STATE", 'C', 0, "State"},
        {"ZIP", 'C', 0, "Zip/Postal Code"},   {"COUNTRY", 'C', 0, "Country"},
        {"DATE", 'C', 15, "Actual Date"},     {"PHONE", 'C', 0, "Phone 1"},
        {"PHONE2", 'C', 0, "Phone 2"},        {"FAX", 'C', 0, "Fax"},
        {"EMAIL", 'C', 0, "Email"},           {"CODES", 'C', 0, "Codes"},
        {"USER1", 'C', 0, "Comment 1"},       {"USER2", 'C', 0, "Comment 2"},
        {"ISDEL", 'L', 1, "Deleted"},         {"TAG", 'C', 8, ""},
        {"MEMO", 'M', 10, ""},
    };
    return fields;
}

std::vector<xbase::FieldDef> addressFieldDefs(const FieldLengths& lengths)
{
    std::vector<xbase::FieldDef> defs;
    for (const AddressField& f : addressFields())
        defs.push_back({f.name, f.type, f.width ? f.width : lengths.width(QLatin1String(f.name)), 0});
    return defs;
}

const std::vector<xbase::TagSpec>& addressTags()
{
    static const std::vector<xbase::TagSpec> tags{
        {"NAME", "UPPER(LNAME-FNAME)"},  {"LNAME", "UPPER(LNAME)+UPPER(FNAME)"},
        {"FNAME", "UPPER(FNAME)"},       {"TITLE", "UPPER(TITLE)"},
        {"ORG", "UPPER(ORG)"},           {"STREET", "UPPER(STREET)"},
        {"STREET2", "UPPER(STREET2)"},   {"CITY", "UPPER(CITY+STATE)"},
        {"STATE", "UPPER(STATE)"},       {"ZIP", "UPPER(ZIP)"},
        {"COUNTRY", "UPPER(COUNTRY)"},   {"PHONE", "UPPER(PHONE)"},
        {"PHONE2", "UPPER(PHONE2)"},     {"EMAIL", "UPPER(EMAIL)"},
        {"FAX", "UPPER(FAX)"},           {"USER1", "UPPER(USER1)"},
        {"USER2", "UPPER(USER2)"},       {"DATE", "UPPER(DATE)"},
        {"TAG", "UPPER(TAG)"},           {"CODES", "UPPER(CODES)"},
        {"PREFIX", "UPPER(PREFIX)"},     {"MIDDLE", "UPPER(MIDDLE)"},
        {"DELETED", "DELETED()"},        {"STATEZIP", "UPPER(STATE-ZIP)"},
        {"ISDEL", "ISDEL"},              {"NOTISDEL", "!ISDEL"},
    };
    return tags;
}

// ---- calculated values -----------------------------------------------------

namespace {

bool allDigits(const QString& s)
{
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

// The separator a pattern puts between its parts, as the pattern's first
// character that is neither a letter nor a quote.
QString separatorOf(const QString& pattern)
{
    for (QChar c : pattern)
        if (!c.isLetter() && c != QLatin1Char('\'') && c != QLatin1Char('"') && c != QLatin1Char(' '))
            return QString(c);
    return QStringLiteral("/");
}

} // namespace

QString fullNameOf(const QString& fname, const QString& middle, const QString& lname)
{
    return (rtrimBlanks(fname + QLatin1Char(' ') + middle) + QLatin1Char(' ') + lname).left(kNameSize);
}

QString fullNameWithPrefixOf(const QString& prefix, const QString& fname, const QString& middle, const QString& lname)
{
    const QString given = prefix + QLatin1Char(' ') + fname + QLatin1Char(' ') + middle;
    return (ltrimBlanks(rtrimBlanks(given)) + QLatin1Char(' ') + lname).left(kNameSize);
}

QString cityStateZipOf(const QString& city, const QString& state, const QString& zip)
{
    return (ltrimBlanks(city + QLatin1Char(' ')) + ltrimBlanks(state + QLatin1Char(' ')) + zip).left(kNameSize);
}

QString displayDatePattern(const QString& shortDatePattern)
{
    QString p = shortDatePattern.toUpper();
    if (p.contains(QLatin1String("YYYY")))
        return p.toLower();
    if (const auto i = p.indexOf(QLatin1String("YYY")); i >= 0)
        p.insert(i, QLatin1String("Y"));
    else if (const auto j = p.indexOf(QLatin1String("YY")); j >= 0)
        p.insert(j, QLatin1String("YY"));
    else if (const auto k = p.indexOf(QLatin1Char('Y')); k >= 0)
        p.insert(k, QLatin1String("YYY"));
    else
        p += separatorOf(p) + QLatin1String("YYYY");
    return p.toLower();
}

QString runDisplayDatePattern()
{
    // Linux has no WIN.INI; the locale's short date pattern stands in for its
    // "sShortDate", and the plain C locale for a missing key.
    static const QString pattern = [] {
        const QLocale system = QLocale::system();
        const QString shortDate = system.name() == QLatin1String("C") ? QString()
                                                                       : system.dateFormat(QLocale::ShortFormat);
        return displayDatePattern(shortDate.isEmpty() ? QStringLiteral("mm/dd/yyyy") : shortDate);
    }();
    return pattern;
}

QString formatDisplayDate(const QString& date, const QString& pattern)
{
    const QString y = date.mid(0, 4), m = date.mid(4, 2), d = date.mid(6, 2);
    if (!allDigits(y) || !allDigits(m) || !allDigits(d))
        return {};
    const QDate when(y.toInt(), m.toInt(), d.toInt());
    if (!when.isValid() || when.year() < 1)
        return {};

    const QLocale locale;
    QString out;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern[i].toLower();
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const qsizetype close = pattern.indexOf(c, i + 1);
            const qsizetype end = close < 0 ? pattern.size() : close;
            out += pattern.mid(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        qsizetype run = 1;
        while (i + run < pattern.size() && pattern[i + run].toLower() == c)
            ++run;
        if (c == QLatin1Char('d')) {
            if (run <= 2)
                out += QString::number(when.day()).rightJustified(int(run), QLatin1Char('0'));
            else
                out += locale.dayName(when.dayOfWeek(), run == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
        } else if (c == QLatin1Char('m')) {
            if (run <= 2)
                out += QString::number(when.month()).rightJustified(int(run), QLatin1Char('0'));
            else
                out += locale.monthName(when.month(), run == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
        } else if (c == QLatin1Char('y')) {
            out += run <= 2 ? QString::number(when.year() % 100).rightJustified(2, QLatin1Char('0'))
                            : QString::number(when.year()).rightJustified(4, QLatin1Char('0'));
        } else {
            out += pattern.mid(i, run);
        }
        i += run;
    }
    return out.left(kDisplayDateSize);
}

// ---- record view -----------------------------------------------------------

std::vector<RecordViewField> recordViewFields(const xbase::Table& table)
{
    static const char* const order[] = {"Tagged", "FullName", "FullNameWithPrefix", "CityStateZip", "LNAME", "FNAME", "MIDDLE",
                                        "PREFIX", "TITLE", "ORG", "STREET", "STREET2", "CITY", "STATE", "ZIP", "COUNTRY",
                                        "PHONE", "PHONE2", "FAX", "EMAIL", "CODES", "USER1", "USER2", "MEMO", "ISDEL",
                                        "DATE", "DisplayDate", "TAG"};
    // Tagged shows "Yes" or "No"; the others are as wide as their values may be.
    static const std::map<QString, std::pair<QString, int>> calculated{
        {QStringLiteral("Tagged"), {QStringLiteral("Tagged"), 3}},
        {QStringLiteral("DisplayDate"), {QStringLiteral("Date"), kDisplayDateSize}},
        {QStringLiteral("FullName"), {QStringLiteral("Full Name"), kNameSize}},
        {QStringLiteral("FullNameWithPrefix"), {QStringLiteral("Full Name & Prefix"), kNameSize}},
        {QStringLiteral("CityStateZip"), {QStringLiteral("City, State & Zip"), kNameSize}},
    };
    static const std::map<QString, int> displayWidths{
        {QStringLiteral("LNAME"), 20},   {QStringLiteral("FNAME"), 15},   {QStringLiteral("PREFIX"), 4},
        {QStringLiteral("TITLE"), 20},   {QStringLiteral("ORG"), 20},     {QStringLiteral("STREET2"), 20},
        {QStringLiteral("CITY"), 15},    {QStringLiteral("STATE"), 5},    {QStringLiteral("ZIP"), 10},
        {QStringLiteral("COUNTRY"), 15}, {QStringLiteral("PHONE"), 15},   {QStringLiteral("PHONE2"), 15},
        {QStringLiteral("USER1"), 15},   {QStringLiteral("USER2"), 15},
    };
    static const QStringList hidden{QStringLiteral("FullName"), QStringLiteral("FullNameWithPrefix"), QStringLiteral("CityStateZip"),
                                    QStringLiteral("MEMO"),     QStringLiteral("ISDEL"),              QStringLiteral("DATE"),
                                    QStringLiteral("TAG")};

    std::vector<RecordViewField> out;
    for (const char* n : order) {
        const QString name = QLatin1String(n);
        RecordViewField f{name, name, 0, !hidden.contains(name), false};
        if (const auto c = calculated.find(name); c != calculated.end()) {
            f.label = c->second.first;
            f.displayWidth = c->second.second;
            f.calculated = true;
        } else {
            for (const AddressField& a : addressFields())
                if (name == QLatin1String(a.name) && *a.label)
                    f.label = QLatin1String(a.label);
            if (const auto w = displayWidths.find(name); w != displayWidths.end())
                f.displayWidth = w->second;
            else if (const int i = table.fieldIndex(n); i >= 0)
                f.displayWidth = table.field(i).length;
        }
        out.push_back(f);
    }
    return out;
}

// ---- the table component ---------------------------------------------------

namespace {
QString unableToOpen(const QString& path)
{
    return QStringLiteral("Unable to open ") + path + QStringLiteral("\r\n\r\n") + QStringLiteral(" * May not be ") +
           QStringLiteral("a Quillbase") + QStringLiteral(" file.") + QStringLiteral("\r\n") +
           QStringLiteral(" * May be in use by another program or user");
}
} // namespace

AddressTable::AddressTable() = default;
AddressTable::~AddressTable() = default;

bool AddressTable::open(const QString& path, Messages messages)
{
    close();
    const bool show = messages == Messages::Show;
    const QString resolved = resolvePath(path);
    if (!QFileInfo(resolved).isFile()) {
        if (show)
            showInformation(QStringLiteral("File ") + path + QStringLiteral(" not found"));
        return false;
    }
    try {
        auto table = xbase::Table::open(resolved.toStdString(), xbase::OpenMode::Exclusive);
        // Widths may differ from ours (a database made elsewhere), but every
        // window relies on each field being there.
        for (const AddressField& f : addressFields()) {
            if (table->fieldIndex(f.name) < 0) {
                if (show)
                    showInformation(unableToOpen(path));
                return false;
            }
        }
        table_ = std::move(table);
        path_ = path;
        return true;
    } catch (const std::exception&) {
        if (show)
            showInformation(unableToOpen(path));
        return false;
    }
}

void AddressTable::close()
{
    table_.reset();
    path_.clear();
}

bool AddressTable::checkValidIndex()
{
    if (!table_)
        return false;
    // Selecting an order is the engine's own test that a tag exists and its key
    // can be kept up to date; the caller's order is put back afterwards.
    const int order = table_->currentOrder();
    bool valid = true;
    for (const xbase::TagSpec& t : addressTags())
        if (table_->selectOrder(t.name) == 0)
            valid = false;
    table_->selectOrder(order);
    return valid;
}

QString AddressTable::stored(const char* field) const
{
    if (!table_ || table_->eof())
        return {};
    return QString::fromStdString(table_->text(field));
}

bool AddressTable::tagged() const { return table_ && !table_->eof() && stored("TAG") == tagId_; }

QString AddressTable::displayDate() const
{
    return formatDisplayDate(stored("DATE"), datePattern_.isEmpty() ? runDisplayDatePattern() : datePattern_);
}

QString AddressTable::fullName() const
{
    return extraFields_ ? fullNameOf(stored("FNAME"), stored("MIDDLE"), stored("LNAME")) : QString();
}

QString AddressTable::fullNameWithPrefix() const
{
    return extraFields_ ? fullNameWithPrefixOf(stored("PREFIX"), stored("FNAME"), stored("MIDDLE"), stored("LNAME")) : QString();
}

QString AddressTable::cityStateZip() const
{
    return extraFields_ ? cityStateZipOf(stored("CITY"), stored("STATE"), stored("ZIP")) : QString();
}

QString AddressTable::text(const QString& field) const
{
    if (field == QLatin1String("Tagged"))
        return tagged() ? QStringLiteral("Yes") : QStringLiteral("No");
    if (field == QLatin1String("DisplayDate"))
        return displayDate();
    if (field == QLatin1String("FullName"))
        return fullName();
    if (field == QLatin1String("FullNameWithPrefix"))
        return fullNameWithPrefix();
    if (field == QLatin1String("CityStateZip"))
        return cityStateZip();
    if (!table_ || table_->fieldIndex(field.toStdString()) < 0)
        return {};
    return stored(field.toLatin1().constData());
}

// ---- creating and opening --------------------------------------------------

bool createAddressTable(const QString& path, const FieldLengths& lengths)
{
    try {
        xbase::Table::create(path.toStdString(), addressFieldDefs(lengths));
    } catch (const std::exception&) {
        showInformation(QStringLiteral("Create failed"));
        return false;
    }
    AddressTable created;
    if (!QFileInfo::exists(path) || !created.open(path, AddressTable::Messages::Quiet)) {
        showInformation(QStringLiteral("File creation failed"));
        return false;
    }
    // Closed on failure too: a half-indexed table left open would keep the
    // file locked and pass for a usable database.
    const bool built = buildAllTags(created.table());
    created.close();
    if (!built)
        showInformation(QStringLiteral("File creation failed"));
    return built;
}

QString rebuildQuestion(const QString& path)
{
    return QStringLiteral("The index file for ") + path + QStringLiteral("\r\nis missing or invalid. Rebuild now?");
}

DatabaseOpening openAddressDatabase(AddressTable& table, const QString& path, const std::function<void()>& rebuild)
{
    DatabaseOpening result;
    result.fileOpened = table.open(path);
    if (result.fileOpened && !table.checkValidIndex()) {
        const bool yes = askQuestion(rebuildQuestion(path), QStringLiteral("Warning"));
        if (yes && rebuild)
            rebuild();
        if (!yes || !table.checkValidIndex())
            table.close();
    }
    result.usable = table.isOpen();
    return result;
}

// ---- naming a new database -------------------------------------------------

QString proposeDatabaseName()
{
    for (int n = 1; n <= 9999; ++n) {
        const QString name = QStringLiteral("ADD%1").arg(n, 4, 10, QLatin1Char('0'));
        if (!QFileInfo::exists(databasePath(name)))
            return name;
    }
    return QStringLiteral("ADD0001");
}

QString databasePath(const QString& name) { return ProgramFolder::file(QStringLiteral("DATA/") + name + QStringLiteral(".DBF")); }

bool isValidDatabaseName(const QString& name)
{
    auto letter = [](QChar c) {
        return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || c == QLatin1Char('_');
    };
    if (name.isEmpty() || !letter(name[0]))
        return false;
    for (QChar c : name)
        if (!letter(c) && !(c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            return false;
    return true;
}

} // namespace qb
