// "Search and Replace" and "Delete Records" while they run: the running label
// and gauge, one run at a time, a Cancel that stops the run, and a disk that
// fills half-way: the user is told, the count is exact, the index is not
// trusted any more, and nothing else changed.
#include "utilities/tsearchreplace.h"
#include "utilities_fixture.h"
#include "window_support.h"

#include "disk_full.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QTimer>

#include <functional>

using namespace qb;
using namespace qb::test;

namespace {

std::vector<Row> streets(int n)
{
    std::vector<Row> rows;
    for (int i = 0; i < n; ++i)
        rows.push_back({{"LNAME", "Name" + std::to_string(i)}, {"STREET", std::to_string(i) + " Main Street"}, {"CODES", "A"}});
    return rows;
}

// Every record's bytes, deleted mark first.
std::vector<std::string> recordsOf(xbase::Table* t)
{
    std::vector<std::string> out;
    for (uint32_t r = 1; r <= t->recordCount(); ++r) {
        t->go(r);
        std::string bytes = t->deleted() ? "*" : " ";
        for (int i = 0; i < t->fieldCount(); ++i)
            if (t->field(i).type != 'M')
                bytes += t->raw(t->field(i).name);
        out.push_back(bytes);
    }
    return out;
}

// The same as the disk holds them, read by a table of its own.
std::vector<std::string> recordsOnDisk(const QString& path)
{
    return recordsOf(xbase::Table::open(path.toStdString(), xbase::OpenMode::ReadOnly).get());
}

// How many records the disk holds otherwise than before.
uint64_t changedOnDisk(const QString& path, const std::vector<std::string>& before)
{
    const std::vector<std::string> after = recordsOnDisk(path);
    uint64_t changed = 0;
    for (size_t i = 0; i < after.size() && i < before.size(); ++i)
        changed += after[i] != before[i];
    return changed;
}

const BulkOutcome& outcomeOf(QDialog* window)
{
    if (auto* replace = qobject_cast<TSearchReplace*>(window))
        return replace->outcome();
    return qobject_cast<TDeleteRecords*>(window)->outcome();
}

struct BulkRun {
    const char* name;
    std::function<std::unique_ptr<QDialog>(xbase::Table&)> make;
    const char* button;
    const char* label;
    const char* cancelQuestion;
    const char* done;   // the count's first word
};

const BulkRun kRuns[] = {
    {"replace",
     [](xbase::Table& t) {
         auto w = std::make_unique<TSearchReplace>(t, QString());
         child<QComboBox>(w.get(), "FieldCombo")->setCurrentIndex(5);   // Address 1
         child<QRadioButton>(w.get(), "rbContains")->setChecked(true);
         child<QLineEdit>(w.get(), "SearchEdit")->setText("Street");
         child<QRadioButton>(w.get(), "rbPartial")->setChecked(true);
         child<QLineEdit>(w.get(), "ReplaceEdit")->setText("St.");
         return w;
     },
     "ReplaceButton", "Replacing Records ", "Cancel Replace?", "Replaced "},
    {"delete", [](xbase::Table& t) { return std::make_unique<TDeleteRecords>(t, QStringLiteral("CODES = 'A'")); }, "DeleteNowButton",
     "Deleting Records ", "Cancel Delete?", "Deleted "},
};

} // namespace

// While it runs the window shows its label and gauge, a second click starts
// nothing, and Cancel (after its question) stops the run: what was done is
// said, exactly.
TEST(BulkWindows, ShowTheirRunAndStopOnCancel)
{
    for (const BulkRun& run : kRuns) {
        MessageLog log;
        UtilityDatabase db(streets(3000));
        db.t().setFilter("CODES = 'A'");
        const std::vector<std::string> before = recordsOf(&db.t());
        std::unique_ptr<QDialog> window = run.make(db.t());
        window->show();
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* label = window->findChild<QLabel*>("RunningLabel");
            seen = label && label->isVisible() && label->text() == run.label && window->findChild<QProgressBar*>("Gauge")->isVisible();
            click(window.get(), run.button);   // a second run: refused
            click(window.get(), "CancelButton");
        });
        click(window.get(), run.button);
        EXPECT_TRUE(seen) << run.name;
        QStringList asked;
        for (const Message& m : log.messages)
            if (m.kind != MessageKind::Information)
                asked << m.text;
        ASSERT_EQ(asked.size(), 2) << run.name << ": " << asked.join('|').toStdString();
        EXPECT_EQ(asked[1], run.cancelQuestion);
        const BulkOutcome& outcome = outcomeOf(window.get());
        EXPECT_TRUE(outcome.cancelled) << run.name;
        EXPECT_LT(outcome.changed, 3000u) << run.name;
        EXPECT_TRUE(log.texts().contains(run.done + recordCount(outcome.changed) + "\r\nCancelled before completion")) << run.name;
        EXPECT_EQ(window->result(), QDialog::Accepted);
        db.table.close();
        EXPECT_EQ(changedOnDisk(db.path, before), outcome.changed) << run.name;
    }
}

// The disk fills when a third of the records are written: the message says
// how many were changed, exactly those are, the index is not trusted, and
// every other record is as it was.
TEST(BulkWindows, AFullDiskHalfWayChangesExactlyWhatItReports)
{
    for (const BulkRun& run : kRuns) {
        MessageLog log;
        UtilityDatabase db(streets(300));
        db.t().setFilter("CODES = 'A'");
        const std::vector<std::string> before = recordsOf(&db.t());
        std::unique_ptr<QDialog> window = run.make(db.t());
        window->show();
        {
            // Records past the hundredth cannot be written.
            DiskFull full(recordsEnd(db.path, 100));
            click(window.get(), run.button);
        }
        const BulkOutcome& outcome = outcomeOf(window.get());
        EXPECT_FALSE(outcome.error.isEmpty()) << run.name;
        EXPECT_GT(outcome.changed, 0u) << run.name;
        EXPECT_LE(outcome.changed, 100u) << run.name;
        EXPECT_TRUE(log.texts().contains(outcome.error + "\r\n" + run.done + recordCount(outcome.changed))) << run.name << ": "
                                                                                                        << log.texts().join('|').toStdString();
        db.table.close();
        EXPECT_EQ(changedOnDisk(db.path, before), outcome.changed) << run.name;
        auto reopened = xbase::Table::open(db.path.toStdString(), xbase::OpenMode::ReadOnly);
        EXPECT_TRUE(reopened->indexStale()) << run.name;
    }
}

// Delete Records: with a filter set its own records are preselected; every
// question says how many records go, with No as the default; Delete All says
// the filter does not limit it.
TEST(BulkWindows, DeleteSaysHowManyRecordsGo)
{
    MessageLog log;
    log.answer = false;
    UtilityDatabase db({{{"LNAME", "A"}, {"CODES", "A"}}, {{"LNAME", "B"}, {"CODES", "B"}}, {{"LNAME", "C"}, {"CODES", "B"}}});
    db.t().setFilter("CODES = 'A'");
    TDeleteRecords window(db.t(), "CODES = 'A'");
    window.show();
    EXPECT_TRUE(child<QRadioButton>(&window, "rbDeleteMatching")->isChecked());
    for (const char* choice : {"rbDeleteMatching", "rbDeleteNotMatching", "rbDeleteAll"}) {
        child<QRadioButton>(&window, choice)->setChecked(true);
        click(&window, "DeleteNowButton");
    }
    ASSERT_EQ(log.messages.size(), 3u);
    for (const Message& m : log.messages) {
        EXPECT_EQ(m.kind, MessageKind::QuestionDefaultNo);
        EXPECT_EQ(m.caption, "DELETE");
    }
    EXPECT_EQ(log.texts(), (QStringList{"Delete the 1 record matching the filter?", "Delete the 2 records not matching the filter?",
                                        "Delete all 3 records of the database?\r\n\r\nThe filter does not limit this: every record goes, matching or not."}));
    EXPECT_EQ(db.t().recordCount(), 3u);
    TDeleteRecords unfiltered(db.t(), {});
    EXPECT_TRUE(child<QRadioButton>(&unfiltered, "rbDeleteAll")->isChecked());
}
