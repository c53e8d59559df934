#include "utilities/duplicate_check.h"

#include "utilities/address_standard.h"

#include "platform/xbase/table.h"
#include "utilities/temporary_index.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace qb {

QString duplicateIndexExpression(DuplicateKind kind)
{
    return kind == DuplicateKind::Street ? QStringLiteral("upper(STREET)") : QStringLiteral("upper(LNAME-FNAME)");
}


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
                                 const KeepGoing& keepGoing, const std::function<void(uint64_t)>& onFound,
                                 const AddressStandard* standardStreets)
{
    DuplicateOutcome outcome;
    std::vector<uint32_t> found;
    int order = table.currentOrder();
    try {
        // Records with one key are grouped by that key wherever another
        // order puts them: in name order "Wood S" sorts among "Woods A"
        // (UPPER(LNAME-FNAME) runs the names together), so neighbours there
        // miss twins. The walk goes by record number, reading each record once.
        table.selectOrder(0);
        const std::vector<uint32_t> recnos = table.visibleRecnos();
        // Each key's first record, 0 once it is listed.
        std::unordered_map<std::string, uint32_t> firstOf;
        firstOf.reserve(recnos.size());
        uint64_t done = 0;
        for (uint32_t r : recnos) {
            table.go(r);
            if (!table.deleted()) {
                // The standard form is compared in UTF-8, every key alike.
                const std::string street = standardStreets && kind == DuplicateKind::Street
                                               ? standardStreets->addressLine(QString::fromStdString(table.text("STREET"))).text.toStdString()
                                               : table.raw("STREET");
                std::string key = duplicateKey(kind, table.raw("LNAME"), table.raw("FNAME"), street, streetCharacters);
                if (!key.empty()) {
                    auto [it, fresh] = firstOf.try_emplace(std::move(key), r);
                    if (!fresh) {
                        if (it->second != 0)
                            found.push_back(std::exchange(it->second, 0u));
                        found.push_back(r);
                        ++outcome.found;
                        if (onFound)
                            onFound(outcome.found);
                    }
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
