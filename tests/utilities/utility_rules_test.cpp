// The rules of the data utilities, run on databases with planted cases and
// checked record by record afterwards.
#include "utilities/case_conversion.h"
#include "utilities/duplicate_check.h"
#include "utilities/search_replace.h"
#include "utilities/state_zip_check.h"
#include "utilities/temporary_index.h"
#include "utilities/zip_count.h"
#include "utilities_fixture.h"

#include "platform/xbase/file_io.h"

#include <QFile>

#include <cerrno>
#include <set>

using namespace qb;
using namespace qb::test;

namespace {

std::set<uint32_t> recnosOf(std::vector<uint32_t> v) { return {v.begin(), v.end()}; }

} // namespace

TEST(ZipCount, ListsEachKeyOnceInItsListWithBlanksLast)
{
    std::vector<Row> rows;
    for (const char* zip : {"12345-6789", "12345", "1234", "A1B 2C3", "k1a0b", "K1A0B", "", "", "", "02134", "99999"})
        rows.push_back({{"LNAME", "X"}, {"ZIP", zip}});
    rows.push_back({{"LNAME", "Gone"}, {"ZIP", "55555"}, {"ISDEL", "T"}});
    for (int i = 0; i < 1234; ++i)
        rows.push_back({{"LNAME", "Many"}, {"ZIP", "30301"}});
    UtilityDatabase db(rows);
    const ZipCountResult result = countZipCodes(db.t());
    const QStringList expected = {
        "02134     1", "12345     2", "30301     1,234", "99999     1", "", "", "1234      1", "A1B 2     1", "k1a0b     2", "BLANK     3",
    };
    EXPECT_EQ(result.lines, expected);
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(zipCountLine("ABCDEFGHIJKL", 1234567), "ABCDEFGHIJ1,234,567");

    const ZipCountResult stopped = countZipCodes(db.t(), [](uint64_t done, uint64_t) { return done < 3; });
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_TRUE(stopped.lines.isEmpty());
}

namespace {

std::unique_ptr<xbase::Table> cszTable(const ProgramDir& program, const std::vector<std::array<const char*, 4>>& rows)
{
    auto t = xbase::Table::create(program.data("CSZ.DBF").toStdString(),
                                  {{"NAME", 'C', 20, 0}, {"STATE", 'C', 4, 0}, {"LOW_ZIP", 'C', 10, 0}, {"HIGH_ZIP", 'C', 10, 0}});
    for (const auto& r : rows) {
        t->appendBlank();
        t->setText("NAME", r[0]);
        t->setText("STATE", r[1]);
        t->setText("LOW_ZIP", r[2]);
        t->setText("HIGH_ZIP", r[3]);
        t->post();
    }
    t->createTag("STATE", "UPPER(STATE)");
    return t;
}

} // namespace

TEST(StateZipCheck, FindsExactlyTheQuestionableRecords)
{
    struct Case {
        const char* state;
        const char* zip;
        bool questionable;            // without blanks
        bool questionableWithBlanks;
        bool deleted = false;
    };
    const Case cases[] = {
        {"NY", "12345-6789", false, false},
        {"NY", "14999-1234", true, true},    // after 14999 as text
        {"NY", "10000", false, false},
        {"ny", "09999", true, true},
        {"XX", "12345", true, true},         // no row for the state
        {"ON", "K1A 0B1", false, false},     // Canadian
        {"ON", "12345", true, true},
        {"AE", "09012", false, false},       // military
        {"AE", "34001", true, true},
        {"", "12345", false, true},          // blank state
        {"NY", "", false, true},             // blank zip under a state with a low code
        {"ZZ", "00000", true, true},         // its row runs backwards: not trusted
        {"NY", "99999", false, false, true}, // deleted
    };
    ProgramDir program;
    auto csz = cszTable(program, {{"New York", "NY", "10000", "14999"},
                                  {"New York again", "NY", "00000", "99999"},   // a later row of a state is ignored
                                  {"Ontario", "ON", "K0A", "P9Z 9Z9"},
                                  {"Armed Forces Europe", "AE", "09000", "09999"},
                                  {"Backwards", "ZZ", "99999", "00000"}});
    const CszReference reference(*csz);
    ASSERT_NE(reference.find("zz"), nullptr);
    EXPECT_FALSE(reference.find("ZZ")->fault.isEmpty());
    EXPECT_TRUE(reference.find("NY")->fault.isEmpty());
    EXPECT_FALSE(cszRowFault("1000;", "2000").isEmpty());

    for (bool blanks : {false, true}) {
        std::vector<Row> rows;
        std::set<uint32_t> expected;
        for (const Case& c : cases) {
            rows.push_back({{"LNAME", "Person" + std::to_string(rows.size())}, {"STATE", c.state}, {"ZIP", c.zip}});
            if (c.deleted)
                rows.back()["ISDEL"] = "T";
            if (blanks ? c.questionableWithBlanks : c.questionable)
                expected.insert(uint32_t(rows.size()));
        }
        UtilityDatabase db(rows);
        db.t().setFilter("!ISDEL");
        const QString idx = stateZipIndexPath(db.path);
        EXPECT_TRUE(idx.endsWith("DATA/add0001_chksz.idx")) << idx.toStdString();
        {
            TemporaryIndex result(db.t(), idx, "upper(LNAME)+upper(FNAME)");
            const StateZipOutcome outcome = checkStateAndZip(db.t(), reference, blanks, result);
            EXPECT_EQ(outcome.found, expected.size());
            EXPECT_TRUE(outcome.error.isEmpty());
            db.t().selectOrder(result.order());
            const std::vector<uint32_t> shown = db.shown();
            EXPECT_EQ(recnosOf(shown), expected) << "blanks " << blanks;
            EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end(), [&](uint32_t a, uint32_t b) {
                db.t().go(a);
                const std::string ka = db.t().text("LNAME");
                db.t().go(b);
                return ka < db.t().text("LNAME");
            }));
            EXPECT_TRUE(QFile::exists(idx));
        }
        EXPECT_FALSE(QFile::exists(idx));
        EXPECT_EQ(db.t().orderCount(), db.t().tagCount());
    }
}

TEST(StateZipCheck, ACancelKeepsWhatWasFound)
{
    ProgramDir program;
    auto csz = cszTable(program, {{"New York", "NY", "10000", "14999"}});
    const CszReference reference(*csz);
    std::vector<Row> rows(10, Row{{"LNAME", "Wrong"}, {"STATE", "NY"}, {"ZIP", "99999"}});
    UtilityDatabase db(rows);
    TemporaryIndex result(db.t(), stateZipIndexPath(db.path), "upper(LNAME)+upper(FNAME)");
    const StateZipOutcome outcome = checkStateAndZip(db.t(), reference, false, result, [](uint64_t done, uint64_t) { return done < 4; });
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(outcome.found, 4u);
    db.t().selectOrder(result.order());
    EXPECT_EQ(db.shown(), (std::vector<uint32_t>{1, 2, 3, 4}));
}

TEST(DuplicateCheck, NeighboursWithEqualKeysInEachKind)
{
    const std::vector<Row> rows = {
        {{"LNAME", "Smith"}, {"FNAME", "John"}, {"STREET", "12 Main Street"}},   // 1
        {{"LNAME", "SMITH"}, {"FNAME", "john"}, {"STREET", "12 Main St."}},      // 2
        {{"LNAME", "Smith"}, {"FNAME", "John"}, {"STREET", "14 Elm Road"}},      // 3
        {{"LNAME", "Smith"}, {"FNAME", "Jane"}, {"STREET", "15 Elm Road"}},      // 4
        {{"LNAME", "Ann"}, {"FNAME", "Elise"}, {"STREET", "9 Oak Lane"}},        // 5
        {{"LNAME", "Anne"}, {"FNAME", "Lise"}, {"STREET", "9 Oak Lane West"}},   // 6
        {{"LNAME", ""}, {"FNAME", "Nobody"}, {"STREET", ""}},                    // 7
        {{"LNAME", ""}, {"FNAME", "Nobody"}, {"STREET", ""}},                    // 8
        {{"LNAME", "Smith"}, {"FNAME", "John"}, {"STREET", "12 Main Street"}, {"ISDEL", "T"}},   // 9
        {{"LNAME", "Jones"}, {"FNAME", "Al"}, {"STREET", "14 ELM ROAD"}},        // 10
    };
    struct Case {
        DuplicateKind kind;
        int street;
        uint64_t pairs;
        std::set<uint32_t> found;
    };
    const Case cases[] = {
        {DuplicateKind::LastFirst, 30, 2, {1, 2, 3}},
        {DuplicateKind::LastFirstInitial, 30, 3, {1, 2, 3, 4}},
        {DuplicateKind::Street, 10, 3, {1, 2, 5, 6, 3, 10}},
        {DuplicateKind::Street, 30, 1, {3, 10}},
    };
    for (const Case& c : cases) {
        UtilityDatabase db(rows);
        db.t().setFilter("!ISDEL");
        TemporaryIndex result(db.t(), duplicateIndexPath(), duplicateIndexExpression(c.kind));
        const DuplicateOutcome outcome = checkDuplicates(db.t(), c.kind, c.street, result);
        EXPECT_EQ(outcome.found, c.pairs) << int(c.kind) << " " << c.street;
        db.t().selectOrder(result.order());
        const std::vector<uint32_t> shown = db.shown();
        EXPECT_EQ(recnosOf(shown), c.found) << int(c.kind) << " " << c.street;
        EXPECT_EQ(shown.size(), c.found.size()) << "a record is listed once";
    }
}

// Twins the name order keeps apart: UPPER(LNAME-FNAME) runs last and first
// name together, so "Wood S..." sorts among "Woods A..." and "Ann Elise"
// may stand either side of "Anne Lise".
TEST(DuplicateCheck, TwinsAreFoundWhereverTheNameOrderPutsThem)
{
    const std::vector<Row> rows = {
        {{"LNAME", "Wood"}, {"FNAME", "Sandra"}},   // 1
        {{"LNAME", "Woods"}, {"FNAME", "Ann"}},     // 2
        {{"LNAME", "Wood"}, {"FNAME", "Sarah"}},    // 3
        {{"LNAME", "Woods"}, {"FNAME", "Austin"}},  // 4
        {{"LNAME", "Wood"}, {"FNAME", "Scott"}},    // 5
        {{"LNAME", "Ann"}, {"FNAME", "Elise"}},     // 6
        {{"LNAME", "Anne"}, {"FNAME", "Lise"}},     // 7
        {{"LNAME", "ANN"}, {"FNAME", "elise"}},     // 8
    };
    const struct {
        DuplicateKind kind;
        uint64_t pairs;
        std::set<uint32_t> found;
    } cases[] = {
        {DuplicateKind::LastFirstInitial, 4, {1, 2, 3, 4, 5, 6, 8}},
        {DuplicateKind::LastFirst, 1, {6, 8}},
    };
    for (const auto& c : cases) {
        UtilityDatabase db(rows);
        db.t().setFilter("!ISDEL");
        TemporaryIndex result(db.t(), duplicateIndexPath(), duplicateIndexExpression(c.kind));
        const DuplicateOutcome outcome = checkDuplicates(db.t(), c.kind, 30, result);
        EXPECT_EQ(outcome.found, c.pairs) << int(c.kind);
        db.t().selectOrder(result.order());
        EXPECT_EQ(recnosOf(db.shown()), c.found) << int(c.kind);
    }
}

TEST(CaseConversion, WordsAndTheLettersAToZ)
{
    struct Case {
        const char* text;
        CaseMode mode;
        const char* expected;
    };
    const Case cases[] = {
        {"mcDONALD o'brien-JONES", CaseMode::FirstLetter, "Mcdonald O'brien-jones"},
        {"12TH street", CaseMode::FirstLetter, "12th Street"},
        {"van der BERG", CaseMode::FirstLetter, "Van Der Berg"},
        // Accented letters stay as they are in every mode.
        {"josé ÉLODIE  müller", CaseMode::FirstLetter, "José Élodie  Müller"},
        {"josé élodie œuvre", CaseMode::Upper, "JOSé éLODIE œUVRE"},
        {"ÀÇÉÎÕÜ McDonald", CaseMode::Lower, "ÀÇÉÎÕÜ mcdonald"},
        {"straße µ ÿ", CaseMode::Upper, "STRAßE µ ÿ"},
        {"élan ÉLAN", CaseMode::FirstLetter, "élan Élan"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(convertCase(QString::fromUtf8(c.text), c.mode), QString::fromUtf8(c.expected)) << c.text;
}

TEST(CaseConversion, ConvertsTheChosenRecordsAndFieldsOnly)
{
    const std::vector<Row> rows = {
        {{"LNAME", "mcdonald"}, {"FNAME", "RONALD"}, {"CITY", "new york"}, {"CODES", "a"}},
        {{"LNAME", "o'brien"}, {"FNAME", "séan"}, {"CITY", "cork"}, {"CODES", "b"}},
        {{"LNAME", "van der berg"}, {"FNAME", "ANNA"}, {"CITY", "den haag"}, {"CODES", "a"}},
        {{"LNAME", "gone"}, {"FNAME", "gone"}, {"CITY", "gone"}, {"ISDEL", "T"}},
    };
    struct Case {
        RecordChoice choice;
        std::vector<std::string> lname, fname, city;
        uint64_t changed;
    };
    const Case cases[] = {
        {RecordChoice::Current, {"mcdonald", "O'BRIEN", "van der berg", "gone"}, {"RONALD", "SéAN", "ANNA", "gone"}, {"new york", "cork", "den haag", "gone"}, 1},
        {RecordChoice::Filtered, {"MCDONALD", "o'brien", "VAN DER BERG", "gone"}, {"RONALD", "séan", "ANNA", "gone"}, {"new york", "cork", "den haag", "gone"}, 2},
        {RecordChoice::All, {"MCDONALD", "O'BRIEN", "VAN DER BERG", "gone"}, {"RONALD", "SéAN", "ANNA", "gone"}, {"new york", "cork", "den haag", "gone"}, 3},
    };
    for (const Case& c : cases) {
        UtilityDatabase db(rows);
        db.t().setFilter("CODES = 'a' .and. !ISDEL");
        db.t().first();
        if (c.choice == RecordChoice::Current)
            db.t().go(2);
        const uint32_t at = db.t().recno();
        const BulkOutcome outcome = convertRecords(db.t(), {"LNAME", "FNAME"}, CaseMode::Upper, c.choice);
        EXPECT_TRUE(outcome.ok()) << outcome.error.toStdString();
        EXPECT_EQ(outcome.changed, c.changed);
        EXPECT_EQ(db.t().filter(), "CODES = 'a' .and. !ISDEL");
        EXPECT_EQ(db.t().recno(), at);
        EXPECT_EQ(db.column("LNAME"), c.lname);
        EXPECT_EQ(db.column("FNAME"), c.fname);
        EXPECT_EQ(db.column("CITY"), c.city);
    }
}

// A cancel and an engine error half-way leave exactly the records reported
// as changed changed, on the disk too.
TEST(CaseConversion, StoppedHalfWayChangesExactlyWhatItReports)
{
    std::vector<Row> rows;
    for (int i = 0; i < 300; ++i)
        rows.push_back({{"LNAME", "name" + std::to_string(i)}, {"CITY", "town"}});
    for (int stop = 0; stop < 2; ++stop) {
        UtilityDatabase db(rows);
        BulkOutcome outcome;
        if (stop == 0) {
            outcome = convertRecords(db.t(), {"LNAME", "CITY"}, CaseMode::Upper, RecordChoice::All,
                                     [](uint64_t done, uint64_t) { return done < 120; });
            EXPECT_TRUE(outcome.cancelled);
        } else {
            xbase::injectIoFaults(150, 0, ENOSPC);
            outcome = convertRecords(db.t(), {"LNAME", "CITY"}, CaseMode::Upper, RecordChoice::All);
            xbase::injectIoFaults(0, 0, 0);
            EXPECT_FALSE(outcome.error.isEmpty());
        }
        EXPECT_GT(outcome.changed, 0u);
        EXPECT_LT(outcome.changed, 300u);
        db.table.close();
        auto t = xbase::Table::open(db.path.toStdString(), xbase::OpenMode::ReadOnly);
        uint64_t upper = 0;
        for (uint32_t r = 1; r <= t->recordCount(); ++r) {
            t->go(r);
            const bool changed = t->text("LNAME") == "NAME" + std::to_string(r - 1);
            EXPECT_EQ(changed, t->text("CITY") == "TOWN") << r;
            upper += changed;
        }
        EXPECT_EQ(upper, outcome.changed);
    }
}

TEST(SearchReplace, MatchesAndReplacesInCode)
{
    ReplaceRequest partial{"LNAME", true, "an", false, false, "in"};
    EXPECT_EQ(replacedValue(partial, "Banana"), "Binina");
    EXPECT_EQ(replacedValue(partial, "BANANA  "), "BininA");
    ReplaceRequest quote{"LNAME", true, "O\"B", true, false, "x"};
    EXPECT_TRUE(replaceMatches(quote, "JO\"Brien"));
    EXPECT_FALSE(replaceMatches(quote, "Jo\"brien"));
    ReplaceRequest many{"USER1", true, "a", true, false, "aa"};
    EXPECT_EQ(replacedValue(many, QString(60, 'a')), QString(100, 'a') + QString(10, 'a'));
    ReplaceRequest exact{"LNAME", false, "smith", false, true, "Smyth"};
    EXPECT_TRUE(replaceMatches(exact, "SMITH   "));
    EXPECT_FALSE(replaceMatches(exact, "Smithers"));
    EXPECT_EQ(replaceQuestion(partial, "Last Name"),
              "Find records where field Last Name\rcontains: \"an\" (not case sensitive)\rand replace only the matching text with \"in\"");
    EXPECT_EQ(replaceQuestion({"LNAME", false, "", true, true, ""}, "Last Name"),
              "Find records where field Last Name\ris empty \rand delete the entire field ");
}

TEST(SearchReplace, ChangesTheMatchingRecordsOfTheScope)
{
    const std::vector<Row> rows = {
        {{"LNAME", "Banana"}, {"CODES", "a"}},
        {{"LNAME", ""}, {"CODES", "a"}},
        {{"LNAME", "O\"Neil"}, {"CODES", "b"}},
        {{"LNAME", ""}, {"CODES", "b"}},
        {{"LNAME", "Bandana"}, {"CODES", "b"}},
        {{"LNAME", "Banana"}, {"ISDEL", "T"}},
    };
    struct Case {
        ReplaceRequest request;
        std::vector<std::string> lname;
        uint64_t changed;
    };
    const Case cases[] = {
        {{"LNAME", false, "", false, true, "Jones"}, {"Banana", "Jones", "O\"Neil", "Jones", "Bandana", "Banana"}, 2},
        {{"LNAME", false, "", false, true, "Jones", true}, {"Banana", "Jones", "O\"Neil", "", "Bandana", "Banana"}, 1},
        {{"LNAME", true, "an", false, false, "in"}, {"Binina", "", "O\"Neil", "", "Bindina", "Banana"}, 2},
        {{"LNAME", true, "\"", true, false, "'"}, {"Banana", "", "O'Neil", "", "Bandana", "Banana"}, 1},
        {{"LNAME", false, "banana", true, true, "X"}, {"Banana", "", "O\"Neil", "", "Bandana", "Banana"}, 0},
    };
    for (const Case& c : cases) {
        UtilityDatabase db(rows);
        db.t().setFilter("CODES = 'a'");
        const ReplaceOutcome outcome = replaceFieldValues(db.t(), c.request, "CODES = 'a'");
        EXPECT_TRUE(outcome.ok()) << outcome.error.toStdString();
        EXPECT_EQ(outcome.changed, c.changed) << c.request.search.toStdString();
        EXPECT_EQ(db.column("LNAME"), c.lname) << c.request.search.toStdString();
        EXPECT_EQ(db.t().filter(), "CODES = 'a'");
    }
    // Too long for the field, or not storable: refused, nothing changed.
    UtilityDatabase db(rows);
    const int width = db.t().field(db.t().fieldIndex("LNAME")).length;
    for (const QString& value : {QString(width + 1, 'x'), QStringLiteral("日本")}) {
        const ReplaceOutcome outcome = replaceFieldValues(db.t(), {"LNAME", true, "an", false, true, value}, {});
        EXPECT_FALSE(outcome.error.isEmpty());
        EXPECT_EQ(outcome.changed, 0u);
    }
    EXPECT_EQ(db.column("LNAME")[0], "Banana");
    // A partial result that would outgrow the field is left alone and told.
    const ReplaceOutcome grown = replaceFieldValues(db.t(), {"LNAME", true, "a", false, false, QString(width / 2, 'y')}, {});
    EXPECT_EQ(grown.tooLong, 2u);
    EXPECT_EQ(grown.changed, 0u);
}

TEST(BulkDelete, TheThreeChoices)
{
    const std::vector<Row> rows = {
        {{"LNAME", "Keep"}, {"CODES", "a"}},
        {{"LNAME", "Drop"}, {"CODES", "b"}},
        {{"LNAME", "Keep2"}, {"CODES", "a"}},
        {{"LNAME", "Gone"}, {"CODES", "b"}, {"ISDEL", "T"}},
    };
    struct Case {
        DeleteChoice choice;
        QString filter;
        uint64_t count;
        std::vector<std::string> left;   // not deleted afterwards
    };
    const Case cases[] = {
        {DeleteChoice::All, "CODES = 'a'", 3, {}},
        {DeleteChoice::Matching, "CODES = 'a'", 2, {"Drop"}},
        {DeleteChoice::NotMatching, "CODES = 'a'", 1, {"Keep", "Keep2"}},
        {DeleteChoice::Matching, "", 3, {}},
    };
    for (const Case& c : cases) {
        UtilityDatabase db(rows);
        db.t().setFilter(c.filter.toStdString());
        const BulkOutcome outcome = deleteRecords(db.t(), c.choice, c.filter);
        EXPECT_TRUE(outcome.ok()) << outcome.error.toStdString();
        EXPECT_EQ(outcome.changed, c.count);
        db.t().setFilter("");
        std::vector<std::string> left;
        for (bool ok = db.t().first(); ok; ok = db.t().next()) {
            EXPECT_FALSE(db.t().logical("ISDEL"));
            left.push_back(db.t().text("LNAME"));
        }
        EXPECT_EQ(left, c.left);
        if (c.choice == DeleteChoice::All) {
            EXPECT_EQ(db.t().recordCount(), 0u);
        }
    }
}

TEST(TemporaryIndex, StaleFilesGoAtStart)
{
    ProgramDir program;
    for (const QString& f : {program.folder() + "_chkdup.idx", program.data("add0001_chksz.idx"), program.data("club_CHKSZ.IDX")})
        QFile(f).open(QIODevice::WriteOnly);
    QFile(program.data("keep.idx")).open(QIODevice::WriteOnly);
    EXPECT_EQ(removeStaleTemporaryIndexes(program.folder()), 3);
    EXPECT_TRUE(QFile::exists(program.data("keep.idx")));
}
