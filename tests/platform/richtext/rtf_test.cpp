// The RTF reader and writer: what word processors write, what we write back,
// and what damaged text gives.

#include "platform/richtext/picture.h"
#include "platform/richtext/rich_text.h"
#include "platform/richtext/rtf_writer.h"
#include "platform/richtext/text_units.h"

#include "format_at.h"

#include <QBuffer>
#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace qb::richtext {
namespace {

using test::blockOf;
using test::family;
using test::formatOf;

int twips(double units) { return unitsToTwips(units); }

// What a word processor on Windows writes: revision ids, a generator, a
// style sheet, document information, list text, \pard\plain resets and
// Unicode characters with Windows-1252 fallbacks.
const char* const kWordRtf =
    R"({\rtf1\adeflang1025\ansi\ansicpg1252\uc1\adeff0\deff0\stshfdbch0\deflang1033\deflangfe1033
{\fonttbl{\f0\froman\fcharset0\fprq2{\*\panose 02020603050405020304}Times New Roman;}
{\f1\fswiss\fcharset0\fprq2{\*\panose 020b0604020202020204}Arial;}{\f3\fbidi \froman\fcharset2\fprq2 Symbol;}}
{\colortbl;\red0\green0\blue0;\red255\green0\blue0;\red255\green255\blue0;}
{\stylesheet{\ql \li0\ri0\widctlpar\wrapdefault\aspalpha\faauto\adjustright\rin0\lin0\itap0 \rtlch\fcs1 \af0\afs24\alang1025 \ltrch\fcs0 \fs24\lang1033\langfe1033\cgrid\langnp1033\langfenp1033 \snext0 \sqformat \spriority0 Normal;}}
{\*\rsidtbl \rsid1706542\rsid7349628}{\*\generator Microsoft Word 16.0;}{\info{\title Letter}{\author Someone}
{\creatim\yr2024\mo3\dy1\hr10\min5}}\paperw12240\paperh15840\margl1800\margr1800\margt1440\margb1440\gutter0
\ltrsect\widowctrl\ftnbj\aenddoc\trackmoves0\trackformatting1\donotembedsysfont1\relyonvml0
{\*\pnseclvl1\pnucrm\pnstart1\pnindent720\pnhang {\pntxta .}}
\pard\plain \ltrpar\qc \li0\ri0\sa200\widctlpar\wrapdefault\aspalpha\aspnum\faauto\adjustright\rin0\lin0\itap0\pararsid7349628
\rtlch\fcs1 \af0\afs24\alang1025 \ltrch\fcs0 \f1\fs28\lang1033\langfe1033\cgrid\langnp1033\langfenp1033 {\rtlch\fcs1 \af0
\ltrch\fcs0 \b\insrsid7349628 Heading}{\rtlch\fcs1 \af0 \ltrch\fcs0 \insrsid7349628 \par }
\pard\plain \ltrpar\qj \fi-360\li720\ri0\sb120\sa60\sl360\slmult1\widctlpar\tx2880\tqr\tx8640\wrapdefault\ls1\pararsid7349628
\rtlch\fcs1 \af0\afs24\alang1025 \ltrch\fcs0 \fs24\lang1033\langfe1033\cgrid\langnp1033\langfenp1033 {\listtext\pard\plain\ltrpar
\rtlch\fcs1 \af0 \ltrch\fcs0 \f3\insrsid7349628 \loch\af3\dbch\af0\hich\f3 \'b7\tab}{\rtlch\fcs1 \af0 \ltrch\fcs0
\i\cf2\insrsid7349628 Caf\u233\'e9}{\ltrch\fcs0 \insrsid7349628 \tab }{\ul\highlight3 na\u239\'efve}{\ltrch
\insrsid7349628 \u8364\'80 total\par }
\pard \ltrpar\ql \li0\ri0\widctlpar\wrapdefault\faauto\rin0\lin0\itap0 {\insrsid7349628 \page }{\insrsid7349628 Second page\par }}
)";

TEST(RtfReader, ReadsWhatAWordProcessorOnWindowsWrites)
{
    RichText rt(RichText::Layout::Editor);   // formats in the units the editor shows
    const RtfReadResult r = rt.setRtf(QString::fromLatin1(kWordRtf));
    EXPECT_TRUE(r.wasRtf);
    EXPECT_TRUE(r.complete) << r.problem.toStdString();
    const QTextDocument& d = rt.document();

    // Destinations the letter does not need leave no text behind.
    const QString text = d.toPlainText();
    for (const char* absent : {"Normal", "Microsoft", "Someone", "Letter", "02020603", "pntxta", ".\n"})
        EXPECT_FALSE(text.contains(QLatin1String(absent))) << absent;
    EXPECT_EQ(d.blockCount(), 3);
    EXPECT_EQ(d.begin().text(), "Heading");
    // List text is the list's number or bullet as the writer drew it.
    EXPECT_EQ(d.begin().next().text(), QString::fromUtf8("\u00b7\tCafé\tnaïve€ total"));
    EXPECT_EQ(d.lastBlock().text(), "Second page");

    const QTextCharFormat heading = formatOf(d, "Heading");
    EXPECT_EQ(family(heading), "Arial");
    EXPECT_EQ(heading.fontPointSize(), 14);
    EXPECT_EQ(heading.fontWeight(), QFont::Bold);
    EXPECT_EQ(blockOf(d, "Heading").alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(twips(blockOf(d, "Heading").bottomMargin()), 200);

    // \pard\plain reset the heading's font and size.
    const QTextCharFormat cafe = formatOf(d, QString::fromUtf8("Café"));
    EXPECT_EQ(family(cafe), "Times New Roman");
    EXPECT_EQ(cafe.fontPointSize(), 12);
    EXPECT_TRUE(cafe.fontItalic());
    EXPECT_NE(cafe.fontWeight(), QFont::Bold);
    EXPECT_EQ(cafe.foreground().color(), QColor(255, 0, 0));
    const QTextCharFormat naive = formatOf(d, "na");
    EXPECT_TRUE(naive.fontUnderline());
    EXPECT_EQ(naive.background().color(), QColor(255, 255, 0));
    EXPECT_FALSE(naive.fontItalic());

    const QTextBlockFormat list = blockOf(d, "total");
    EXPECT_EQ(list.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignJustify);
    EXPECT_EQ(twips(list.textIndent()), -360);
    EXPECT_EQ(twips(list.leftMargin()), 720);
    EXPECT_EQ(twips(list.topMargin()), 120);
    EXPECT_EQ(twips(list.bottomMargin()), 60);
    EXPECT_EQ(list.lineHeightType(), QTextBlockFormat::ProportionalHeight);
    EXPECT_DOUBLE_EQ(list.lineHeight(), 150);
    ASSERT_EQ(list.tabPositions().size(), 2);
    EXPECT_EQ(twips(list.tabPositions()[0].position), 2880);
    EXPECT_EQ(list.tabPositions()[0].type, QTextOption::LeftTab);
    EXPECT_EQ(twips(list.tabPositions()[1].position), 8640);
    EXPECT_EQ(list.tabPositions()[1].type, QTextOption::RightTab);

    // A \page at the start of a paragraph moves it, without an empty one before it.
    EXPECT_TRUE(blockOf(d, "Second page").pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
    EXPECT_FALSE(blockOf(d, "total").pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);

    EXPECT_EQ(rt.page(), (PageLayout{12240, 15840, 1800, 1440, 1800, 1440}));
    RichText printed;
    printed.assign(rt);
    EXPECT_EQ(printed.pageCount(), 2);
}

TEST(RtfReader, CodePagesEscapesAndBreaks)
{
    struct Case {
        const char* rtf;
        const char* text;   // blocks joined by '|'
    } cases[] = {
        // \ansicpg gives \'hh its code page; a font's charset overrides it.
        {R"({\rtf1\ansi\ansicpg1251 \'c0\'e1)", "\u0410\u0431"},
        {R"({\rtf1\ansi{\fonttbl{\f0 A;}{\f1\fcharset238 B;}}\f1 \'8a\f0 \'8a})", "\u0160\u0160"},
        // \uN: negative numbers, \ucN fallbacks of every kind, a surrogate pair.
        {R"({\rtf1\uc2 \u-3913 xy\u8364\'80\'80z})", "\uf0b7\u20acz"},
        {R"({\rtf1\uc1 \u55357?\u56832?!})", "\U0001F600!"},
        {R"({\rtf1 a\u8212\'97\uc0\u8212 b})", "a\u2014\u2014b"},
        // Symbols, quotes and literal braces.
        {R"({\rtf1 \{x\}\\\~\emdash\lquote q\rquote\ldblquote\rdblquote\bullet})", "{x}\\\u00a0\u2014\u2018q\u2019\u201c\u201d\u2022"},
        // Breaks: \line stays in the paragraph, \page inside one splits it,
        // a \sect starts a page unless the new section says \sbknone.
        {R"({\rtf1 a\line b\page c\par d\sect\sectd\sbknone e\sect f})", "a\u2028b|c|d|e|f"},
        // Tables keep their words: cells as tabs, rows as paragraphs.
        {R"({\rtf1\trowd\cellx1000\cellx2000 A\cell B\cell\row C\par})", "A\tB\t|C"},
        // Field results are read, their instructions are not; hidden text is left out.
        {R"({\rtf1 {\field{\*\fldinst HYPERLINK "x"}{\fldrslt link}} {\v hidden}shown})", "link shown"},
        // \bin data is skipped by its length, braces and all.
        {R"({\rtf1 a{\pict\bin5 }}{{{}b})", "ab"},
        // One paragraph mark at the end ends the last paragraph; a second one
        // leaves an empty paragraph.
        {R"({\rtf1 a\par})", "a"},
        {R"({\rtf1 a\par\par})", "a|"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rtf);
        RichText rt;
        rt.setRtf(QString::fromLatin1(c.rtf));
        QStringList blocks;
        for (QTextBlock b = rt.document().begin(); b.isValid(); b = b.next())
            blocks << b.text();
        EXPECT_EQ(blocks.join(QLatin1Char('|')), QString::fromUtf8(c.text));
    }

    RichText sections;
    sections.setRtf(QStringLiteral(R"({\rtf1 a\par b\sect c\sect\sbknone d})"));
    QStringList broken;
    for (QTextBlock b = sections.document().begin(); b.isValid(); b = b.next())
        if (b.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
            broken << b.text();
    EXPECT_EQ(broken, QStringList({"c"}));
}

// Damaged, hostile or foreign text loads as what can be read, with a sentence
// saying what was wrong, and never with absurd values.
TEST(RtfReader, BadInputLoadsWhatCanBeRead)
{
    struct Case {
        QString rtf;
        QString text;
        bool wasRtf, complete;
        const char* problem;   // a part of the message; empty: none
    } cases[] = {
        {"Dear friend,\r\nthanks.", "Dear friend,\nthanks.", false, true, "not RTF"},
        {"", "", false, true, ""},
        {"{\\rtf1 Dear {\\b friend", "Dear friend", true, false, "ends before"},
        {"{\\rtf1 a" + QString(500, '{') + "b" + QString(500, '}') + "}", "a", true, false, "more than 100 deep"},
        {"{\\rtf1 \\fs999999999999999 \\uc99999 \\u65 abc\\bin99999999 zz", "A", true, false, "ends before"},
        {"{\\rtf1 x\\'zz\\'4y\\", "xzzy", true, false, "ends before"},
        {"{\\rtf1 " + QString(200, 'w') + "\\" + QString(300, 'q') + "7 t}", QString(200, 'w') + "t", true, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rtf.left(60).toStdString());
        RichText rt;
        const RtfReadResult r = rt.setRtf(c.rtf);
        EXPECT_EQ(rt.document().toPlainText(), c.text);
        EXPECT_EQ(r.wasRtf, c.wasRtf);
        EXPECT_EQ(r.complete, c.complete);
        if (*c.problem) {
            EXPECT_TRUE(r.problem.contains(QLatin1String(c.problem))) << r.problem.toStdString();
        } else {
            EXPECT_TRUE(r.problem.isEmpty()) << r.problem.toStdString();
        }
    }

    // Absurd sizes are brought into range where they are used.
    RichText rt(RichText::Layout::Editor);
    rt.setRtf(QStringLiteral(R"({\rtf1\paperw-5\paperh99999999\margl-20\margr99999\margt20000\margb20000
{\fonttbl{\f0 F;}}\fs0 a\fs70000 b\li99999999 c\par})"));
    const PageLayout p = rt.page();
    EXPECT_EQ(p.width, kMinPageSide);
    EXPECT_EQ(p.height, kMaxPageSide);
    EXPECT_GE(p.contentWidth(), kMinContentSide);
    EXPECT_GE(p.contentHeight(), kMinContentSide);
    EXPECT_GE(p.left, 0);
    EXPECT_EQ(formatOf(rt.document(), "a").fontPointSize(), 1);
    EXPECT_EQ(formatOf(rt.document(), "b").fontPointSize(), 1638);
    EXPECT_EQ(twips(blockOf(rt.document(), "c").leftMargin()), kMaxPageSide);
    EXPECT_GE(rt.pageCount(), 1);
}

// A file saved with a UTF-8 byte-order mark is RTF, its bare bytes UTF-8; a
// ';' in a font's name survives our writing and reading.
TEST(RtfReader, ByteOrderMarkAndFontNames)
{
    RichText marked;
    const RtfReadResult r = marked.setRtf(rtfFromBytes("\xEF\xBB\xBF{\\rtf1\\ansi caf\xC3\xA9 \\'e9}"));
    EXPECT_TRUE(r.wasRtf);
    EXPECT_EQ(marked.document().toPlainText(), QString::fromUtf8("café é"));

    RichText named;
    QTextCursor c(&named.document());
    QTextCharFormat f;
    f.setFontFamilies(QStringList{"Odd;Name"});
    c.insertText("x", f);
    RichText back;
    back.setRtf(named.rtf());
    EXPECT_EQ(family(formatOf(back.document(), "x")), "Odd;Name");
}

// A PNG or JPEG picture is read with its stored size and written back with
// the same bytes; a copy of the document shows it too.
TEST(RtfReader, PicturesKeepTheirBytesAndSize)
{
    for (const char* kind : {"png", "jpeg"}) {
        SCOPED_TRACE(kind);
        QImage logo(6, 3, QImage::Format_RGB32);
        logo.fill(Qt::blue);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        logo.save(&buffer, kind);
        const QString rtf = QStringLiteral("{\\rtf1 a{\\pict\\%1blip\\picw6\\pich3\\picwgoal2880\\pichgoal1440"
                                           "\\picscalex50\\picscaley50 %2}b\\par}")
                                .arg(QLatin1String(kind), QString::fromLatin1(bytes.toHex()));
        RichText read(RichText::Layout::Editor);
        const RtfReadResult r = read.setRtf(rtf);
        EXPECT_TRUE(r.dropped.empty());
        EXPECT_EQ(read.document().toPlainText(), QString("a") + QChar::ObjectReplacementCharacter + "b");
        const QTextCharFormat f = formatOf(read.document(), QString(QChar::ObjectReplacementCharacter));
        ASSERT_TRUE(f.isImageFormat());
        EXPECT_EQ(twips(f.toImageFormat().width()), 1440);
        EXPECT_EQ(twips(f.toImageFormat().height()), 720);
        EXPECT_EQ(f.property(kPictureBytesProperty).toByteArray(), bytes);

        RichText copy;
        copy.assign(read);
        EXPECT_EQ(pictureImage(copy.document(), f.toImageFormat()).size(), QSize(6, 3));
        RichText back(RichText::Layout::Editor);
        back.setRtf(copy.rtf());
        EXPECT_EQ(formatOf(back.document(), QString(QChar::ObjectReplacementCharacter)).property(kPictureBytesProperty).toByteArray(),
                  bytes);
        EXPECT_EQ(back.rtf(), copy.rtf());
    }
}

// What the reader passes over is counted and named, so the user can be told.
TEST(RtfReader, NamesWhatItPassesOver)
{
    struct Case {
        const char* rtf;
        const char* dropped;
    } cases[] = {
        {R"({\rtf1 {\header h}{\footerl f}{\footerr g}text})", ""},   // kept and written back
        {R"({\rtf1 {\footnote {\header h}}text})", "a footnote"},
        {R"({\rtf1 {\*\shppict{\pict\pngblip 00}}{\nonshppict{\pict\wmetafile8 00}}x})", "a picture"},
        {R"({\rtf1 {\shp{\*\shpinst{\shptxt box}}}{\shp{\*\shpinst{\sp{\sn pib}{\sv {\pict 00}}}}}{\shp{\*\shpinst}}})",
         "a picture, a text box and a drawing"},
        {R"({\rtf1 a{\footnote n}{\*\annotation c}{\object{\*\objdata 00}}{\field{\*\fldinst PAGE}{\fldrslt 1}}})",
         "an embedded object, a footnote, a comment and a field code"},
        {R"({\rtf1 {\v hidden}{\*\generator Writer}{\*\bkmkstart b}shown})", "hidden text"},
        {R"({\rtf1 plain})", ""},
    };
    for (const Case& c : cases) {
        RichText rt;
        EXPECT_EQ(rt.setRtf(QString::fromLatin1(c.rtf)).droppedText(), c.dropped) << c.rtf;
    }
    RichText headed;
    headed.setRtf(QStringLiteral(R"({\rtf1 \headery500\footery700{\header {\qc Acme \chpgn}}{\footer Page}text})"));
    EXPECT_EQ(headed.document().toPlainText(), "text");
    RichText copy;
    copy.assign(headed);
    const QString written = copy.rtf();
    EXPECT_TRUE(written.contains(R"({\header {\qc Acme \chpgn}})")) << written.toStdString();
    EXPECT_TRUE(written.contains(R"({\footer Page})"));
    RichText back;
    back.setRtf(written);
    EXPECT_EQ(back.rtf(), written);
}

// Every attribute a letter carries survives our own writing and reading, and
// what we write reads back to the same RTF.
TEST(RtfWriter, WritesWhatItReadsBack)
{
    RichText source;
    QTextDocument& d = source.document();
    QTextCursor c(&d);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    centred.setTopMargin(twipsToUnits(240));
    centred.setBottomMargin(twipsToUnits(120));
    c.setBlockFormat(centred);
    QTextCharFormat title;
    title.setFontFamilies(QStringList{"Times New Roman"});
    title.setFontPointSize(16);
    title.setFontWeight(QFont::Bold);
    title.setForeground(QColor(0, 0, 128));
    c.insertText("Title", title);

    QTextBlockFormat body;
    body.setAlignment(Qt::AlignJustify);
    body.setLeftMargin(twipsToUnits(1440));
    body.setRightMargin(twipsToUnits(720));
    body.setTextIndent(twipsToUnits(-360));
    body.setLineHeight(twipsToUnits(400), QTextBlockFormat::MinimumHeight);
    body.setTabPositions({QTextOption::Tab(twipsToUnits(2880), QTextOption::RightTab),
                          QTextOption::Tab(twipsToUnits(4320), QTextOption::CenterTab)});
    QTextCharFormat plain;
    plain.setFontFamilies(QStringList{"Arial"});
    plain.setFontPointSize(10.5);
    c.insertBlock(body, plain);
    c.insertText(QString::fromUtf8("Plain {braces} back\\slash € Ω\tend"), plain);
    QTextCharFormat marked = plain;
    marked.setFontItalic(true);
    marked.setFontUnderline(true);
    marked.setFontStrikeOut(true);
    marked.setBackground(QColor(255, 255, 0));
    marked.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    c.insertText("marked", marked);
    c.insertText(QString(QChar::LineSeparator) + "next line", plain);

    QTextBlockFormat broken;
    broken.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    broken.setLineHeight(200, QTextBlockFormat::ProportionalHeight);
    c.insertBlock(broken, plain);
    c.insertText("After the break", plain);
    c.insertBlock(QTextBlockFormat(), plain);   // an empty last paragraph stays
    source.setPage({15840, 12240, 1000, 1100, 1200, 1300});

    const QString written = source.rtf();
    for (QChar ch : written)
        ASSERT_LT(ch.unicode(), 128) << "RTF is 7-bit text";

    RichText back(RichText::Layout::Editor);
    const RtfReadResult r = back.setRtf(written);
    EXPECT_TRUE(r.complete && r.problem.isEmpty()) << r.problem.toStdString();
    const QTextDocument& b = back.document();
    EXPECT_EQ(b.toPlainText(), d.toPlainText());
    EXPECT_EQ(b.blockCount(), 4);
    EXPECT_EQ(back.page(), source.page());

    const QTextCharFormat t = formatOf(b, "Title");
    EXPECT_EQ(family(t), "Times New Roman");
    EXPECT_EQ(t.fontPointSize(), 16);
    EXPECT_EQ(t.fontWeight(), QFont::Bold);
    EXPECT_EQ(t.foreground().color(), QColor(0, 0, 128));
    const QTextBlockFormat tb = blockOf(b, "Title");
    EXPECT_EQ(tb.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(twips(tb.topMargin()), 240);
    EXPECT_EQ(twips(tb.bottomMargin()), 120);

    const QTextCharFormat p = formatOf(b, "Plain");
    EXPECT_EQ(family(p), "Arial");
    EXPECT_EQ(p.fontPointSize(), 10.5);
    EXPECT_FALSE(p.fontItalic() || p.fontUnderline() || p.fontStrikeOut());
    EXPECT_FALSE(p.hasProperty(QTextFormat::ForegroundBrush));
    const QTextCharFormat m = formatOf(b, "marked");
    EXPECT_TRUE(m.fontItalic() && m.fontUnderline() && m.fontStrikeOut());
    EXPECT_EQ(m.background().color(), QColor(255, 255, 0));
    EXPECT_EQ(m.verticalAlignment(), QTextCharFormat::AlignSuperScript);

    const QTextBlockFormat pb = blockOf(b, "Plain");
    EXPECT_EQ(pb.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignJustify);
    EXPECT_EQ(twips(pb.leftMargin()), 1440);
    EXPECT_EQ(twips(pb.rightMargin()), 720);
    EXPECT_EQ(twips(pb.textIndent()), -360);
    EXPECT_EQ(pb.lineHeightType(), QTextBlockFormat::MinimumHeight);
    EXPECT_EQ(twips(pb.lineHeight()), 400);
    ASSERT_EQ(pb.tabPositions().size(), 2);
    EXPECT_EQ(pb.tabPositions()[0].type, QTextOption::RightTab);
    EXPECT_EQ(twips(pb.tabPositions()[1].position), 4320);
    EXPECT_EQ(pb.tabPositions()[1].type, QTextOption::CenterTab);

    const QTextBlockFormat ab = blockOf(b, "After the break");
    EXPECT_TRUE(ab.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
    EXPECT_EQ(ab.lineHeightType(), QTextBlockFormat::ProportionalHeight);
    EXPECT_DOUBLE_EQ(ab.lineHeight(), 200);

    EXPECT_EQ(back.rtf(), written);
}

} // namespace
} // namespace qb::richtext
