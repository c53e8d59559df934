#include "mainwindow/record_text.h"

#include <gtest/gtest.h>

namespace qb::test {
namespace {

RecordFields fullRecord()
{
    RecordFields f;
    f.prefix = "Dr.";
    f.fname = "Ann";
    f.middle = "B";
    f.lname = "Carter";
    f.title = "Director";
    f.org = "Acme Mills";
    f.street = "12 High St";
    f.street2 = "Suite 4";
    f.city = "Springfield";
    f.state = "IL";
    f.zip = "62701";
    f.country = "USA";
    f.phone = "555-0100";
    f.phone2 = "555-0101";
    f.codes = "VIP";
    f.user1 = "first";
    f.user2 = "second";
    return f;
}

RecordTextParts only(bool name, bool address, bool phones, bool codes, bool comments)
{
    return RecordTextParts{name, address, phones, codes, comments};
}

struct Case {
    const char* what;
    RecordFields fields;
    RecordTextParts parts;
    const char* text;
};

RecordFields with(RecordFields f, QString RecordFields::*field, const QString& value)
{
    f.*field = value;
    return f;
}

TEST(RecordText, BuildsTheLinesOfTheTickedGroups)
{
    const RecordFields full = fullRecord();
    RecordFields noPhones = full;
    noPhones.phone.clear();
    noPhones.phone2.clear();
    RecordFields nameOnly;
    nameOnly.fname = "Ann";
    nameOnly.lname = "Carter";
    RecordFields emptyAddress;

    const Case cases[] = {
        {"everything", full, RecordTextParts{},
         "Dr. Ann B. Carter \r\nDirector\r\nAcme Mills\r\n12 High St\r\nSuite 4\r\nSpringfield  IL 62701\r\n"
         "USA \r\nPhone  :555-0100\r\nPhone 2:555-0101\r\nCodes :VIP\r\nComment 1 :first\r\nComment 2 :second\r\n"},
        {"name line has single blanks and one trailing blank", full, only(true, false, false, false, false),
         "Dr. Ann B. Carter \r\nDirector\r\nAcme Mills\r\n"},
        {"blank middle initial gets no full stop", with(nameOnly, &RecordFields::middle, "  "),
         only(true, false, false, false, false), "Ann Carter \r\n"},
        {"missing prefix and first name leave no blanks", with(RecordFields{}, &RecordFields::lname, "Carter"),
         only(true, false, false, false, false), "Carter \r\n"},
        {"city without state: two blanks before the zip", with(with(full, &RecordFields::state, ""), &RecordFields::street2, ""),
         only(false, true, false, false, false), "12 High St\r\nSpringfield  62701\r\nUSA \r\n"},
        // The city line of an empty address is a single blank, which is not empty.
        {"empty address keeps the blank city line", emptyAddress, only(false, true, false, false, false), " \r\n"},
        {"only phones, both empty: empty text", noPhones, only(false, false, true, false, false), ""},
        {"second phone alone", with(noPhones, &RecordFields::phone2, "555-0199"), only(false, false, true, false, false),
         "Phone 2:555-0199\r\n"},
        {"codes and comments", with(full, &RecordFields::user1, ""), only(false, false, false, true, true),
         "Codes :VIP\r\nComment 2 :second\r\n"},
        {"nothing ticked", full, only(false, false, false, false, false), ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(recordText(c.fields, c.parts), QString::fromLatin1(c.text)) << c.what;
}

TEST(RecordText, IsCutAtTheLimitWithoutPartingALineBreak)
{
    struct Limit {
        int commentLength;   // "Comment 1 :" + this many 'x' + CR LF
        int expectedSize;
        bool endsInLineFeed;
    };
    // 11 characters of label: 987 x's end the text at 1000 with the CR LF; one
    // more puts the CR at 1000 and the LF beyond, so the CR goes too.
    const Limit cases[] = {{987, 1000, true}, {988, 999, false}, {2000, 1000, false}};
    for (const Limit& c : cases) {
        RecordFields f;
        f.user1 = QString(c.commentLength, QLatin1Char('x'));
        const QString text = recordText(f, only(false, false, false, false, true));
        EXPECT_EQ(text.size(), c.expectedSize) << c.commentLength;
        EXPECT_EQ(text.endsWith(QLatin1Char('\n')), c.endsInLineFeed) << c.commentLength;
        EXPECT_FALSE(text.endsWith(QLatin1Char('\r'))) << c.commentLength;
    }
}

} // namespace
} // namespace qb::test
