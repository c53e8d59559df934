#include "utilities/address_standard.h"

#include "platform/xbase/table.h"

#include <QDir>
#include <QRegularExpression>

#include <memory>

namespace qb {

namespace {

// Capitals; full stops gone ("N.W." is NW), commas a blank; a '#' stands apart
// from the unit number after it.
QStringList tokens(const QString& text)
{
    QString s = text.toUpper();
    s.remove(QLatin1Char('.'));
    s.replace(QLatin1Char(','), QLatin1Char(' '));
    s.replace(QLatin1Char('#'), QStringLiteral(" # "));
    return s.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

bool isHouseNumber(const QString& token)
{
    static const QRegularExpression number(QStringLiteral("^[0-9]+[A-Z]?(-[0-9A-Z]+)?$"));
    return number.match(token).hasMatch();
}

bool isFraction(const QString& token)
{
    static const QRegularExpression fraction(QStringLiteral("^[0-9]+/[0-9]+$"));
    return fraction.match(token).hasMatch();
}

// A word of a street name: letters and digits, with a hyphen, apostrophe or
// ampersand inside. Anything else (brackets, a stray '#') is not read.
bool isNameWord(const QString& token)
{
    static const QRegularExpression word(QStringLiteral("^[\\p{Lu}0-9]([\\p{Lu}0-9'&-]*[\\p{Lu}0-9])?$"));
    return word.match(token).hasMatch();
}

bool isUnitNumber(const QString& token)
{
    static const QRegularExpression number(QStringLiteral("^[0-9A-Z]+(-[0-9A-Z]+)?$"));
    return number.match(token).hasMatch();
}

QString fieldText(const xbase::Table& table, const char* field)
{
    return QString::fromStdString(table.text(field));
}

} // namespace

AddressStandard::AddressStandard(const std::vector<AddressForm>& forms, const std::vector<std::pair<QString, QString>>& states)
{
    for (const AddressForm& f : forms) {
        const QString form = f.form.toUpper();
        switch (f.kind) {
        case AddressForm::Suffix:
            suffixes_.insert(form, f.standard);
            break;
        case AddressForm::Directional:
            directionals_.insert(form, f.standard);
            break;
        case AddressForm::Unit:
            units_.insert(form, Unit{f.standard, f.range});
            break;
        }
    }
    for (const auto& [name, code] : states) {
        states_.insert(name.toUpper(), code.toUpper());
        stateCodes_.insert(code.toUpper());
    }
}

std::optional<AddressStandard> AddressStandard::load(const QString& sysdataFolder, QString* error)
{
    const QDir dir(sysdataFolder);
    auto path = [&](const char* name) {
        const QStringList found = dir.entryList({QString::fromLatin1(name)}, QDir::Files | QDir::CaseSensitive);
        const QStringList any = found.isEmpty() ? dir.entryList({QString::fromLatin1(name)}, QDir::Files) : found;
        return dir.filePath(any.isEmpty() ? QString::fromLatin1(name) : any.first());
    };
    std::vector<AddressForm> forms;
    std::vector<std::pair<QString, QString>> states;
    const QString standardPath = path(kAddressStandardTable), cszPath = path("CSZ.DBF");
    try {
        auto t = xbase::Table::open(standardPath.toStdString(), xbase::OpenMode::ReadOnly);
        for (bool ok = t->first(); ok; ok = t->next()) {
            const QString kind = fieldText(*t, "KIND");
            if (kind.size() != 1 || !QStringLiteral("SUD").contains(kind))
                continue;
            forms.push_back({AddressForm::Kind(kind.at(0).toLatin1()), fieldText(*t, "FORM"), fieldText(*t, "STANDARD"),
                             fieldText(*t, "RANGE") == QLatin1String("Y")});
        }
    } catch (const std::exception& e) {
        if (error)
            *error = QStringLiteral("Unable to open %1: %2").arg(QDir::toNativeSeparators(standardPath), QString::fromStdString(e.what()));
        return std::nullopt;
    }
    try {
        auto t = xbase::Table::open(cszPath.toStdString(), xbase::OpenMode::ReadOnly);
        for (bool ok = t->first(); ok; ok = t->next())
            states.emplace_back(fieldText(*t, "NAME"), fieldText(*t, "STATE"));
    } catch (const std::exception& e) {
        if (error)
            *error = QStringLiteral("Unable to open %1: %2").arg(QDir::toNativeSeparators(cszPath), QString::fromStdString(e.what()));
        return std::nullopt;
    }
    return AddressStandard(forms, states);
}

int AddressStandard::unitLength(const QStringList& t, int at) const
{
    if (at >= t.size())
        return 0;
    if (t[at] == QLatin1String("#"))
        return at + 2 == t.size() && isUnitNumber(t[at + 1]) ? 2 : 0;
    const auto unit = units_.constFind(t[at]);
    if (unit == units_.cend())
        return 0;
    if (!unit->range)
        return at + 1 == t.size() ? 1 : 0;
    // "APT 4" or "APT # 4".
    const int number = at + 1 < t.size() && t[at + 1] == QLatin1String("#") ? at + 2 : at + 1;
    return number + 1 == t.size() && isUnitNumber(t[number]) ? number + 1 - at : 0;
}

QStringList AddressStandard::unitTokens(const QStringList& t, int at) const
{
    if (t[at] == QLatin1String("#"))
        return {t[at], t.last()};
    const Unit& unit = units_[t[at]];
    if (!unit.range)
        return {unit.standard};
    return {unit.standard, t.last()};   // the '#' goes: the designator says what the number is
}

StandardText AddressStandard::addressLine(const QString& line) const
{
    const StandardText unchanged{line, false};
    const QStringList t = tokens(line);
    if (t.isEmpty())
        return {line, true};
    // A secondary unit alone: "Suite 200", "Apt. 4B".
    if (unitLength(t, 0) == t.size())
        return {unitTokens(t, 0).join(QLatin1Char(' ')), true};
    if (!isHouseNumber(t[0]))
        return unchanged;   // a post office box, a rural route, a building's name: not read here
    QStringList out{t[0]};
    int from = 1;
    if (from < t.size() && isFraction(t[from]))
        out << t[from++];
    // The secondary unit ends the line, after at least one word of the street.
    int unitAt = t.size();
    for (int i = from + 1; i < t.size(); ++i) {
        if (unitLength(t, i) == t.size() - i) {
            unitAt = i;
            break;
        }
    }
    QStringList street = t.mid(from, unitAt - from);
    if (street.isEmpty())
        return unchanged;
    for (const QString& word : street) {
        if (!isNameWord(word))
            return unchanged;
    }
    // Unit designators needing a number, found without one, mean the line is
    // not what it seems.
    for (int i = from + 1; i < unitAt; ++i) {
        const auto unit = units_.constFind(t[i]);
        if (unit != units_.cend() && unit->range && i == unitAt - 1 && !suffixes_.contains(t[i]) && !directionals_.contains(t[i]))
            return unchanged;
    }
    QString postDirectional;
    if (street.size() >= 2 && directionals_.contains(street.last()))
        postDirectional = directionals_.value(street.takeLast());
    QString suffix;
    if (street.size() >= 2 && suffixes_.contains(street.last()))
        suffix = suffixes_.value(street.takeLast());
    // A directional before the name, when a name follows it ("NORTH ST" keeps its name).
    if (street.size() >= 2 && directionals_.contains(street.first()))
        street.first() = directionals_.value(street.first());
    out << street;
    if (!suffix.isEmpty())
        out << suffix;
    if (!postDirectional.isEmpty())
        out << postDirectional;
    if (unitAt < t.size())
        out << unitTokens(t, unitAt);
    return {out.join(QLatin1Char(' ')), true};
}

StandardText AddressStandard::city(const QString& city) const
{
    const QStringList t = tokens(city);
    if (t.contains(QStringLiteral("#")))
        return {city, false};
    return {t.join(QLatin1Char(' ')), true};
}

StandardText AddressStandard::state(const QString& state) const
{
    const QStringList t = tokens(state);
    if (t.isEmpty())
        return {state, true};
    const QString s = t.join(QLatin1Char(' '));
    if (stateCodes_.contains(s))
        return {s, true};
    const auto named = states_.constFind(s);
    if (named != states_.cend())
        return {*named, true};
    return {state, false};
}

const std::vector<const char*>& standardFields()
{
    static const std::vector<const char*> fields{"STREET", "STREET2", "CITY", "STATE"};
    return fields;
}

StandardPlan planStandardChanges(xbase::Table& table, const AddressStandard& standard, const KeepGoing& keepGoing)
{
    StandardPlan plan;
    try {
        TableView view(table);
        table.setFilter("");
        table.selectOrder("");
        std::vector<int> widths;
        const auto defs = table.fieldDefs();
        for (const char* field : standardFields()) {
            const int at = table.fieldIndex(field);
            widths.push_back(at < 0 ? -1 : defs[size_t(at)].length);
        }
        const uint32_t total = table.recordCount();
        for (uint32_t r = 1; r <= total; ++r) {
            table.go(r);
            if (!table.deleted() && !table.logical("ISDEL")) {
                for (size_t f = 0; f < standardFields().size(); ++f) {
                    if (widths[f] < 0)
                        continue;
                    const char* field = standardFields()[f];
                    const QString before = fieldText(table, field);
                    const QString name = QString::fromLatin1(field);
                    StandardText after;
                    if (f < 2)
                        after = standard.addressLine(before);
                    else if (f == 2)
                        after = standard.city(before);
                    else
                        after = standard.state(before);
                    if (!after.parsed || after.text.size() > widths[f] || !storable(after.text))
                        plan.unreadable.push_back({r, name, before, QString()});
                    else if (after.text != before)
                        plan.changes.push_back({r, name, before, after.text});
                }
            }
            if (keepGoing && !keepGoing(r, total))
                break;
        }
    } catch (const std::exception& e) {
        plan.error = QString::fromStdString(e.what());
    }
    return plan;
}

BulkOutcome applyStandardChanges(xbase::Table& table, const std::vector<StandardChange>& changes,
                                 const std::function<bool(uint32_t)>& accept, const KeepGoing& keepGoing)
{
    BulkOutcome outcome;
    try {
        TableView view(table);
        table.setFilter("");
        table.selectOrder("");
        size_t i = 0;
        while (i < changes.size()) {
            const uint32_t recno = changes[i].recno;
            size_t end = i;
            while (end < changes.size() && changes[end].recno == recno)
                ++end;
            if (table.go(recno) && (!accept || accept(recno))) {
                const bool ok = changeRecord(table, outcome, [&] {
                    bool any = false;
                    for (size_t c = i; c < end; ++c) {
                        const QByteArray field = changes[c].field.toLatin1();
                        if (fieldText(table, field.constData()) != changes[c].before)
                            continue;
                        table.setText(field.constData(), changes[c].after.toStdString());
                        any = true;
                    }
                    return any;
                });
                if (!ok)
                    break;
            }
            if (keepGoing && !keepGoing(end, changes.size())) {
                outcome.cancelled = true;
                break;
            }
            i = end;
        }
    } catch (const std::exception& e) {
        if (outcome.error.isEmpty())
            outcome.error = QString::fromStdString(e.what());
    }
    return outcome;
}

} // namespace qb
