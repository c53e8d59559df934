// The import windows, their match windows and "Copy Records Out" driven as a
// user would: the open and save dialogs answered, the buttons clicked.

#include "transfer/file_choice.h"
#include "transfer/tasciiimport.h"
#include "transfer/tasciimatchfields.h"
#include "transfer/tcopyrecordsout.h"
#include "transfer/tdbfimport.h"
#include "transfer/tdbfmatchfields.h"
#include "transfer/timportoldversion.h"
#include "transfer/tvcardimport.h"
#include "mainwindow/window_test_support.h"
#include "transfer_fixture.h"
#include "help_topic.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

namespace qb {
namespace {

using test::AddressDatabase;
using test::child;
using test::MessageLog;
using test::Row;
using test::rowsOf;
using test::whenShown;
using xbase::test::readFile;
using xbase::test::writeFile;

// Answers the next open or save dialog with path, keeping what was asked.
struct Chooser {
    Chooser() { setFileChooser([this](const FileQuestion& q) { asked.push_back(q); return next; }); }
    ~Chooser() { setFileChooser({}); }
    QString next;
    std::vector<FileQuestion> asked;
};

void click(QWidget* w, const char* name) { QTest::mouseClick(child<QPushButton>(w, name), Qt::LeftButton); }

// Picks source (by its menu text) for the grid row labelled label.
void pick(MatchWindow* m, const QString& label, const QString& source)
{
    QTableWidget* grid = m->matchGrid();
    for (int r = 0; r < grid->rowCount(); ++r)
        if (grid->item(r, 0)->text() == label)
            grid->setCurrentCell(r, 0);
    ASSERT_EQ(grid->item(grid->currentRow(), 0)->text(), label);
    for (QAction* a : m->sourceMenu()->actions())
        if (a->text() == source) {
            a->trigger();
            return;
        }
    ADD_FAILURE() << "no choice " << source.toStdString() << " for " << label.toStdString();
}

QString sourceOf(MatchWindow* m, const QString& label)
{
    for (int r = 0; r < m->matchGrid()->rowCount(); ++r)
        if (m->matchGrid()->item(r, 0)->text() == label)
            return m->matchGrid()->item(r, 1)->text();
    return QStringLiteral("?");
}

class TransferWindows : public ::testing::Test {
protected:
    QString file(const char* name) const { return db.program.folder() + name; }
    AddressDatabase db;
    MessageLog log;
    Chooser chooser;
};

TEST_F(TransferWindows, AsciiImportSamplesMatchesAndImports)
{
    writeFile(file("people.csv").toStdString(), "Smith,Springfield,\"1 Oak St, Apt 2\"\r\nJones,Dayton,2 Elm\r\n");
    TASCIIImport w(db.table);
    EXPECT_EQ(w.windowTitle(), "ASCII File Import");
    EXPECT_EQ(w.fileNameText(), "(none)");
    chooser.next = file("people.csv");
    click(&w, "SelectFileButton");
    EXPECT_EQ(w.fileNameText(), file("people.csv"));
    EXPECT_TRUE(child<QPushButton>(&w, "MatchFieldsButton")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(&w, "ImportButton")->isEnabled());

    whenShown<TASCIIMatchFields>([](TASCIIMatchFields* m) {
        EXPECT_EQ(m->windowTitle(), "ASCII File Import Match Fields");
        QTableWidget* sample = m->sampleGrid();
        ASSERT_EQ(sample->columnCount(), 3);
        EXPECT_EQ(sample->horizontalHeaderItem(2)->text(), "Field 3");
        EXPECT_EQ(sample->item(0, 2)->text(), "1 Oak St, Apt 2");
        EXPECT_EQ(m->matchGrid()->horizontalHeaderItem(1)->text(), "Import from Field (in people.csv)");
        pick(m, "Last Name", "Field 1");
        pick(m, "First Name", "Field 1");   // takes it from Last Name
        EXPECT_EQ(sourceOf(m, "Last Name"), "");
        pick(m, "Last Name", "Field 1");
        pick(m, "City", "Field 2");
        pick(m, "Phone 1", "Field 3");
        click(m, "ClearCurrentButton");     // Phone 1 again
        EXPECT_EQ(sourceOf(m, "Phone 1"), "");
        pick(m, "Address 1", "Field 3");
        EXPECT_EQ(sourceOf(m, "First Name"), "");
        click(m, "OkButton");
    });
    click(&w, "MatchFieldsButton");
    EXPECT_TRUE(child<QPushButton>(&w, "ImportButton")->isEnabled());
    whenShown<TASCIIImport>([](TASCIIImport* shown) { click(shown, "ImportButton"); });
    EXPECT_EQ(w.exec(), QDialog::Accepted);
    EXPECT_EQ(log.texts(), QStringList{"Import complete. Imported 2 records."});
    EXPECT_EQ(rowsOf(db.t()), (std::vector<Row>{{{"LNAME", "Smith"}, {"CITY", "Springfield"}, {"STREET", "1 Oak St, Apt 2"}},
                                                 {{"LNAME", "Jones"}, {"CITY", "Dayton"}, {"STREET", "2 Elm"}}}));
    EXPECT_TRUE(db.table.checkValidIndex());
}

// A file whose first line names its columns: the option checks itself, the
// sample grid's columns bear the names and the line is not among the samples,
// the columns are matched by their names, and the line is not imported.
// Unchecked, the line is a record and nothing is matched.
TEST_F(TransferWindows, AsciiImportFirstLineNamesTheColumns)
{
    writeFile(file("named.csv").toStdString(), "Last Name,First Name,Town\r\nSmith,Ann,Dayton\r\nJones,Bo,Troy\r\n");
    TASCIIImport w(db.table);
    QCheckBox* header = child<QCheckBox>(&w, "HeaderCheck");
    EXPECT_EQ(header->text(), "First line holds the column names");
    chooser.next = file("named.csv");
    click(&w, "SelectFileButton");
    EXPECT_TRUE(header->isChecked());
    EXPECT_TRUE(child<QPushButton>(&w, "ImportButton")->isEnabled()) << "matched by the names";
    EXPECT_EQ(child<QLabel>(&w, "HeaderNote")->text(), "Columns matched by their names; check them with Match Fields.");

    whenShown<TASCIIMatchFields>([](TASCIIMatchFields* m) {
        QTableWidget* sample = m->sampleGrid();
        ASSERT_EQ(sample->rowCount(), 2);
        EXPECT_EQ(sample->horizontalHeaderItem(0)->text(), "Last Name");
        EXPECT_EQ(sample->horizontalHeaderItem(2)->text(), "Town");
        EXPECT_EQ(sample->item(0, 0)->text(), "Smith");
        EXPECT_EQ(sourceOf(m, "Last Name"), "Last Name");
        EXPECT_EQ(sourceOf(m, "First Name"), "First Name");
        EXPECT_EQ(sourceOf(m, "City"), "");
        pick(m, "City", "Town");
        click(m, "OkButton");
    });
    click(&w, "MatchFieldsButton");

    QTest::mouseClick(header, Qt::LeftButton, {}, QPoint(4, header->height() / 2));
    EXPECT_FALSE(header->isChecked());
    EXPECT_FALSE(child<QPushButton>(&w, "ImportButton")->isEnabled()) << "no names, no match";
    whenShown<TASCIIMatchFields>([](TASCIIMatchFields* m) {
        EXPECT_EQ(m->sampleGrid()->rowCount(), 3);
        EXPECT_EQ(m->sampleGrid()->horizontalHeaderItem(0)->text(), "Field 1");
        click(m, "CancelButton");
    });
    click(&w, "MatchFieldsButton");
    QTest::mouseClick(header, Qt::LeftButton, {}, QPoint(4, header->height() / 2));
    ASSERT_TRUE(header->isChecked());

    whenShown<TASCIIImport>([](TASCIIImport* shown) { click(shown, "ImportButton"); });
    EXPECT_EQ(w.exec(), QDialog::Accepted);
    EXPECT_EQ(log.texts(), QStringList{"Import complete. Imported 2 records."});
    EXPECT_EQ(rowsOf(db.t()), (std::vector<Row>{{{"LNAME", "Smith"}, {"FNAME", "Ann"}}, {{"LNAME", "Jones"}, {"FNAME", "Bo"}}}));
}

// A UTF-8 file with one line in Windows-1252 and a stray quote: before
// anything is appended the window asks, naming that line; No leaves the
// database as it was. Yes imports every line as a record of its own, the
// accents right.
TEST_F(TransferWindows, AsciiImportNamesWhatItReadDifferentlyFirst)
{
    writeFile(file("mixed.csv").toStdString(), "Zoë,\"Bo\" Li\r\nM\xFCller,Se\xE1n\r\n\"Cy\",Dörte\r\n");
    TASCIIImport w(db.table);
    chooser.next = file("mixed.csv");
    click(&w, "SelectFileButton");
    whenShown<TASCIIMatchFields>([](TASCIIMatchFields* m) {
        pick(m, "Last Name", "Field 1");
        pick(m, "First Name", "Field 2");
        click(m, "OkButton");
    });
    click(&w, "MatchFieldsButton");
    const std::string before = readFile(db.file(".DBF"));
    log.answer = false;
    click(&w, "ImportButton");
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_EQ(log.messages[0].kind, MessageKind::QuestionDefaultNo);
    EXPECT_EQ(log.messages[0].text, "Some values will not be stored as they are:\r\n\r\n"
                                    "line 2 is not UTF-8 text; it was read as Windows-1252\r\n\r\nImport anyway?");
    EXPECT_EQ(readFile(db.file(".DBF")), before);

    log.messages.clear();
    log.answer = true;
    whenShown<TASCIIImport>([](TASCIIImport* shown) { click(shown, "ImportButton"); });
    EXPECT_EQ(w.exec(), QDialog::Accepted);
    EXPECT_EQ(log.texts().back(), "Import complete. Imported 3 records.");
    EXPECT_EQ(rowsOf(db.t()), (std::vector<Row>{{{"LNAME", "Zoë"}, {"FNAME", "\"Bo\" Li"}},
                                                 {{"LNAME", "Müller"}, {"FNAME", "Seán"}},
                                                 {{"LNAME", "Cy"}, {"FNAME", "Dörte"}}}));
}

TEST_F(TransferWindows, AsciiImportRefusalsAndCancel)
{
    TASCIIImport w(db.table);
    // The database itself, a file of one line, a picture: each said, none taken.
    writeFile(file("one.csv").toStdString(), "only,line\r\n");
    writeFile(file("pic.csv").toStdString(), std::string("\x89PNG\r\n\x1A\n\0\0", 10));
    for (const QString& f : {db.path, file("one.csv"), file("pic.csv")}) {
        chooser.next = f;
        click(&w, "SelectFileButton");
        EXPECT_EQ(w.fileNameText(), "(none)");
        EXPECT_FALSE(child<QPushButton>(&w, "MatchFieldsButton")->isEnabled());
    }
    EXPECT_EQ(log.texts(), (QStringList{"Cannot import a file to itself", "Unable to import from this file",
                                        file("pic.csv") + " is not a text file (a control character on line 2)"}));

    // Cancel while the file is read: nothing is imported, and the window says so.
    std::string lines;
    for (int i = 0; i < 500; ++i)
        lines += "Name" + std::to_string(i) + "\r\n";
    writeFile(file("many.csv").toStdString(), lines);
    chooser.next = file("many.csv");
    click(&w, "SelectFileButton");
    whenShown<TASCIIMatchFields>([](TASCIIMatchFields* m) {
        pick(m, "Last Name", "Field 1");
        click(m, "OkButton");
    });
    click(&w, "MatchFieldsButton");
    log.messages.clear();
    const std::string before = readFile(db.file(".DBF"));
    whenShown<TASCIIImport>([](TASCIIImport* shown) {
        QTimer::singleShot(0, shown, [shown] {
            EXPECT_TRUE(shown->importing());
            click(shown, "CancelButton");
        });
        click(shown, "ImportButton");
    });
    w.exec();
    EXPECT_EQ(log.texts(), QStringList{"Import cancelled after importing 0 records."});
    EXPECT_EQ(readFile(db.file(".DBF")), before);
}

TEST_F(TransferWindows, DbfImportPreMatchesAndImports)
{
    test::shell("/usr/bin/python3 " + test::kWitnesses + "/dbf_write.py " + file("theirs.dbf").toStdString() + " db3");
    TDBFImport w(db.table);
    EXPECT_EQ(w.windowTitle(), "DBF File Import");
    chooser.next = file("theirs.dbf");
    click(&w, "SelectFileButton");
    EXPECT_EQ(chooser.asked.back().presetName, "*.dbf");
    EXPECT_TRUE(child<QPushButton>(&w, "MatchFieldsButton")->isEnabled());
    whenShown<TDBFMatchFields>([](TDBFMatchFields* m) {
        EXPECT_EQ(m->windowTitle(), "DBF File Import Match Fields");
        EXPECT_EQ(m->browser()->model()->rowCount(), 4);
        EXPECT_EQ(m->browser()->model()->index(1, 0).data().toString(), "Müller");
        EXPECT_EQ(sourceOf(m, "Last Name"), "LNAME");
        EXPECT_EQ(sourceOf(m, "Memo"), "NOTES");
        // A memo row offers memos only.
        for (int r = 0; r < m->matchGrid()->rowCount(); ++r)
            if (m->matchGrid()->item(r, 0)->text() == "Memo")
                m->matchGrid()->setCurrentCell(r, 0);
        QStringList offered;
        for (QAction* a : m->sourceMenu()->actions())
            offered << a->text();
        EXPECT_EQ(offered, (QStringList{"(none)", "NOTES"}));
        pick(m, "Actual Date", "BORN");
        click(m, "OkButton");
    });
    click(&w, "MatchFieldsButton");
    whenShown<TDBFImport>([](TDBFImport* shown) { click(shown, "ImportButton"); });
    w.exec();
    EXPECT_EQ(log.texts(), QStringList{"Import complete. Imported 3 records."});
    const auto rows = rowsOf(db.t());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (Row{{"LNAME", "Anderson"}, {"FNAME", "Ann"}, {"STATE", "CA"}, {"DATE", "19900131"}, {"MEMO", "Short memo"}}));
}

TEST_F(TransferWindows, DbfImportRefusesWhatItCannotRead)
{
    writeFile(file("bad.dbf").toStdString(), "not a table, only some words of text here");
    {
        auto empty = xbase::Table::create(file("empty.dbf").toStdString(), {{"LNAME", 'C', 10, 0}});
    }
    TDBFImport w(db.table);
    for (const char* f : {"bad.dbf", "empty.dbf"}) {
        chooser.next = file(f);
        click(&w, "SelectFileButton");
        EXPECT_EQ(w.fileNameText(), "(none)");
        EXPECT_FALSE(child<QPushButton>(&w, "MatchFieldsButton")->isEnabled());
    }
    ASSERT_EQ(log.texts().size(), 2);
    EXPECT_TRUE(log.texts()[0].startsWith("Unable to open the file " + file("bad.dbf")));
    EXPECT_EQ(log.texts()[1], "There are no records in " + file("empty.dbf"));
}

TEST_F(TransferWindows, OlderVersionImport)
{
    std::vector<xbase::FieldDef> fields;
    for (const char* f : OlderVersionSource::requiredFields(2))
        fields.push_back({f, std::string(f) == "ISDEL" ? 'L' : std::string(f) == "MEMO" ? 'M' : 'C', 20, 0});
    {
        auto old = xbase::Table::create(file("old2.dbf").toStdString(), fields);
        test::addRow(*old, {{"LNAME", "Older"}, {"CODES", "X"}, {"MEMO", "abcd"}});
    }
    TImportOldVersion one(1, db.table);
    EXPECT_EQ(one.windowTitle(), "Import Quillbase 1.x DBF");
    EXPECT_EQ(one.findChild<QPushButton*>("MatchFieldsButton"), nullptr);
    chooser.next = file("old2.dbf");
    click(&one, "SelectFileButton");
    EXPECT_EQ(log.texts(), QStringList{file("old2.dbf") + " does not appear to be a Quillbase 1.x DBF"});
    EXPECT_FALSE(child<QPushButton>(&one, "ImportButton")->isEnabled());

    TImportOldVersion two(2, db.table);
    EXPECT_EQ(two.windowTitle(), "Import Quillbase 2.x DBF");
    click(&two, "SelectFileButton");
    EXPECT_TRUE(child<QPushButton>(&two, "ImportButton")->isEnabled());
    log.messages.clear();
    whenShown<TImportOldVersion>([](TImportOldVersion* shown) { click(shown, "ImportButton"); });
    two.exec();
    EXPECT_EQ(log.texts(), QStringList{"Import complete. Imported 1 records."});
    EXPECT_EQ(rowsOf(db.t()), (std::vector<Row>{{{"LNAME", "Older"}, {"CODES", "X"}, {"MEMO", "abcd "}}}));
}

TEST_F(TransferWindows, CopyRecordsOutChecksItsTarget)
{
    test::addRow(db.t(), {{"LNAME", "Smith"}, {"FNAME", "Ann"}});
    test::addRow(db.t(), {{"LNAME", "Jones"}});
    db.t().setFilter("!ISDEL");
    db.t().selectOrder("LNAME");
    TCopyRecordsOut w(db.table);
    EXPECT_EQ(w.windowTitle(), "Copy Records Out");
    EXPECT_TRUE(child<QRadioButton>(&w, "DbfChoice")->isChecked());

    // A table must end in .DBF; the database is never its own copy.
    for (const QString& target : {file("out.txt"), db.path}) {
        chooser.next = target;
        click(&w, "SaveAsButton");
    }
    EXPECT_EQ(log.texts(), (QStringList{"Must have a .DBF extension", "Cannot copy a file to itself!"}));
    EXPECT_EQ(chooser.asked.front().presetName, "*.DBF");
    EXPECT_EQ(chooser.asked.front().folder, db.program.folder());

    // An existing file is only overwritten on Yes.
    writeFile(file("old.txt").toStdString(), "old");
    child<QRadioButton>(&w, "AsciiChoice")->setChecked(true);
    chooser.next = file("old.txt");
    log.messages.clear();
    log.answer = false;
    click(&w, "SaveAsButton");
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_EQ(log.messages[0].kind, MessageKind::QuestionDefaultNo);
    EXPECT_EQ(log.messages[0].caption, "Warning!");
    EXPECT_EQ(log.messages[0].text, file("old.txt") + " already exists.\r\nDo you want to overwrite it?");
    EXPECT_EQ(readFile(file("old.txt").toStdString()), "old");
    EXPECT_EQ(chooser.asked.back().folder, db.program.folder() + "DATA/") << "the folder last used";

    log.answer = true;
    whenShown<TCopyRecordsOut>([](TCopyRecordsOut* shown) { click(shown, "SaveAsButton"); });
    EXPECT_EQ(w.exec(), QDialog::Accepted);
    EXPECT_EQ(readFile(file("old.txt").toStdString()).substr(0, 21), "\"\",\"\",\"\",\"Jones\",\"\",\"");
}

// Cancel while copying, Yes to "Cancel copy?": the window says the copy was
// cancelled and the file of that name is not made.
TEST_F(TransferWindows, CopyRecordsOutSaysItWasCancelled)
{
    for (int i = 0; i < 50; ++i)
        test::addRow(db.t(), {{"LNAME", "Name" + std::to_string(i)}});
    db.t().setFilter("!ISDEL");
    TCopyRecordsOut w(db.table);
    child<QRadioButton>(&w, "AsciiChoice")->setChecked(true);
    chooser.next = file("out.txt");
    log.answer = true;
    whenShown<TCopyRecordsOut>([](TCopyRecordsOut* shown) {
        QTimer::singleShot(0, shown, [shown] {
            EXPECT_TRUE(shown->copying());
            click(shown, "CancelButton");
        });
        click(shown, "SaveAsButton");
    });
    w.exec();
    EXPECT_EQ(log.texts(), (QStringList{"Cancel copy?", "Copy cancelled. " + file("out.txt") + " was left as it was."}));
    EXPECT_FALSE(QFile::exists(file("out.txt")));
}

// The contacts of a vCard file, one record a card; a file that is not one is
// refused. Copied out again as vCards through "Copy Records Out".
TEST_F(TransferWindows, VCardImportAndCopyOut)
{
    writeFile(file("contacts.vcf").toStdString(), "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Smith;Ann;;;\r\nTEL:555-1\r\nEND:VCARD\r\n"
                                                  "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Jones;Bo;;;\r\nEND:VCARD\r\n");
    writeFile(file("other.txt").toStdString(), "Smith,Ann\r\n");
    TVCardImport w(db.table);
    EXPECT_EQ(w.windowTitle(), "vCard File Import");
    {
        test::ShippedHelp help;
        w.show();
        test::expectHelpTopic(w, "1507.html", "Importing a vCard file");
        w.hide();
    }
    EXPECT_EQ(w.findChild<QPushButton*>("MatchFieldsButton"), nullptr);
    chooser.next = file("other.txt");
    click(&w, "SelectFileButton");
    EXPECT_EQ(log.texts(), QStringList{file("other.txt") + " is not a vCard file"});
    EXPECT_FALSE(child<QPushButton>(&w, "ImportButton")->isEnabled());
    chooser.next = file("contacts.vcf");
    click(&w, "SelectFileButton");
    log.messages.clear();
    whenShown<TVCardImport>([](TVCardImport* shown) { click(shown, "ImportButton"); });
    EXPECT_EQ(w.exec(), QDialog::Accepted);
    EXPECT_EQ(log.texts(), QStringList{"Import complete. Imported 2 records."});
    EXPECT_EQ(rowsOf(db.t()), (std::vector<Row>{{{"LNAME", "Smith"}, {"FNAME", "Ann"}, {"PHONE", "555-1"}}, {{"LNAME", "Jones"}, {"FNAME", "Bo"}}}));

    db.t().setFilter("!ISDEL");
    TCopyRecordsOut out(db.table);
    child<QRadioButton>(&out, "VcardChoice")->setChecked(true);
    chooser.next = file("out.vcf");
    log.messages.clear();
    whenShown<TCopyRecordsOut>([](TCopyRecordsOut* shown) { click(shown, "SaveAsButton"); });
    EXPECT_EQ(out.exec(), QDialog::Accepted);
    EXPECT_EQ(chooser.asked.back().defaultExtension, "vcf");
    EXPECT_EQ(readFile(file("out.vcf").toStdString()),
              "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Smith;Ann;;;\r\nFN:Ann Smith\r\nTEL;TYPE=VOICE:555-1\r\nEND:VCARD\r\n"
              "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Jones;Bo;;;\r\nFN:Bo Jones\r\nEND:VCARD\r\n");
}

} // namespace
} // namespace qb
