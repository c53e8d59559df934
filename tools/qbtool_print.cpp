// qbtool's printing commands: a test page run through the print engine into a
// PDF file, and the printer list.

#include "qbtool_commands.h"

#include "printing/tcanvasreport.h"

#include <QApplication>

#include <cstdlib>
#include <iostream>
#include <memory>

std::unique_ptr<QApplication> ensureApplication(int& argc, char** argv)
{
    if (QCoreApplication::instance())
        return nullptr;
    if (!std::getenv("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QApplication>(argc, argv);
}

namespace {

// One page that shows what the engine does: text placements, a row of tab
// cells with lines and shading, shapes and an inch ruler.
void drawTestPage(qb::TBaseReport& job)
{
    job.ApplyFont(QStringLiteral("Arial"), 18);
    job.SetBold(true);
    job.TextCenteredAt(QStringLiteral("Quillbase test page"), job.PageWidth() / 2);
    job.NextLine();
    job.ApplyFont(QStringLiteral("Times New Roman"), 11);
    job.NextLine();
    job.TextLeftAt(QStringLiteral("Left at 1 inch"), 1.0);
    job.TextRightAt(QStringLiteral("Right at 7.5 inches"), 7.5);
    job.NextLine();
    job.TextJustified(QStringLiteral("This line is spread over five inches"), 1.0, 5.0);
    job.NextLine();
    job.NextLine();

    job.ClearTabs();
    job.AddTab(1.0, qb::kTabLeft, 2.0, 5, qb::kBoxLeft | qb::kBoxRight | qb::kBoxTop | qb::kBoxBottom, 5);
    job.AddTab(qb::kNoOverride, qb::kTabCenter, 2.0, 5, qb::kBoxRight | qb::kBoxTop | qb::kBoxBottom, 0);
    job.AddTab(qb::kNoOverride, qb::kTabRight, 2.0, 5, qb::kBoxRight | qb::kBoxTop | qb::kBoxBottom, 20);
    job.SetPen(Qt::black, qb::PenStyle::psSolid, qb::PenMode::pmCopy, -1);
    for (int row = 1; row <= 3; ++row) {
        job.NextTab();
        job.EmitText(QStringLiteral("Left %1\tCentre %1\tRight %1").arg(row));
        job.NextLine();
    }
    job.NextLine();

    job.SetBrush(QColor(230, 230, 255), qb::BrushStyle::bsSolid);
    job.DrawRectangle(1.0, 4.0, 2.5, 5.0);
    job.DrawEllipse(3.0, 4.0, 4.5, 5.0);
    job.DrawRoundRect(5.0, 4.0, 6.5, 5.0, 0.3, 0.3);

    // An inch ruler along the top of the area, ticks every tenth.
    job.SetPen(Qt::black, qb::PenStyle::psSolid, qb::PenMode::pmCopy, 0);
    job.PenMoveTo(1.0, 6.0);
    job.PenLineTo(7.0, 6.0);
    for (int tenth = 0; tenth <= 60; ++tenth) {
        const double x = 1.0 + tenth / 10.0;
        job.PenMoveTo(x, 6.0);
        job.PenLineTo(x, tenth % 10 == 0 ? 6.25 : (tenth % 5 == 0 ? 6.15 : 6.08));
    }
    job.ApplyFont(QStringLiteral("Arial"), 8);
    job.MoveCursor(1.0, 6.45);
    for (int inch = 0; inch <= 6; ++inch)
        job.TextCenteredAt(QString::number(inch), 1.0 + inch);
    job.MoveCursor(1.0, job.AreaBottom());
    job.TextLeftAt(QStringLiteral("Page %1").arg(job.CurrentPage()), 1.0);
}

int testPage(int argc, char** argv)
{
    if (argc < 3) {
        std::cerr << "usage: qbtool testpage OUT.pdf [PAGES]\n";
        return 1;
    }
    const int pages = argc >= 4 ? std::atoi(argv[3]) : 1;
    if (pages < 1 || pages > 10000) {
        std::cerr << "qbtool: PAGES must be 1 to 10000\n";
        return 1;
    }
    auto app = ensureApplication(argc, argv);
    qb::TReportPrinter job;
    job.SelectPrinterByName(QStringLiteral("PDF file"));
    job.setPdfFileName(QString::fromLocal8Bit(argv[2]));
    job.setMarginLeft(0.5);
    job.setMarginRight(0.5);
    job.setMarginTop(0.5);
    job.setMarginBottom(0.5);
    job.OnPrint = [&] {
        for (int page = 1; page <= pages && !job.Aborted(); ++page) {
            if (page > 1)
                job.BreakPage();
            drawTestPage(job);
        }
    };
    if (!job.RunJob()) {
        std::cerr << "qbtool: " << job.LastError().toStdString() << "\n";
        return 1;
    }
    std::cout << pages << (pages == 1 ? " page" : " pages") << " written to " << argv[2] << "\n";
    return 0;
}

int printers(int argc, char** argv)
{
    auto app = ensureApplication(argc, argv);
    qb::TReportPrinter job;
    for (const QString& name : job.PrinterNames())
        std::cout << name.toStdString() << "\n";
    return 0;
}

} // namespace

int printCommand(const std::string& command, int argc, char** argv)
{
    if (command == "testpage")
        return testPage(argc, argv);
    if (command == "printers")
        return printers(argc, argv);
    return -1;
}
