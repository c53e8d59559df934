#pragma once
// The bulk-mail presort: the selected records counted per zip code, grouped
// by five-digit zip (10 pieces or more), then by three-digit prefix (10 or
// more together), then by Area Distribution Center, the rest last, and the
// print order written as PRESORT.PSL: one zip code a line, each group led by
// a header line containing "**".

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace qb {

namespace xbase {
class Table;
}

struct AdcRow {
    const char* name;
    const char* prefixes;   // three-digit prefixes separated by single blanks
};
// The 96 Area Distribution Centers in the order a zip code is looked up in.
const std::vector<AdcRow>& adcTable();

// The first five characters of a ZIP value, when the presort counts it: not
// empty, beginning with a digit, and between "00000" and "99999-999" as text.
std::optional<QString> presortZip(const QString& zip);

class BulkPresort {
public:
    // One record's ZIP value; false when it is not counted.
    bool add(const QString& zip);
    // The PRESORT.PSL lines in print order.
    QStringList lines() const;

private:
    // One sorted count per first digit, so each lookup searches a tenth.
    std::array<std::map<QString, int>, 10> counts_;
};

inline constexpr int kPresortGroupMinimum = 10;

enum class PresortOutcome { Done, Cancelled, WriteFailed };

// Counts every record of the table's filtered view in record-number order
// and writes the list to path. progress is called after every record, with
// a new status text ("Reading record 100" ...) or an empty one, and returns
// false to stop; a stopped presort writes nothing. The table's order is put
// back afterwards.
PresortOutcome presortTable(xbase::Table& table, const QString& path,
                            const std::function<bool(const QString& status)>& progress);

// Through a temporary file renamed into place: an old list survives a failure.
bool writePresortList(const QString& path, const QStringList& lines);
// The zip codes and headers of a list file; empty when it cannot be read.
QStringList readPresortList(const QString& path);

} // namespace qb
