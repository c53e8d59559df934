// The utility windows driven through their widgets: the zip count's printed
// list read back from its PDF, the checks' live grids, case conversion,
// search-and-replace and delete with their questions and counts.
#include "utilities/result_grid.h"
#include "utilities/tcheckduplicates.h"
#include "utilities/tcheckstatezip.h"
#include "utilities/tconvertcase.h"
#include "utilities/tsearchreplace.h"
#include "utilities/tzipcodecount.h"
#include "utilities_fixture.h"
#include "window_support.h"

#include "help_topic.h"

#include "core/system_tables.h"
#include "printing/pdf_support.h"
#include "printing/print_status.h"
#include "printing/tcanvasreport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace qb;
using namespace qb::test;

namespace {

// Closes the print status window once its job has ended, as the user's Ok would.
void closeStatusWhenDone()
{
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* s = qobject_cast<TPrintStatusWindow*>(w); s && s->isVisible() && s->loop().ended()) {
                s->accept();
                timer->deleteLater();
            }
    });
    timer->start();
}

} // namespace

TEST(ZipCountWindow, CountsOnOpeningAndPrintsFourColumnsAPage)
{
    MessageLog log;
    std::vector<Row> rows;
    for (int i = 0; i < 300; ++i)
        rows.push_back({{"LNAME", "X"}, {"ZIP", QString::number(10000 + i * 7).toStdString()}});
    for (int i = 0; i < 1234; ++i)
        rows.push_back({{"LNAME", "Many"}, {"ZIP", "00501"}});
    UtilityDatabase db(rows);
    db.t().selectOrder("NAME");
    db.t().go(5);
    TZipCodeCount window(db.t());
    window.show();
    QTRY_VERIFY(window.counted());
    EXPECT_EQ(child<QLabel>(&window, "HeadingLabel")->text(), "Finished counting. Press Print or Preview for the report");
    EXPECT_EQ(window.result().size(), 303);
    EXPECT_EQ(window.result().first(), "00501     1,234");
    EXPECT_EQ(db.t().currentOrderName(), "NAME");
    EXPECT_EQ(db.t().recno(), 5u);

    const QString pdf = db.program.folder() + "zip.pdf";
    window.printerJob().SelectPrinterByName("PDF file");
    window.printerJob().setPdfFileName(pdf);
    closeStatusWhenDone();
    QTest::mouseClick(child<QPushButton>(&window, "PrintButton"), Qt::LeftButton);
    EXPECT_EQ(window.lastOutcome(), PrintOutcome::Completed);
    const PdfText text = readPdf(pdf);
    ASSERT_EQ(text.pages, 2);
    for (int page = 1; page <= 2; ++page) {
        EXPECT_TRUE(text.find("Report", page)) << page;
        EXPECT_TRUE(text.find(QString::number(page), page)) << page;
    }
    // The count sits right-aligned in the second cell of the first column.
    const PdfWord* big = text.find("1,234", 1);
    ASSERT_TRUE(big);
    EXPECT_NEAR(big->right, 0.5 + 1.25 - 0.05, 0.04);
    const PdfWord* first = text.find("00501", 1);
    ASSERT_TRUE(first);
    EXPECT_NEAR(first->left, 0.55, 0.04);
    // Columns follow each other 1.875 in apart; the list goes on on page 2.
    double maxLeft = 0;
    for (const PdfWord& w : text.words)
        if (w.page == 1 && w.text.size() == 5 && w.text[0].isDigit())
            maxLeft = std::max(maxLeft, w.left);
    EXPECT_NEAR(maxLeft, 0.55 + 3 * 1.875, 0.04);
    EXPECT_TRUE(text.find("12093", 2) || text.find("12086", 2));
    // The first row is shaded; the frame's left edge and the first column line
    // are drawn over it, not hidden under it.
    const int dpi = 150;
    const QImage page = renderPdf(pdf, 1, dpi);
    for (double x : {0.5, 0.5 + 1.875}) {
        int darkest = 255;
        for (double dx = -0.02; dx <= 0.02; dx += 1.0 / dpi)
            darkest = std::min(darkest, qGray(pixelAt(page, dpi, x + dx, 1.08).rgb()));
        EXPECT_LT(darkest, 128) << x;
    }

    // Printing again does not count again: the table's rows may change meanwhile.
    db.t().go(1);
    db.t().edit();
    db.t().setText("ZIP", "99999");
    db.t().post();
    closeStatusWhenDone();
    QTest::mouseClick(child<QPushButton>(&window, "PrintButton"), Qt::LeftButton);
    EXPECT_FALSE(readPdf(pdf).find("99999"));
}

// Between reading and the list the window says it sorts.
TEST(ZipCountWindow, SaysWhenItSorts)
{
    MessageLog log;
    UtilityDatabase db({{{"LNAME", "A"}, {"ZIP", "12345"}}, {{"LNAME", "B"}, {"ZIP", "02134"}}});
    TZipCodeCount window(db.t());
    window.show();
    QString seen;
    // The first look the count gives the event loop comes after the reading.
    QTimer::singleShot(0, [&] { seen = child<QLabel>(&window, "StatusLabel")->text(); });
    QTRY_VERIFY(window.counted());
    EXPECT_EQ(seen, "Sorting Zip Codes...");
}

TEST(StateZipWindow, ChecksEditsTagsAndRemovesItsIndex)
{
    MessageLog log;
    UtilityDatabase db({{{"LNAME", "Wrong"}, {"STATE", "NY"}, {"ZIP", "90210"}},
                        {{"LNAME", "Right"}, {"STATE", "NY"}, {"ZIP", "12345"}},
                        {{"LNAME", "Nowhere"}, {"STATE", "QQ"}, {"ZIP", "12345"}}});
    QDir().mkpath(db.program.folder() + "sysdata");
    {
        auto csz = xbase::Table::create((db.program.folder() + "sysdata/CSZ.DBF").toStdString(), systemTableFields(SystemTable::CityStateZip));
        for (auto [state, low, high] : {std::tuple{"NY", "10000", "14999"}, std::tuple{"CA", "90000", "96199"}}) {
            csz->appendBlank();
            csz->setText("STATE", state);
            csz->setText("LOW_ZIP", low);
            csz->setText("HIGH_ZIP", high);
            csz->post();
        }
    }
    db.table.setTagId("T1");
    db.t().setFilter("!ISDEL");
    TCheckStateZip window(db.table);
    window.show();
    QTest::mouseClick(child<QPushButton>(&window, "PerformCheckButton"), Qt::LeftButton);
    EXPECT_EQ(window.found(), 2u);
    EXPECT_EQ(child<QLabel>(&window, "CountLabel")->text(), "Found 2 records with questionable state or zipcodes");
    const QString idx = db.program.data("add0001_chksz.idx");
    EXPECT_TRUE(QFile::exists(idx));
    RecordGridModel& model = window.resultGrid()->model();
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.data(model.index(0, 1), Qt::DisplayRole).toString(), "Nowhere");
    // Corrected in the grid: the record is written and stays in the result.
    const int zipColumn = 7;
    ASSERT_EQ(model.headerData(zipColumn, Qt::Horizontal, Qt::DisplayRole).toString(), "Zip");
    typeIntoCell(window.resultGrid()->view(), 1, zipColumn, "11111");
    click(&window, "SaveButton");
    db.t().go(1);
    EXPECT_EQ(db.t().text("ZIP"), "11111");
    log.answer = true;
    closeTaggingWhenDone();
    QTest::mouseClick(child<QPushButton>(&window, "TagAllButton"), Qt::LeftButton);
    EXPECT_EQ(log.messages.back().caption, "TAG ALL");
    EXPECT_EQ(db.column("TAG"), (std::vector<std::string>{"T1", "", "T1"}));
    // Tag on the first row ("Nowhere") takes its tag off again.
    window.resultGrid()->view()->setCurrentIndex(model.index(0, 1));
    QTest::mouseClick(child<QPushButton>(&window, "TagButton"), Qt::LeftButton);
    EXPECT_EQ(db.column("TAG"), (std::vector<std::string>{"T1", "", ""}));

    // The reference table opens in the same window and shows why a row is not trusted.
    QTest::mouseClick(child<QPushButton>(&window, "EditReferenceButton"), Qt::LeftButton);
    ASSERT_TRUE(window.referenceGrid());
    EXPECT_EQ(window.referenceGrid()->model().rowCount(), 2);
    // Every column title shows whole, in both grids.
    for (QTableView* grid : {window.resultGrid()->view(), window.referenceGrid()->view()}) {
        QHeaderView* header = grid->horizontalHeader();
        for (int c = 0; c < grid->model()->columnCount(); ++c) {
            const QString title = grid->model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
            EXPECT_GE(header->sectionSize(c), header->fontMetrics().horizontalAdvance(title) + 8) << title.toStdString();
        }
    }
    EXPECT_EQ(child<QPushButton>(&window, "EditReferenceButton")->text(), "Stop Editing");
    QTest::mouseClick(child<QPushButton>(&window, "EditReferenceButton"), Qt::LeftButton);

    window.accept();
    EXPECT_FALSE(QFile::exists(idx));
    EXPECT_EQ(db.t().orderCount(), db.t().tagCount());
}

TEST(DuplicatesWindow, StreetCheckDeletesFromTheGrid)
{
    MessageLog log;
    UtilityDatabase db({{{"LNAME", "Adams"}, {"STREET", "12 Main Street"}},
                        {{"LNAME", "Brown"}, {"STREET", "12 Main St."}},
                        {{"LNAME", "Clark"}, {"STREET", "40 Oak Road"}}});
    db.t().setFilter("!ISDEL");
    TCheckDuplicates window(db.table);
    window.show();
    child<QRadioButton>(&window, "rbStreet")->setChecked(true);
    child<QSpinBox>(&window, "StreetLengthSpin")->setValue(10);
    QTest::mouseClick(child<QPushButton>(&window, "PerformCheckButton"), Qt::LeftButton);
    EXPECT_EQ(window.found(), 1u);
    EXPECT_TRUE(QFile::exists(db.program.folder() + "_chkdup.idx"));
    RecordGridModel& model = window.resultGrid()->model();
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Address 1");
    window.resultGrid()->view()->setCurrentIndex(model.index(0, 0));
    log.answer = true;
    QTest::mouseClick(child<QPushButton>(&window, "DeleteButton"), Qt::LeftButton);
    EXPECT_EQ(log.texts().back(), "Delete this record?");
    EXPECT_EQ(model.rowCount(), 1);
    db.t().go(2);   // "12 MAIN ST." sorts first
    EXPECT_TRUE(db.t().deleted());
    EXPECT_TRUE(db.t().logical("ISDEL"));
    window.accept();
    EXPECT_FALSE(QFile::exists(db.program.folder() + "_chkdup.idx"));
}

TEST(ConvertCaseWindow, AsksAndConvertsTheFilteredRecords)
{
    MessageLog log;
    UtilityDatabase db({{{"LNAME", "mcdonald"}, {"CODES", "A"}}, {{"LNAME", "o'brien"}, {"CODES", "B"}}, {{"LNAME", "van der berg"}, {"CODES", "A"}}});
    db.t().setFilter("CODES = 'A' .and. !ISDEL");
    db.t().first();
    TConvertCase window(db.t(), true);
    window.show();
    QTest::mouseClick(child<QPushButton>(&window, "ConvertButton"), Qt::LeftButton);
    EXPECT_EQ(log.texts(), QStringList{"No fields checked for conversion"});
    child<QCheckBox>(&window, "cbLNAME")->setChecked(true);
    child<QRadioButton>(&window, "rbFiltered")->setChecked(true);
    child<QRadioButton>(&window, "rbFirstLetter")->setChecked(true);
    log.answer = false;
    QTest::mouseClick(child<QPushButton>(&window, "ConvertButton"), Qt::LeftButton);
    EXPECT_EQ(log.messages.back().kind, MessageKind::QuestionDefaultNo);
    EXPECT_EQ(db.column("LNAME")[0], "mcdonald");
    log.answer = true;
    QTest::mouseClick(child<QPushButton>(&window, "ConvertButton"), Qt::LeftButton);
    EXPECT_EQ(db.column("LNAME"), (std::vector<std::string>{"Mcdonald", "o'brien", "Van Der Berg"}));
    EXPECT_EQ(window.outcome().changed, 2u);
    EXPECT_EQ(window.result(), QDialog::Accepted);
}

TEST(SearchReplaceWindows, ReplaceAndDeleteSayWhatTheyDid)
{
    MessageLog log;
    UtilityDatabase db({{{"LNAME", "Banana"}, {"CODES", "A"}}, {{"LNAME", "Bandana"}, {"CODES", "B"}}, {{"LNAME", "Cherry"}, {"CODES", "A"}}});
    {
        TSearchReplace window(db.t(), "CODES = 'A'");
        window.show();
        child<QRadioButton>(&window, "rbContains")->setChecked(true);
        child<QLineEdit>(&window, "SearchEdit")->setText("an");
        child<QRadioButton>(&window, "rbPartial")->setChecked(true);
        child<QLineEdit>(&window, "ReplaceEdit")->setText("in");
        child<QRadioButton>(&window, "rbFiltered")->setChecked(true);
        // A value no longer than the field: the edits hold no more.
        const int width = db.t().field(db.t().fieldIndex("LNAME")).length;
        EXPECT_EQ(child<QLineEdit>(&window, "SearchEdit")->maxLength(), width);
        log.answer = true;
        QTest::mouseClick(child<QPushButton>(&window, "ReplaceButton"), Qt::LeftButton);
        EXPECT_EQ(log.texts(), (QStringList{"Find records where field Last Name\rcontains: \"an\" (not case sensitive)\rand replace only the matching text with \"in\"",
                                            "Replaced 1 record", "Replacement done"}));
        EXPECT_EQ(db.column("LNAME"), (std::vector<std::string>{"Binina", "Bandana", "Cherry"}));
    }
    log.messages.clear();
    {
        TDeleteRecords window(db.t(), "CODES = 'A'");
        window.show();
        child<QRadioButton>(&window, "rbDeleteNotMatching")->setChecked(true);
        QTest::mouseClick(child<QPushButton>(&window, "DeleteNowButton"), Qt::LeftButton);
        EXPECT_EQ(log.texts(), (QStringList{"Delete the 1 record not matching the filter?", "Deleted 1 record",
                                            "For optimum space usage, please select\r\n[Rebuild Indexes] from the File menu"}));
        db.t().go(2);
        EXPECT_TRUE(db.t().deleted());
    }
    log.messages.clear();
    {
        // Without a filter the filter's choices cannot be taken.
        TDeleteRecords window(db.t(), {});
        EXPECT_FALSE(child<QRadioButton>(&window, "rbDeleteMatching")->isEnabled());
        EXPECT_FALSE(child<QRadioButton>(&window, "rbDeleteNotMatching")->isEnabled());
    }
}

TEST(UtilityWindows, HelpButtonsOpenTheirTopics)
{
    MessageLog log;
    ShippedHelp help;
    UtilityDatabase db({{{"LNAME", "Adams"}, {"STATE", "NY"}, {"ZIP", "10001"}}, {{"LNAME", "Baker"}, {"ZIP", "10002"}}});
    db.t().setFilter("!ISDEL");
    const struct {
        std::function<std::unique_ptr<QDialog>()> make;
        const char* topic;
        const char* title;
    } cases[] = {
        {[&] { return std::make_unique<TZipCodeCount>(db.t()); }, "1400.html", "Counting zip codes"},
        {[&] { return std::make_unique<TCheckStateZip>(db.table); }, "1410.html", "Checking states and zip codes"},
        {[&] { return std::make_unique<TCheckDuplicates>(db.table); }, "1420.html", "Checking for duplicates"},
        {[&] { return std::make_unique<TConvertCase>(db.t(), false); }, "1430.html", "Converting case"},
        {[&] { return std::make_unique<TSearchReplace>(db.t(), QString()); }, "1440.html", "Searching and replacing field values"},
        {[&] { return std::make_unique<TDeleteRecords>(db.t(), QString()); }, "1450.html", "Deleting records"},
    };
    for (const auto& c : cases) {
        std::unique_ptr<QDialog> window = c.make();
        window->show();
        // The zip count shows its Help button once it has counted.
        QTRY_VERIFY(child<QPushButton>(window.get(), "HelpButton")->isVisible());
        expectHelpTopic(*window, c.topic, c.title);
    }
}
