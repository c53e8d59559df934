// Envelope runs printed to PDF and read back: the address lands where the
// feed puts the envelope on the page, one envelope a page, only the current
// record when asked, the printable area in previews only; qbtool envelopes.

#include "envelopes/envelope_catalogue.h"
#include "envelopes/envelope_printing.h"
#include "envelopes/tenvelopepanel.h"

#include "core/address_fixture.h"
#include "message_log.h"
#include "core/address_table.h"
#include "core/field_lengths.h"
#include "core/settings.h"
#include "core/system_tables.h"
#include "design/class_registry.h"
#include "design/intelligent_mail.h"
#include "design/layout_filer.h"
#include "design/tkgraphiccontrol.h"
#include "platform/xbase/table.h"
#include "printing/pdf_support.h"
#include "printing/tcanvasreport.h"
#include "printing/treportfiler.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <gtest/gtest.h>

namespace qb {
namespace {

constexpr double kTolerance = 0.01;

// The 65 bars of an Intelligent Mail barcode whose first bar's top left
// corner is at `at` (inches), read from a page rendered at 300 dots an inch:
// every bar has ink in the middle, the gap after it none, and its top and
// foot tell ascender and descender.
QList<imb::BarState> readImbBars(const QString& pdf, int page, QPointF at)
{
    constexpr int dpi = 300;
    const QImage image = test::renderPdf(pdf, page, dpi);
    const auto darkAt = [&](double x, double y) {
        const QRgb c = image.pixel(int(x * dpi), int(y * dpi));
        return qRed(c) < 100 && qGreen(c) < 100 && qBlue(c) < 100;
    };
    QList<imb::BarState> read;
    for (int bar = 0; bar < imb::kBarCount; ++bar) {
        const double x = at.x() + bar / 22.0 + 0.01, top = at.y();
        EXPECT_TRUE(darkAt(x, top + imb::kFullBarHeight / 2)) << "page " << page << " bar " << bar;
        EXPECT_FALSE(darkAt(x + 0.02, top + imb::kFullBarHeight / 2)) << "page " << page << " gap " << bar;
        const bool up = darkAt(x, top + 0.01), down = darkAt(x, top + imb::kFullBarHeight - 0.01);
        read << (up && down ? imb::BarState::Full
                 : up       ? imb::BarState::Ascender
                 : down     ? imb::BarState::Descender
                            : imb::BarState::Tracker);
    }
    return read;
}

class EnvelopePrinting : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(program.folder() + "sysdata");
        const QString path = program.data("add0001.DBF");
        ASSERT_TRUE(createAddressTable(path, FieldLengths::settingsDefaults()));
        ASSERT_TRUE(table.open(path));
        for (const char* name : {"Adams", "Brown", "Clark"})
            test::addRow(table.table(), {{"LNAME", name}, {"FNAME", "Ann"}, {"STREET", "1 Main St"},
                                         {"CITY", "Dayton"}, {"STATE", "OH"}, {"ZIP", "45401"}});
        table.table().setFilter("!ISDEL");
        table.table().selectOrder("LNAME");
        table.table().first();
        panel = new TEnvelopePanel(&owner);
        panel->setDataset(&table);
        layout = storeLayout();
    }

    // A #10 layout of one text, "MARK", with its box at 4 by 1.5 inches.
    QString storeLayout()
    {
        return storeLayout("Club envelopes", "TKPLabel", QRect(4 * 96, 96 + 48, 150, 30),
                           {{"Caption", "MARK"}, {"Font.Name", "Arial"}, {"Font.Height", -16}});
    }

    struct Object {
        const char* className;
        QRect rect;   // pixels at 96 per inch
        QList<std::pair<const char*, QVariant>> values;
    };

    // A #10 layout of one object of the class at rect.
    QString storeLayout(const QString& description, const char* className, QRect rect,
                        const QList<std::pair<const char*, QVariant>>& values)
    {
        return storeLayout(description, {Object{className, rect, values}});
    }

    QString storeLayout(const QString& description, const QList<Object>& objects)
    {
        TEnvelopePanel design(&owner);
        for (const Object& object : objects) {
            const design::DesignClass* cls = design::findDesignClass(object.className);
            EXPECT_TRUE(cls);
            if (!cls)
                return {};
            design::TKGraphicControl* o = cls->create(*cls->table);
            o->loaded();
            design.addObject(o, object.rect);
            for (const auto& [path, value] : object.values)
                o->setValue(path, value);
        }
        std::unique_ptr<xbase::Table> rows = openSystemTable(SystemTable::Envelope, xbase::OpenMode::Exclusive);
        EXPECT_TRUE(rows);
        EnvelopeCatalogue catalogue(*rows);
        EnvelopeLayoutRecord record;
        record.description = description;
        record.isNew = true;
        EXPECT_TRUE(catalogue.save(record, [&](const QString& path) {
            design.saveToFile(path);
            return true;
        }));
        return catalogue.layoutPath(record.fileName);
    }

    EnvelopePrintResult print(const QString& pdf, EnvelopePrintRequest request)
    {
        TReportPrinter job;
        test::setUpPdfJob(job, pdf);
        job.setUnits(Units::unInch);
        request.layoutPath = layout;
        EnvelopePrintHooks hooks;
        hooks.inform = [this](const QString& t) { informed << t; };
        return runEnvelopePrint(table, *panel, job, request, hooks);
    }

    test::ProgramDir program;
    test::MessageLog log;
    AddressTable table;
    QWidget owner;
    TEnvelopePanel* panel = nullptr;
    QString layout;
    QStringList informed;
};

// On the envelope's own paper the page is the envelope; on Letter the
// feed places it: the text's corner moves by exactly the placement.
TEST_F(EnvelopePrinting, TheAddressLandsWhereTheFeedPutsTheEnvelope)
{
    EnvelopePrintRequest own;
    own.records = PrintRecords::OnlyCurrent;
    const QString base = program.folder() + "own.pdf";
    ASSERT_EQ(print(base, own).envelopes, 1);
    const test::PdfText ownText = test::readPdf(base);
    ASSERT_EQ(ownText.pages, 1);
    const test::PdfWord* mark = ownText.find("MARK");
    ASSERT_TRUE(mark);
    EXPECT_NEAR(mark->left, 4.0, 0.1);   // the text's own inset aside
    EXPECT_TRUE(test::run("pdfinfo", {base}).contains(QRegularExpression("Page size: +684 x 297")))
        << test::run("pdfinfo", {base}).toStdString();

    int checked = 0;
    for (int orientation : {kPortrait, kLandscape})
        for (int facing : {kFaceUp, kFaceDown})
            for (int position : {kLeft, kRight, kCentre})
                for (bool cw : {false, true}) {
                    EnvelopePrintRequest r = own;
                    r.paperName = "Letter";
                    r.feed = {orientation, facing, position, cw};
                    const QString pdf = program.folder() + QString("feed%1.pdf").arg(checked);
                    const EnvelopePrintResult result = print(pdf, r);
                    ASSERT_EQ(result.outcome, PrintOutcome::Completed);
                    const QPointF at = orientation == kPortrait ? envelopePlacement(r.feed, 8.5, 11, 9.5, 4.125)
                                                                : envelopePlacement(r.feed, 11, 8.5, 9.5, 4.125);
                    EXPECT_EQ(result.placement, at);
                    const test::PdfText text = test::readPdf(pdf);
                    const test::PdfWord* w = text.find("MARK");
                    ASSERT_TRUE(w);
                    SCOPED_TRACE(feedText(r.feed).replace("\r\n", "; ").toStdString());
                    EXPECT_NEAR(w->left, mark->left + at.x(), kTolerance);
                    EXPECT_NEAR(w->top, mark->top + at.y(), kTolerance);
                    ++checked;
                }
    EXPECT_EQ(checked, 24);
}

TEST_F(EnvelopePrinting, OneEnvelopeAPageOnlyTheCurrentOneWhenAsked)
{
    table.table().next();   // Brown
    EnvelopePrintRequest current;
    current.records = PrintRecords::OnlyCurrent;
    const QString one = program.folder() + "one.pdf";
    EXPECT_EQ(print(one, current).envelopes, 1);
    EXPECT_EQ(test::readPdf(one).pages, 1);
    EXPECT_EQ(QString::fromStdString(table.table().text("LNAME")).trimmed(), "Brown");

    EnvelopePrintRequest all;
    all.records = PrintRecords::All;
    const QString three = program.folder() + "all.pdf";
    EXPECT_EQ(print(three, all).envelopes, 3);
    EXPECT_EQ(test::readPdf(three).pages, 3);
    EXPECT_EQ(QString::fromStdString(table.table().text("LNAME")).trimmed(), "Brown");
    EXPECT_EQ(table.table().filter(), "!ISDEL");
}

// The printable area is drawn on preview pages in red, never on paper.
TEST_F(EnvelopePrinting, PreviewPagesShowThePrintableAreaPrintedPagesDoNot)
{
    const auto redPixels = [](const QImage& page) {
        int n = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x) {
                const QRgb c = page.pixel(x, y);
                n += qRed(c) > 200 && qGreen(c) < 80 && qBlue(c) < 80;
            }
        return n;
    };
    EnvelopePrintRequest r;
    r.records = PrintRecords::All;
    const QString printed = program.folder() + "printed.pdf";
    ASSERT_EQ(print(printed, r).envelopes, 3);
    EXPECT_EQ(redPixels(test::renderPdf(printed, 1, 72)), 0);

    // The preview's recorded pages, played into a PDF as the preview shows them.
    TReportFiler filer;
    TPageStream stream;
    filer.setStream(&stream);
    filer.setUnits(Units::unInch);
    EnvelopePrintRequest p = r;
    p.mode = PrintRunMode::Preview;
    p.layoutPath = layout;
    EnvelopePrintHooks hooks;
    const EnvelopePrintResult result = runEnvelopePrint(table, *panel, filer, p, hooks);
    ASSERT_EQ(result.envelopes, 3);
    ASSERT_EQ(stream.pageCount(), 3);
    for (int page = 0; page < 3; ++page) {
        const QSizeF paper = stream.page(page).paperInches;
        QImage image(QSize(int(paper.width() * 72), int(paper.height() * 72)), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        stream.play(painter, page, 72.0 / TPageStream::kResolution);
        painter.end();
        EXPECT_GT(redPixels(image), 0) << "page " << page;
    }
}

TEST_F(EnvelopePrinting, AMissingOrDamagedLayoutPrintsNothing)
{
    QFile::remove(layout);
    EnvelopePrintRequest r;
    const QString pdf = program.folder() + "none.pdf";
    EXPECT_EQ(print(pdf, r).outcome, PrintOutcome::NotRun);
    EXPECT_EQ(informed, QStringList{kEnvelopeFileRemoved});
    QFile bad(layout);
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("TPF0 not a layout");
    bad.close();
    informed.clear();
    EXPECT_EQ(print(pdf, r).outcome, PrintOutcome::NotRun);
    ASSERT_EQ(informed.size(), 1);
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(EnvelopePrinting, QbtoolPrintsAStoredLayoutForAFilter)
{
    table.close();
    const QString pdf = program.folder() + "tool.pdf";
    QProcess qbtool;
    qbtool.start(QB_QBTOOL, QStringList{"envelopes", program.data("add0001.DBF"), "club envelopes", pdf, "--program",
                             program.folder(), "--filter", "LNAME<>\"Brown\"", "--paper", "Letter", "--feed",
                             "landscape,up,center"});
    ASSERT_TRUE(qbtool.waitForFinished(60000));
    EXPECT_EQ(qbtool.exitCode(), 0) << qbtool.readAllStandardError().toStdString();
    EXPECT_EQ(qbtool.readAllStandardOutput(), "2 envelopes, 2 pages\n");
    const test::PdfText text = test::readPdf(pdf);
    const test::PdfWord* w = text.find("MARK");
    ASSERT_TRUE(w);
    EXPECT_NEAR(w->top, 2.1875 + 1.5, 0.1);

    qbtool.start(QB_QBTOOL, QStringList{"envelopes", program.data("add0001.DBF"), "No such layout", pdf, "--program",
                             program.folder()});
    ASSERT_TRUE(qbtool.waitForFinished(60000));
    EXPECT_EQ(qbtool.exitCode(), 1);
    EXPECT_TRUE(qbtool.readAllStandardError().contains("no envelope layout No such layout"));
    qbtool.start(QB_QBTOOL, QStringList{"envelopes", program.data("add0001.DBF"), "club envelopes", pdf, "--program",
                             program.folder(), "--feed", "sideways,up,center"});
    ASSERT_TRUE(qbtool.waitForFinished(60000));
    EXPECT_EQ(qbtool.exitCode(), 1);
}

// qbtool envelopes prints the Intelligent Mail barcode like any other object,
// its serial counted per envelope: the bars read back from each page are the
// code of that envelope's serial with the record's zip, where the layout puts
// them (4 inches in, 3.5 down).
TEST_F(EnvelopePrinting, QbtoolPrintsTheIntelligentMailBarcodeCountingItsSerial)
{
    test::addRow(table.table(), {{"LNAME", "Dunn"}, {"STREET", "19 Elm St"}, {"ZIP", "12345-6789"}});
    ASSERT_FALSE(storeLayout("Barcoded", "TKIntelligentMailBarCode", QRect(4 * 96, 3 * 96 + 48, 282, 15),
                             {{"BarcodeIdentifier", "00"}, {"ServiceType", "040"}, {"MailerIdentifier", "123456"},
                              {"SerialStart", "41"}, {"ZipCodeField", "ZIP"}, {"AddressField", "STREET"},
                              {"BarCodeType", 2}})
                     .isEmpty());
    table.close();
    const QString pdf = program.folder() + "imb.pdf";
    QProcess qbtool;
    qbtool.start(QB_QBTOOL, QStringList{"envelopes", program.data("add0001.DBF"), "Barcoded", pdf, "--program",
                             program.folder(), "--filter", "LNAME=\"Clark\" .OR. LNAME=\"Dunn\""});
    ASSERT_TRUE(qbtool.waitForFinished(60000));
    EXPECT_EQ(qbtool.exitCode(), 0) << qbtool.readAllStandardError().toStdString();
    EXPECT_EQ(qbtool.readAllStandardOutput(), "2 envelopes, 2 pages\n");

    // Clark's zip has five digits; Dunn's nine, with the delivery point 19
    // of his street.
    const char* routing[] = {"45401", "12345678919"};
    for (int page = 0; page < 2; ++page) {
        const QList<imb::BarState> expected =
            imb::encode(QStringLiteral("00040123456%1").arg(41 + page, 9, 10, QLatin1Char('0')),
                        QString::fromLatin1(routing[page]));
        ASSERT_EQ(expected.size(), imb::kBarCount);
        EXPECT_EQ(readImbBars(pdf, page + 1, {4.0, 3.5}), expected) << "page " << page;
    }
}

// Printed runs carry on from the serial the run before left in QUILLB.ini:
// two runs of one envelope each give consecutive serials, a run cancelled
// after its first envelope uses that serial up, and a barcode whose serial
// comes from the record prints the record's and leaves the count alone. The
// serials are read back from the bars on paper.
TEST_F(EnvelopePrinting, IntelligentMailSerialsCarryOnFromRunToRun)
{
    const QList<std::pair<const char*, QVariant>> barcode = {
        {"BarcodeIdentifier", "00"}, {"ServiceType", "040"}, {"MailerIdentifier", "123456"}, {"SerialStart", "41"},
        {"ZipCodeField", "ZIP"},     {"AddressField", "STREET"}, {"BarCodeType", 0}};
    layout = storeLayout("Counted", "TKIntelligentMailBarCode", QRect(4 * 96, 3 * 96 + 48, 282, 15), barcode);
    const auto serialOnPaper = [&](const QString& pdf) {
        const QList<imb::BarState> bars = readImbBars(pdf, 1, {4.0, 3.5});
        for (int serial = 0; serial < 1000; ++serial)
            if (imb::encode(QStringLiteral("00040123456%1").arg(serial, 9, 10, QLatin1Char('0')), "45401") == bars)
                return serial;
        return -1;
    };
    EnvelopePrintRequest one;
    one.records = PrintRecords::OnlyCurrent;
    for (int serial : {41, 42}) {
        const QString pdf = program.folder() + QString("run%1.pdf").arg(serial);
        ASSERT_EQ(print(pdf, one).outcome, PrintOutcome::Completed);
        EXPECT_EQ(serialOnPaper(pdf), serial);
    }

    // Cancelled once the first of three envelopes went to the printer.
    TReportPrinter job;
    test::setUpPdfJob(job, program.folder() + "cancelled.pdf");
    job.setUnits(Units::unInch);
    EnvelopePrintRequest all;
    all.records = PrintRecords::All;
    all.layoutPath = layout;
    EnvelopePrintHooks hooks;
    hooks.runStatus = [](TBaseReport& running, PrintStatusTexts,
                         const std::function<void(const std::function<bool()>&)>& loop) {
        int asked = 0;
        running.OnPrint = [&] {
            loop([&] {
                if (++asked == 2)
                    running.AbortJob();
                return false;
            });
        };
        running.RunJob();
        return running.Aborted() ? PrintOutcome::Aborted : PrintOutcome::Completed;
    };
    const EnvelopePrintResult cancelled = runEnvelopePrint(table, *panel, job, all, hooks);
    EXPECT_EQ(cancelled.outcome, PrintOutcome::Aborted);
    EXPECT_EQ(cancelled.envelopes, 1);

    const QString after = program.folder() + "after.pdf";
    ASSERT_EQ(print(after, one).outcome, PrintOutcome::Completed);
    EXPECT_EQ(serialOnPaper(after), 44);
    EXPECT_EQ(Settings::program().string("Intelligent Mail", "123456"), "000000045");

    // A range that runs past its last serial begins again at zero, with a warning.
    {
        Settings settings = Settings::program();
        ASSERT_TRUE(settings.setString("Intelligent Mail", "123456", "999999999"));
    }
    EnvelopePrintRequest two = all;
    two.layoutPath.clear();
    two.mode = PrintRunMode::Print;
    table.table().first();
    informed.clear();
    const QString wrapped = program.folder() + "wrapped.pdf";
    ASSERT_EQ(print(wrapped, two).envelopes, 3);
    EXPECT_EQ(Settings::program().string("Intelligent Mail", "123456"), "000000002");
    ASSERT_EQ(informed.size(), 1);
    EXPECT_TRUE(informed[0].contains("123456")) << informed[0].toStdString();
    table.table().first();

    // The record's own serial wins, and the kept count stays.
    table.table().edit();
    table.table().setText("CODES", "777");
    table.table().post();
    QList<std::pair<const char*, QVariant>> fromRecord = barcode;
    fromRecord.append(std::pair<const char*, QVariant>{"SerialField", "CODES"});
    layout = storeLayout("From the record", "TKIntelligentMailBarCode", QRect(4 * 96, 3 * 96 + 48, 282, 15),
                         fromRecord);
    const QString own = program.folder() + "own.pdf";
    ASSERT_EQ(print(own, one).outcome, PrintOutcome::Completed);
    EXPECT_EQ(serialOnPaper(own), 777);
    EXPECT_EQ(Settings::program().string("Intelligent Mail", "123456"), "000000002");
}

// Pieces that go out without their barcode, with a barcode that lacks its
// routing code, or with an address block too short for their lines are
// counted and named by the run and by qbtool envelopes.
TEST_F(EnvelopePrinting, PiecesWithoutBarcodeRoutingOrWholeAddressAreNamed)
{
    // Brown's serial is too long for the barcode, Clark's zip gives no routing
    // code, Dunn's address takes seven lines in a box for five.
    const auto set = [this](const char* lname, const test::Row& values) {
        for (bool more = table.table().first(); more; more = table.table().next())
            if (QString::fromStdString(table.table().text("LNAME")).trimmed() == lname) {
                table.table().edit();
                for (const auto& [field, value] : values)
                    table.table().setText(field, value);
                table.table().post();
                return table.table().recno();
            }
        return 0u;
    };
    test::addRow(table.table(), {{"LNAME", "Dunn"}, {"FNAME", "Ed"}, {"TITLE", "Treasurer"}, {"ORG", "Dunn & Co"},
                                 {"STREET", "1 Main St"}, {"STREET2", "Suite 5"}, {"CITY", "Dayton"}, {"STATE", "OH"},
                                 {"ZIP", "45401"}, {"COUNTRY", "USA"}});
    set("Adams", {{"CODES", "1"}});
    const uint32_t brown = set("Brown", {{"CODES", "1234567890"}});
    const uint32_t clark = set("Clark", {{"CODES", "2"}, {"ZIP", "ABCDE"}});
    const uint32_t dunn = set("Dunn", {{"CODES", "3"}});
    table.table().first();
    // Room for five and a half lines of 10-point Arial, as the block draws them.
    QFont font("Liberation Sans");
    font.setPixelSize(13);
    const int lh = QFontMetrics(font).boundingRect("XXX").height();
    layout = storeLayout(
        "Checked",
        {Object{"TKIntelligentMailBarCode", QRect(4 * 96, 3 * 96 + 48, 282, 15),
                {{"BarcodeIdentifier", "00"}, {"ServiceType", "040"}, {"MailerIdentifier", "123456"},
                 {"SerialField", "CODES"}, {"ZipCodeField", "ZIP"}, {"AddressField", "STREET"}, {"BarCodeType", 0}}},
         Object{"TKDMultiLineAddressLabel", QRect(4 * 96, 96, 300, 5 * lh + lh / 2),
                {{"Font.Name", "Arial"}, {"Font.Height", -13}}}});

    EnvelopePrintRequest all;
    all.records = PrintRecords::All;
    const EnvelopePrintResult result = print(program.folder() + "checked.pdf", all);
    ASSERT_EQ(result.outcome, PrintOutcome::Completed);
    EXPECT_EQ(result.envelopes, 4);
    using design::PieceNote;
    EXPECT_EQ(result.notes.withoutBarcode, (QList<PieceNote>{PieceNote{brown, "Brown"}}));
    EXPECT_EQ(result.notes.withoutRouting, (QList<PieceNote>{PieceNote{clark, "Clark"}}));
    EXPECT_EQ(result.notes.blockCut, (QList<PieceNote>{PieceNote{dunn, "Dunn"}}));

    table.close();
    QProcess qbtool;
    qbtool.start(QB_QBTOOL, QStringList{"envelopes", program.data("add0001.DBF"), "Checked",
                                        program.folder() + "tool.pdf", "--program", program.folder()});
    ASSERT_TRUE(qbtool.waitForFinished(60000));
    EXPECT_EQ(qbtool.exitCode(), 0);
    EXPECT_EQ(qbtool.readAllStandardOutput(), "4 envelopes, 4 pages\n");
    const QString notes = QString::fromUtf8(qbtool.readAllStandardError());
    EXPECT_TRUE(notes.contains(QString("1 envelope without an Intelligent Mail barcode: %1 Brown").arg(brown)))
        << notes.toStdString();
    EXPECT_TRUE(notes.contains(QString("1 envelope with an Intelligent Mail barcode without routing code: %1 Clark")
                                   .arg(clark)))
        << notes.toStdString();
    EXPECT_TRUE(notes.contains(QString("1 envelope whose address block could not hold every line: %1 Dunn").arg(dunn)))
        << notes.toStdString();
}

} // namespace
} // namespace qb
