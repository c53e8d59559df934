#include "utilities/duplicate_check.h"

#include "platform/xbase/table.h"
#include "utilities/temporary_index.h"

#include <algorithm>

namespace qb {

QString duplicateIndexExpression(DuplicateKind kind)
{
    return kind == DuplicateKind::Street ? QStringLiteral("upper(STREET)") : QStringLiteral("upper(LNAME-FNAME)");
}

QString duplicateOrder(DuplicateKind kind) { return kind == DuplicateKind::Street ? QStringLiteral("STREET") : QStringLiteral("NAME"); }

namespace {

std::string trimmedUpper(std::string s)
{
    s.erase(s.find_last_not_of(' ') + 1);
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return s;
}

} // namespace

std::string duplicateKey(DuplicateKind kind, const std::string& lname, const std::string& fname, const std::string& street,
                         int streetCharacters)
{
    if (kind == DuplicateKind::Street) {
        std::string s = trimmedUpper(street);
        s.resize(std::min(s.size(), size_t(std::clamp(streetCharacters, 1, kMaxStreetCharacters))));
        s.erase(s.find_last_not_of(' ') + 1);
        return s;
    }
    const std::string last = trimmedUpper(lname);
    if (last.empty())
        return {};
    std::string first = trimmedUpper(fname);
    if (kind == DuplicateKind::LastFirstInitial)
        first.resize(std::min<size_t>(first.size(), 1));
    return last + '\n' + first;
}

DuplicateOutcome checkDuplicates(xbase::Table& table, DuplicateKind kind, int streetCharacters, TemporaryIndex& result,
                                 const KeepGoing& keepGoing)
{
    DuplicateOutcome outcome;
    std::vector<uint32_t> found;
    int order = 0;
    try {
        order = table.selectOrder(duplicateOrder(kind).toStdString());
        const std::vector<uint32_t> recnos = table.visibleRecnos();
        // The walk goes by record number: without an order no move seeks the
        // record's key in the tag. The order comes back at the end.
        table.selectOrder(0);
        std::string previousKey;
        uint32_t previous = 0, lastAdded = 0;
        uint64_t done = 0;
        for (uint32_t r : recnos) {
            table.go(r);
            if (!table.deleted()) {
                std::string key = duplicateKey(kind, table.raw("LNAME"), table.raw("FNAME"), table.raw("STREET"), streetCharacters);
                if (!key.empty() && key == previousKey) {
                    if (lastAdded != previous)
                        found.push_back(previous);
                    found.push_back(r);
                    lastAdded = r;
                    ++outcome.found;
                }
                previousKey = std::move(key);
                previous = r;
            }
            if (keepGoing && !keepGoing(++done, recnos.size())) {
                outcome.cancelled = true;
                break;
            }
        }
    } catch (const std::exception& e) {
        outcome.error = QString::fromStdString(e.what());
    }
    // What was found joins the result in one write, after a cancel or an
    // error too.
    try {
        table.selectOrder(order);
        result.add(found);
    } catch (const std::exception& e) {
        if (outcome.error.isEmpty())
            outcome.error = QString::fromStdString(e.what());
    }
    return outcome;
}

} // namespace qb
