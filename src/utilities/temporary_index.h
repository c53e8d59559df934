#pragma once
// The result indexes of the state and zip check and the duplicate check: a
// single-order index file opened beside the address table's own index, empty
// at first, that receives one key per record found, so that selecting its
// order shows exactly those records. It lives while its window is open; the
// file is removed when it closes and, should a crash have left one, at the
// next start.

#include <QString>

#include <cstdint>
#include <span>
#include <string>

namespace qb {

namespace xbase {
class Table;
}

inline constexpr const char* kStateZipIndexSuffix = "_chksz.idx";
inline constexpr const char* kDuplicateIndexName = "_chkdup.idx";

// The address table's path without its extension, followed by "_chksz.idx".
QString stateZipIndexPath(const QString& tablePath);
// "_chkdup.idx" in the program folder.
QString duplicateIndexPath();

class TemporaryIndex {
public:
    // Creates the file (replacing one left there) and opens it on the table;
    // throws the engine's error.
    TemporaryIndex(xbase::Table& table, const QString& path, const QString& keyExpression);
    ~TemporaryIndex();   // close()
    TemporaryIndex(const TemporaryIndex&) = delete;
    TemporaryIndex& operator=(const TemporaryIndex&) = delete;

    // The order's number now: found by its name each time, since the numbers
    // of index files move when the table loses its own index (a failed save).
    // 0 once closed.
    int order() const;
    const QString& path() const { return path_; }
    // The current record's key joins the order.
    void add();
    // The keys of these records join it, written at once (the current record stays).
    void add(std::span<const uint32_t> recnos);
    // Closes the order and removes the file; the table then has its other
    // orders only. The file is scratch: nothing of it is written on the way,
    // so closing cannot fail.
    void close() noexcept;

private:
    xbase::Table& table_;
    QString path_;
    std::string name_;   // the order's name; empty once closed
};

// Removes result indexes a stopped program left: "_chkdup.idx" in the program
// folder and every "*_chksz.idx" in its DATA folder. Returns how many went.
int removeStaleTemporaryIndexes(const QString& programFolder);

} // namespace qb
