// LibreOffice Writer as the witness for letterheads: it writes an RTF letter
// with a PNG logo and a footer, which we load and print with the logo at its
// size and the footer on every page; and the RTF we save of it, opened by
// LibreOffice, shows the same picture and footer.

#include "letters/letter_print_loop.h"

#include "letter_fixture.h"
#include "platform/richtext/libreoffice.h"
#include "printing/pdf_support.h"
#include "printing/tcanvasreport.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace qb {
namespace {

// A letter page with a 2 by 1 inch logo in its first line, a footer and
// enough text for two pages.
QString letterheadOdt()
{
    const QByteArray png = test::pngLogo(QSize(200, 100), QColor(20, 90, 160));
    QString body;
    for (int i = 1; i <= 70; ++i)
        body += QStringLiteral("<text:p text:style-name=\"P1\">Paragraph %1 of the letter to the members about the "
                               "spring meeting and the dues.</text:p>\n").arg(i);
    return QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 xmlns:xlink="http://www.w3.org/1999/xlink"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.text">
<office:automatic-styles>
 <style:style style:name="P1" style:family="paragraph">
  <style:text-properties fo:font-size="12pt"/>
 </style:style>
 <style:page-layout style:name="pm1">
  <style:page-layout-properties fo:page-width="8.5in" fo:page-height="11in" fo:margin-top="1in"
   fo:margin-bottom="0.5in" fo:margin-left="1in" fo:margin-right="1in"/>
  <style:footer-style><style:header-footer-properties fo:min-height="0.3in"/></style:footer-style>
 </style:page-layout>
</office:automatic-styles>
<office:master-styles>
 <style:master-page style:name="Standard" style:page-layout-name="pm1">
  <style:footer><text:p>Acme Supply footerline</text:p></style:footer>
 </style:master-page>
</office:master-styles>
<office:body><office:text>
<text:p text:style-name="P1"><draw:frame draw:name="logo" text:anchor-type="as-char" svg:width="2in" svg:height="1in"><draw:image><office:binary-data>)") +
           QString::fromLatin1(png.toBase64()) + QStringLiteral(R"(</office:binary-data></draw:image></draw:frame></text:p>
)") + body + QStringLiteral(R"(</office:text></office:body>
</office:document>
)");
}

// The image rows of pdfimages -list: width and height in inches.
std::vector<QSizeF> pdfImages(const QString& pdf)
{
    std::vector<QSizeF> sizes;
    const QStringList rows = test::run("pdfimages", {"-list", pdf}).split('\n', Qt::SkipEmptyParts);
    for (int row = 2; row < rows.size(); ++row) {
        const QStringList c = rows[row].simplified().split(' ');
        if (c.size() >= 14 && c[2] == "image")
            sizes.emplace_back(c[3].toDouble() / c[12].toDouble(), c[4].toDouble() / c[13].toDouble());
    }
    return sizes;
}

class LetterheadWitness : public test::LetterFixture {};

TEST_F(LetterheadWitness, LibreOfficesLetterheadPrintsAndOursReadsBackInLibreOffice)
{
    ASSERT_FALSE(QStandardPaths::findExecutable("soffice").isEmpty())
        << "LibreOffice is missing: scripts/test-deps.sh installs libreoffice-writer-nogui";
    add({{{"LNAME", "Adams"}}});
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString odt = dir.filePath("letterhead.fodt");
    {
        QFile f(odt);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(letterheadOdt().toUtf8());
    }
    const richtext::test::LibreOffice office(dir.filePath("profile"));
    QString error;
    ASSERT_TRUE(office.convert({odt}, "rtf", dir.path(), error)) << error.toStdString();
    QFile theirs(dir.filePath("letterhead.rtf"));
    ASSERT_TRUE(theirs.open(QIODevice::ReadOnly));

    richtext::RichText letter;
    const richtext::RtfReadResult read = letter.setRtf(richtext::rtfFromBytes(theirs.readAll()));
    EXPECT_EQ(read.dropped.count(richtext::RtfDropped::Picture), 0u) << read.droppedText().toStdString();
    const QString pdf = dir.filePath("ours.pdf");
    TReportPrinter job;
    job.SelectPrinterByName("PDF file");
    job.setPdfFileName(pdf);
    LetterPrintLoop loop(addresses.table(), letter, 1, true);
    ASSERT_EQ(loop.run(job), PrintOutcome::Completed);
    const test::PdfText text = test::readPdf(pdf);
    ASSERT_GE(text.pages, 2) << read.problem.toStdString();
    for (int page = 1; page <= text.pages; ++page)
        EXPECT_TRUE(text.wordsOf(page).contains("footerline")) << page;
    const std::vector<QSizeF> ours = pdfImages(pdf);
    ASSERT_EQ(ours.size(), 1u);
    EXPECT_NEAR(ours[0].width(), 2.0, 0.02);
    EXPECT_NEAR(ours[0].height(), 1.0, 0.01);

    // Our RTF of it, in LibreOffice: the same picture and footer.
    const QString saved = dir.filePath("saved.rtf");
    {
        QFile f(saved);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(letter.rtf().toLatin1());
    }
    ASSERT_TRUE(office.convert({saved}, "pdf", dir.path(), error)) << error.toStdString();
    const QString theirPdf = dir.filePath("saved.pdf");
    const std::vector<QSizeF> images = pdfImages(theirPdf);
    ASSERT_GE(images.size(), 1u);
    EXPECT_NEAR(images[0].width(), 2.0, 0.02);
    EXPECT_NEAR(images[0].height(), 1.0, 0.01);
    const test::PdfText theirText = test::readPdf(theirPdf);
    ASSERT_GE(theirText.pages, 2);
    for (int page = 1; page <= theirText.pages; ++page)
        EXPECT_TRUE(theirText.wordsOf(page).contains("footerline")) << page;
}

} // namespace
} // namespace qb
