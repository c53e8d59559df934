#include "utilities/state_zip_check.h"

#include "platform/xbase/table.h"
#include "utilities/temporary_index.h"

namespace qb {

namespace {

std::string upperAscii(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return s;
}

std::string trimmed(std::string s)
{
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

bool wellFormed(const QString& code)
{
    for (QChar c : code)
        if (!(c.unicode() < 128 && (c.isLetterOrNumber() || c == QLatin1Char(' ') || c == QLatin1Char('-'))))
            return false;
    return true;
}

} // namespace

QString cszRowFault(const QString& low, const QString& high)
{
    if (!wellFormed(low))
        return QStringLiteral("Starting code \"%1\" holds characters no code has").arg(low);
    if (!wellFormed(high))
        return QStringLiteral("Ending code \"%1\" holds characters no code has").arg(high);
    if (low.toLatin1() > high.toLatin1())
        return QStringLiteral("Starting code \"%1\" is above ending code \"%2\"").arg(low, high);
    return {};
}

CszReference::CszReference(xbase::Table& csz)
{
    for (const char* field : {"STATE", "LOW_ZIP", "HIGH_ZIP"})
        if (csz.fieldIndex(field) < 0)
            throw xbase::XbaseError(csz.path(), std::string("the field ") + field + " is missing; the check cannot use this table");
    TableView view(csz);
    csz.setFilter("");
    csz.selectOrder("STATE");
    for (bool ok = csz.first(); ok; ok = csz.next()) {
        CszRange range;
        range.low = trimmed(csz.raw("LOW_ZIP"));
        range.high = trimmed(csz.raw("HIGH_ZIP"));
        range.fault = cszRowFault(QString::fromStdString(csz.text("LOW_ZIP")), QString::fromStdString(csz.text("HIGH_ZIP")));
        add(trimmed(csz.raw("STATE")), range);
    }
}

void CszReference::add(const std::string& state, const CszRange& range) { rows_.try_emplace(upperAscii(state), range); }

const CszRange* CszReference::find(const std::string& state) const
{
    auto it = rows_.find(upperAscii(state));
    return it == rows_.end() ? nullptr : &it->second;
}

bool isQuestionable(const CszReference& reference, const std::string& state, const std::string& zip)
{
    const CszRange* row = reference.find(state);
    return !row || !row->fault.isEmpty() || zip < row->low || zip > row->high;
}

StateZipOutcome checkStateAndZip(xbase::Table& table, const CszReference& reference, bool includeBlanks,
                                 TemporaryIndex& result, const KeepGoing& keepGoing, const std::function<void(uint64_t)>& found)
{
    StateZipOutcome outcome;
    uint64_t done = 0;
    try {
        table.selectOrder(0);
        const std::vector<uint32_t> recnos = table.visibleRecnos();
        for (uint32_t r : recnos) {
            table.go(r);
            if (!table.deleted()) {
                const std::string state = trimmed(table.raw("STATE"));
                const std::string zip = trimmed(table.raw("ZIP"));
                if ((includeBlanks || (!state.empty() && !zip.empty())) && isQuestionable(reference, state, zip)) {
                    result.add();
                    ++outcome.found;
                    if (found)
                        found(outcome.found);
                }
            }
            if (keepGoing && !keepGoing(++done, recnos.size())) {
                outcome.cancelled = true;
                break;
            }
        }
    } catch (const std::exception& e) {
        outcome.error = QString::fromStdString(e.what());
    }
    return outcome;
}

} // namespace qb
