#include "utilities/search_replace.h"

#include "platform/xbase/table.h"

namespace qb {

namespace {

constexpr int kMaxReplacements = 50;

QString upperAscii(QString s)
{
    for (QChar& c : s)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    return s;
}

QString trimmedRight(const QString& s)
{
    qsizetype n = s.size();
    while (n > 0 && s[n - 1] == QLatin1Char(' '))
        --n;
    return s.left(n);
}

} // namespace

const std::vector<ReplaceField>& replaceFields()
{
    static const std::vector<ReplaceField> fields = {
        {"Last Name", "LNAME"},  {"First Name", "FNAME"}, {"Middle Initial", "MIDDLE"}, {"Title", "TITLE"},
        {"Organization", "ORG"}, {"Address 1", "STREET"}, {"Address 2", "STREET2"},    {"City", "CITY"},
        {"State", "STATE"},      {"Zip", "ZIP"},          {"Country", "COUNTRY"},      {"Phone 1", "PHONE"},
        {"Phone 2", "PHONE2"},   {"Email", "EMAIL"},      {"Fax", "FAX"},              {"Codes", "CODES"},
        {"Comment 1", "USER1"},  {"Comment 2", "USER2"},
    };
    return fields;
}

bool replaceMatches(const ReplaceRequest& request, const QString& rawValue)
{
    const QString value = trimmedRight(rawValue);
    if (request.search.isEmpty())
        return value.isEmpty();
    if (request.caseSensitive)
        return request.contains ? value.contains(request.search) : value == request.search;
    return request.contains ? upperAscii(value).contains(upperAscii(request.search)) : upperAscii(value) == upperAscii(request.search);
}

QString replacedValue(const ReplaceRequest& request, const QString& rawValue)
{
    const QString value = trimmedRight(rawValue);
    if (request.wholeField || request.search.isEmpty())
        return request.replacement;
    const QString needle = request.caseSensitive ? request.search : upperAscii(request.search);
    QString out = value;
    qsizetype from = 0;
    for (int n = 0; n < kMaxReplacements; ++n) {
        const QString hay = request.caseSensitive ? out : upperAscii(out);
        const qsizetype at = hay.indexOf(needle, from);
        if (at < 0)
            break;
        out.replace(at, needle.size(), request.replacement);
        from = at + request.replacement.size();
    }
    return out;
}

QString replaceQuestion(const ReplaceRequest& r, const QString& entry)
{
    QString condition;
    if (r.search.isEmpty())
        condition = QStringLiteral("is empty ");
    else
        condition = (r.contains ? QStringLiteral("contains: \"") : QStringLiteral("exactly matches: \"")) + r.search + QStringLiteral("\"") +
                    (r.caseSensitive ? QStringLiteral("  (case sensitive)") : QStringLiteral(" (not case sensitive)"));
    QString action;
    if (r.replacement.isEmpty())
        action = r.wholeField ? QStringLiteral("and delete the entire field ") : QStringLiteral("and delete the matching text ");
    else
        action = (r.wholeField ? QStringLiteral("and replace the entire field with \"") : QStringLiteral("and replace only the matching text with \"")) +
                 r.replacement + QStringLiteral("\"");
    return QStringLiteral("Find records where field ") + entry + QStringLiteral("\r") + condition + QStringLiteral("\r") + action;
}

ReplaceOutcome replaceFieldValues(xbase::Table& table, const ReplaceRequest& request, const QString& filterConditions,
                                  const KeepGoing& keepGoing)
{
    ReplaceOutcome outcome;
    const std::string field = request.field.toStdString();
    const int index = table.fieldIndex(field);
    if (index < 0) {
        outcome.error = QStringLiteral("The table has no field %1").arg(request.field);
        return outcome;
    }
    const int width = table.field(index).length;
    for (const QString* value : {&request.search, &request.replacement}) {
        if (!storable(*value)) {
            outcome.error = unstorableMessage(*value);
            return outcome;
        }
        if (value->size() > width) {
            outcome.error = QStringLiteral("\"%1\" is longer than the field, which holds %2 characters").arg(*value).arg(width);
            return outcome;
        }
    }
    TableView view(table);
    try {
        table.setFilter(request.filteredOnly && !filterConditions.isEmpty() ? filterConditions.toStdString() : std::string());
        table.selectOrder(0);
        const std::vector<uint32_t> recnos = table.visibleRecnos();
        xbase::Table::BulkChange bulk(table);
        uint64_t done = 0;
        for (uint32_t r : recnos) {
            if (keepGoing && done > 0 && !keepGoing(done, recnos.size())) {
                outcome.cancelled = true;
                break;
            }
            ++done;
            table.go(r);
            const QString value = QString::fromStdString(table.text(field));
            if (table.deleted() || !replaceMatches(request, value))
                continue;
            const QString after = replacedValue(request, value);
            if (after.size() > width) {
                ++outcome.tooLong;
                continue;
            }
            if (!changeRecord(table, outcome, [&] {
                    table.setText(field, after.toStdString());
                    return true;
                }))
                return outcome;
        }
        bulk.commit();
    } catch (const std::exception& e) {
        if (outcome.error.isEmpty())
            outcome.error = QString::fromStdString(e.what());
    }
    return outcome;
}

BulkOutcome deleteRecords(xbase::Table& table, DeleteChoice choice, const QString& filterConditions, const KeepGoing& keepGoing)
{
    BulkOutcome outcome;
    TableView view(table);
    try {
        if (choice == DeleteChoice::All) {
            table.setFilter("");
            const uint32_t total = table.countFiltered();
            table.zap();
            outcome.changed = total;
            return outcome;
        }
        std::string filter;
        if (!filterConditions.isEmpty())
            filter = choice == DeleteChoice::Matching ? filterConditions.toStdString()
                                                      : ".not.(" + filterConditions.toStdString() + ")";
        else if (choice == DeleteChoice::NotMatching)
            return outcome;   // every record matches no filter
        table.setFilter(filter);
        table.selectOrder(0);
        const std::vector<uint32_t> recnos = table.visibleRecnos();
        table.setFilter("");
        xbase::Table::BulkChange bulk(table);
        uint64_t done = 0;
        for (uint32_t r : recnos) {
            table.go(r);
            if (!changeRecord(table, outcome, [&] {
                    if (table.deleted() || table.logical("ISDEL"))
                        return false;
                    table.setLogical("ISDEL", true);
                    table.deleteRecord();
                    return true;
                }))
                return outcome;
            if (keepGoing && !keepGoing(++done, recnos.size()) && done < recnos.size()) {
                outcome.cancelled = true;
                break;
            }
        }
        bulk.commit();
    } catch (const std::exception& e) {
        if (outcome.error.isEmpty())
            outcome.error = QString::fromStdString(e.what());
    }
    return outcome;
}

uint64_t recordsToDelete(xbase::Table& table, DeleteChoice choice, const QString& filterConditions)
{
    if (choice == DeleteChoice::All) {
        TableView view(table);
        table.setFilter("");
        return table.countFiltered();
    }
    if (filterConditions.isEmpty())
        return choice == DeleteChoice::Matching ? table.count("!ISDEL") : 0;
    const std::string conditions = filterConditions.toStdString();
    return table.count((choice == DeleteChoice::Matching ? "(" + conditions + ")" : ".not.(" + conditions + ")") + " .and. !ISDEL");
}

QString deleteQuestion(DeleteChoice choice, uint64_t count, bool filterSet)
{
    switch (choice) {
    case DeleteChoice::All:
        return QStringLiteral("Delete all ") + recordCount(count) + QStringLiteral(" of the database?") +
               (filterSet ? QStringLiteral("\r\n\r\nThe filter does not limit this: every record goes, matching or not.") : QString());
    case DeleteChoice::Matching:
        return QStringLiteral("Delete the ") + recordCount(count) + QStringLiteral(" matching the filter?");
    case DeleteChoice::NotMatching:
        break;
    }
    return QStringLiteral("Delete the ") + recordCount(count) + QStringLiteral(" not matching the filter?");
}

} // namespace qb
