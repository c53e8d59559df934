#pragma once
// The .DBF table file: header, field descriptors and fixed-length records.
//
// Header (little-endian):
//   0      version: 0x03 plain, 0xF5 FoxPro 2.x with memo, 0x30/0x31/0x32 Visual FoxPro,
//          0x83 / 0x8B dBase with memo (read only)
//   1-3    date of last update, YY (since 1900) MM DD
//   4-7    record count
//   8-9    header length: where record 1 begins
//   10-11  record length, the deleted-mark byte included
//   28     flags: 0x01 structural compound index, 0x02 memo (Visual FoxPro)
//   29     code page mark (0x03 Windows ANSI 1252)
//   32     field descriptors, 32 bytes each: name (11, NUL padded), type, offset in
//          the record (4), length, decimals, flags (Visual FoxPro), rest zero;
//          ended by 0x0D. Visual FoxPro adds a 263-byte database link after it.
// Records follow the header: the deleted mark ('*' or blank) then the fields as
// text (numbers right-aligned, dates yyyymmdd, logicals T/F/?, memos the block
// number as ten digits, or four binary bytes in Visual FoxPro). 0x1A ends the file.

#include "platform/xbase/field.h"
#include "platform/xbase/file_io.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qb::xbase {

struct FieldDef {
    std::string name;
    char type = 'C';
    int length = 0;
    int decimals = 0;
};

class DbfFile {
public:
    // Reads and checks the header and field descriptors; throws XbaseError naming
    // the file and the fault. A record count that disagrees with the file size is
    // reconciled to the whole records the file holds (see reconciledCount()).
    DbfFile(File file);

    // Writes a new empty table (FoxPro 2.x layout) and returns it open read-write.
    static DbfFile create(const std::string& path, const std::vector<FieldDef>& fields);

    const std::string& path() const { return file_.path(); }
    File& file() { return file_; }
    void sync() { file_.sync(); }
    const File& file() const { return file_; }

    uint8_t version() const { return version_; }
    bool isVisualFoxPro() const { return version_ == 0x30 || version_ == 0x31 || version_ == 0x32; }
    bool hasMemo() const;
    bool hasStructuralIndex() const { return flags_ & 0x01; }
    void setStructuralIndex(bool on);
    uint8_t codePage() const { return codePage_; }
    uint32_t headerLength() const { return headerLength_; }
    uint32_t recordLength() const { return recordLength_; }
    uint32_t recordCount() const { return recordCount_; }
    // The count stored in the header when it differed from what the file holds; -1 otherwise.
    int64_t reconciledFrom() const { return reconciledFrom_; }
    // Types we can write; a table with any other is opened read-only.
    bool writableLayout() const { return writableLayout_; }

    const std::vector<Field>& fields() const { return fields_; }

    void readRecord(uint32_t recno, char* buffer) const;
    // Asks the memory system for a record that will be read soon.
    void prefetch(uint32_t recno) const;
    // Reads up to count whole records starting at recno into buffer; returns how many.
    uint32_t readRecords(uint32_t recno, uint32_t count, char* buffer) const;
    void writeRecord(uint32_t recno, const char* buffer);
    // Writes the record after the last one and the end marker, then the header.
    uint32_t appendRecord(const char* buffer);
    void setRecordCount(uint32_t count);   // truncates or extends, rewrites header and end marker
    void writeHeader();
    // Takes the count another program sharing the table may have raised.
    void refreshCount();

    // The header as stored, field descriptors (and Visual FoxPro's database
    // link) included: the start of a new version of the table.
    std::string headerBytes() const;

    // Fills a record buffer with an empty record.
    void blankRecord(char* buffer) const;

private:
    void parse();
    void remap();

    File file_;
    uint8_t version_ = 0x03;
    uint8_t flags_ = 0;
    uint8_t codePage_ = 0x03;
    uint32_t recordCount_ = 0;
    uint32_t headerLength_ = 0;
    uint32_t recordLength_ = 0;
    int64_t reconciledFrom_ = -1;
    bool writableLayout_ = true;
    std::vector<Field> fields_;
    FileMapping map_;   // the records as they were at the last (re)map
};

} // namespace qb::xbase
