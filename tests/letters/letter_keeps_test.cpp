// A letter keeps what the user put into it: page breaks stay where they were
// put, what the editor cannot show is named and never lost without a word,
// and edits are not thrown away by a stray key.

#include "letters/letter_merge.h"
#include "letters/letter_text_edit.h"
#include "letters/tletterdesign.h"
#include "letters/tqbletters.h"

#include "letter_fixture.h"
#include "mainwindow/window_test_support.h"

#include <QTest>
#include <QTextBlock>

namespace qb {
namespace {

using test::child;

class LetterKeeps : public test::LetterFixture {
protected:
    std::unique_ptr<xbase::Table> letters()
    {
        auto t = openSystemTable(SystemTable::Letter, xbase::OpenMode::Exclusive);
        EXPECT_NE(t, nullptr);
        return t;
    }
    // The paragraphs of a text that begin a new page.
    static int breaks(const QTextDocument& d)
    {
        int n = 0;
        for (QTextBlock b = d.begin(); b.isValid(); b = b.next())
            n += (b.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) ? 1 : 0;
        return n;
    }
    static int printedPages(const richtext::RichText& text)
    {
        richtext::RichText printed;
        printed.assign(text);
        return printed.pageCount();
    }
};

TEST_F(LetterKeeps, EnterAfterAPageBreakStartsNoFurtherPage)
{
    // Typed: a break put in by the menu, then three paragraphs after it.
    TLetterDesign typed("Typed", nullptr, nullptr);
    typed.show();
    QTest::keyClicks(typed.editor(), "Page one");
    log.answer = true;
    typed.InsertPageBreakClick();
    for (const char* p : {"A", "B", "C"}) {
        QTest::keyClicks(typed.editor(), p);
        QTest::keyClick(typed.editor(), Qt::Key_Return);
    }
    EXPECT_EQ(breaks(typed.text().document()), 1);
    EXPECT_EQ(printedPages(typed.text()), 2);
    EXPECT_EQ(typed.text().rtf().count("\\pagebb"), 1);

    // Read: a break from \page and one from \pagebb, Enter at the end of each.
    for (const QString& second : {QStringLiteral("\\page two"), QStringLiteral("\\pard\\pagebb two")}) {
        SCOPED_TRACE(second.toStdString());
        richtext::RichText stored(richtext::RichText::Layout::Editor);
        stored.setRtf(test::rtfLetter({"one", second}));
        TLetterDesign read("Read", &stored, nullptr);
        read.show();
        read.editor()->moveCursor(QTextCursor::End);
        QTest::keyClick(read.editor(), Qt::Key_Return);
        QTest::keyClicks(read.editor(), "three");
        QTest::keyClick(read.editor(), Qt::Key_Enter);
        QTest::keyClicks(read.editor(), "four");
        EXPECT_EQ(breaks(read.text().document()), 1);
        EXPECT_EQ(printedPages(read.text()), 2);
    }
}

TEST_F(LetterKeeps, TheAddressBlockAfterAPageBreakStaysOnItsPage)
{
    richtext::RichText letter;
    letter.setRtf(test::rtfLetter({"one", "\\page [Name and Address]Dear [Last]"}));
    const std::map<std::string, QString> record = {
        {"FNAME", "Ann"}, {"LNAME", "Adams"}, {"STREET", "1 Main St"}, {"CITY", "Springfield"}, {"ZIP", "62701"}};
    mergeLetter(letter.document(), [&record](const char* c) {
        const auto it = record.find(c);
        return it == record.end() ? QString() : it->second;
    }, QDate(2024, 3, 1));
    EXPECT_EQ(letter.document().toPlainText(), "one\nAnn Adams \n1 Main St\nSpringfield  62701\nDear Adams");
    EXPECT_EQ(breaks(letter.document()), 1);
    EXPECT_EQ(letter.pageCount(), 2);
}

} // namespace
} // namespace qb
