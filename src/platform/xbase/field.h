#pragma once
// Field descriptors as the engine sees them, shared by the DBF reader, the
// expression compiler and the table.

#include <cstdint>
#include <string>

namespace qb::xbase {

struct Field {
    std::string name;      // upper case, as stored
    char type = 'C';       // C N F L D M, and for read-only Visual FoxPro tables I Y T B G V Q W 0
    uint32_t offset = 0;   // byte offset in the record buffer (the deleted mark is byte 0)
    uint16_t length = 0;
    uint8_t decimals = 0;
    uint8_t flags = 0;     // Visual FoxPro field flags (0x01 system, 0x02 nullable, 0x04 binary)
};

// What an expression reads from: the table's fields, and at evaluation time the
// current record. The record buffer starts with the deleted-mark byte.
class RecordSource {
public:
    virtual ~RecordSource() = default;
    virtual int fieldCount() const = 0;
    virtual const Field& field(int index) const = 0;
    virtual int fieldIndex(std::string_view name) const = 0;  // any case; -1 when absent
    virtual const char* recordBuffer() const = 0;
    virtual uint32_t recordNumber() const = 0;
    virtual std::string memoBytes(int fieldIndex) const = 0;   // Windows-1252 bytes of a memo field
};

} // namespace qb::xbase
