#include "core/address_table.h"
#include "core/settings.h"
#include "core/tnewdatabasename.h"
#include "core/tqbreindex.h"
#include "core/tspecifyfieldlengths.h"
#include "core/tsystemreindex.h"
#include "platform/help/help_viewer.h"
#include "address_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

namespace qb::test {
namespace {

template <typename T>
T* child(QWidget& dialog, const char* name)
{
    T* w = dialog.findChild<T*>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

void showActive(QWidget& w)
{
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
}

// Types text into a box and then moves the focus on, as the user leaves it.
void typeAndLeave(QLineEdit* box, QWidget* next, const QString& text)
{
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
    next->setFocus();
}

// ---- TNewDataBaseName ------------------------------------------------------

TEST(TNewDataBaseName, OkOnlyForIdentifiersAndNeverOverAnExistingFile)
{
    ProgramDir program;
    MessageLog log;
    xbase::test::writeFile(program.data("ADD0001.DBF").toStdString(), "");
    TNewDataBaseName dialog("ADD0002");
    showActive(dialog);
    EXPECT_EQ(dialog.windowTitle(), "Create new database");
    EXPECT_EQ(child<QLabel>(dialog, "NameLabel")->text(), "Enter the database name (no extension)");
    auto* name = child<QLineEdit>(dialog, "NameEdit");
    auto* ok = child<QPushButton>(dialog, "OkButton");
    auto* invalid = child<QLabel>(dialog, "InvalidLabel");
    EXPECT_EQ(name->text(), "ADD0002");
    EXPECT_EQ(name->maxLength(), 8);
    EXPECT_EQ(ok->text(), "Ok [PgDn]");
    EXPECT_EQ(invalid->text(), "Invalid name. Must start with A..Z, followed by A..Z,0..9 or \"_\" (underscore)");

    const struct {
        QString typed;
        bool enabled;
    } cases[] = {{"2ADD", false}, {"", false}, {"MY LIST", false}, {"_list_9", true}, {"ADD0001", true}};
    for (const auto& c : cases) {
        name->clear();
        QTest::keyClicks(name, c.typed);
        EXPECT_EQ(ok->isEnabled(), c.enabled) << c.typed.toStdString();
        EXPECT_EQ(invalid->isVisible(), !c.enabled);
    }

    ok->click();
    EXPECT_EQ(log.texts(), QStringList{"That file already exists.Please select another name"});
    EXPECT_TRUE(dialog.isVisible());

    name->clear();
    QTest::keyClicks(name, "Mine");
    QTest::keyClick(name, Qt::Key_PageDown);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.databasePath(), program.data("Mine.DBF"));
    EXPECT_EQ(log.messages.size(), 1u);
}

TEST(TNewDataBaseName, TakesTheWidthsFromSettingsAndFromSpecifyFieldLengths)
{
    ProgramDir program;
    Settings settings = Settings::program();
    settings.setInteger("NewFileFieldLengths", "FieldLNAME", 45);
    settings.setInteger("NewFileFieldLengths", "FieldZIP", 95);
    TNewDataBaseName dialog("ADD0001");
    EXPECT_EQ(dialog.fieldLengths().width("LNAME"), 45);
    EXPECT_EQ(dialog.fieldLengths().width("ZIP"), 10);

    QTimer::singleShot(0, [] {
        auto* lengths = qobject_cast<TSpecifyFieldLengths*>(QApplication::activeModalWidget());
        ASSERT_NE(lengths, nullptr);
        child<QLineEdit>(*lengths, "CITY")->setText("25");
        child<QPushButton>(*lengths, "OkButton")->click();
    });
    child<QPushButton>(dialog, "SpecifyButton")->click();
    EXPECT_EQ(dialog.fieldLengths().width("CITY"), 25);
    EXPECT_EQ(dialog.fieldLengths().width("LNAME"), 45);
    EXPECT_EQ(settings.integer("NewFileFieldLengths", "FieldCITY", 0), 0);
}

// ---- TSpecifyFieldLengths --------------------------------------------------

TEST(TSpecifyFieldLengths, BoxesTakeTenToEightyAndPutBackTheValueTheyHadOtherwise)
{
    ProgramDir program;
    FieldLengths current = FieldLengths::settingsDefaults();
    current.setAt(FieldLengths::indexOf("STATE"), 6);   // allowed by the settings, not by the dialog
    TSpecifyFieldLengths dialog(current);
    showActive(dialog);
    EXPECT_EQ(dialog.windowTitle(), "Specify Field Lengths");
    EXPECT_EQ(child<QLabel>(dialog, "NoteLabel")->text(),
              "NOTE: Minimum size = 10 characters                  Maximum size = 80 characters");
    EXPECT_EQ(child<QCheckBox>(dialog, "UseForAllCheckBox")->text(), "Use these settings for all new databases");
    EXPECT_EQ(dialog.findChildren<QLineEdit*>().size(), 18);
    auto* lname = child<QLineEdit>(dialog, "LNAME");
    auto* fax = child<QLineEdit>(dialog, "FAX");
    auto* city = child<QLineEdit>(dialog, "CITY");
    EXPECT_EQ(fax->text(), "40");
    EXPECT_EQ(qobject_cast<QLabel*>(dialog.findChildren<QLabel*>().at(0))->text(), "First Name");

    const struct {
        QString typed, kept;
    } cases[] = {{"9", "30"}, {"81", "30"}, {"abc", "30"}, {"", "30"}, {"10", "10"}, {"80", "80"}, {"45", "45"}};
    for (const auto& c : cases) {
        lname->setText("30");
        typeAndLeave(lname, city, c.typed);
        EXPECT_EQ(lname->text(), c.kept) << c.typed.toStdString();
    }

    child<QPushButton>(dialog, "DefaultsButton")->click();
    EXPECT_EQ(fax->text(), "30");
    EXPECT_EQ(lname->text(), "30");
    typeAndLeave(fax, city, "9");
    EXPECT_EQ(fax->text(), "30");

    // Ok checks the box the focus is still in.
    city->setFocus();
    city->setText("7");
    child<QPushButton>(dialog, "OkButton")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.lengths(), FieldLengths::dialogDefaults());
    EXPECT_FALSE(Settings::program().contains("NewFileFieldLengths", "FieldFAX"));
}

TEST(TSpecifyFieldLengths, OkWritesTheSettingsOnlyWhenAsked)
{
    ProgramDir program;
    {
        TSpecifyFieldLengths dialog(FieldLengths::settingsDefaults());
        child<QLineEdit>(dialog, "ZIP")->setText("12");
        child<QCheckBox>(dialog, "UseForAllCheckBox")->setChecked(true);
        child<QPushButton>(dialog, "OkButton")->click();
        EXPECT_EQ(dialog.lengths().width("ZIP"), 12);
        EXPECT_EQ(FieldLengths::read(Settings::program()), dialog.lengths());
    }
    {
        TSpecifyFieldLengths dialog(FieldLengths::settingsDefaults());
        child<QLineEdit>(dialog, "ZIP")->setText("20");
        child<QPushButton>(dialog, "CancelButton")->click();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(dialog.lengths(), FieldLengths::settingsDefaults());
        EXPECT_EQ(Settings::program().integer("NewFileFieldLengths", "FieldZIP", 0), 12);
    }
}

// ---- TQBReindex ------------------------------------------------------------

class ReindexDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(createAddressTable(path, FieldLengths::settingsDefaults()));
        auto t = xbase::Table::open(path.toStdString());
        for (const char* name : {"Adams", "Baker", "Clark", "Davis"})
            addRow(*t, {{"LNAME", name}, {"ISDEL", name[0] == 'B' ? "T" : "F"}});
        auto tags = addressTags();
        tags.erase(tags.begin() + 3);
        buildAllTagsExcept(*t, tags);
    }
    static void buildAllTagsExcept(xbase::Table& t, const std::vector<xbase::TagSpec>& tags)
    {
        const std::string index = t.indexFileName();
        t.closeIndexes();
        QFile::remove(QString::fromStdString(index));
        t.createTags(tags);
    }

    ProgramDir program;
    MessageLog log;
    QString path = program.data("ADD0001.DBF");
};

TEST_F(ReindexDialog, ReindexPacksAndRebuildsWithTheGaugeShowingProgress)
{
    AddressTable table;
    ASSERT_TRUE(table.open(path));
    TQBReindex dialog(table.table());
    showActive(dialog);
    EXPECT_EQ(dialog.windowTitle(), "Rebuild indexes for ADD0001.DBF");
    auto* gauge = child<QProgressBar>(dialog, "Gauge");
    auto* reindex = child<QPushButton>(dialog, "ReindexButton");
    EXPECT_FALSE(gauge->isVisible());
    EXPECT_FALSE(child<QLabel>(dialog, "StatusLine")->isVisible());
    EXPECT_TRUE(reindex->isDefault());

    std::vector<int> shown;
    QObject::connect(gauge, &QProgressBar::valueChanged, [&](int v) { shown.push_back(v); });
    reindex->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.succeeded());
    EXPECT_FALSE(dialog.isVisible());
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(*std::max_element(shown.begin(), shown.end()), 100);
    EXPECT_EQ(gauge->value(), 0);
    EXPECT_EQ(child<QLabel>(dialog, "StatusLine")->text(), "Rebuilding indexes");

    EXPECT_EQ(table.table().recordCount(), 3u);
    EXPECT_TRUE(table.checkValidIndex());
    EXPECT_TRUE(table.table().check().empty());
}

TEST_F(ReindexDialog, CancelLeavesTheDatabaseAsItWas)
{
    AddressTable table;
    ASSERT_TRUE(table.open(path));
    TQBReindex dialog(table.table());
    child<QPushButton>(dialog, "CancelButton")->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(table.table().recordCount(), 4u);
    EXPECT_FALSE(table.checkValidIndex());
}

// Each Help button opens its window's own topic in the help window.
TEST_F(ReindexDialog, HelpButtonsOpenTheirTopics)
{
    setHelpFolder(QStringLiteral(QB_SOURCE_DIR "/data/help"));
    AddressTable table;
    ASSERT_TRUE(table.open(path));
    struct Case {
        const char* name;
        std::function<std::unique_ptr<QDialog>()> make;
        const char* topic;
        const char* title;
    } cases[] = {
        {"Rebuild Indexes", [&] { return std::make_unique<TQBReindex>(table.table()); }, "1040.html", "Rebuilding indexes"},
        {"Rebuild System Indexes", [] { return std::make_unique<TSystemReindex>(); }, "1041.html",
         "Rebuilding the system indexes"},
        {"Specify Field Lengths",
         [] { return std::make_unique<TSpecifyFieldLengths>(FieldLengths::settingsDefaults()); }, "1042.html",
         "Field lengths for new databases"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<QDialog> dialog = c.make();
        dialog->show();
        child<QPushButton>(*dialog, "HelpButton")->click();
        auto* viewer = dialog->findChild<HelpViewer*>();
        ASSERT_NE(viewer, nullptr);
        EXPECT_TRUE(viewer->isVisible());
        EXPECT_EQ(QFileInfo(viewer->topicPath()).fileName(), c.topic);
        EXPECT_EQ(viewer->browser()->documentTitle(), c.title);
    }
    setHelpFolder({});
}

// The rebuild question's Yes runs the dialog; the database is then usable.
TEST_F(ReindexDialog, RunsFromTheRebuildQuestion)
{
    AddressTable table;
    const DatabaseOpening opening = openAddressDatabase(table, path, [&] {
        TQBReindex dialog(table.table());
        QTimer::singleShot(0, &dialog, [&] { child<QPushButton>(dialog, "ReindexButton")->click(); });
        dialog.exec();
    });
    EXPECT_TRUE(opening.usable);
    EXPECT_EQ(log.messages.size(), 1u);
    EXPECT_EQ(table.table().recordCount(), 3u);
}

} // namespace
} // namespace qb::test
