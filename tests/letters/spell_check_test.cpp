// Spell checking with Debian's hunspell and its en_US dictionary: the engine's
// rules, the user dictionary that keeps added words, and the dialog walking a
// letter.

#include "letters/spell_engine.h"
#include "letters/tletterdesign.h"
#include "letters/tspellcheckdialog.h"
#include "letters/word_scanner.h"

#include "core/text_file.h"
#include "letter_fixture.h"
#include "mainwindow/window_test_support.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextEdit>

namespace qb {
namespace {

using test::child;

class SpellCheck : public test::LetterFixture {
protected:
    QString userDictionary() const { return program.folder() + "quillbu.dct"; }
};

TEST_F(SpellCheck, TheEngineOverTheSystemDictionary)
{
    const std::optional<DictionaryFiles> main = findMainDictionary(program.folder(), "en_US");
    ASSERT_TRUE(main.has_value()) << "the en_US dictionary is missing: scripts/deps.sh installs hunspell-en-us";
    SpellEngine engine;
    ASSERT_TRUE(engine.openMain(*main));
    struct Case {
        const char* word;
        bool known;
    } cases[] = {
        {"receive", true}, {"Receive", true}, {"RECEIVE", true}, {"recieve", false}, {"x", true},
        {"q", true},       {"dog's", true},   {"dog\u2019s", true}, {"dogg's", false},
        {"Quillbase", false}, {"don't", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(engine.check(QString::fromUtf8(c.word)), c.known) << c.word;
    const QStringList suggestions = engine.suggest("recieve");
    EXPECT_TRUE(suggestions.contains("receive")) << suggestions.join(' ').toStdString();
    EXPECT_LE(engine.suggest("xqzt").size(), kMaxSuggestions);

    // Another locale's dictionary when the system has it, else en_US.
    EXPECT_TRUE(findMainDictionary(program.folder(), "xx_YY").has_value());
}

TEST_F(SpellCheck, AddedWordsStayInTheUserDictionary)
{
    const DictionaryFiles main = *findMainDictionary(program.folder(), "en_US");
    {
        SpellEngine engine;
        engine.openMain(main);
        ASSERT_TRUE(engine.openUser(userDictionary()));
        EXPECT_TRUE(QFile::exists(userDictionary()));   // created empty
        EXPECT_FALSE(engine.check("Quillbase"));
        EXPECT_TRUE(engine.addWord("Quillbase"));
        EXPECT_TRUE(engine.check("quillbase"));
    }
    EXPECT_EQ(readText1252(userDictionary(), 1000), "Quillbase\r\n");
    SpellEngine again;
    again.openMain(main);
    ASSERT_TRUE(again.openUser(userDictionary()));
    EXPECT_TRUE(again.check("QUILLBASE"));

    // A user dictionary that is a folder can be neither read nor made.
    SpellEngine none;
    EXPECT_FALSE(none.openUser(program.folder() + "DATA"));
    EXPECT_FALSE(none.hasUser());
}

TEST_F(SpellCheck, ADictionaryInTheProgramFolderComesFirst)
{
    writeLines1252(program.folder() + "quillb.aff", {"SET UTF-8"});
    writeLines1252(program.folder() + "quillb.dic", {"1", "zzyzx"});
    const std::optional<DictionaryFiles> own = findMainDictionary(program.folder(), "en_US");
    ASSERT_TRUE(own.has_value());
    EXPECT_EQ(own->dic, program.folder() + "quillb.dic");
    SpellEngine engine;
    ASSERT_TRUE(engine.openMain(*own));
    EXPECT_TRUE(engine.check("zzyzx"));
    EXPECT_FALSE(engine.check("receive"));
}

TEST_F(SpellCheck, WordsOfALetter)
{
    QTextDocument d;
    d.setPlainText(QString::fromUtf8("Don't stop-here, 3rd [Zip] O'Neil's caf\u00e9 \u0160koda ok'"));
    WordScanner scanner(d);
    QStringList words;
    for (QString w = scanner.next(); !w.isEmpty(); w = scanner.next())
        words << w;
    EXPECT_EQ(words, QStringList({"Don't", "stop", "here", "rd", "Zip", "O'Neil's", QString::fromUtf8("caf\u00e9"),
                                  QString::fromUtf8("\u0160koda"), "ok"}));
    scanner.reset();
    scanner.next();
    scanner.replace(QString(300, 'x'));
    EXPECT_EQ(d.toPlainText().indexOf(' '), kMaxReplacementLength);
    EXPECT_EQ(scanner.next(), "stop");
}

TEST_F(SpellCheck, TheDialogWalksTheLetter)
{
    QTextEdit text;
    text.setPlainText("Ths is a tst of Quillbase, and tst again.");
    text.moveCursor(QTextCursor::End);
    {
        TSpellCheckDialog dialog(&text, program.folder());
        EXPECT_TRUE(dialog.addButton()->isEnabled());
        dialog.show();
        QCoreApplication::processEvents();
        // The first unknown word is selected in the letter, with suggestions.
        EXPECT_EQ(dialog.word()->text(), "Ths");
        EXPECT_EQ(text.textCursor().selectedText(), "Ths");
        QStringList suggestions;
        for (int i = 0; i < dialog.wordList()->count(); ++i)
            suggestions << dialog.wordList()->item(i)->text();
        EXPECT_TRUE(suggestions.contains("This")) << suggestions.join(' ').toStdString();
        EXPECT_LE(suggestions.size(), kMaxSuggestions);
        EXPECT_EQ(dialog.replaceAs()->text(), suggestions.value(0));
        // A click on an entry makes it the replacement.
        QListWidgetItem* item = dialog.wordList()->findItems("This", Qt::MatchExactly).value(0);
        ASSERT_NE(item, nullptr);
        emit dialog.wordList()->itemClicked(item);
        EXPECT_EQ(dialog.replaceAs()->text(), "This");
        child<QPushButton>(&dialog, "ReplaceButton")->click();

        EXPECT_EQ(dialog.word()->text(), "tst");
        child<QPushButton>(&dialog, "SkipButton")->click();
        EXPECT_EQ(dialog.word()->text(), "Quillbase");
        child<QPushButton>(&dialog, "AddButton")->click();
        // The second "tst" is asked again; the added word is not.
        EXPECT_EQ(dialog.word()->text(), "tst");
        child<QPushButton>(&dialog, "SkipButton")->click();
        EXPECT_EQ(log.texts(), QStringList{"Spell check complete"});
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_EQ(text.toPlainText(), "This is a tst of Quillbase, and tst again.");
    EXPECT_FALSE(text.textCursor().hasSelection());
    EXPECT_EQ(text.textCursor().position(), 0);

    // A new check knows the added word; Cancel ends it with the cursor at the start.
    TSpellCheckDialog again(&text, program.folder());
    again.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(again.word()->text(), "tst");
    child<QPushButton>(&again, "CancelButton")->click();
    EXPECT_FALSE(text.textCursor().hasSelection());
    EXPECT_EQ(text.textCursor().position(), 0);
}

TEST_F(SpellCheck, ALetterWithoutUnknownWordsIsCompleteAtOnce)
{
    for (const char* letter : {"All of these words are known.", ""}) {
        log.messages.clear();
        QTextEdit text;
        text.setPlainText(letter);
        TSpellCheckDialog dialog(&text, program.folder());
        dialog.show();
        QCoreApplication::processEvents();
        EXPECT_EQ(log.texts(), QStringList{"Spell check complete"}) << letter;
        EXPECT_FALSE(dialog.isVisible());
    }
    // The editor offers the check because a dictionary is there.
    TLetterDesign editor("Spell", nullptr, nullptr);
    EXPECT_TRUE(editor.findChild<QAction*>("mnuSpellCheck")->isEnabled());
}

} // namespace
} // namespace qb
