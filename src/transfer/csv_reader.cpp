#include "transfer/csv_reader.h"

#include "platform/xbase/codepage.h"
#include "transfer/transfer_error.h"

#include <algorithm>
#include <cstring>

namespace qb {

namespace {
constexpr size_t kBuffer = 1 << 16;
// The most bytes kMaxLine characters take in UTF-8.
constexpr size_t kMaxLineBytes = CsvReader::kMaxLine * 4;

bool holdsNothing(const std::vector<std::string>& fields)
{
    return std::all_of(fields.begin(), fields.end(),
                       [](const std::string& f) { return f.find_first_not_of(" \t") == std::string::npos; });
}

bool ascii(std::string_view bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The byte offset of character n of a UTF-8 text (its length when shorter).
size_t offsetOfCharacter(std::string_view utf8, size_t n)
{
    size_t chars = 0;
    for (size_t i = 0; i < utf8.size(); ++i)
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80 && chars++ == n)
            return i;
    return utf8.size();
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
            throw TransferError(name_ + ", line " + std::to_string(lineNumber_ + 1) + ": the file cannot be read");
        end_ += got;
        if (got == 0 || std::feof(file_.get()))
            eof_ = true;
    }
    return end_ - pos_ >= wanted;
}

bool CsvReader::readLine(Line& line)
{
    if (ended_)
        return false;
    std::string bytes;
    bool cut = false, any = false;
    line.ending.clear();
    for (;;) {
        if (pos_ >= end_ && !fill(1)) {
            ended_ = true;
            break;
        }
        const char* from = buffer_.data() + pos_;
        const char* stop = buffer_.data() + end_;
        const char* to = from;
        while (to < stop && *to != '\r' && *to != '\n' && *to != 0x1A)
            ++to;
        if (to != from) {
            const size_t n = size_t(to - from);
            const size_t room = kMaxLineBytes > bytes.size() ? kMaxLineBytes - bytes.size() : 0;
            bytes.append(from, std::min(n, room));
            cut = cut || n > room;
            pos_ += n;
            any = true;
            continue;
        }
        const char c = *to;
        ++pos_;
        if (c == 0x1A) {
            ended_ = true;
            break;
        }
        any = true;
        if (c == '\n') {
            line.ending = "\n";
        } else if ((pos_ < end_ || fill(1)) && buffer_[pos_] == '\n') {
            ++pos_;
            line.ending = "\r\n";
        } else {
            line.ending = "\r";
        }
        break;
    }
    if (!any)
        return false;
    line.number = ++lineNumber_;
    line.windows1252 = false;
    if (ascii(bytes) || validUtf8(bytes)) {
        line.text = std::move(bytes);
    } else {
        // A cut may have split the last character.
        size_t keep = bytes.size();
        if (cut)
            for (size_t k = 1; k <= 3 && k <= bytes.size() && !validUtf8(std::string_view(bytes).substr(0, keep)); ++k)
                keep = bytes.size() - k;
        if (cut && validUtf8(std::string_view(bytes).substr(0, keep))) {
            bytes.resize(keep);
            line.text = std::move(bytes);
        } else {
            line.text = xbase::cp1252ToUtf8(bytes);
            line.windows1252 = kind_.encoding == TextEncoding::Utf8;
        }
    }
    if (line.text.size() > kMaxLine)
        if (const size_t at = offsetOfCharacter(line.text, kMaxLine); at < line.text.size()) {
            line.text.resize(at);
            cut = true;
        }
    line.cut = cut;
    return true;
}

bool CsvReader::takeLine(Line& line)
{
    if (pending_.empty())
        return readLine(line);
    line = std::move(pending_.front());
    pending_.pop_front();
    return true;
}

bool CsvReader::next(CsvRecord& record)
{
    for (;;) {
        std::vector<Line> lines(1);
        if (!takeLine(lines[0]))
            return false;
        record.line = lines[0].number;
        if (parse(record, lines, true) == Parse::Unclosed) {
            // A quote that never closed: the first line by itself, the lines
            // read after it are records of their own.
            for (size_t i = lines.size(); i-- > 1;)
                pending_.push_front(std::move(lines[i]));
            lines.resize(1);
            parse(record, lines, false);
        }
        if (holdsNothing(record.fields))
            continue;
        finish(record, lines);
        return true;
    }
}

CsvReader::Parse CsvReader::parse(CsvRecord& record, std::vector<Line>& lines, bool overBreaks)
{
    record.fields.clear();
    record.notes.clear();
    std::string text = lines[0].text;
    const auto nextLine = [&]() -> bool {
        if (!overBreaks || lines.back().ending.empty() || text.size() > kMaxQuotedRecord)
            return false;
        Line more;
        if (!takeLine(more))
            return false;
        text += lines.back().ending;
        text += more.text;
        lines.push_back(std::move(more));
        return true;
    };
    const auto add = [&](std::string value) {
        const size_t index = record.fields.size();
        if (index == kMaxFields) {
            record.notes.push_back("line " + std::to_string(record.line) + ": more than " + std::to_string(kMaxFields) +
                                   " fields; the rest are left out");
        }
        if (index >= kMaxFields)
            return;
        if (const size_t at = value.size() > kMaxField ? offsetOfCharacter(value, kMaxField) : value.size(); at < value.size()) {
            record.notes.push_back("line " + std::to_string(record.line) + ", field " + std::to_string(index + 1) + ": " +
                                   std::to_string(utf8Length(value)) + " characters; the first " + std::to_string(kMaxField) +
                                   " are kept");
            value.resize(at);
        }
        record.fields.push_back(std::move(value));
    };

    size_t p = 0;
    for (;;) {
        size_t q = p;
        while (q < text.size() && text[q] == ' ')
            ++q;
        if (q < text.size() && text[q] == '"') {
            std::string value;
            bool lone = false, closed = false;
            size_t r = q + 1;
            for (;;) {
                if (r >= text.size()) {
                    // The end of a line inside the quotes: on to the next line
                    // while nothing but doubled quotes stood in the field.
                    // The line break itself is text of the value, from r on.
                    if (!lone && nextLine())
                        continue;
                    break;
                }
                const char c = text[r];
                if (c != '"') {
                    const size_t run = text.find('"', r);
                    const size_t stop = run == std::string::npos ? text.size() : run;
                    value.append(text, r, stop - r);
                    r = stop;
                    continue;
                }
                if (r + 1 < text.size() && text[r + 1] == '"') {
                    value += '"';
                    r += 2;
                    continue;
                }
                size_t s = r + 1;
                while (s < text.size() && text[s] == ' ')
                    ++s;
                if (s >= text.size() || text[s] == ',') {
                    value.append(text, r + 1, s - r - 1);
                    closed = true;
                    p = s;
                    break;
                }
                lone = true;
                value += '"';
                ++r;
            }
            if (closed) {
                add(std::move(value));
                if (p >= text.size())
                    return Parse::Done;
                ++p;
                continue;
            }
            if (lines.size() > 1)
                return Parse::Unclosed;
            p = q;   // taken as it stands, the quote included
        }
        const size_t comma = text.find(',', p);
        const size_t stop = comma == std::string::npos ? text.size() : comma;
        add(text.substr(p, stop - p));
        if (comma == std::string::npos)
            return Parse::Done;
        p = comma + 1;
    }
}

void CsvReader::finish(CsvRecord& record, const std::vector<Line>& lines)
{
    std::vector<std::string> notes;
    for (const Line& l : lines) {
        if (l.windows1252)
            notes.push_back("line " + std::to_string(l.number) + " is not UTF-8 text; it was read as Windows-1252");
        if (l.cut)
            notes.push_back("line " + std::to_string(l.number) + " is longer than " + std::to_string(kMaxLine) +
                            " characters; the rest of it is left out");
    }
    notes.insert(notes.end(), record.notes.begin(), record.notes.end());
    record.notes = std::move(notes);
}

} // namespace qb
