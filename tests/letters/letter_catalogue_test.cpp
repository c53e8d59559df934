// LETTER.DBF: templates stored, read back, cloned and deleted; the memo
// length rule; a row whose memo cannot be read.

#include "letters/letter_catalogue.h"

#include "core/memo_text.h"
#include "letter_fixture.h"
#include "mainwindow/window_test_support.h"

namespace qb {
namespace {

class LetterCatalogueTest : public test::LetterFixture {};

TEST_F(LetterCatalogueTest, StoreReadCloneDelete)
{
    storeTemplate("Welcome", test::rtfLetter({"Dear [First],", "welcome to the club."}));
    auto table = openSystemTable(SystemTable::Letter, xbase::OpenMode::Exclusive);
    ASSERT_NE(table, nullptr);
    LetterCatalogue catalogue(*table);
    ASSERT_TRUE(catalogue.hasCurrent());
    EXPECT_EQ(catalogue.description(), "Welcome");

    // The memo holds RTF lines with CR LF; its length is never a positive
    // multiple of four, so the tables read the same in the Windows program.
    const QString memo = QString::fromStdString(table->memo("RTF"));
    EXPECT_TRUE(memo.startsWith("{\\rtf1"));
    EXPECT_TRUE(memo.contains("\r\n"));
    EXPECT_NE(memoLength(memo) % 4, 0);

    richtext::RichText loaded;
    ASSERT_TRUE(catalogue.load(loaded));
    EXPECT_EQ(loaded.document().toPlainText(), "Dear [First],\nwelcome to the club.");

    log.answer = true;
    ASSERT_TRUE(catalogue.clone());
    EXPECT_EQ(log.messages.back().caption, "CLONE");
    EXPECT_EQ(log.messages.back().text, "Clone \"Welcome\"?");
    EXPECT_EQ(catalogue.description(), "Clone of Welcome");
    richtext::RichText cloned;
    ASSERT_TRUE(catalogue.load(cloned));
    EXPECT_EQ(cloned.rtf(), loaded.rtf());

    // A long description is cut to the column when cloned.
    ASSERT_TRUE(catalogue.save(false, QString(50, 'x'), cloned));
    ASSERT_TRUE(catalogue.clone());
    EXPECT_EQ(catalogue.description(), "Clone of " + QString(41, 'x'));

    log.answer = false;
    EXPECT_FALSE(catalogue.remove());
    log.answer = true;
    table->first();
    const QString first = catalogue.description();
    ASSERT_TRUE(catalogue.remove());
    EXPECT_EQ(log.messages.back().caption, "DELETE");
    EXPECT_EQ(log.messages.back().text, "Delete \"" + first + "\"?");
    int rows = 0;
    for (bool more = table->first(); more; more = table->next())
        ++rows;
    EXPECT_EQ(rows, 2);
}

TEST_F(LetterCatalogueTest, AnEmptyTemplateIsStoredAndReadBackEmpty)
{
    storeTemplate("Empty", "");
    auto table = openSystemTable(SystemTable::Letter, xbase::OpenMode::Exclusive);
    LetterCatalogue catalogue(*table);
    richtext::RichText loaded;
    ASSERT_TRUE(catalogue.load(loaded));
    EXPECT_TRUE(loaded.isEmpty());
    EXPECT_EQ(loaded.page(), richtext::PageLayout{});
}

TEST_F(LetterCatalogueTest, ARowWhoseMemoCannotBeReadIsLeftAsItIs)
{
    storeTemplate("Damaged", test::rtfLetter({"text"}));
    test::pointMemoOutsideItsFile(systemTablePath(SystemTable::Letter), 1, "RTF");
    auto table = openSystemTable(SystemTable::Letter, xbase::OpenMode::Exclusive);
    ASSERT_NE(table, nullptr);
    LetterCatalogue catalogue(*table);
    const std::string before = table->raw("RTF");
    richtext::RichText loaded;
    EXPECT_FALSE(catalogue.load(loaded));
    ASSERT_FALSE(log.messages.empty());
    EXPECT_TRUE(log.messages.back().text.startsWith("The letter \"Damaged\" cannot be read")) << log.messages.back().text.toStdString();
    EXPECT_TRUE(loaded.isEmpty());
    log.answer = true;
    EXPECT_FALSE(catalogue.clone());
    EXPECT_EQ(table->raw("RTF"), before);
    int rows = 0;
    for (bool more = table->first(); more; more = table->next())
        ++rows;
    EXPECT_EQ(rows, 1);
}

} // namespace
} // namespace qb
