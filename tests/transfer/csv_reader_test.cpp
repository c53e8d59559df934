// Reading comma-separated text: the splitting rules, the bounds, the codes.

#include "transfer/csv_reader.h"
#include "transfer/transfer_error.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

using namespace std::string_literals;

using Records = std::vector<std::vector<std::string>>;

Records read(const std::string& text, TextFileKind kind = {})
{
    CsvReader reader = CsvReader::fromText(text, kind, "in.csv");
    Records out;
    CsvRecord r;
    while (reader.next(r))
        out.push_back(r.fields);
    return out;
}

std::string failure(const std::string& text, TextFileKind kind = {})
{
    try {
        read(text, kind);
    } catch (const TransferError& e) {
        return e.what();
    }
    return "no error";
}

TEST(CsvReader, SplitsLinesByTheRules)
{
    const struct {
        const char* name;
        std::string text;
        Records expected;
    } cases[] = {
        {"plain", "a,b,c\r\n", {{"a", "b", "c"}}},
        {"trailing comma", "a,b,\r\n", {{"a", "b", ""}}},
        {"quoted comma", "Smith,\"12 Oak St, Apt 4\",Springfield\r\n", {{"Smith", "12 Oak St, Apt 4", "Springfield"}}},
        {"doubled quotes", "\"She said \"\"hi\"\"\",x\n", {{"She said \"hi\"", "x"}}},
        {"quoted line break", "\"line one\nline two\",x\r\nnext,y\r\n", {{"line one\nline two", "x"}, {"next", "y"}}},
        {"quoted CR LF kept", "\"a\r\nb\",c\r\n", {{"a\r\nb", "c"}}},
        {"lone quote in plain field", "O\"Brien,5\" disk\r\n", {{"O\"Brien", "5\" disk"}}},
        {"lone quotes in quoted field", "\"He said \"hi\" to me\",x\r\n", {{"He said \"hi\" to me", "x"}}},
        // Blanks before the opening quote go, those after the closing one stay.
        {"blanks around quotes", "a, \"b,c\" ,d\r\n", {{"a", "b,c ", "d"}}},
        // A quote that does not close before a comma or the line's end leaves
        // the field as it stands and the lines after it alone.
        {"stray quote at the start", "\"Bo\" Li,Wu\nAl,Ng\n\"Cy\",Ho\nDee,Fox\n",
         {{"\"Bo\" Li", "Wu"}, {"Al", "Ng"}, {"Cy", "Ho"}, {"Dee", "Fox"}}},
        {"quote never closed", "a,\"open\nb,c", {{"a", "\"open"}, {"b", "c"}}},
        {"closed after a stray quote", "\"12\" x 4\",b\n", {{"12\" x 4", "b"}}},
        {"blanks kept in plain fields", " a , b\r\n", {{" a ", " b"}}},
        {"no final line break", "a,b", {{"a", "b"}}},
        {"lone CR ends lines", "a\rb\r", {{"a"}, {"b"}}},
        {"empty and blank lines hold no record", "a\r\n\r\n  \r\n,,\r\nb\r\n", {{"a"}, {"b"}}},
        {"empty quoted value", "\"\",x\r\n", {{"", "x"}}},
        {"DOS end marker", "a,b\r\n\x1A", {{"a", "b"}}},
        {"Windows-1252 letters", "M\xFCller,Fran\xE7ois\r\n", {{"Müller", "François"}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(read(c.text), c.expected) << c.name;
}

TEST(CsvReader, ReadsUtf8WithAndWithoutByteOrderMark)
{
    const TextFileKind utf8{TextEncoding::Utf8, false}, bom{TextEncoding::Utf8, true};
    EXPECT_EQ(read("Müller,Zoë\r\n", utf8), (Records{{"Müller", "Zoë"}}));
    EXPECT_EQ(read("\xEF\xBB\xBFMüller,Zoë\r\n", bom), (Records{{"Müller", "Zoë"}}));
}

// Each line by itself: a line that is not UTF-8 in a UTF-8 file is read as
// Windows-1252 and named; the lines around it stay UTF-8.
TEST(CsvReader, DecodesLineByLine)
{
    CsvReader reader = CsvReader::fromText("Zoë,Seán\r\nM\xFCller,D\xF6rte\r\n\"Ren\xE9" "e\r\nAnn\",Dörte\r\n", {TextEncoding::Utf8, false},
                                           "in.csv");
    std::vector<CsvRecord> got;
    for (CsvRecord r; reader.next(r);)
        got.push_back(r);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].fields, (std::vector<std::string>{"Zoë", "Seán"}));
    EXPECT_EQ(got[0].notes, std::vector<std::string>{});
    EXPECT_EQ(got[1].fields, (std::vector<std::string>{"Müller", "Dörte"}));
    EXPECT_EQ(got[1].notes, std::vector<std::string>{"line 2 is not UTF-8 text; it was read as Windows-1252"});
    EXPECT_EQ(got[2].fields, (std::vector<std::string>{"Renée\r\nAnn", "Dörte"})) << "a quoted break between the two codes";
    EXPECT_EQ(got[2].notes, std::vector<std::string>{"line 3 is not UTF-8 text; it was read as Windows-1252"});
    // A Windows-1252 file is read as such, without a note.
    CsvReader windows = CsvReader::fromText("M\xFCller\r\n", {}, "in.csv");
    CsvRecord r;
    ASSERT_TRUE(windows.next(r));
    EXPECT_EQ(r.fields, std::vector<std::string>{"Müller"});
    EXPECT_TRUE(r.notes.empty());
}

// Past a bound the rest is left out and the record says so; the lines after it
// are read as ever.
TEST(CsvReader, BoundsCutAndNote)
{
    const std::string field255(255, 'x'), field256(256, 'x');
    std::string fields255, fields256;
    for (int i = 0; i < 255; ++i)
        fields255 += (i ? "," : "") + std::string("f");
    fields256 = fields255 + ",f";
    // Exactly at each bound is fine.
    EXPECT_EQ(read(field255 + "\r\n").at(0).at(0).size(), 255u);
    EXPECT_EQ(read(fields255 + "\r\n").at(0).size(), 255u);
    std::string line2048;
    for (int i = 0; i < 8; ++i)
        line2048 += field255 + ",";
    EXPECT_EQ(read(line2048 + "\r\n").at(0).size(), 9u) << "2048 characters";

    const struct {
        const char* name;
        std::string text;
        Records records;
        std::vector<std::string> notes;
    } cases[] = {
        {"long field", "ok\r\n" + field256 + ",y\r\n", {{"ok"}, {field255, "y"}}, {"line 2, field 1: 256 characters; the first 255 are kept"}},
        {"many fields", fields256 + "\r\n", {std::vector<std::string>(255, "f")}, {"line 1: more than 255 fields; the rest are left out"}},
        {"long line", "a\r\n" + std::string(100000, 'y') + ",z\r\nb\r\n", {{"a"}, {std::string(255, 'y')}, {"b"}},
         {"line 2 is longer than 2048 characters; the rest of it is left out",
          "line 2, field 1: 2048 characters; the first 255 are kept"}},
        {"one past 2048", line2048 + "xy\r\nb\r\n", {{field255, field255, field255, field255, field255, field255, field255, field255, ""}, {"b"}},
         {"line 1 is longer than 2048 characters; the rest of it is left out"}},
        {"runaway quote", "a\r\n\"never closed,\r\n" + std::string(3000, 'z') + "\r\n",
         {{"a"}, {"\"never closed", ""}, {std::string(255, 'z')}},
         {"line 3 is longer than 2048 characters; the rest of it is left out", "line 3, field 1: 2048 characters; the first 255 are kept"}},
    };
    for (const auto& c : cases) {
        CsvReader reader = CsvReader::fromText(c.text, {}, "in.csv");
        Records records;
        std::vector<std::string> notes;
        for (CsvRecord r; reader.next(r);) {
            records.push_back(r.fields);
            notes.insert(notes.end(), r.notes.begin(), r.notes.end());
        }
        EXPECT_EQ(records, c.records) << c.name;
        EXPECT_EQ(notes, c.notes) << c.name;
    }
    // The UTF-8 bounds count characters, not bytes.
    EXPECT_EQ(read("é" + std::string(254, 'x') + "\r\n", {TextEncoding::Utf8, false}).at(0).at(0).size(), 256u);
}

TEST(CsvReader, LinesAreCountedAcrossQuotedBreaks)
{
    CsvReader reader = CsvReader::fromText("a\r\n\"b\r\nc\",d\r\ne\r\n", {}, "in.csv");
    CsvRecord r;
    std::vector<uint64_t> lines;
    while (reader.next(r))
        lines.push_back(r.line);
    EXPECT_EQ(lines, (std::vector<uint64_t>{1, 2, 4}));
}

TEST(TextEncoding, DetectedFromTheWholeFile)
{
    xbase::test::ScratchDir dir;
    const struct {
        const char* name;
        std::string bytes;
        TextEncoding encoding;
        bool bom;
    } cases[] = {
        {"ASCII", "a,b\r\n", TextEncoding::Windows1252, false},
        {"Windows-1252", "M\xFCller\r\n", TextEncoding::Windows1252, false},
        {"UTF-8", "Müller\r\n", TextEncoding::Utf8, false},
        {"UTF-8 with mark", "\xEF\xBB\xBF" "a\r\n", TextEncoding::Utf8, true},
        // The first letter beyond ASCII far down the file decides.
        {"UTF-8 late", std::string(200000, 'a') + "\r\nZoë\r\n", TextEncoding::Utf8, false},
        {"Windows-1252 late", std::string(200000, 'a') + "\r\nZo\xEB\r\n", TextEncoding::Windows1252, false},
        // A line of UTF-8 makes a UTF-8 file; its other lines are read one by one.
        {"UTF-8 then 1252", "Zoë\r\nZo\xEB\r\n", TextEncoding::Utf8, false},
        {"1252 then UTF-8", "Zo\xEB\r\nZoë\r\n", TextEncoding::Utf8, false},
    };
    for (const auto& c : cases) {
        xbase::test::writeFile(dir.file("f.csv"), c.bytes);
        const TextFileKind kind = detectTextEncoding(dir.file("f.csv"));
        EXPECT_EQ(kind.encoding, c.encoding) << c.name;
        EXPECT_EQ(kind.byteOrderMark, c.bom) << c.name;
    }
    // A character split across two reads of the buffer is still one character.
    std::string split(65535, 'a');
    split += "é\r\n";
    xbase::test::writeFile(dir.file("f.csv"), split);
    EXPECT_EQ(detectTextEncoding(dir.file("f.csv")).encoding, TextEncoding::Utf8);

    const struct {
        const char* name;
        std::string bytes;
        std::string message;
    } bad[] = {
        {"NUL", "a,b\r\nc\0d\r\n"s, " is not a text file (a control character on line 2)"},
        {"picture", "\x89PNG\r\n\x1A\n\0\0"s, " is not a text file (a control character on line 2)"},
        {"UTF-16", "\xFF\xFE" "a\0"s, " is UTF-16 text; save it as UTF-8 or Windows text (CSV) to import it"},
    };
    for (const auto& c : bad) {
        xbase::test::writeFile(dir.file("f.csv"), c.bytes);
        try {
            detectTextEncoding(dir.file("f.csv"));
            ADD_FAILURE() << c.name << " passed as text";
        } catch (const TransferError& e) {
            EXPECT_EQ(e.what(), dir.file("f.csv") + c.message) << c.name;
        }
    }
}

TEST(TextEncoding, CharactersWindows1252Lacks)
{
    EXPECT_EQ(charactersOutside1252("Müller € Œuvre “quoted”"), "");
    EXPECT_EQ(charactersOutside1252("Łukasz Wałęsa Ł"), "Łłę");
    EXPECT_EQ(utf8Length("Zoë"), 3u);
}

} // namespace
} // namespace qb
