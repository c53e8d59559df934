#include "utilities/case_conversion.h"

#include "platform/xbase/table.h"

namespace qb {

namespace {

// Only a-z and A-Z change: accented letters stay as typed.
QChar upperOf(QChar c) { return c >= QLatin1Char('a') && c <= QLatin1Char('z') ? QChar(c.unicode() - 'a' + 'A') : c; }

QChar lowerOf(QChar c) { return c >= QLatin1Char('A') && c <= QLatin1Char('Z') ? QChar(c.unicode() - 'A' + 'a') : c; }

} // namespace

QString convertCase(const QString& text, CaseMode mode)
{
    QString out = text;
    switch (mode) {
    case CaseMode::Upper:
        for (QChar& c : out)
            c = upperOf(c);
        break;
    case CaseMode::Lower:
        for (QChar& c : out)
            c = lowerOf(c);
        break;
    case CaseMode::FirstLetter:
        // Only the blank begins a word: O'brien, Mcdonald-jones.
        for (qsizetype i = 0; i < out.size(); ++i) {
            const bool wordStart = i == 0 || out[i - 1] == QLatin1Char(' ');
            out[i] = wordStart ? upperOf(lowerOf(out[i])) : lowerOf(out[i]);
        }
        break;
    }
    return out;
}

const std::vector<CaseField>& caseFields()
{
    static const std::vector<CaseField> fields = {
        {"Last", "LNAME"},        {"First", "FNAME"},       {"Middle", "MIDDLE"},  {"Title", "TITLE"},
        {"Organization", "ORG"},  {"Address 1", "STREET"},  {"Address 2", "STREET2"}, {"City", "CITY"},
        {"State/Province", "STATE"}, {"Zip/Postal Code", "ZIP"}, {"Country", "COUNTRY"}, {"Prefix", "PREFIX"},
        {"Comment 1", "USER1"},   {"Comment 2", "USER2"},   {"Codes", "CODES"},
    };
    return fields;
}

BulkOutcome convertRecords(xbase::Table& table, const QStringList& fields, CaseMode mode, RecordChoice choice,
                           const KeepGoing& keepGoing)
{
    BulkOutcome outcome;
    TableView view(table);
    std::vector<std::string> names;
    for (const QString& f : fields)
        names.push_back(f.toStdString());
    auto change = [&] {
        bool changed = false;
        for (const std::string& name : names) {
            const QString before = QString::fromStdString(table.text(name));
            const QString after = convertCase(before, mode);
            if (after != before) {
                table.setText(name, after.toStdString());
                changed = true;
            }
        }
        return changed;
    };
    try {
        std::vector<uint32_t> recnos;
        if (choice == RecordChoice::Current) {
            if (!table.eof())
                recnos.push_back(table.recno());
        } else {
            if (choice == RecordChoice::All)
                table.setFilter("!ISDEL");
            recnos = table.visibleRecnos();
        }
        xbase::Table::BulkChange bulk(table);
        uint64_t done = 0;
        for (uint32_t r : recnos) {
            table.go(r);
            if (!changeRecord(table, outcome, change))
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

} // namespace qb
