#pragma once
// What an import reads: a comma-separated text file, another xBase table, or
// a database of the program's earlier versions. Each gives, record by record,
// the values for the address fields it feeds, and can start over, since an
// import reads its source twice: once to check all of it, once to append.

#include "transfer/csv_reader.h"
#include "transfer/dos_code_page.h"
#include "transfer/field_match.h"

#include <memory>
#include <string>
#include <vector>

namespace qb {

// A value for the destination field with the given index in its table (UTF-8).
struct ImportValue {
    int field = 0;
    std::string text;
};

class ImportSource {
public:
    virtual ~ImportSource() = default;
    // The file as messages name it.
    virtual const std::string& name() const = 0;
    // Reads from the first record again.
    virtual void restart() = 0;
    // The next record's values; false after the last. Throws TransferError
    // naming the file and the line or record.
    virtual bool next(std::vector<ImportValue>& values) = 0;
    // Where the record read last begins: "line 12", "record 7".
    virtual std::string where() const = 0;
    // What was not read as it stands in the record read last: lines read as
    // Windows-1252, text cut off, values left out or converted.
    const std::vector<std::string>& notes() const { return notes_; }

protected:
    std::vector<std::string> notes_;
};

// The columns of a comma-separated file, from its first ten records: as many
// as the first has, each with the longest value of the ten.
struct CsvSample {
    TextFileKind kind;
    std::vector<CsvRecord> records;   // at most ten
    std::vector<size_t> widths;       // characters, per column
    int columns() const { return int(widths.size()); }
};
// Throws TransferError for a file that is not text or breaks a bound in the
// first ten records, and for one with fewer than two records.
CsvSample sampleCsv(const std::string& path);
// "Field 1", "Field 2", ...; with names (the first line's values), a column
// whose name is not empty goes by it.
std::vector<ImportSourceField> csvColumns(int count, const std::vector<std::string>& names = {});

// A text file read with a match made over its columns. A record with fewer
// fields than the columns leaves the rest empty; of one with more, the fields
// beyond the columns are left out, with a note when they hold anything.
class CsvImportSource : public ImportSource {
public:
    // With skipFirst the first record names the columns and is not imported.
    CsvImportSource(std::string path, TextFileKind kind, int columns, const FieldMatch& match, const xbase::Table& destination,
                    bool skipFirst = false);
    const std::string& name() const override { return path_; }
    void restart() override;
    bool next(std::vector<ImportValue>& values) override;
    std::string where() const override;

private:
    std::string path_;
    TextFileKind kind_;
    int columns_;
    bool skipFirst_;
    std::vector<std::pair<int, int>> feeds_;   // column -> destination field index
    std::unique_ptr<CsvReader> reader_;
    CsvRecord record_;
};

// Another xBase table opened read-only; records marked deleted in it are
// passed over. Its text is read in the code page its header names. What goes
// into DATE is made yyyymmdd (importDate); what is no date is left out with a
// note. Throws TransferError "Unable to open the file ..." when it cannot be
// opened.
class TableImportSource : public ImportSource {
public:
    explicit TableImportSource(const std::string& path);
    ~TableImportSource() override;
    // Its fields as match sources, in table order.
    std::vector<ImportSourceField> fields() const;
    uint32_t physicalCount() const;
    xbase::Table& table() { return *table_; }
    // Feeds the destination fields from the match (rows of tableImportFields).
    void useMatch(const FieldMatch& match, const xbase::Table& destination);

    const std::string& name() const override { return path_; }
    void restart() override { recno_ = 0; }
    bool next(std::vector<ImportValue>& values) override;
    std::string where() const override { return "record " + std::to_string(recno_); }

protected:
    // The values of the current source record.
    virtual void read(std::vector<ImportValue>& values);
    std::string text(int sourceField) const;
    std::string memo(int sourceField) const;
    // The yyyymmdd of value for DATE; empty, with a note, when it is no date.
    std::string date(const std::string& value, const std::string& label);

    std::string path_;
    std::unique_ptr<xbase::Table> table_;

private:
    struct Feed {
        int from;
        int to;
        bool memo;
        std::string date;   // the label of DATE when it feeds DATE
    };
    std::vector<Feed> feeds_;
    uint32_t recno_ = 0;
    DosCodePage codePage_ = DosCodePage::None;
};

// A database of the program's version 1.x or 2.x, recognised by its fields,
// copied by a fixed rule.
class OlderVersionSource : public TableImportSource {
public:
    // Throws TransferError with the user's messages when the file cannot be
    // opened or lacks a field the version has.
    OlderVersionSource(const std::string& path, int version, const xbase::Table& destination);
    static const std::vector<const char*>& requiredFields(int version);

protected:
    void read(std::vector<ImportValue>& values) override;

private:
    struct Copy {
        int from;
        int to;
        enum { Text, Date, Memo } how;
    };
    std::vector<Copy> copies_;
};

} // namespace qb
