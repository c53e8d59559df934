// Label jobs printed into PDF files and read back.

#include "labels/label_printing.h"

#include "core/address_fixture.h"
#include "design/class_registry.h"
#include "design/intelligent_mail.h"
#include "design/layout_filer.h"
#include "design/tkgraphiccontrol.h"
#include "design/tklabelpanel.h"
#include "labels/bulk_presort.h"
#include "labels/label_catalogue.h"
#include "core/system_tables.h"
#include "labels/bulk_presort.h"
#include "platform/xbase/table.h"
#include "printing/pdf_support.h"
#include "printing/tcanvasreport.h"

#include <QDir>
#include <QProcess>
#include <map>
#include <QFile>

#include <gtest/gtest.h>

namespace qb {
namespace {

using test::MessageLog;
using test::ProgramDir;

class LabelPrinting : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(program.folder() + "sysdata");
        design::registerAllClasses();
        const QString path = program.data("add0001.DBF");
        ASSERT_TRUE(createAddressTable(path, FieldLengths::settingsDefaults()));
        ASSERT_TRUE(table.open(path));
        panel = new design::TKLabelPanel(&owner);
        panel->setDataset(&table);
    }

    void add(int n, const char* zip = "45401")
    {
        for (int i = 0; i < n; ++i)
            test::addRow(table.table(), {{"LNAME", "Name"}, {"ZIP", zip}});
        table.table().setFilter("!ISDEL");
        table.table().first();
    }

    // A layout of one text object with its caption at the label's top-left corner.
    QString layoutWithText(const QString& caption)
    {
        design::TKLabelPanel designPanel(&owner);
        const design::DesignClass* cls = design::findDesignClass("TKPLabel");
        design::TKGraphicControl* o = cls->create(*cls->table);
        o->loaded();
        designPanel.addObject(o, QRect(0, 0, 200, 30));
        o->setValue("Caption", caption);
        o->setValue("Font.Name", "Arial");
        o->setValue("Font.Height", -13);
        const QString file = program.folder() + "sysdata/BIN00001.L";
        design::TKLabelObjectFiler::SavePanel(&designPanel, file);
        return file;
    }

    // A layout of one data object showing the last name at the label's corner.
    QString layoutWithLastName()
    {
        design::TKLabelPanel designPanel(&owner);
        const design::DesignClass* cls = design::findDesignClass("TKPDLabel");
        design::TKGraphicControl* o = cls->create(*cls->table);
        o->loaded();
        designPanel.addObject(o, QRect(0, 0, 150, 30));
        o->setValue("DataFieldName", "LNAME");
        o->setValue("DataFieldDescript", "Last Name");
        o->setValue("Font.Name", "Arial");
        o->setValue("Font.Height", -13);
        const QString file = program.folder() + "sysdata/BIN00002.L";
        design::TKLabelObjectFiler::SavePanel(&designPanel, file);
        return file;
    }

    void addNamed(int n, const char* zip = "45401")
    {
        for (int i = 0; i < n; ++i) {
            const int number = int(table.table().recordCount()) + 1;
            test::addRow(table.table(), {{"LNAME", QStringLiteral("R%1").arg(number, 2, 10, QLatin1Char('0')).toStdString()},
                                         {"ZIP", zip}});
        }
        table.table().setFilter("!ISDEL");
        table.table().selectOrder("LNAME");
        table.table().first();
    }

    // The words of the PDF that name records or presort groups, in reading
    // order, each with its page.
    static std::vector<test::PdfWord> printed(const QString& pdf)
    {
        std::vector<test::PdfWord> out;
        for (const test::PdfWord& w : test::readPdf(pdf).words)
            if (w.text.startsWith('R') || w.text == "**")
                out.push_back(w);
        return out;
    }

    LabelPrintResult print(LabelPrintRequest request, const QString& pdf, bool presorted = false)
    {
        TReportPrinter job;
        test::setUpPdfJob(job, pdf);
        LabelPrintHooks hooks;
        hooks.inform = [this](const QString& t) { informed << t; };
        hooks.askYesNo = [this](const QString& t) {
            asked << t;
            return answer;
        };
        return runLabelPrint(table, *panel, job, request, presorted, hooks);
    }

    ProgramDir program;
    MessageLog log;
    AddressTable table;
    QWidget owner;
    design::TKLabelPanel* panel = nullptr;
    QStringList informed, asked;
    bool answer = true;
};

TEST_F(LabelPrinting, ThreeAcrossTenDownPutsEachLabelWhereTheStockSays)
{
    add(31);
    LabelPrintRequest request;
    request.layoutPath = layoutWithText("Hello");
    const QString pdf = program.folder() + "labels.pdf";
    const LabelPrintResult result = print(request, pdf);
    ASSERT_EQ(result.outcome, PrintOutcome::Completed) << informed.join("|").toStdString();
    EXPECT_EQ(result.stats.labels, 31u);

    const test::PdfText text = test::readPdf(pdf);
    EXPECT_EQ(text.pages, 2);
    std::vector<const test::PdfWord*> words;
    for (const test::PdfWord& w : text.words)
        if (w.text == "Hello" && w.page == 1)
            words.push_back(&w);
    ASSERT_EQ(words.size(), 30u);
    // The caption's box starts at the label's corner; its first glyph a hair to the right.
    const LabelStock stock;
    double dx = words[0]->left - stock.labelOrigin(0, 0).x();
    double dy = words[0]->top - stock.labelOrigin(0, 0).y();
    EXPECT_GE(dx, 0);
    EXPECT_LT(dx, 0.05);
    for (int row = 0; row < 10; ++row)
        for (int col = 0; col < 3; ++col) {
            const test::PdfWord* w = words[size_t(row * 3 + col)];
            const QPointF at = stock.labelOrigin(row, col);
            EXPECT_NEAR(w->left - at.x(), dx, 0.01) << row << "," << col;
            EXPECT_NEAR(w->top - at.y(), dy, 0.01) << row << "," << col;
        }
}

TEST_F(LabelPrinting, MaskCopiesAndMiddleGapsOnPaper)
{
    addNamed(8);
    const LabelStock stock;
    // Only the last two rows: six to a sheet, the seventh on the next sheet's position 24.
    LabelPrintRequest rows;
    rows.layoutPath = layoutWithLastName();
    rows.mask.setAll(false);
    for (int p = 24; p < 30; ++p)
        rows.mask.set(p, true);
    const QString pdf = program.folder() + "rows.pdf";
    ASSERT_EQ(print(rows, pdf).outcome, PrintOutcome::Completed);
    std::vector<test::PdfWord> words = printed(pdf);
    ASSERT_EQ(words.size(), 8u);
    EXPECT_EQ(words[6].text, "R07");
    EXPECT_EQ(words[6].page, 2);
    EXPECT_NEAR(words[6].top - words[0].top, 0, 0.01);
    EXPECT_NEAR(words[0].top - stock.labelOrigin(8, 0).y(), words[3].top - stock.labelOrigin(9, 0).y(), 0.01);

    // Two of each, three across: R01 at positions 0 and 1, R02 from position 2.
    LabelPrintRequest copies;
    copies.layoutPath = rows.layoutPath;
    copies.copies = 2;
    const QString twice = program.folder() + "twice.pdf";
    ASSERT_EQ(print(copies, twice).outcome, PrintOutcome::Completed);
    words = printed(twice);
    ASSERT_EQ(words.size(), 16u);
    EXPECT_EQ(words[1].text, "R01");
    EXPECT_EQ(words[2].text, "R02");
    EXPECT_NEAR(words[2].left - words[0].left, 2 * stock.horizontalPitch, 0.01);

    // The middle gap moves the columns from across div 2 on.
    for (const auto& [across, first] : {std::pair{4, 2}, std::pair{3, 1}}) {
        LabelPrintRequest gap;
        gap.layoutPath = rows.layoutPath;
        gap.stock.across = across;
        gap.stock.horizontalPitch = 2.0;
        gap.stock.labelWidth = 1.9;
        gap.stock.middleExtraX = 0.25;
        const QString file = program.folder() + QString("gap%1.pdf").arg(across);
        ASSERT_EQ(print(gap, file).outcome, PrintOutcome::Completed);
        words = printed(file);
        for (int c = 1; c < across; ++c)
            EXPECT_NEAR(words[size_t(c)].left - words[0].left, 2.0 * c + (c >= first ? 0.25 : 0), 0.01)
                << across << " across, column " << c;
    }
}

TEST_F(LabelPrinting, PresortPrintsHeadersAndTheListOrder)
{
    addNamed(10, "12345");
    addNamed(2, "K1A0B");
    addNamed(1, "99501");
    addNamed(3, "12399");
    LabelPrintRequest request;
    request.layoutPath = layoutWithLastName();
    request.presort = true;
    request.copies = 3;   // a presorted run prints one of each
    request.presortPath = program.folder() + "PRESORT.PSL";
    const QString pdf = program.folder() + "presort.pdf";
    bool presorted = false;
    LabelPrintResult result;
    {
        TReportPrinter job;
        test::setUpPdfJob(job, pdf);
        LabelPrintHooks hooks;
        hooks.inform = [this](const QString& t) { informed << t; };
        result = runLabelPrint(table, *panel, job, request, presorted, hooks);
    }
    ASSERT_EQ(result.outcome, PrintOutcome::Completed);
    EXPECT_TRUE(presorted);
    EXPECT_EQ(informed, QStringList{kPresortOrderNote});
    // Checked by hand: ten of 12345 make a five-digit group; 12399 (3) and
    // 99501 (1) fall to their ADCs; the Canadian code is not counted.
    EXPECT_EQ(readPresortList(request.presortPath),
              QStringList({"** 5-digit 12345", "12345", "** ADC ALBANY NY 120", "12399", "** ADC ANCHORAGE AK 995",
                           "99501"}));
    EXPECT_EQ(result.stats.headers, 3u);
    EXPECT_EQ(result.stats.labels, 14u);
    // What each label position holds, in position order.
    const LabelStock stock;
    std::map<int, QStringList> positions;
    for (const test::PdfWord& w : test::readPdf(pdf).words) {
        const int col = int((w.left + 0.05 - stock.leftMargin) / stock.horizontalPitch);
        const int row = int((w.top + 0.05 - stock.topMargin) / stock.verticalPitch);
        positions[row * stock.across + col] << w.text;
    }
    QStringList labels;
    for (const auto& [position, words] : positions)
        labels << words.join(' ');
    EXPECT_EQ(labels, QStringList({"** 5-digit 12345", "R01", "R02", "R03", "R04", "R05", "R06", "R07", "R08", "R09",
                                   "R10", "** ADC ALBANY NY 120", "R14", "R15", "R16", "** ADC ANCHORAGE AK 995",
                                   "R13"}));
    const QString text = labels.join(' ');
    EXPECT_FALSE(text.contains("R11"));
}

TEST_F(LabelPrinting, MissingLayoutAndPaperQuestion)
{
    add(2);
    LabelPrintRequest request;
    request.layoutPath = program.folder() + "sysdata/BIN00009.L";
    EXPECT_EQ(print(request, program.folder() + "none.pdf").outcome, PrintOutcome::NotRun);
    EXPECT_EQ(informed, QStringList{"Label definition file has been removed from the sysdata directory"});

    // A landscape Letter stock sets Letter paper turned; 11 x 8.5 as the sheet lies.
    request.layoutPath = layoutWithText("Hello");
    request.stock.paperSize = "LTRL";
    request.stock.sheetWidth = 11;
    request.stock.sheetDepth = 8.5;
    const QString pdf = program.folder() + "landscape.pdf";
    EXPECT_EQ(print(request, pdf).outcome, PrintOutcome::Completed);
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_TRUE(test::run("pdfinfo", {pdf}).contains("792 x 612"));

    // A sheet the printer does not confirm asks, naming portrait width first; No stops.
    request.stock.sheetWidth = 12;
    answer = false;
    EXPECT_EQ(print(request, program.folder() + "asked.pdf").outcome, PrintOutcome::NotRun);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0], paperQuestion(8.5, 12));
    EXPECT_TRUE(asked[0].contains("8.50\" by 12.00\""));
}

TEST_F(LabelPrinting, TheTableIsPutBack)
{
    add(5);
    table.table().selectOrder("LNAME");
    table.table().go(3);
    LabelPrintRequest request;
    request.layoutPath = layoutWithText("Hello");
    request.records = LabelPrintRequest::Records::OnlyCurrent;
    request.copies = 3;
    const LabelPrintResult result = print(request, program.folder() + "current.pdf");
    EXPECT_EQ(result.stats.labels, 3u);
    EXPECT_EQ(table.table().recno(), 3u);
    EXPECT_EQ(table.table().filter(), "!ISDEL");
    EXPECT_EQ(table.table().currentOrderName(), "LNAME");
}

TEST_F(LabelPrinting, QbtoolPrintsAStoredLayoutForAFilter)
{
    addNamed(4, "45401");
    addNamed(3, "12345");
    table.close();
    {
        std::unique_ptr<xbase::Table> labels = openSystemTable(SystemTable::Label, xbase::OpenMode::Exclusive);
        ASSERT_TRUE(labels);
        LabelCatalogue catalogue(*labels);
        LabelLayoutRecord record;
        record.description = "Club labels";
        record.isNew = true;
        const QString layout = layoutWithLastName();
        ASSERT_TRUE(catalogue.save(record, [&](const QString& path) { return QFile::copy(layout, path); }));
    }
    const QString pdf = program.folder() + "club.pdf";
    QProcess qbtool;
    qbtool.start(QB_QBTOOL, {"labels", program.data("add0001.DBF"), "club labels", pdf, "--program", program.folder(),
                             "--filter", "ZIP=\"45\"", "--copies", "2"});
    ASSERT_TRUE(qbtool.waitForFinished(60000));
    EXPECT_EQ(qbtool.exitCode(), 0) << qbtool.readAllStandardError().toStdString();
    EXPECT_EQ(qbtool.readAllStandardOutput(), "8 labels, 0 presort headers, 1 pages\n");
    QStringList names;
    for (const test::PdfWord& w : test::readPdf(pdf).words)
        names << w.text;
    EXPECT_EQ(names, QStringList({"R01", "R01", "R02", "R02", "R03", "R03", "R04", "R04"}));

    qbtool.start(QB_QBTOOL, {"labels", program.data("add0001.DBF"), "No such layout", pdf, "--program", program.folder()});
    ASSERT_TRUE(qbtool.waitForFinished(60000));
    EXPECT_EQ(qbtool.exitCode(), 1);
    EXPECT_TRUE(qbtool.readAllStandardError().contains("no label layout No such layout"));
}

// qbtool labels prints the Intelligent Mail barcode like any other object,
// one serial number after the other: the bars read back from the PDF are the
// codes of serials 1 and 2 with each record's zip.
TEST_F(LabelPrinting, QbtoolPrintsTheIntelligentMailBarcodeCountingItsSerial)
{
    addNamed(1, "45401");
    addNamed(1, "12345");
    table.close();
    {
        design::TKLabelPanel designPanel(&owner);
        const design::DesignClass* cls = design::findDesignClass("TKIntelligentMailBarCode");
        ASSERT_TRUE(cls);
        design::TKGraphicControl* o = cls->create(*cls->table);
        o->loaded();
        designPanel.addObject(o, QRect(0, 0, 282, 15));
        for (const auto& [path, v] : {std::pair{"BarcodeIdentifier", "00"}, {"ServiceType", "040"},
                                      {"MailerIdentifier", "123456"}, {"SerialStart", "1"}, {"ZipCodeField", "ZIP"},
                                      {"AddressField", "STREET"}})
            o->setValue(path, QString::fromLatin1(v));
        o->setValue("BarCodeType", 0);
        const QString layout = program.folder() + "sysdata/BIN00003.L";
        design::TKLabelObjectFiler::SavePanel(&designPanel, layout);
        std::unique_ptr<xbase::Table> labels = openSystemTable(SystemTable::Label, xbase::OpenMode::Exclusive);
        ASSERT_TRUE(labels);
        LabelCatalogue catalogue(*labels);
        LabelLayoutRecord record;
        record.description = "Barcodes";
        record.isNew = true;
        record.stock.across = 1;
        record.stock.labelWidth = 4.0;
        record.stock.horizontalPitch = 4.0;
        record.stock.leftMargin = 0.5;
        record.stock.verticalPitch = 1.0;
        ASSERT_TRUE(catalogue.save(record, [&](const QString& path) { return QFile::copy(layout, path); }));
    }
    const QString pdf = program.folder() + "imb.pdf";
    QProcess qbtool;
    qbtool.start(QB_QBTOOL, {"labels", program.data("add0001.DBF"), "Barcodes", pdf, "--program", program.folder()});
    ASSERT_TRUE(qbtool.waitForFinished(60000));
    EXPECT_EQ(qbtool.exitCode(), 0) << qbtool.readAllStandardError().toStdString();
    EXPECT_EQ(qbtool.readAllStandardOutput(), "2 labels, 0 presort headers, 1 pages\n");

    constexpr int dpi = 300;
    const QImage page = test::renderPdf(pdf, 1, dpi);
    const auto darkAt = [&](double x, double y) {
        const QRgb c = page.pixel(int(x * dpi), int(y * dpi));
        return qRed(c) < 100 && qGreen(c) < 100 && qBlue(c) < 100;
    };
    const char* zips[] = {"45401", "12345"};
    for (int label = 0; label < 2; ++label) {
        const double top = 0.5 + label * 1.0;
        const QList<imb::BarState> expected = imb::encode(
            QStringLiteral("00040123456%1").arg(label + 1, 9, 10, QLatin1Char('0')), QString::fromLatin1(zips[label]));
        ASSERT_EQ(expected.size(), 65);
        QList<imb::BarState> read;
        for (int bar = 0; bar < 65; ++bar) {
            const double x = 0.5 + bar / 22.0 + 0.01;
            EXPECT_TRUE(darkAt(x, top + imb::kFullBarHeight / 2)) << "label " << label << " bar " << bar;
            const bool up = darkAt(x, top + 0.01), down = darkAt(x, top + imb::kFullBarHeight - 0.01);
            read << (up && down ? imb::BarState::Full
                     : up       ? imb::BarState::Ascender
                     : down     ? imb::BarState::Descender
                                : imb::BarState::Tracker);
        }
        EXPECT_EQ(read, expected) << "label " << label;
    }
}

} // namespace
} // namespace qb
