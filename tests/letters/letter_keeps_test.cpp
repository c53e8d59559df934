// A letter keeps what the user put into it: page breaks stay where they were
// put, what the editor cannot show is named and never lost without a word,
// and edits are not thrown away by a stray key.

#include "letters/letter_merge.h"
#include "letters/letter_text_edit.h"
#include "letters/tletterdesign.h"
#include "letters/theaderfooterdlg.h"
#include "letters/tparagraphpropdlg.h"
#include "letters/tqbletters.h"
#include "letters/trtfpreviewform.h"
#include "letters/letter_print_loop.h"

#include "disk_full.h"
#include "letter_fixture.h"
#include "mainwindow/window_test_support.h"
#include "platform/richtext/format_at.h"
#include "printing/pdf_support.h"
#include "printing/tcanvasreport.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMimeData>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTextBlock>

namespace qb {
namespace {

using test::child;

// A letterhead as word processors write one: a logo, a header line, the
// letter, and a text box beside it.
QString letterheadRtf()
{
    const QByteArray png = test::pngLogo(QSize(4, 2), QColor(200, 30, 30));
    return QStringLiteral("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\r\n"
                          "\\paperw12240\\paperh15840\\margl1440\\margr1440\\margt1440\\margb1440\r\n"
                          "{\\header \\pard\\qc\\f0\\fs20 Acme Supply, 1 Main St\\par}\r\n"
                          "{\\footer \\pard\\qr\\fs16 Page \\chpgn\\par}\r\n"
                          "\\pard\\f0\\fs24 {\\pict\\pngblip\\picw4\\pich2\\picwgoal1440\\pichgoal720 ") +
           QString::fromLatin1(png.toHex()) +
           QStringLiteral("}\\par\r\nDear [First],\\par\r\n"
                          "{\\shp{\\*\\shpinst\\shpleft0\\shptop0\\shpright2000\\shpbottom1000"
                          "{\\sp{\\sn shapeType}{\\sv 202}}{\\shptxt \\pard Box words\\par}}}\r\n"
                          "Thank you.\\par\r\n}");
}

class LetterKeeps : public test::LetterFixture {
protected:
    // Stores rtf in LETTER.DBF as it stands, as another program would have.
    void storeAsItStands(const QString& description, const QString& rtf)
    {
        auto table = letters();
        table->appendBlank();
        table->setText("DESCRIPT", description.toStdString());
        table->setMemo("RTF", rtf.toStdString());
        table->post();
    }
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

namespace qb {
namespace {

TEST_F(LetterKeeps, WhatTheEditorCannotShowIsNamedAndNeverLostInSilence)
{
    storeAsItStands("Letterhead", letterheadRtf());
    auto table = letters();
    TQBLetters screen(*table, addresses, false, nullptr);
    const std::string stored = table->memo("RTF");
    ASSERT_EQ(stored, letterheadRtf().toStdString());

    // Opened and closed without a change: named, and left byte for byte.
    screen.runEditor = [](TLetterDesign& editor) {
        editor.show();
        editor.close();
        return editor.result() == QDialog::Accepted;
    };
    child<QPushButton>(&screen, "ModifyButton")->click();
    ASSERT_FALSE(log.messages.empty());
    EXPECT_EQ(log.messages.back().text, "This letter contains a text box that this editor cannot show; "
                                        "saving it will remove them.");
    EXPECT_EQ(table->memo("RTF"), stored);

    // Clone copies the stored text, not what the editor makes of it.
    log.answer = true;
    child<QPushButton>(&screen, "CloneButton")->click();
    EXPECT_EQ(screen.catalogue().description(), "Clone of Letterhead");
    EXPECT_EQ(table->memo("RTF"), stored);

    // A change asks before it is saved without them; No keeps the editor open.
    int asked = 0;
    screen.runEditor = [this, &asked](TLetterDesign& editor) {
        editor.show();
        editor.editor()->moveCursor(QTextCursor::End);
        QTest::keyClicks(editor.editor(), "PS.");
        log.answer = false;
        editor.close();
        asked += log.messages.back().text.endsWith("Save anyway?") ? 1 : 0;
        EXPECT_TRUE(editor.isVisible());
        log.answer = true;
        editor.close();
        return editor.result() == QDialog::Accepted;
    };
    child<QPushButton>(&screen, "ModifyButton")->click();
    EXPECT_EQ(asked, 1);
    const QString saved = QString::fromStdString(table->memo("RTF"));
    EXPECT_FALSE(saved.contains("Box words"));
    EXPECT_FALSE(saved.contains("\\shp"));
    // The header and the logo are written back as they were read.
    EXPECT_TRUE(saved.contains("{\\header \\pard\\qc\\f0\\fs20 Acme Supply, 1 Main St\\par}"));
    const QString logoHex = letterheadRtf().section("\\picwgoal1440\\pichgoal720 ", 1).section('}', 0, 0);
    EXPECT_TRUE(QString(saved).remove("\r\n").contains(logoHex));
    EXPECT_TRUE(saved.contains("\\picwgoal1440\\pichgoal720"));
    richtext::RichText reread;
    reread.setRtf(saved);
    EXPECT_TRUE(reread.document().toPlainText().contains("Thank you.PS."));
}

TEST_F(LetterKeeps, TheReadersOwnWarningsAreShownWhenATemplateOpens)
{
    struct Case {
        const char* rtf;
        const char* said;
    } cases[] = {
        {"{\\rtf1 Dear {\\b friend", "ends before its last group is closed"},
        {"{\\rtf1 Dear} friend, more text}", "stray \"}\""},
        {"{\\rtf1 Dear {\\v secret}friend}", "contains hidden text"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rtf);
        storeAsItStands("Damaged", QString::fromLatin1(c.rtf));
        auto table = letters();
        TQBLetters screen(*table, addresses, false, nullptr);
        screen.runEditor = [](TLetterDesign&) { return false; };
        log.messages.clear();
        child<QPushButton>(&screen, "ModifyButton")->click();
        ASSERT_FALSE(log.messages.empty());
        EXPECT_TRUE(log.messages.back().text.contains(QLatin1String(c.said))) << log.messages.back().text.toStdString();
        log.answer = true;
        screen.catalogue().remove();
    }
}

TEST_F(LetterKeeps, EscAsksBeforeEditsAreThrownAway)
{
    TLetterDesign editor("Esc", nullptr, nullptr);
    editor.show();
    // Nothing changed: Esc closes at once.
    QTest::keyClick(editor.editor(), Qt::Key_Escape);
    EXPECT_FALSE(editor.isVisible());
    EXPECT_TRUE(log.messages.empty());

    editor.show();
    QTest::keyClicks(editor.editor(), "Dear Ann");
    log.answer = false;
    QTest::keyClick(editor.editor(), Qt::Key_Escape);
    ASSERT_FALSE(log.messages.empty());
    EXPECT_EQ(log.messages.back().text, "Discard the changes to this letter?");
    EXPECT_EQ(log.messages.back().kind, MessageKind::QuestionDefaultNo);
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(editor.text().document().toPlainText(), "Dear Ann");
    log.answer = true;
    QTest::keyClick(editor.editor(), Qt::Key_Escape);
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(editor.result(), QDialog::Rejected);
}

TEST_F(LetterKeeps, PasteShowsOnlyWhatTheLetterCanStore)
{
    TLetterDesign editor("Paste", nullptr, nullptr);
    editor.show();
    QTest::keyClicks(editor.editor(), "Start ");
    auto* mime = new QMimeData;
    mime->setHtml("<p>See <a href='http://example.org'>our site</a> and <b>bold</b>"
                  "<img src='data:image/png;base64,iVBORw0KGgo='></p>"
                  "<ul><li>one</li><li>two</li></ul><ol><li>first</li></ol>"
                  "<table border=1><tr><td>a</td><td>b</td></tr><tr><td>c</td><td>d</td></tr></table>"
                  "<p style='margin-left:40px'>End</p>");
    QApplication::clipboard()->setMimeData(mime);
    QTest::keyClick(editor.editor(), Qt::Key_V, Qt::ControlModifier);

    const QTextDocument& shown = editor.text().document();
    EXPECT_EQ(shown.toPlainText(),
              QString::fromUtf8("Start See our site and bold\n\u2022\tone\n\u2022\ttwo\n1.\tfirst\na\tb\nc\td\nEnd"));
    EXPECT_TRUE(shown.rootFrame()->childFrames().isEmpty());
    for (QTextBlock b = shown.begin(); b.isValid(); b = b.next()) {
        EXPECT_EQ(b.textList(), nullptr) << b.text().toStdString();
        for (auto it = b.begin(); !it.atEnd(); ++it)
            EXPECT_FALSE(it.fragment().charFormat().isAnchor()) << it.fragment().text().toStdString();
    }
    EXPECT_EQ(richtext::test::formatOf(shown, "bold").fontWeight(), QFont::Bold);
    // Stored and read back, the letter is what the screen showed.
    richtext::RichText stored;
    stored.setRtf(editor.text().rtf());
    EXPECT_EQ(stored.document().toPlainText(), shown.toPlainText());
    EXPECT_EQ(stored.rtf(), editor.text().rtf());
}

// Indents set in Paragraph Settings, in inches and in centimetres, and tab
// stops read from RTF land where they were set, in the PDF and the preview.
TEST_F(LetterKeeps, IndentsAndTabStopsPrintWhereTheyWereSet)
{
    add({{{"LNAME", "Adams"}}});
    richtext::RichText stored(richtext::RichText::Layout::Editor);
    stored.setRtf(test::rtfLetter({"Plain", "Inches", "Centimetres", "\\pard\\tx2880 x\\tab Tabbed", "\\pard\\sb720 Spaced"}));
    TLetterDesign editor("Indents", &stored, nullptr);
    editor.show();
    const auto indent = [&editor](int paragraph, int unit, const QString& left) {
        QTextCursor c(editor.text().document().findBlockByNumber(paragraph));
        editor.editor()->setTextCursor(c);
        test::whenShown<TParagraphPropDlg>([unit, left](TParagraphPropDlg* d) {
            child<QComboBox>(d, "UnitsCombo")->setCurrentIndex(unit);
            auto* edit = child<QLineEdit>(d, "LeftIndentEdit");
            edit->selectAll();
            QTest::keyClicks(edit, left);
            child<QPushButton>(d, "OKButton")->click();
        });
        editor.ParagraphSettingsClick();
    };
    indent(1, 0, "0.5");    // inches
    indent(2, 1, "2.54");   // centimetres: one inch

    const QString pdf = program.folder() + "indents.pdf";
    TReportPrinter job;
    job.SelectPrinterByName("PDF file");
    job.setPdfFileName(pdf);
    LetterPrintLoop loop(addresses.table(), editor.text(), 1, true);
    ASSERT_EQ(loop.run(job), PrintOutcome::Completed);
    const test::PdfText text = test::readPdf(pdf);
    const std::pair<const char*, double> lefts[] = {{"Plain", 1.0}, {"Inches", 1.5}, {"Centimetres", 2.0}, {"Tabbed", 3.0}};
    for (const auto& [word, inches] : lefts) {
        const test::PdfWord* w = text.find(word);
        ASSERT_NE(w, nullptr) << word;
        EXPECT_NEAR(w->left, inches, 0.03) << word;
    }
    // Space before, half an inch, beyond the line's own height.
    const double line = text.find("Inches")->top - text.find("Plain")->top;
    EXPECT_NEAR(text.find("Spaced")->top - text.find("Tabbed")->top - line, 0.5, 0.03);

    // The preview of the paragraph indented by an inch: its ink begins two
    // inches from the paper's edge.
    richtext::RichText one;
    one.setRtf(test::rtfLetter({"\\li1440 Centimetres"}));
    TRTFPreviewForm preview(one, addresses);
    preview.show();
    preview.setZoom(100);
    const QImage page = preview.pagePanel()->grab().toImage();
    int firstInk = page.width();
    for (int y = 2; y < page.height() / 2; ++y)
        for (int x = 2; x < firstInk; ++x)
            if (qGray(page.pixel(x, y)) < 128) {
                firstInk = x;
                break;
            }
    EXPECT_NEAR(firstInk * 8.5 / page.width(), 2.0, 0.05);
}

// The letterhead's logo prints at its stored size, once in the PDF however
// many letters share it, with the text after it below it.
TEST_F(LetterKeeps, ALetterheadPicturePrintsAtItsStoredSize)
{
    add({{{"FNAME", "Ann"}, {"LNAME", "Adams"}}, {{"FNAME", "Bob"}, {"LNAME", "Baker"}}});
    richtext::RichText letter;
    letter.setRtf(letterheadRtf());
    const QString pdf = program.folder() + "letterhead.pdf";
    TReportPrinter job;
    job.SelectPrinterByName("PDF file");
    job.setPdfFileName(pdf);
    LetterPrintLoop loop(addresses.table(), letter, 1, false);
    ASSERT_EQ(loop.run(job), PrintOutcome::Completed);
    const test::PdfText text = test::readPdf(pdf);
    ASSERT_EQ(text.pages, 2);
    // The header on every page, half an inch from the top.
    EXPECT_EQ(text.wordsOf(2).join(' '), "Acme Supply, 1 Main St Dear Bob, Thank you. Page 1");
    for (int page : {1, 2}) {
        ASSERT_NE(text.find("Acme", page), nullptr);
        EXPECT_NEAR(text.find("Acme", page)->top, 0.5, 0.1);
        // The footer ends half an inch above the paper's bottom edge.
        ASSERT_NE(text.find("Page", page), nullptr);
        EXPECT_NEAR(text.find("Page", page)->bottom, 11 - 0.5, 0.1);
    }
    // Below the logo: an inch from the top, half an inch high.
    EXPECT_GT(text.find("Dear", 1)->top, 1.5);

    const QStringList list = test::run("pdfimages", {"-list", pdf}).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(list.size(), 2 + 2) << list.join('\n').toStdString();   // a header of two lines, an image a page
    QStringList objects;
    for (int row = 2; row < list.size(); ++row) {
        const QStringList c = list[row].simplified().split(' ');
        // page num type width height color comp bpc enc interp object ID x-ppi y-ppi
        ASSERT_GE(c.size(), 14);
        EXPECT_EQ(c[3], "4");
        EXPECT_NEAR(c[3].toDouble() / c[12].toDouble(), 1.0, 0.01);   // inches wide
        EXPECT_NEAR(c[4].toDouble() / c[13].toDouble(), 0.5, 0.01);   // inches high
        objects << c[10];
    }
    EXPECT_EQ(objects.value(0), objects.value(1));   // one image object, shown on both pages
}

TEST_F(LetterKeeps, InsertPictureKeepsThePictureInTheLetter)
{
    TLetterDesign editor("Logo", nullptr, nullptr);
    editor.show();
    QTest::keyClicks(editor.editor(), "Logo: ");
    const QString bmp = program.folder() + "logo.bmp";
    QImage logo(48, 24, QImage::Format_RGB32);
    logo.fill(Qt::darkGreen);
    ASSERT_TRUE(logo.save(bmp, "BMP"));
    editor.choosePicture = [&bmp] { return bmp; };
    editor.findChild<QAction*>("mnuInsertPicture")->trigger();
    // Kept as PNG, at its own size at 96 pixels to the inch (half an inch wide).
    const QString rtf = editor.text().rtf();
    EXPECT_TRUE(rtf.contains("\\pngblip\\picw48\\pich24\\picwgoal720\\pichgoal360")) << rtf.left(400).toStdString();
    richtext::RichText back(richtext::RichText::Layout::Editor);
    EXPECT_TRUE(back.setRtf(rtf).dropped.empty());
    EXPECT_EQ(back.document().toPlainText(), QString("Logo: ") + QChar::ObjectReplacementCharacter);

    editor.choosePicture = [this] { return program.folder() + "missing.png"; };
    editor.findChild<QAction*>("mnuInsertPicture")->trigger();
    EXPECT_TRUE(log.messages.back().text.startsWith("Unable to read the picture file"));
}

TEST_F(LetterKeeps, HeaderAndFooterAreEditedInTheirDialog)
{
    richtext::RichText stored(richtext::RichText::Layout::Editor);
    stored.setRtf(letterheadRtf());
    TLetterDesign editor("Headed", &stored, nullptr);
    editor.show();
    test::whenShown<THeaderFooterDlg>([](THeaderFooterDlg* d) {
        EXPECT_EQ(child<QLineEdit>(d, "HeaderEdit")->text(), "Acme Supply, 1 Main St");
        auto* footer = child<QLineEdit>(d, "FooterEdit");
        EXPECT_EQ(footer->text(), "Page [Page]");
        footer->selectAll();
        QTest::keyClicks(footer, "Page [Page] {draft}");
        child<QPushButton>(d, "OKButton")->click();
    });
    editor.findChild<QAction*>("mnuHeaderFooter")->trigger();
    EXPECT_TRUE(editor.changed());
    const QString rtf = editor.text().rtf();
    // The header unchanged keeps its own formatting; the footer is the new line.
    EXPECT_TRUE(rtf.contains("{\\header \\pard\\qc\\f0\\fs20 Acme Supply, 1 Main St\\par}"));
    EXPECT_TRUE(rtf.contains("{\\footer \\pard\\qc Page {\\chpgn} \\{draft\\}\\par}")) << rtf.toStdString();
    EXPECT_FALSE(rtf.contains("\\qr\\fs16 Page"));
}

TEST_F(LetterKeeps, PrinterSetupOpensThePrinterSetUp)
{
    auto table = letters();
    TQBLetters screen(*table, addresses, false, nullptr);
    QString opened;
    test::whenShown<QDialog>([&opened](QDialog* d) {
        opened = QString::fromLatin1(d->metaObject()->className());
        d->reject();
    });
    child<QPushButton>(&screen, "PrinterSetupButton")->click();
    EXPECT_EQ(opened, "QPageSetupDialog");
}

TEST_F(LetterKeeps, SaveAsRtfOnAFullDiskKeepsTheOldFileAndSaysSo)
{
    TLetterDesign editor("Full", nullptr, nullptr);
    editor.show();
    QTest::keyClicks(editor.editor(), QString(3000, 'w'));
    const QString path = program.folder() + "letter.rtf";
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("{\\rtf1 old}");
    }
    editor.chooseFile = [&path](const QString&, bool) { return path; };
    {
        test::DiskFull full(2000);
        editor.SaveAsRtfClick();
    }
    ASSERT_FALSE(log.messages.empty());
    EXPECT_EQ(log.messages.back().text, "Unable to write the RTF file " + path);
    QFile kept(path);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "{\\rtf1 old}");
}

} // namespace
} // namespace qb
