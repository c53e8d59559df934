#include "transfer/csv_reader.h"

#include "platform/xbase/codepage.h"
#include "transfer/transfer_error.h"

#include <algorithm>
#include <cstring>

namespace qb {

namespace {
constexpr size_t kBuffer = 1 << 16;

bool blank(int c) { return c == ' ' || c == '\t'; }
bool lineEnd(int c) { return c == '\r' || c == '\n' || c < 0 || c == 0x1A; }
// What ends a run of plain characters outside quotes.
bool special(int c) { return c == ',' || c == '"' || c == '\r' || c == '\n' || c == 0x1A; }

bool holdsNothing(const std::vector<std::string>& fields)
{
    return std::all_of(fields.begin(), fields.end(),
                       [](const std::string& f) { return f.find_first_not_of(" \t") == std::string::npos; });
}
} // namespace

CsvReader::CsvReader(TextFileKind kind, std::string name) : name_(std::move(name)), kind_(kind), file_(nullptr, std::fclose) {}

CsvReader::CsvReader(const std::string& path, TextFileKind kind) : CsvReader(kind, path)
{
    file_.reset(std::fopen(path.c_str(), "rb"));
    if (!file_)
        throw TransferError(path + ": the file cannot be read");
    buffer_.resize(kBuffer);
    fill(3);
    if (kind_.byteOrderMark && end_ >= 3 && std::memcmp(buffer_.data(), "\xEF\xBB\xBF", 3) == 0)
        pos_ = 3;
}

CsvReader CsvReader::fromText(std::string text, TextFileKind kind, const std::string& name)
{
    CsvReader r(kind, name);
    r.buffer_.assign(text.begin(), text.end());
    r.end_ = r.buffer_.size();
    r.eof_ = true;
    if (kind.byteOrderMark && text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        r.pos_ = 3;
    return r;
}

CsvReader::~CsvReader() = default;
CsvReader::CsvReader(CsvReader&&) noexcept = default;

// Makes at least wanted bytes available from pos_ when the file has them.
bool CsvReader::fill(size_t wanted)
{
    while (end_ - pos_ < wanted && !eof_) {
        if (pos_ > 0) {
            std::memmove(buffer_.data(), buffer_.data() + pos_, end_ - pos_);
            end_ -= pos_;
            pos_ = 0;
        }
        if (buffer_.size() - end_ < kBuffer / 2)
            buffer_.resize(buffer_.size() + kBuffer);
        const size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_.get());
        if (std::ferror(file_.get()))
            throw TransferError(name_ + ", line " + std::to_string(line_) + ": the file cannot be read");
        end_ += got;
        if (got == 0 || std::feof(file_.get()))
            eof_ = true;
    }
    return end_ - pos_ >= wanted;
}

int CsvReader::peek(size_t ahead)
{
    if (pos_ + ahead >= end_ && !fill(ahead + 1))
        return -1;
    return static_cast<unsigned char>(buffer_[pos_ + ahead]);
}

void CsvReader::fail(const std::string& what) const
{
    throw TransferError(name_ + ", line " + std::to_string(recordLine_) + ": " + what);
}

void CsvReader::finishField(CsvRecord& record, std::string& raw, size_t chars)
{
    const size_t index = fields_++;
    if (chars > kMaxField)
        fail("field " + std::to_string(index + 1) + " is longer than " + std::to_string(kMaxField) + " characters");
    if (record.fields.size() <= index)
        record.fields.emplace_back();
    std::string& field = record.fields[index];
    const bool ascii = std::all_of(raw.begin(), raw.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii)
        field.assign(raw);
    else if (kind_.encoding == TextEncoding::Utf8) {
        if (!validUtf8(raw))
            fail("field " + std::to_string(index + 1) + " is not valid UTF-8 text");
        field.assign(raw);
    } else {
        field = xbase::cp1252ToUtf8(raw);
    }
    raw.clear();
}

bool CsvReader::next(CsvRecord& record)
{
    const bool utf8 = kind_.encoding == TextEncoding::Utf8;
    std::string raw;
    for (;;) {
        fields_ = 0;
        record.line = recordLine_ = line_;
        raw.clear();
        size_t lineChars = 0, fieldChars = 0;
        bool quoted = false, started = false, blanksOnly = true;
        const auto count = [&](int c, size_t n = 1) {
            if (utf8 && (c & 0xC0) == 0x80)
                return;
            lineChars += n;
            if (lineChars > kMaxLine)
                fail(quoted ? "a quoted field runs on for more than " + std::to_string(kMaxLine) +
                                  " characters; a closing quote may be missing"
                            : "the line is longer than " + std::to_string(kMaxLine) + " characters");
        };
        for (;;) {
            if (!quoted && pos_ < end_) {
                // A run of plain characters goes in one piece.
                const char* from = buffer_.data() + pos_;
                const char* to = from;
                const char* stop = buffer_.data() + end_;
                while (to < stop && !special(static_cast<unsigned char>(*to)))
                    ++to;
                if (to != from) {
                    size_t chars = size_t(to - from);
                    if (utf8)
                        chars = utf8Length(std::string_view(from, chars));
                    if (blanksOnly && std::any_of(from, to, [](char ch) { return !blank(static_cast<unsigned char>(ch)); }))
                        blanksOnly = false;
                    raw.append(from, to);
                    pos_ += size_t(to - from);
                    started = true;
                    fieldChars += chars;
                    lineChars += chars;
                    if (lineChars > kMaxLine)
                        fail("the line is longer than " + std::to_string(kMaxLine) + " characters");
                    continue;
                }
            }
            const int c = peek(0);
            if (c < 0 || c == 0x1A) {
                if (quoted)
                    fail("a quoted field is still open at the end of the file");
                if (!started)
                    return false;
                finishField(record, raw, fieldChars);
                break;
            }
            ++pos_;
            started = true;
            if (quoted) {
                if (c == '"') {
                    if (peek(0) == '"') {
                        ++pos_;
                        count(c, 2);
                        raw += '"';
                        ++fieldChars;
                        continue;
                    }
                    size_t k = 0;
                    while (blank(peek(k)) && k <= kMaxLine)
                        ++k;
                    if (peek(k) == ',' || lineEnd(peek(k))) {
                        pos_ += k;
                        count(c, 1 + k);
                        quoted = false;
                        continue;
                    }
                } else if (c == '\r' || c == '\n') {
                    raw += char(c);
                    if (c == '\r' && peek(0) == '\n') {
                        ++pos_;
                        raw += '\n';
                    }
                    ++line_;
                }
                if (c != '\r' && c != '\n')
                    raw += char(c);
                count(c);
                if (!utf8 || (c & 0xC0) != 0x80)
                    ++fieldChars;
                continue;
            }
            if (c == ',') {
                count(c);
                if (fields_ + 1 >= kMaxFields)
                    fail("the line has more than " + std::to_string(kMaxFields) + " fields");
                finishField(record, raw, fieldChars);
                fieldChars = 0;
                blanksOnly = true;
                continue;
            }
            if (c == '\r' || c == '\n') {
                if (c == '\r' && peek(0) == '\n')
                    ++pos_;
                ++line_;
                finishField(record, raw, fieldChars);
                break;
            }
            count(c);
            if (c == '"' && blanksOnly) {
                quoted = true;
                raw.clear();
                fieldChars = 0;
                continue;
            }
            raw += char(c);
            if (!utf8 || (c & 0xC0) != 0x80)
                ++fieldChars;
            if (!blank(c))
                blanksOnly = false;
        }
        record.fields.resize(fields_);
        if (!holdsNothing(record.fields))
            return true;
    }
}

} // namespace qb
