#pragma once
// Comma-separated text, one record a line, read a buffer at a time so that no
// file is ever held whole.
//
// A field that begins with a double quote (blanks before it aside) is quoted:
// inside it commas and line breaks are text, two double quotes stand for one,
// and a double quote followed by blanks and then a comma or the end of the line
// closes it. Any other double quote, in a quoted field or not, is a character
// of the value, so the O"Brien and 5" disk of a hand-made file survive. A line
// of a, b and a trailing comma holds three fields, the last empty. Lines
// with nothing but blanks and commas hold no record and are passed over.
//
// Bounds: a line holds at most 2048 characters, a field 255, a line 255
// fields. Text beyond them is an error naming the line, never cut off.

#include "transfer/text_encoding.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace qb {

struct CsvRecord {
    std::vector<std::string> fields;   // UTF-8
    uint64_t line = 0;                 // the line the record starts on, from 1
};

class CsvReader {
public:
    static constexpr size_t kMaxLine = 2048;
    static constexpr size_t kMaxField = 255;
    static constexpr size_t kMaxFields = 255;

    // Throws TransferError when the file cannot be opened.
    CsvReader(const std::string& path, TextFileKind kind);
    // The same over text in memory; name stands for the file in messages.
    static CsvReader fromText(std::string text, TextFileKind kind, const std::string& name = "text");
    ~CsvReader();
    CsvReader(CsvReader&&) noexcept;
    CsvReader& operator=(CsvReader&&) = delete;

    // The next record; false after the last. Throws TransferError naming the
    // file and the line for a broken bound, text that is not what its encoding
    // says, a quoted field left open at the end, or a failed read.
    bool next(CsvRecord& record);

    const std::string& name() const { return name_; }

private:
    CsvReader(TextFileKind kind, std::string name);
    bool fill(size_t wanted);
    int peek(size_t ahead);
    [[noreturn]] void fail(const std::string& what) const;
    void finishField(CsvRecord& record, std::string& raw, size_t chars);

    std::string name_;
    TextFileKind kind_;
    std::unique_ptr<FILE, int (*)(FILE*)> file_;
    std::vector<char> buffer_;
    size_t pos_ = 0, end_ = 0;
    bool eof_ = false;
    uint64_t line_ = 1;         // the line the reader is on
    uint64_t recordLine_ = 1;   // the line the record being read began on
    size_t fields_ = 0;         // fields of the record finished so far
};

} // namespace qb
