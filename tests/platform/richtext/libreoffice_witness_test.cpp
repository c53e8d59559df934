// LibreOffice as the other word processor: it turns a document made here into
// RTF, which we must read with every attribute in place; and it must read the
// RTF we write back to the same words on the same number and size of pages as
// its own rendering of the original. LibreOffice (libreoffice-writer-nogui) is
// installed by scripts/test-deps.sh; each conversion starts it, so the test
// makes only three.

#include "platform/richtext/rich_text.h"
#include "platform/richtext/text_units.h"
#include "qstring_print.h"
#include "format_at.h"
#include "libreoffice.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace qb::richtext {
namespace {

// A flat OpenDocument text: an 8.25 by 10.5 inch page (no standard paper, which
// LibreOffice would snap RTF page sizes to) with uneven margins, a
// centred bold coloured title, justified indented body paragraphs with line
// spacing, tab stops, italic underlined and highlighted words, a page break.
QString flatOdt()
{
    QString body;
    for (int i = 1; i <= 16; ++i)
        body += QStringLiteral(
                    "<text:p text:style-name=\"P2\">Paragraph %1 tells the members about the spring meeting, the new "
                    "hall and the dues that fall due in April; every member is asked to bring a friend and a dish to "
                    "share.</text:p>\n")
                    .arg(i);
    return QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.text">
<office:font-face-decls>
 <style:font-face style:name="Arial" svg:font-family="Arial" style:font-family-generic="swiss"/>
 <style:font-face style:name="Times New Roman" svg:font-family="'Times New Roman'" style:font-family-generic="roman"/>
</office:font-face-decls>
<office:automatic-styles>
 <style:style style:name="P1" style:family="paragraph" style:master-page-name="Standard">
  <style:paragraph-properties fo:text-align="center" fo:margin-top="0in" fo:margin-bottom="0.2in"/>
  <style:text-properties style:font-name="Times New Roman" fo:font-size="18pt" fo:font-weight="bold" fo:color="#1f4e79"/>
 </style:style>
 <style:style style:name="P2" style:family="paragraph">
  <style:paragraph-properties fo:text-align="justify" fo:margin-left="0.5in" fo:margin-right="0.25in"
   fo:text-indent="0.3in" fo:margin-top="0.1in" fo:margin-bottom="0.15in" fo:line-height="150%">
   <style:tab-stops><style:tab-stop style:position="2in"/><style:tab-stop style:position="4.5in" style:type="right"/></style:tab-stops>
  </style:paragraph-properties>
  <style:text-properties style:font-name="Arial" fo:font-size="11pt"/>
 </style:style>
 <style:style style:name="P3" style:family="paragraph">
  <style:paragraph-properties fo:text-align="start" fo:break-before="page" fo:margin-top="0in" fo:margin-bottom="0in"/>
  <style:text-properties style:font-name="Arial" fo:font-size="12pt"/>
 </style:style>
 <style:style style:name="T1" style:family="text">
  <style:text-properties fo:font-style="italic" style:text-underline-style="solid" style:text-underline-width="auto"
   style:text-underline-color="font-color"/>
 </style:style>
 <style:style style:name="T2" style:family="text">
  <style:text-properties fo:color="#c00000" fo:background-color="#ffff00"/>
 </style:style>
 <style:page-layout style:name="pm1">
  <style:page-layout-properties fo:page-width="8.25in" fo:page-height="10.5in" fo:margin-top="0.75in"
   fo:margin-bottom="0.5in" fo:margin-left="1.25in" fo:margin-right="1in"/>
 </style:page-layout>
</office:automatic-styles>
<office:master-styles>
 <style:master-page style:name="Standard" style:page-layout-name="pm1"/>
</office:master-styles>
<office:body><office:text>
<text:p text:style-name="P1">Quarterly Letter</text:p>
<text:p text:style-name="P2">Dues<text:tab/>April<text:tab/>twelve dollars, <text:span text:style-name="T1">payable</text:span> to the <text:span text:style-name="T2">treasurer</text:span>.</text:p>
)") + body +
           QStringLiteral(R"(<text:p text:style-name="P3">Second part after the break.</text:p>
</office:text></office:body>
</office:document>
)");
}

QString output(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

struct PdfInfo {
    int pages = 0;
    QString size;   // "576 x 720 pts"
};

PdfInfo pdfInfo(const QString& path)
{
    PdfInfo info;
    const QString text = output(QStringLiteral("pdfinfo"), {path});
    info.pages = QRegularExpression(QStringLiteral(R"(Pages:\s+(\d+))")).match(text).captured(1).toInt();
    info.size = QRegularExpression(QStringLiteral(R"(Page size:\s+([\d.]+ x [\d.]+ pts))")).match(text).captured(1);
    return info;
}

QStringList words(const QString& text) { return text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts); }

using test::blockOf;
using test::formatOf;

TEST(LibreOfficeWitness, ItsRtfReadsWithEveryAttributeAndOursReadsBackTheSame)
{
    ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())
        << "LibreOffice is missing: scripts/test-deps.sh installs libreoffice-writer-nogui";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString original = dir.filePath(QStringLiteral("original.fodt"));
    {
        QFile f(original);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(flatOdt().toUtf8());
    }
    const test::LibreOffice office(dir.filePath(QStringLiteral("profile")));
    const QString theirs = dir.filePath(QStringLiteral("theirs"));
    const QString ours = dir.filePath(QStringLiteral("ours"));
    QDir().mkpath(theirs);
    QDir().mkpath(ours);
    QString error;

    // 1. LibreOffice writes its RTF of the original.
    ASSERT_TRUE(office.convert({original}, QStringLiteral("rtf"), theirs, error)) << error.toStdString();
    QFile theirRtf(theirs + QStringLiteral("/original.rtf"));
    ASSERT_TRUE(theirRtf.open(QIODevice::ReadOnly));
    RichText read(RichText::Layout::Editor);
    const RtfReadResult r = read.setRtf(rtfFromBytes(theirRtf.readAll()));
    EXPECT_TRUE(r.complete && r.problem.isEmpty()) << r.problem.toStdString();
    const QTextDocument& d = read.document();

    EXPECT_EQ(read.page(), (PageLayout{11880, 15120, 1800, 1080, 1440, 720}));
    const QTextCharFormat title = formatOf(d, QStringLiteral("Quarterly"));
    EXPECT_EQ(title.fontFamilies().toStringList().value(0), "Times New Roman");
    EXPECT_EQ(title.fontPointSize(), 18);
    EXPECT_EQ(title.fontWeight(), QFont::Bold);
    EXPECT_EQ(title.foreground().color(), QColor(0x1f, 0x4e, 0x79));
    EXPECT_EQ(blockOf(d, QStringLiteral("Quarterly")).alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(unitsToTwips(blockOf(d, QStringLiteral("Quarterly")).bottomMargin()), 288);

    const QTextCharFormat body = formatOf(d, QStringLiteral("Dues"));
    EXPECT_EQ(body.fontFamilies().toStringList().value(0), "Arial");
    EXPECT_EQ(body.fontPointSize(), 11);
    EXPECT_FALSE(body.fontItalic() || body.fontUnderline() || body.fontWeight() == QFont::Bold);
    const QTextCharFormat payable = formatOf(d, QStringLiteral("payable"));
    EXPECT_TRUE(payable.fontItalic());
    EXPECT_TRUE(payable.fontUnderline());
    const QTextCharFormat treasurer = formatOf(d, QStringLiteral("treasurer"));
    EXPECT_EQ(treasurer.foreground().color(), QColor(0xc0, 0, 0));
    EXPECT_EQ(treasurer.background().color(), QColor(0xff, 0xff, 0));

    const QTextBlockFormat p = blockOf(d, QStringLiteral("Dues"));
    EXPECT_EQ(p.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignJustify);
    EXPECT_EQ(unitsToTwips(p.leftMargin()), 720);
    EXPECT_EQ(unitsToTwips(p.rightMargin()), 360);
    EXPECT_EQ(unitsToTwips(p.textIndent()), 432);
    EXPECT_EQ(unitsToTwips(p.topMargin()), 144);
    EXPECT_EQ(unitsToTwips(p.bottomMargin()), 216);
    EXPECT_EQ(p.lineHeightType(), QTextBlockFormat::ProportionalHeight);
    EXPECT_DOUBLE_EQ(p.lineHeight(), 150);
    ASSERT_EQ(p.tabPositions().size(), 2);
    // RTF measures tab stops from the page margin, OpenDocument from the indent.
    EXPECT_EQ(unitsToTwips(p.tabPositions()[0].position), 720 + 2880);
    EXPECT_EQ(p.tabPositions()[1].type, QTextOption::RightTab);
    EXPECT_EQ(unitsToTwips(p.tabPositions()[1].position), 720 + 6480);

    const QTextBlockFormat broken = blockOf(d, QStringLiteral("Second part"));
    EXPECT_TRUE(broken.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
    EXPECT_FALSE(p.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);

    // 2. Ours, written from what we read.
    const QString ourRtf = ours + QStringLiteral("/ours.rtf");
    {
        QFile f(ourRtf);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(read.rtf().toLatin1());
    }

    // 3. LibreOffice renders the original and ours, and reads ours as text.
    const QString pdfs = dir.filePath(QStringLiteral("pdf"));
    ASSERT_TRUE(office.convert({original, ourRtf}, QStringLiteral("pdf"), pdfs, error)) << error.toStdString();
    ASSERT_TRUE(office.convert({ourRtf}, QStringLiteral("txt:Text (encoded):UTF8"), ours, error)) << error.toStdString();
    QFile text(ours + QStringLiteral("/ours.txt"));
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    const QStringList originalWords = words(output(QStringLiteral("pdftotext"), {pdfs + "/original.pdf", "-"}));
    const QStringList ourWords = words(output(QStringLiteral("pdftotext"), {pdfs + "/ours.pdf", "-"}));
    EXPECT_EQ(ourWords, originalWords);
    // Read back as text the words are the same; a PDF's text does not say
    // where a tab stood between two words, so the spacing is left aside.
    EXPECT_EQ(words(QString::fromUtf8(text.readAll())).join(QString()), originalWords.join(QString()));
    EXPECT_EQ(ourWords.value(0), "Quarterly");

    const PdfInfo theirPdf = pdfInfo(pdfs + QStringLiteral("/original.pdf"));
    const PdfInfo ourPdf = pdfInfo(pdfs + QStringLiteral("/ours.pdf"));
    EXPECT_GE(theirPdf.pages, 3);
    EXPECT_EQ(ourPdf.pages, theirPdf.pages);
    EXPECT_EQ(theirPdf.size, "594 x 756 pts");
    EXPECT_EQ(ourPdf.size, theirPdf.size);
}

} // namespace
} // namespace qb::richtext
