#include "platform/xbase/dbf_file.h"

#include "platform/xbase/codepage.h"

#include <algorithm>
#include <cstring>
#include <ctime>

namespace qb::xbase {

namespace {

constexpr uint32_t kMaxFields = 2048;
constexpr uint32_t kMaxRecordLength = 65535;
constexpr uint64_t kMaxRecords = 0x7FFFFFFF;

uint32_t le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint16_t le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
void put32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}
void put16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

bool knownVersion(uint8_t v)
{
    switch (v) {
    case 0x02: case 0x03: case 0x04: case 0x05: case 0x30: case 0x31: case 0x32:
    case 0x43: case 0x83: case 0x8B: case 0xCB: case 0xE5: case 0xF5: case 0xFB:
        return true;
    default:
        return false;
    }
}

// Types we read and write; the Visual FoxPro extras open read-only.
bool writableType(char t) { return std::strchr("CNFLDM", t) != nullptr; }
bool readableType(char t) { return std::strchr("CNFLDMIYTBGVQWP0", t) != nullptr; }

std::string fieldName(const uint8_t* p)
{
    size_t n = 0;
    while (n < 11 && p[n] != 0)
        ++n;
    std::string name(reinterpret_cast<const char*>(p), n);
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    return asciiUpper(name);
}

} // namespace

DbfFile::DbfFile(File file) : file_(std::move(file))
{
    parse();
    remap();
}

void DbfFile::remap()
{
    map_ = FileMapping();
    map_ = FileMapping(file_, uint64_t(headerLength_) + uint64_t(recordCount_) * recordLength_);
}

bool DbfFile::hasMemo() const
{
    return std::any_of(fields_.begin(), fields_.end(), [](const Field& f) { return f.type == 'M' || f.type == 'G' || f.type == 'P'; });
}

void DbfFile::parse()
{
    const uint64_t fileSize = file_.size();
    uint8_t head[32];
    file_.readAt(0, head, sizeof head, "the table header");
    version_ = head[0];
    if (!knownVersion(version_))
        throw XbaseError(path(), "not a table: unknown version byte 0x" + [&] {
            char b[3];
            std::snprintf(b, sizeof b, "%02X", version_);
            return std::string(b);
        }());
    recordCount_ = le32(head + 4);
    headerLength_ = le16(head + 8);
    recordLength_ = le16(head + 10);
    flags_ = head[28];
    codePage_ = head[29];

    if (headerLength_ < 32 + 1 || headerLength_ > fileSize)
        throw XbaseError(path(), "bad header length " + std::to_string(headerLength_));
    if (recordLength_ < 1 || recordLength_ > kMaxRecordLength)
        throw XbaseError(path(), "bad record length " + std::to_string(recordLength_));

    std::vector<uint8_t> desc(headerLength_ - 32);
    file_.readAt(32, desc.data(), desc.size(), "the field descriptors");
    uint32_t offset = 1;
    bool terminated = false;
    for (size_t pos = 0; pos < desc.size(); pos += 32) {
        if (desc[pos] == 0x0D) {
            terminated = true;
            break;
        }
        if (pos + 32 > desc.size())
            break;
        if (fields_.size() >= kMaxFields)
            throw XbaseError(path(), "too many fields");
        const uint8_t* d = desc.data() + pos;
        Field f;
        f.name = fieldName(d);
        f.type = char(asciiUpper(char(d[11])));
        f.length = d[16];
        f.decimals = d[17];
        f.flags = d[18];
        if (f.name.empty())
            throw XbaseError(path(), "field " + std::to_string(fields_.size() + 1) + " has no name");
        if (!readableType(f.type))
            throw XbaseError(path(), "unknown field type '" + std::string(1, f.type) + "' in field " + f.name);
        // Clipper stores character widths above 255 in the decimals byte.
        if (f.type == 'C' && !isVisualFoxPro() && f.decimals > 0 && version_ == 0x03) {
            f.length = uint16_t(f.length + 256 * f.decimals);
            f.decimals = 0;
        }
        if (f.length == 0)
            throw XbaseError(path(), "field " + f.name + " has length 0");
        if ((f.type == 'N' || f.type == 'F') && (f.length > 20 || f.decimals >= f.length))
            throw XbaseError(path(), "numeric field " + f.name + " has impossible width " + std::to_string(f.length) + "," + std::to_string(f.decimals));
        if (f.type == 'D' && f.length != 8)
            throw XbaseError(path(), "date field " + f.name + " is not 8 wide");
        if (f.type == 'M' && f.length != 10 && f.length != 4)
            throw XbaseError(path(), "memo field " + f.name + " has width " + std::to_string(f.length));
        f.offset = isVisualFoxPro() ? le32(d + 12) : offset;
        // Visual FoxPro stores the offset: one near 2^32 must not wrap the sum.
        if (f.offset < 1 || uint64_t(f.offset) + f.length > recordLength_)
            throw XbaseError(path(), "field " + f.name + " lies outside the record");
        offset += f.length;
        if (!writableType(f.type))
            writableLayout_ = false;
        fields_.push_back(std::move(f));
    }
    if (!terminated)
        throw XbaseError(path(), "field descriptors are not terminated");
    if (fields_.empty())
        throw XbaseError(path(), "table has no fields");
    if (!isVisualFoxPro() && offset > recordLength_)
        throw XbaseError(path(), "fields are wider than the record");
    // We write the FoxPro 2.x layout only; dBase and Visual FoxPro tables open read-only.
    if (version_ != 0x03 && version_ != 0xF5)
        writableLayout_ = false;

    // Reconcile the count with the whole records present: an append interrupted
    // after the record was written but before the header was updated leaves a
    // count that is too small, and we keep what was written.
    const uint64_t whole = (fileSize - headerLength_) / recordLength_;
    const uint64_t actual = std::min<uint64_t>(whole, kMaxRecords);
    if (actual != recordCount_) {
        reconciledFrom_ = recordCount_;
        recordCount_ = uint32_t(actual);
    }
}

void DbfFile::refreshCount()
{
    uint8_t head[8];
    file_.readAt(0, head, sizeof head, "the table header");
    const uint64_t whole = (file_.size() - headerLength_) / recordLength_;
    const uint32_t count = uint32_t(std::min<uint64_t>({le32(head + 4), whole, kMaxRecords}));
    if (count != recordCount_) {
        recordCount_ = count;
        remap();
    }
}

void DbfFile::setStructuralIndex(bool on)
{
    flags_ = on ? (flags_ | 0x01) : (flags_ & ~0x01);
    writeHeader();
}

void DbfFile::writeHeader()
{
    uint8_t head[32];
    file_.readAt(0, head, sizeof head, "the table header");
    const std::time_t now = std::time(nullptr);
    std::tm tm {};
    localtime_r(&now, &tm);
    head[1] = uint8_t(tm.tm_year % 256);
    head[2] = uint8_t(tm.tm_mon + 1);
    head[3] = uint8_t(tm.tm_mday);
    put32(head + 4, recordCount_);
    head[28] = flags_;
    file_.writeAt(0, head, sizeof head);
}

DbfFile DbfFile::create(const std::string& path, const std::vector<FieldDef>& defs)
{
    if (defs.empty() || defs.size() > 255)
        throw XbaseError(path, "a table needs 1 to 255 fields");
    bool memo = false;
    uint32_t recordLength = 1;
    std::vector<uint8_t> header(32 + 32 * defs.size() + 2, 0);
    for (size_t i = 0; i < defs.size(); ++i) {
        FieldDef d = defs[i];
        d.name = asciiUpper(d.name);
        d.type = asciiUpper(d.type);
        switch (d.type) {
        case 'C': if (d.length < 1 || d.length > 254) throw XbaseError(path, "field " + d.name + ": width must be 1 to 254"); d.decimals = 0; break;
        case 'N': case 'F': if (d.length < 1 || d.length > 20 || d.decimals < 0 || d.decimals >= d.length) throw XbaseError(path, "field " + d.name + ": bad numeric width"); break;
        case 'L': d.length = 1; d.decimals = 0; break;
        case 'D': d.length = 8; d.decimals = 0; break;
        case 'M': d.length = 10; d.decimals = 0; memo = true; break;
        default: throw XbaseError(path, "field " + d.name + ": unknown type '" + std::string(1, d.type) + "'");
        }
        if (d.name.empty() || d.name.size() > 10)
            throw XbaseError(path, "field name '" + d.name + "' must be 1 to 10 characters");
        for (size_t j = 0; j < i; ++j)
            if (equalsIgnoreCase(defs[j].name, d.name))
                throw XbaseError(path, "field " + d.name + " appears twice");
        uint8_t* p = header.data() + 32 + 32 * i;
        std::memcpy(p, d.name.data(), d.name.size());
        p[11] = uint8_t(d.type);
        put32(p + 12, recordLength);
        p[16] = uint8_t(d.length);
        p[17] = uint8_t(d.decimals);
        recordLength += uint32_t(d.length);
    }
    if (recordLength > kMaxRecordLength)
        throw XbaseError(path, "record is too long");
    header[0] = memo ? 0xF5 : 0x03;
    put16(header.data() + 8, uint16_t(header.size()));
    put16(header.data() + 10, uint16_t(recordLength));
    header[29] = 0x03;
    header[32 + 32 * defs.size()] = 0x0D;
    header.push_back(0x1A);

    File f(path, File::Mode::Create);
    if (!f.lockFile(true))
        throw XbaseError(path, "the table is in use by another program");
    f.truncate(0);
    f.writeAt(0, header.data(), header.size());
    DbfFile dbf(std::move(f));
    dbf.writeHeader();
    return dbf;
}

void DbfFile::readRecord(uint32_t recno, char* buffer) const
{
    if (recno < 1 || recno > recordCount_)
        throw XbaseError(path(), "record " + std::to_string(recno) + " does not exist");
    const uint64_t at = uint64_t(headerLength_) + uint64_t(recno - 1) * recordLength_;
    if (at + recordLength_ > map_.size() || !map_.copy(at, buffer, recordLength_))
        file_.readAt(at, buffer, recordLength_, "a record");
}

void DbfFile::prefetch(uint32_t recno) const
{
    const uint64_t at = uint64_t(headerLength_) + uint64_t(recno - 1) * recordLength_;
    if (recno < 1 || at + recordLength_ > map_.size())
        return;
    for (uint32_t line = 0; line < recordLength_; line += 64)
        __builtin_prefetch(map_.data() + at + line);
}

uint32_t DbfFile::readRecords(uint32_t recno, uint32_t count, char* buffer) const
{
    if (recno < 1 || recno > recordCount_)
        return 0;
    count = std::min(count, recordCount_ - recno + 1);
    const size_t got = file_.readSome(uint64_t(headerLength_) + uint64_t(recno - 1) * recordLength_, buffer, size_t(count) * recordLength_);
    return uint32_t(got / recordLength_);
}

void DbfFile::writeRecord(uint32_t recno, const char* buffer)
{
    if (recno < 1 || recno > recordCount_)
        throw XbaseError(path(), "record " + std::to_string(recno) + " does not exist");
    file_.writeAt(uint64_t(headerLength_) + uint64_t(recno - 1) * recordLength_, buffer, recordLength_);
}

uint32_t DbfFile::appendRecord(const char* buffer)
{
    if (recordCount_ >= kMaxRecords)
        throw XbaseError(path(), "table is full");
    const uint64_t at = uint64_t(headerLength_) + uint64_t(recordCount_) * recordLength_;
    // Record and end marker in one write, then the count: a crash between the
    // two leaves a record the next open takes back.
    std::string bytes(buffer, recordLength_);
    bytes += '\x1A';
    try {
        file_.writeAt(at, bytes.data(), bytes.size());
    } catch (const XbaseError&) {
        // A full disk may have taken part of the record: cut it off again.
        try {
            file_.truncate(at);
            file_.writeAt(at, "\x1A", 1);
        } catch (const XbaseError&) {
        }
        throw;
    }
    ++recordCount_;
    writeHeader();
    if (uint64_t(headerLength_) + uint64_t(recordCount_) * recordLength_ > map_.size() + map_.size() / 4 + (1u << 20))
        remap();
    return recordCount_;
}

void DbfFile::setRecordCount(uint32_t count)
{
    const uint64_t end = uint64_t(headerLength_) + uint64_t(count) * recordLength_;
    // Unmapped first: pages past the new end must never be touched.
    map_ = FileMapping();
    file_.truncate(end);
    const char eof = 0x1A;
    file_.writeAt(end, &eof, 1);
    recordCount_ = count;
    writeHeader();
    remap();
}

std::string DbfFile::headerBytes() const
{
    std::string bytes(headerLength_, '\0');
    file_.readAt(0, bytes.data(), bytes.size(), "the table header");
    return bytes;
}

void DbfFile::blankRecord(char* buffer) const
{
    std::memset(buffer, ' ', recordLength_);
    for (const Field& f : fields_)
        if (f.type == 'M' && f.length == 4)
            std::memset(buffer + f.offset, 0, 4);
}

} // namespace qb::xbase
