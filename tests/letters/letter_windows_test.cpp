// The letter windows driven through their widgets: the letters screen with
// its templates, the letter editor and its dialogs, the print status window
// and the preview.

#include "letters/tletterdesign.h"
#include "letters/tletterfind.h"
#include "letters/tletterprint.h"
#include "letters/tparagraphpropdlg.h"
#include "letters/tqbletters.h"
#include "letters/trtfpreviewform.h"
#include "letters/twppageprop.h"

#include "core/settings.h"
#include "letter_fixture.h"
#include "letters/letter_text_edit.h"
#include "mainwindow/window_test_support.h"
#include "platform/richtext/text_units.h"
#include "printing/pdf_support.h"
#include "printing/tcanvasreport.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>

namespace qb {
namespace {

using test::child;

class LetterWindows : public test::LetterFixture {
protected:
    std::unique_ptr<xbase::Table> letters()
    {
        auto t = openSystemTable(SystemTable::Letter, xbase::OpenMode::Exclusive);
        EXPECT_NE(t, nullptr);
        return t;
    }
    static QPushButton* button(QWidget* w, const char* name) { return child<QPushButton>(w, name); }
    static void type(QLineEdit* edit, const QString& text)
    {
        edit->selectAll();
        if (text.isEmpty())
            QTest::keyClick(edit, Qt::Key_Backspace);
        else
            QTest::keyClicks(edit, text);
    }
};

TEST_F(LetterWindows, NewModifyCloneDeleteThroughTheScreen)
{
    add({{{"FNAME", "Ann"}, {"LNAME", "Adams"}, {"ZIP", "62701"}}});
    auto table = letters();
    TQBLetters screen(*table, addresses, false, nullptr);
    // Without a letter only New works; without a filter its choice is off.
    for (const char* name : {"ModifyButton", "CloneButton", "PrintButton", "PreviewButton", "DeleteButton"})
        EXPECT_FALSE(button(&screen, name)->isEnabled()) << name;
    EXPECT_FALSE(child<QTableView>(&screen, "LetterGrid")->isEnabled());
    EXPECT_TRUE(button(&screen, "NewButton")->isEnabled());
    EXPECT_FALSE(child<QRadioButton>(&screen, "rbQFilter")->isEnabled());
    EXPECT_TRUE(child<QRadioButton>(&screen, "rbOnlyThis")->isChecked());
    EXPECT_EQ(child<QSpinBox>(&screen, "NumberofEachLabel")->maximum(), 999);

    // New: the editor starts "{untitled}"; a field from the list, typed text.
    screen.runEditor = [](TLetterDesign& editor) {
        editor.show();
        EXPECT_TRUE(editor.isNew());
        EXPECT_EQ(child<QLineEdit>(&editor, "Description")->text(), "{untitled}");
        auto* fields = child<QComboBox>(&editor, "InsertFieldCombo");
        EXPECT_EQ(fields->currentText(), "Full Name");
        EXPECT_EQ(fields->count(), 25);
        QTest::keyClicks(editor.editor(), "Zip: ");
        fields->setCurrentIndex(fields->findText("Zip"));
        emit fields->activated(fields->currentIndex());
        QTest::keyClicks(editor.editor(), " ok");
        child<QLineEdit>(&editor, "Description")->setText("Zip note");
        // The default font of new letters is the one set for letters.
        EXPECT_EQ(editor.editor()->currentCharFormat().fontFamilies().toStringList().value(0), "Arial");
        EXPECT_EQ(editor.editor()->currentCharFormat().fontPointSize(), 10);
        return true;
    };
    button(&screen, "NewButton")->click();
    ASSERT_TRUE(screen.catalogue().hasCurrent());
    EXPECT_EQ(screen.catalogue().description(), "Zip note");
    EXPECT_TRUE(button(&screen, "ModifyButton")->isEnabled());

    // Modify shows what was stored; Cancel keeps the row as it was.
    const std::string stored = table->memo("RTF");
    screen.runEditor = [](TLetterDesign& editor) {
        EXPECT_FALSE(editor.isNew());
        EXPECT_EQ(editor.text().document().toPlainText(), "Zip: [Zip] ok");
        QTest::keyClicks(editor.editor(), "changed");
        return false;
    };
    button(&screen, "ModifyButton")->click();
    EXPECT_EQ(table->memo("RTF"), stored);

    // Closing the editor by its title bar keeps the letter, like Ok.
    screen.runEditor = [](TLetterDesign& editor) {
        editor.show();
        editor.editor()->moveCursor(QTextCursor::End);
        QTest::keyClicks(editor.editor(), "!");
        editor.close();
        return editor.result() == QDialog::Accepted;
    };
    button(&screen, "ModifyButton")->click();
    richtext::RichText reread;
    ASSERT_TRUE(screen.catalogue().load(reread));
    EXPECT_EQ(reread.document().toPlainText(), "Zip: [Zip] ok!");

    log.answer = true;
    button(&screen, "CloneButton")->click();
    EXPECT_EQ(screen.catalogue().description(), "Clone of Zip note");
    EXPECT_EQ(screen.grid()->model()->rowCount(), 2);
    EXPECT_EQ(screen.grid()->model()->headerData(0, Qt::Horizontal).toString(), "Letter Description");
    button(&screen, "DeleteButton")->click();
    EXPECT_EQ(screen.grid()->model()->rowCount(), 1);
    EXPECT_EQ(log.messages.back().caption, "DELETE");
}

TEST_F(LetterWindows, AnUnreadableTemplateIsNotOpened)
{
    add({{{"LNAME", "Adams"}}});
    storeTemplate("Damaged", test::rtfLetter({"x"}));
    test::pointMemoOutsideItsFile(systemTablePath(SystemTable::Letter), 1, "RTF");
    auto table = letters();
    TQBLetters screen(*table, addresses, false, nullptr);
    bool opened = false;
    screen.runEditor = [&opened](TLetterDesign&) { return opened = true; };
    button(&screen, "ModifyButton")->click();
    EXPECT_FALSE(opened);
    ASSERT_FALSE(log.messages.empty());
    EXPECT_TRUE(log.messages.back().text.startsWith("The letter \"Damaged\" cannot be read"));
}

TEST_F(LetterWindows, PrintTheCurrentRecordsLetterToAFile)
{
    add({{{"LNAME", "Adams"}, {"CITY", "Springfield"}}, {{"LNAME", "Baker"}, {"CITY", "Shelbyville"}}});
    storeTemplate("City", test::rtfLetter({"[Last] of [City]"}));
    addresses.table().last();
    auto table = letters();
    TQBLetters screen(*table, addresses, false, nullptr);
    const QString pdf = program.folder() + "letter.pdf";
    screen.printerJob().SelectPrinterByName("PDF file");
    screen.printerJob().setPdfFileName(pdf);
    screen.printDialog = [] { return true; };
    child<QSpinBox>(&screen, "NumberofEachLabel")->setValue(2);
    // The status window runs the letters and waits for its Ok.
    test::whenShown<TLetterPrint>([](TLetterPrint* window) {
        QTRY_VERIFY_WITH_TIMEOUT(window->ended(), 20000);
        EXPECT_EQ(window->statusLabel()->text(), "Letter Print Completed!");
        EXPECT_EQ(window->button()->text(), "Ok");
        window->button()->click();
    });
    button(&screen, "PrintButton")->click();
    EXPECT_EQ(screen.lastLetters(), 2);
    const test::PdfText text = test::readPdf(pdf);
    ASSERT_EQ(text.pages, 2);
    EXPECT_EQ(text.wordsOf(2).join(' '), "Baker of Shelbyville");
    EXPECT_EQ(addresses.table().text("LNAME"), "Baker");
}

TEST_F(LetterWindows, TheStatusWindowCancelsAfterTheCurrentRecord)
{
    add({{{"LNAME", "Adams"}}, {{"LNAME", "Baker"}}, {{"LNAME", "Cole"}}});
    richtext::RichText letter;
    letter.setRtf(test::rtfLetter({"[Last]"}));
    TReportPrinter job;
    job.SelectPrinterByName("PDF file");
    const QString pdf = program.folder() + "cancelled.pdf";
    job.setPdfFileName(pdf);
    LetterPrintLoop loop(addresses.table(), letter, 1, false);
    TLetterPrint window(loop, job);
    EXPECT_EQ(window.windowTitle(), "Print Status Screen");
    EXPECT_EQ(window.button()->text(), "Cancel");
    log.answer = true;
    window.show();
    window.button()->click();   // seen once the first record is printed
    QTRY_VERIFY_WITH_TIMEOUT(window.ended(), 20000);
    EXPECT_EQ(window.statusLabel()->text(), "Letter Print Canceled!");
    EXPECT_EQ(log.messages.back().text, "Cancel print job?");
    EXPECT_EQ(loop.letters(), 1);
    EXPECT_FALSE(QFile::exists(pdf));
    window.button()->click();
    EXPECT_FALSE(window.isVisible());
}

TEST_F(LetterWindows, TheEditorsPageAndParagraphDialogs)
{
    TLetterDesign editor("Dialogs", nullptr, nullptr);
    editor.show();
    QTest::keyClicks(editor.editor(), "First paragraph");

    // Page: the six values in the unit chosen, each box kept in twips as typed.
    test::whenShown<TWPPageProp>([](TWPPageProp* d) {
        auto* unit = child<QComboBox>(d, "UnitCombo");
        EXPECT_EQ(unit->currentText(), "Inch");
        EXPECT_EQ(child<QLineEdit>(d, "WidthEdit")->text(), "8.50");
        unit->setCurrentIndex(2);
        EXPECT_EQ(child<QLineEdit>(d, "HeightEdit")->text(), "15840");
        unit->setCurrentIndex(1);
        EXPECT_EQ(child<QLineEdit>(d, "LeftEdit")->text(), "2.54");
        type(child<QLineEdit>(d, "WidthEdit"), "21");
        type(child<QLineEdit>(d, "TopEdit"), "x");   // not a number: said, and the value kept
        type(child<QLineEdit>(d, "BottomEdit"), "");
        child<QPushButton>(d, "OKButton")->click();
    });
    editor.PageSettingsClick();
    EXPECT_EQ(editor.text().page(), (richtext::PageLayout{11906, 15840, 1440, 1440, 1440, 0}));
    ASSERT_FALSE(log.messages.empty());
    EXPECT_EQ(log.messages.back().text, "'x' is not a valid floating point value");
    EXPECT_EQ(TWPPageProp::lastUnit(), LengthUnit::Cm);
    EXPECT_EQ(editor.editor()->lineWrapColumnOrWidth(), int(richtext::twipsToUnits(11906 - 2880)));

    // Paragraph: "Same as Left Indent" carries the left indent to the first line.
    test::whenShown<TParagraphPropDlg>([](TParagraphPropDlg* d) {
        auto* first = child<QLineEdit>(d, "FirstIndentEdit");
        auto* left = child<QLineEdit>(d, "LeftIndentEdit");
        EXPECT_EQ(child<QComboBox>(d, "FirstLineCombo")->currentText(), "Same as Left Indent");
        EXPECT_FALSE(first->isEnabled());
        EXPECT_EQ(left->toolTip(), "Specify left indent for the paragraph in inches");
        type(left, "1");
        EXPECT_EQ(first->text(), "1");
        type(child<QLineEdit>(d, "SpaceBeforeEdit"), "6");
        type(child<QLineEdit>(d, "LineHeightEdit"), "18");
        child<QComboBox>(d, "UnitsCombo")->setCurrentIndex(1);
        EXPECT_EQ(left->text(), "2.54");
        EXPECT_EQ(first->toolTip(), "Specify first line indent for the paragraph in centimeters");
        child<QPushButton>(d, "OKButton")->click();
    });
    editor.ParagraphSettingsClick();
    QTextBlockFormat f = editor.editor()->textCursor().blockFormat();
    EXPECT_EQ(richtext::unitsToTwips(f.leftMargin()), 1440);
    EXPECT_EQ(richtext::unitsToTwips(f.textIndent()), 0);
    EXPECT_EQ(richtext::unitsToTwips(f.topMargin()), 120);
    EXPECT_EQ(f.lineHeightType(), QTextBlockFormat::MinimumHeight);
    EXPECT_EQ(richtext::unitsToTwips(f.lineHeight()), 360);

    test::whenShown<TParagraphPropDlg>([](TParagraphPropDlg* d) {
        auto* firstLine = child<QComboBox>(d, "FirstLineCombo");
        firstLine->setCurrentIndex(1);
        emit firstLine->activated(1);
        type(child<QLineEdit>(d, "FirstIndentEdit"), "1.5");
        child<QPushButton>(d, "OKButton")->click();
    });
    editor.ParagraphSettingsClick();
    f = editor.editor()->textCursor().blockFormat();
    EXPECT_EQ(richtext::unitsToTwips(f.textIndent()), 720);
    EXPECT_EQ(richtext::unitsToTwips(f.lineHeight()), 360);
}

TEST_F(LetterWindows, TheEditorsFindReplacePageBreakWrapAndDefaultFont)
{
    TLetterDesign editor("Edit", nullptr, nullptr);
    editor.show();
    QTest::keyClicks(editor.editor(), "Dear [first], dear [FIRST].");

    test::whenShown<TLetterFind>([](TLetterFind* d) {
        type(child<QLineEdit>(d, "FindEdit"), "[first]");
        type(child<QLineEdit>(d, "ReplaceEdit"), "[Last]");
        child<QPushButton>(d, "ReplaceAllButton")->click();
        child<QPushButton>(d, "CloseButton")->click();
    });
    editor.ReplaceClick();
    EXPECT_EQ(editor.text().document().toPlainText(), "Dear [Last], dear [Last].");
    EXPECT_EQ(log.messages.back().text, "2 replacement(s) made");

    editor.editor()->moveCursor(QTextCursor::Start);
    test::whenShown<TLetterFind>([](TLetterFind* d) {
        type(child<QLineEdit>(d, "FindEdit"), "DEAR");
        child<QPushButton>(d, "FindNextButton")->click();
        child<QPushButton>(d, "FindNextButton")->click();
        child<QPushButton>(d, "CloseButton")->click();
    });
    editor.FindClick();
    EXPECT_EQ(editor.editor()->textCursor().selectedText(), "dear");
    EXPECT_EQ(editor.editor()->textCursor().selectionStart(), 13);

    // A page break is a paragraph that begins a new page, after a question.
    QTextCursor at = editor.editor()->textCursor();
    at.setPosition(13);
    editor.editor()->setTextCursor(at);
    log.answer = false;
    editor.InsertPageBreakClick();
    EXPECT_EQ(editor.text().document().blockCount(), 1);
    EXPECT_EQ(log.messages.back().caption, "PAGE BREAK");
    EXPECT_EQ(log.messages.back().text, "Insert a page break?");
    log.answer = true;
    editor.InsertPageBreakClick();
    ASSERT_EQ(editor.text().document().blockCount(), 2);
    EXPECT_TRUE(editor.text().document().lastBlock().blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
    EXPECT_EQ(editor.text().document().lastBlock().text(), "dear [Last].");
    EXPECT_EQ(editor.text().pageCount(), 1);   // the editor's own text is not paginated
    richtext::RichText printed;
    printed.assign(editor.text());
    EXPECT_EQ(printed.pageCount(), 2);

    auto* wrap = editor.findChild<QAction*>("mnuWordWrap");
    EXPECT_EQ(wrap->text(), "&Word Wrap is OFF");
    wrap->trigger();
    EXPECT_EQ(wrap->text(), "&Word Wrap is ON");
    EXPECT_EQ(editor.editor()->lineWrapMode(), QTextEdit::WidgetWidth);

    auto* font = editor.findChild<QAction*>("mnuDefaultFont");
    EXPECT_EQ(font->text(), "&Default Font: Arial, 10 pt ");
    editor.chooseFont = [](const QFont&) {
        QFont f("Times New Roman");
        f.setPointSize(14);
        f.setBold(true);
        return std::optional<QFont>(f);
    };
    font->trigger();
    EXPECT_EQ(font->text(), "&Default Font: Times New Roman, 14 pt , bold");
    const Settings settings = Settings::program();
    EXPECT_EQ(settings.string("Letter", "DefaultFontName"), "Times New Roman");
    EXPECT_EQ(settings.integer("Letter", "DefaultFontSize", 0), 14);
    EXPECT_TRUE(settings.boolean("Letter", "DefaultFontBold", false));
    EXPECT_EQ(editor.editor()->currentCharFormat().fontPointSize(), 14);
}

TEST_F(LetterWindows, TheEditorSavesLoadsAndInsertsRtfFiles)
{
    TLetterDesign editor("Files", nullptr, nullptr);
    editor.show();
    QTest::keyClicks(editor.editor(), "Hello");
    const QString path = program.folder() + "saved.rtf";
    editor.chooseFile = [&path](const QString&, bool) { return path; };
    editor.SaveAsRtfClick();
    richtext::RichText back;
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    back.setRtf(richtext::rtfFromBytes(f.readAll()));
    EXPECT_EQ(back.document().toPlainText(), "Hello");

    editor.InsertRtfClick();
    EXPECT_EQ(editor.text().document().toPlainText(), "HelloHello");
    QFile other(program.folder() + "other.rtf");
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("{\\rtf1\\paperw15840\\paperh12240 Landscape}");
    other.close();
    editor.chooseFile = [&other](const QString&, bool) { return other.fileName(); };
    editor.LoadRtfClick();
    EXPECT_EQ(editor.text().document().toPlainText(), "Landscape");
    EXPECT_EQ(editor.text().page().width, 15840);
}

TEST_F(LetterWindows, ThePreviewsZoomPagesAndRecords)
{
    add({{{"LNAME", "Adams"}}, {{"LNAME", "Baker"}}, {{"LNAME", "Cole"}}});
    richtext::RichText letter;
    letter.setRtf(test::rtfLetter({"[Last] one", "\\page [Last] two"}));
    TRTFPreviewForm preview(letter, addresses);
    preview.show();
    EXPECT_EQ(preview.windowTitle(), "Preview Letters");
    EXPECT_EQ(preview.merged().document().toPlainText(), "Adams one\nAdams two");

    const auto tool = [&preview](const char* name) { child<QToolButton>(&preview, name)->click(); };
    // In by a quarter while below 150, out by a quarter while above 50.
    struct From {
        int zoom;
        const char* button;
        std::vector<int> after;
    } steps[] = {{100, "sbZoomIn", {125, 156, 156}}, {60, "sbZoomOut", {45, 45}}};
    for (const From& s : steps) {
        preview.setZoom(s.zoom);
        std::vector<int> seen;
        for (size_t i = 0; i < s.after.size(); ++i) {
            tool(s.button);
            seen.push_back(preview.zoom());
        }
        EXPECT_EQ(seen, s.after) << s.button;
    }
    // The page panel follows the zoom; "page width" fits the window's width.
    tool("sbZoomPageWidth");
    const int fit = preview.zoom();
    EXPECT_NEAR(preview.pagePanel()->width(), 8.5 * preview.logicalDpiX() * fit / 100, 2);
    QTest::mouseClick(preview.pagePanel(), Qt::LeftButton);
    EXPECT_EQ(preview.zoom(), fit < 150 ? int(fit * 1.25) : fit);
    QTest::mouseClick(preview.pagePanel(), Qt::RightButton);
    EXPECT_LT(preview.zoom(), fit < 150 ? int(fit * 1.25) : fit + 1);

    // Pages: back on page 1 does nothing; on to page 2, which is the last.
    tool("sbPrevPage");
    EXPECT_EQ(preview.pageNumber(), 1);
    EXPECT_EQ(preview.pageStart(), 0);
    tool("sbNextPage");
    EXPECT_EQ(preview.pageNumber(), 2);
    EXPECT_EQ(preview.windowTitle(), "Preview Letters Page 2");
    EXPECT_EQ(preview.merged().document().findBlock(preview.pageStart()).text(), "Adams two");
    tool("sbNextPage");
    EXPECT_EQ(preview.pageNumber(), 2);
    tool("sbPrevPage");
    EXPECT_EQ(preview.pageNumber(), 1);
    tool("sbNextPage");

    // Another record shows its own letter from page 1, and the table follows.
    const std::pair<const char*, const char*> records[] = {
        {"bNext", "Baker"}, {"bLast", "Cole"}, {"bNext", "Cole"}, {"bPrev", "Baker"}, {"bFirst", "Adams"}, {"bPrev", "Adams"}};
    for (const auto& [name, last] : records) {
        SCOPED_TRACE(name);
        tool(name);
        EXPECT_EQ(preview.pageNumber(), 1);
        EXPECT_EQ(preview.windowTitle(), "Preview Letters Page 1");
        EXPECT_EQ(preview.merged().document().toPlainText(), QString(last) + " one\n" + last + " two");
        EXPECT_EQ(QString::fromStdString(addresses.table().text("LNAME")), last);
    }
    // The template itself keeps its fields.
    EXPECT_EQ(letter.document().toPlainText(), "[Last] one\n[Last] two");
    // What is drawn is the merged page.
    preview.pagePanel()->repaint();
    EXPECT_GT(preview.nextStart(), 0);
}

} // namespace
} // namespace qb
