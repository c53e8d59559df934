#pragma once
// The records a print run goes over, shared by the label and envelope runs:
// the table's query, order and record are put back however the run ends, and
// the run starts on the first record of its choice or at the current one.

#include <QString>

#include <cstdint>
#include <functional>
#include <string>

namespace qb {

namespace xbase {
class Table;
}

// Puts the address table's query, order and record back, and the engine's
// comparison setting, however the run ends.
class TableRestore {
public:
    explicit TableRestore(xbase::Table& t);
    ~TableRestore();
    TableRestore(const TableRestore&) = delete;
    TableRestore& operator=(const TableRestore&) = delete;
    uint32_t recno() const { return recno_; }
    const std::string& filter() const { return filter_; }

private:
    xbase::Table& t_;
    std::string filter_;
    int order_;
    uint32_t recno_;
    bool exact_;
};

enum class PrintRecords { All, Filter, OnlyCurrent };

inline const QString kOutOfRange = QStringLiteral("Current record is out of range. Starting with first record");

// All sets the query "NOT ISDEL", OnlyCurrent narrows it to the remembered
// record; then the table goes to the remembered record when startFromCurrent
// asks and it passes the query (otherwise, with inform(kOutOfRange), to the
// first), or to the first record. Engine errors propagate.
void selectPrintRecords(xbase::Table& table, const TableRestore& restore, PrintRecords records, bool startFromCurrent,
                        const std::function<void(const QString&)>& inform);

} // namespace qb
