// Merges a letter template with generated address records and prints the
// letters into a PDF file through the whole letter run (template, merge,
// pages, print engine); reports letters per second, the PDF's size and the
// peak memory:
//   letter_bench [LETTERS] [PAGES] [FOLDER] [--window] [--letterhead]
// PAGES is 1 or 2: a one-page letter of about 250 words, or the same with a
// second page. --window runs the letters through the status window
// "Print Status Screen", as the letters screen does. --letterhead puts a
// logo, a PNG of about 30 KB, at the top of the letter.

#include "core/address_table.h"
#include "core/field_lengths.h"
#include "core/paths.h"
#include "letters/letter_print_loop.h"
#include "letters/tletterprint.h"
#include "platform/xbase/table.h"
#include "printing/tcanvasreport.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QDir>
#include <QFileInfo>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>

using namespace qb;

namespace {

// A logo of about 30 KB as PNG: a gradient with a little noise, which PNG
// cannot squeeze to nothing.
QByteArray logoPng()
{
    QImage logo(240, 80, QImage::Format_RGB32);
    uint32_t seed = 12345;
    for (int y = 0; y < logo.height(); ++y)
        for (int x = 0; x < logo.width(); ++x) {
            seed = seed * 1103515245 + 12345;
            const int noise = int((seed >> 16) % 24);
            logo.setPixel(x, y, qRgb(30 + x / 2 + noise, 60 + y + noise, 160 - x / 4 + noise));
        }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    logo.save(&buffer, "PNG");
    return png;
}

QString letterRtf(int pages, bool letterhead)
{
    const QString body = QStringLiteral(
        "\\pard\\qj\\sa120 Thank you for your support of the Springfield Historical Society this year. Your gift "
        "helped us restore the old mill, open the archive room on Saturdays and print the spring newsletter that "
        "reached more than two thousand homes. {\\b The annual meeting} is on {\\i Saturday, April 13} at the "
        "parish hall; doors open at six and dinner is served at seven. Please bring a friend, a dish to share and "
        "any photographs of the town you would like us to copy for the collection.\\par ");
    QString rtf = QStringLiteral(
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Times New Roman;}{\\f1 Arial;}}\\paperw12240\\paperh15840"
        "\\margl1440\\margr1440\\margt1440\\margb1440\\f0\\fs24 ");
    if (letterhead)
        rtf += QStringLiteral("\\pard\\qc{\\pict\\pngblip\\picw240\\pich80\\picwgoal3600\\pichgoal1200 ") +
               QString::fromLatin1(logoPng().toHex()) + QStringLiteral("}\\par ");
    rtf += QStringLiteral(
        "\\pard\\qr [Long Date]\\par\\pard\\sb240 [Name and Address]\\par "
        "\\pard\\sb240\\sa240 Dear [Prefix] [Last],\\par ");
    for (int i = 0; i < 3; ++i)
        rtf += body;
    if (pages > 1) {
        rtf += QStringLiteral("\\page ");
        for (int i = 0; i < 4; ++i)
            rtf += body;
    }
    rtf += QStringLiteral("\\pard\\sb240 Yours sincerely,\\par\\pard\\sb720 {\\f1\\b Margaret Hill}\\par "
                          "{\\f1\\fs20 Secretary}\\par}");
    return rtf;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bool throughWindow = false, letterhead = false;
    while (argc > 1 && std::strncmp(argv[argc - 1], "--", 2) == 0) {
        throughWindow = throughWindow || std::strcmp(argv[argc - 1], "--window") == 0;
        letterhead = letterhead || std::strcmp(argv[argc - 1], "--letterhead") == 0;
        --argc;
    }
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int pages = argc > 2 ? std::clamp(std::atoi(argv[2]), 1, 2) : 1;
    const QString folder = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QDir::tempPath() + "/qb-letter-bench";
    QDir(folder).removeRecursively();
    QDir().mkpath(folder + "/sysdata");
    ProgramFolder::setPath(folder + "/");

    const QString db = folder + "/ADDR.DBF";
    {
        auto t = xbase::Table::create(db.toStdString(), addressFieldDefs(FieldLengths::settingsDefaults()));
        for (int i = 1; i <= count; ++i) {
            t->appendBlank();
            t->setText("PREFIX", i % 2 ? "Mrs." : "Mr.");
            t->setText("FNAME", "Pat");
            t->setText("LNAME", "Sample" + std::to_string(i));
            t->setText("STREET", std::to_string(100 + i % 900) + " Main St");
            t->setText("CITY", "Springfield");
            t->setText("STATE", "IL");
            t->setText("ZIP", std::to_string(60000 + i % 3000));
            t->post();
        }
        t->createTags(addressTags());
    }
    AddressTable addresses;
    if (!addresses.open(db, AddressTable::Messages::Quiet))
        return 1;
    addresses.table().setFilter("!ISDEL");
    addresses.table().first();

    richtext::RichText letter;
    letter.setRtf(letterRtf(pages, letterhead));
    const QString pdf = folder + "/letters.pdf";
    TReportPrinter job;
    job.SelectPrinterByName("PDF file");
    job.setPdfFileName(pdf);
    LetterPrintLoop loop(addresses.table(), letter, 1, false);
    const auto start = std::chrono::steady_clock::now();
    PrintOutcome outcome = PrintOutcome::Failed;
    if (throughWindow) {
        TLetterPrint window(loop, job);
        window.show();
        while (!window.ended())
            QApplication::processEvents();
        outcome = window.outcome();
    } else {
        outcome = loop.run(job);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    // Processor time as well: on a machine shared with other work the wall
    // clock says more about the others than about the run.
    const double cpu = double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    std::printf("%d letters on %d pages in %.2f s (%.2f s of processor time for the whole program): %.0f letters/s, "
                "PDF %.2f MB, peak memory %ld MB%s\n",
                loop.letters(), loop.pages(), seconds, cpu, loop.letters() / seconds, QFileInfo(pdf).size() / 1048576.0,
                u.ru_maxrss / 1024, outcome == PrintOutcome::Completed ? "" : " (the job did not complete)");
    return outcome == PrintOutcome::Completed ? 0 : 1;
}
