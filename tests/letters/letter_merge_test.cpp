// Merging a record into a letter: the values of the fields, and what
// replacing them does to the text and its formatting.

#include "letters/letter_merge.h"

#include "platform/richtext/rich_text.h"

#include <QLocale>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>
#include <map>

namespace qb {
namespace {

using Record = std::map<std::string, QString>;

MergeFieldReader reader(const Record& r)
{
    return [r](const char* column) {
        const auto it = r.find(column);
        return it == r.end() ? QString() : it->second;
    };
}

QString merged(const QString& plain, const Record& r, const QDate& today = {2024, 3, 1})
{
    QTextDocument d;
    d.setPlainText(plain);
    mergeLetter(d, reader(r), today);
    return d.toPlainText();
}

TEST(LetterMerge, FieldValues)
{
    struct Case {
        const char* field;
        Record record;
        const char* value;
    } cases[] = {
        {"Full Name", {{"PREFIX", "Dr."}, {"FNAME", "Ann"}, {"MIDDLE", "B"}, {"LNAME", "Cole"}}, "Dr. Ann B. Cole"},
        {"Full Name", {{"FNAME", "Ann"}, {"LNAME", "Cole"}}, "Ann Cole"},
        {"Full Name", {{"PREFIX", "Dr."}, {"FNAME", "Ann"}}, "Dr. Ann"},
        {"Full Name", {}, ""},
        {"Middle", {{"MIDDLE", "B"}}, "B"},
        {"City+State+Zip", {{"CITY", "Springfield"}, {"STATE", "IL"}, {"ZIP", "62701"}}, "Springfield IL 62701"},
        {"City+State+Zip", {{"CITY", "Springfield"}, {"ZIP", "62701"}}, "Springfield  62701"},
        {"City+State+Zip", {{"CITY", "Springfield"}, {"STATE", "IL"}}, "Springfield IL"},
        {"City+State+Zip", {{"ZIP", "62701"}}, "62701"},
        {"Province", {{"STATE", "ON"}}, "ON"},
        {"Postal Code", {{"ZIP", "K1A 0B1"}}, "K1A 0B1"},
        {"E-Mail", {{"EMAIL", "a@b.org"}}, "a@b.org"},
        {"Comment 2", {{"USER2", "note"}}, "note"},
        {"Long Date", {}, "Mar 1, 2024"},
        {"No Such Field", {{"LNAME", "Cole"}}, ""},
    };
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " " + c.value);
        EXPECT_EQ(mergeValue(c.field, reader(c.record), QDate(2024, 3, 1)), QString::fromUtf8(c.value));
    }
    EXPECT_EQ(mergeValue("Today's Date", reader({}), QDate(2024, 3, 1)), QLocale().toString(QDate(2024, 3, 1), QLocale::ShortFormat));
    EXPECT_EQ(mergeFieldNames().size(), 25);
    EXPECT_EQ(mergeOrder().size(), 25);
    for (const QString& name : mergeFieldNames())
        EXPECT_TRUE(mergeOrder().contains(name)) << name.toStdString();
}

TEST(LetterMerge, AddressBlockLines)
{
    const Record base{{"FNAME", "Ann"}, {"LNAME", "Cole"}, {"STREET", "1 Main St"}};
    struct Case {
        Record extra;
        const char* block;
    } cases[] = {
        {{{"TITLE", "Manager"}, {"ORG", "Acme"}}, "Ann Cole \r\nManager,  Acme\r\n1 Main St\r\n"},
        {{{"ORG", "Acme"}}, "Ann Cole \r\nAcme\r\n1 Main St\r\n"},
        {{{"TITLE", "Manager"}}, "Ann Cole \r\nManager\r\n1 Main St\r\n"},
        {{{"CITY", "Springfield"}, {"STATE", "IL"}, {"ZIP", "62701"}}, "Ann Cole \r\n1 Main St\r\nSpringfield IL  62701\r\n"},
        {{{"CITY", "Springfield"}, {"ZIP", "62701"}}, "Ann Cole \r\n1 Main St\r\nSpringfield  62701\r\n"},
        {{{"STREET2", "Suite 4"}, {"STATE", "IL"}, {"COUNTRY", "USA"}}, "Ann Cole \r\n1 Main St\r\nSuite 4\r\nIL\r\nUSA\r\n"},
    };
    for (const Case& c : cases) {
        Record r = base;
        r.insert(c.extra.begin(), c.extra.end());
        SCOPED_TRACE(c.block);
        EXPECT_EQ(mergeAddressBlock(reader(r)), QString::fromUtf8(c.block));
    }
    EXPECT_EQ(mergeAddressBlock(reader({})), "");
}

TEST(LetterMerge, ReplacingFieldsInTheText)
{
    const Record r{{"FNAME", "Ann"}, {"LNAME", "Cole"}, {"ZIP", "62701"}, {"CITY", "Springfield"}};
    struct Case {
        const char* text;
        Record record;
        const char* merged;
    } cases[] = {
        {"Dear [First], [First] [Last]", r, "Dear Ann, Ann Cole"},
        {"[zip] [ZIP] [Zip] [cItY]", r, "62701 62701 62701 Springfield"},
        {"[Nickname] and [First", r, "[Nickname] and [First"},
        {"[First][Last]", r, "AnnCole"},
        {"[Phone]x", r, "x"},   // an empty value removes the field
        // A value is never merged again, whichever field brought it.
        {"[First]", {{"FNAME", "[Zip]"}, {"ZIP", "1"}}, "[Zip]"},
        {"[Zip]", {{"ZIP", "[First]"}, {"FNAME", "Ann"}}, "[First]"},
        {"[Last]!", {{"LNAME", "[Last]"}}, "[Last]!"},
        {"[Title]/[Name and Address]", {{"TITLE", "Chief [Zip] Officer"}, {"ZIP", "1"}},
         "Chief [Zip] Officer/Chief [Zip] Officer\n1\n"},
        {"Dear [Full Name],", {{"FNAME", "Ann"}, {"LNAME", "Adams"}}, "Dear Ann Adams,"},
        // The address block brings its own paragraphs.
        {"[Name and Address]Dear", r, "Ann Cole \nSpringfield  62701\nDear"},
        {"", r, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(merged(c.text, c.record), QString::fromUtf8(c.merged));
    }
}

TEST(LetterMerge, TheValueKeepsTheFieldsFormatting)
{
    richtext::RichText letter;
    letter.setRtf(QStringLiteral(R"({\rtf1{\fonttbl{\f0 Arial;}{\f1 Times New Roman;}}\f0\fs20 Zip: {\f1\b\fs28 [Zip]} ok\par})"));
    mergeLetter(letter.document(), reader({{"ZIP", "62701-1234"}}));
    const QTextDocument& d = letter.document();
    EXPECT_EQ(d.toPlainText(), "Zip: 62701-1234 ok");
    for (int at : {5, 14}) {   // the first and the last character of the value
        QTextCursor c(const_cast<QTextDocument*>(&d));
        c.setPosition(at + 1);
        EXPECT_EQ(c.charFormat().fontWeight(), QFont::Bold);
        EXPECT_EQ(c.charFormat().fontPointSize(), 14);
        EXPECT_EQ(c.charFormat().fontFamilies().toStringList().value(0), "Times New Roman");
    }
    QTextCursor after(const_cast<QTextDocument*>(&d));
    after.setPosition(17);
    EXPECT_NE(after.charFormat().fontWeight(), QFont::Bold);
    EXPECT_EQ(after.charFormat().fontPointSize(), 10);
}

} // namespace
} // namespace qb
