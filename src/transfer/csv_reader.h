#pragma once
// Comma-separated text, one record a line, read a buffer at a time so that no
// file is ever held whole.
//
// Lines end in LF, CR LF or CR; a 0x1A (the end marker of DOS programs) ends
// the file. Each line is decoded by itself: valid UTF-8 as UTF-8, anything
// else as Windows-1252, so one stray byte of another program never garbles
// the rest of a file.
//
// A field that begins with a double quote (blanks before it aside) is quoted
// when its closing quote comes: a double quote followed by blanks and then a
// comma or the end of a line. Inside it commas are text, two double quotes
// stand for one, and any other double quote is a character of the value, so
// the O"Brien and 5" disk of a hand-made file survive. The blanks after the
// closing quote stay with the value. A quoted field runs over line breaks
// only while nothing but doubled quotes stood in it, and only when it closes
// further down; otherwise its line is read by itself, the field taken as it
// stands up to the next comma. So a stray quote never swallows the lines
// after it. These are the rules LibreOffice Calc reads such files by.
//
// A line of a, b and a trailing comma holds three fields, the last empty.
// Lines with nothing but blanks and commas hold no record and are passed over.
//
// Bounds: a line holds at most 2048 characters (the rest of a longer one is
// skipped), a field 255 (the rest is cut off), a record 255 fields (the rest
// are left out). Each is noted with the record, never an error.

#include "transfer/text_encoding.h"

#include <cstdint>
#include <cstdio>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace qb {

struct CsvRecord {
    std::vector<std::string> fields;   // UTF-8
    uint64_t line = 0;                 // the line the record starts on, from 1
    // What was not read as it stands: lines read as Windows-1252 in a UTF-8
    // file, bounds that cut something off.
    std::vector<std::string> notes;
};

class CsvReader {
public:
    static constexpr size_t kMaxLine = 2048;
    static constexpr size_t kMaxField = 255;
    static constexpr size_t kMaxFields = 255;
    // A quoted field running over line breaks is given up (and its line read
    // by itself) once its record has this many bytes.
    static constexpr size_t kMaxQuotedRecord = 65536;

    // Throws TransferError when the file cannot be opened.
    CsvReader(const std::string& path, TextFileKind kind);
    // The same over text in memory; name stands for the file in messages.
    static CsvReader fromText(std::string text, TextFileKind kind, const std::string& name = "text");
    ~CsvReader();
    CsvReader(CsvReader&&) noexcept;
    CsvReader& operator=(CsvReader&&) = delete;

    // The next record; false after the last. Throws TransferError naming the
    // file and the line when the file cannot be read.
    bool next(CsvRecord& record);

    const std::string& name() const { return name_; }

private:
    struct Line {
        std::string text;     // UTF-8
        std::string ending;   // "\r\n", "\n", "\r", or "" at the end of the file
        uint64_t number = 0;
        bool windows1252 = false;   // not UTF-8 in a UTF-8 file
        bool cut = false;           // longer than kMaxLine; the rest skipped
    };
    enum class Parse { Done, Unclosed };

    CsvReader(TextFileKind kind, std::string name);
    bool fill(size_t wanted);
    bool readLine(Line& line);
    bool takeLine(Line& line);
    Parse parse(CsvRecord& record, std::vector<Line>& lines, bool overBreaks);
    void finish(CsvRecord& record, const std::vector<Line>& lines);

    std::string name_;
    TextFileKind kind_;
    std::unique_ptr<FILE, int (*)(FILE*)> file_;
    std::vector<char> buffer_;
    size_t pos_ = 0, end_ = 0;
    bool eof_ = false;
    bool ended_ = false;            // the end marker or the file's end was met
    uint64_t lineNumber_ = 0;       // of the last line read from the file
    std::deque<Line> pending_;      // lines read ahead for a record read again
};

} // namespace qb
