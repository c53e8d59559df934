// What the user waits for in the main window, on a generated address
// database:   mainwindow_bench RECORDS [FOLDER] [--keep]
// The database goes to FOLDER/DATA/ADD0001.DBF (made anew unless --keep finds
// one), and the real main window runs over it under the platform Qt is given
// (offscreen for a plain console). Figures marked cold are measured after the
// page cache was dropped (sync, then 3 into /proc/sys/vm/drop_caches, which
// needs root); the line says "warm" when that could not be done.
//
// Every tenth record has a memo; one in 25 carries the code "SPRING", so the
// "Codes = SPRING" filter (backed by the CODES tag) has 40,000 matches at a
// million; "$PRI" on Codes cannot use a tag and is counted by reading.

#include "core/address_table.h"
#include "core/command.h"
#include "core/field_lengths.h"
#include "core/messages.h"
#include "core/mru.h"
#include "core/paths.h"
#include "core/settings.h"
#include "mainwindow/taddressbrowseform.h"
#include "mainwindow/taddressmain.h"
#include "core/ttagallrecords.h"
#include "platform/xbase/table.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <unistd.h>

using namespace qb;

namespace {

const char* kLast[] = {"Smith", "Johnson", "Williams", "Brown", "Jones", "Garcia", "Miller", "Davis", "Wilson",
                       "Anderson", "Taylor", "Moore", "Jackson", "Martin", "Lee", "White", "Harris", "Clark"};
const char* kFirst[] = {"Ann", "Bob", "Carol", "Dan", "Eve", "Frank", "Grace", "Hal", "Ida", "Jon"};
const char* kStates[] = {"CA", "TX", "NY", "FL", "IL", "PA", "OH", "GA", "NC", "MI", "NJ", "VA", "WA", "AZ", "MA",
                         "TN", "IN", "MO", "MD", "WI", "CO", "MN", "SC", "AL", "LA", "KY", "OR", "OK", "CT", "IA"};

using Clock = std::chrono::steady_clock;
double ms(Clock::time_point from) { return std::chrono::duration<double, std::milli>(Clock::now() - from).count(); }

// True when the page cache was dropped.
bool dropCaches()
{
    ::sync();
    std::ofstream drop("/proc/sys/vm/drop_caches");
    if (!drop)
        return false;
    drop << "3\n";
    drop.flush();
    return bool(drop);
}

const char* coldness(bool cold) { return cold ? "cold" : "warm"; }

void generate(const QString& path, long records)
{
    auto t = xbase::Table::create(path.toStdString(), addressFieldDefs(FieldLengths::settingsDefaults()));
    std::mt19937 rng(7);
    for (long i = 1; i <= records; ++i) {
        t->appendBlank();
        t->setText("LNAME", kLast[rng() % std::size(kLast)]);
        t->setText("FNAME", kFirst[rng() % std::size(kFirst)]);
        t->setText("STREET", std::to_string(1 + rng() % 9999) + " Main Street");
        t->setText("CITY", "Springfield");
        t->setText("STATE", kStates[rng() % std::size(kStates)]);
        t->setText("ZIP", std::to_string(10000 + rng() % 89999));
        t->setText("PHONE", "555-" + std::to_string(1000 + rng() % 9000));
        if (i % 25 == 0)
            t->setText("CODES", "SPRING");
        if (i % 10 == 0)
            t->setMemo("MEMO", "called about the spring mailing, record " + std::to_string(i));
        t->post();
    }
    t->createTags(addressTags());
}

// Closes the first visible window of type W once a modal exec() runs it.
template <class W>
void acceptWhenShown(std::function<bool(W*)> ready = {})
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, ready] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<W*>(w); d && d->isVisible() && (!ready || ready(d))) {
                poll->stop();
                poll->deleteLater();
                d->accept();
                return;
            }
    });
    poll->start(0);
}

void setCondition(TAddressMain& w, int index, const QString& text)
{
    w.filter().conditions.clear();
    if (index >= 0)
        w.filter().conditions.texts[size_t(index)] = text;
    w.applyFilter();
    w.addressTable().table().first();
    w.editor().tableMoved();
    w.SetButtons();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const long records = argc > 1 ? std::atol(argv[1]) : 100000;
    const QString folder = argc > 2 && argv[2][0] != '-' ? QString::fromLocal8Bit(argv[2])
                                                         : QDir::tempPath() + QStringLiteral("/qb-mainwindow-bench");
    const bool keep = std::any_of(argv + 1, argv + argc, [](const char* a) { return std::string(a) == "--keep"; });
    QDir().mkpath(folder + QStringLiteral("/DATA"));
    QDir().mkpath(folder + QStringLiteral("/sysdata"));
    ProgramFolder::setPath(folder + QLatin1Char('/'));
    const QString path = folder + QStringLiteral("/DATA/ADD0001.DBF");
    setMessageResponder([](const Message& m) {
        if (m.kind == MessageKind::Information)
            std::printf("message: %s\n", m.text.toUtf8().constData());
        return true;
    });

    if (!keep || !QFile::exists(path)) {
        for (const char* ext : {".DBF", ".FPT", ".CDX"})
            QFile::remove(folder + QStringLiteral("/DATA/ADD0001") + QLatin1String(ext));
        const auto start = Clock::now();
        generate(path, records);
        std::printf("generate %ld records with their 26 tags: %.1f s\n", records, ms(start) / 1000);
    }
    QFile::remove(folder + QStringLiteral("/QUILLB.ini"));
    {
        Settings settings = Settings::program();
        settings.setBoolean("Misc", "GettingStarted", true);
        recordMruOpen(settings, path);
    }

    // Start-up: the window shown with the most recent database's first record.
    bool cold = dropCaches();
    auto start = Clock::now();
    auto window = std::make_unique<TAddressMain>();
    window->show();
    const double startup = ms(start);
    TAddressMain& w = *window;
    std::printf("start-up to the first record shown (%s): %.0f ms, %s, %s\n", coldness(cold), startup,
                w.fieldEdit("LNAME")->text().toUtf8().constData(), w.filterStatus().toUtf8().constData());

    // Moves with a filter no tag can answer.
    start = Clock::now();
    setCondition(w, 15, QStringLiteral("$PRI"));
    std::printf("set the filter Codes $PRI: %.0f ms, %s\n", ms(start), w.filterStatus().toUtf8().constData());
    double slowest = 0, total = 0;
    const int presses = 50;
    for (int i = 0; i < presses; ++i) {
        start = Clock::now();
        QTest::keyClick(w.fieldEdit("LNAME"), Qt::Key_PageDown);
        const double one = ms(start);
        total += one;
        slowest = std::max(slowest, one);
    }
    std::printf("PgDn with that filter: %.2f ms on average, %.2f ms the slowest of %d\n", total / presses, slowest,
                presses);

    // The first Browse, without a filter and with one a tag answers.
    const struct {
        const char* name;
        int condition;
        QString text;
    } browses[] = {{"unfiltered", -1, {}}, {"State = OH", 8, QStringLiteral("oh")}};
    for (const auto& b : browses) {
        setCondition(w, b.condition, b.text);
        int rows = 0;
        acceptWhenShown<TAddressBrowseForm>([&rows](TAddressBrowseForm* d) {
            rows = d->model()->rowCount();
            return true;
        });
        cold = dropCaches();
        start = Clock::now();
        w.findChild<QPushButton*>(QStringLiteral("BrowseButton"))->click();
        std::printf("first Browse, %s (%s): %.0f ms for %d rows\n", b.name, coldness(cold), ms(start), rows);
    }

    // Tag All over a filter a tag answers: first with the table's pages still
    // on the disk after the Browse above, then again with them in memory
    // (Clear Tags in between, so every record is written again).
    for (const char* pages : {"pages on the disk", "pages in memory"}) {
        if (std::string(pages) == "pages in memory")
            w.runCommand(*w.commands().find(QStringLiteral("mnuClearTags")));
        setCondition(w, 15, QStringLiteral("spring"));
        const std::string matches = w.filterStatus().toStdString();
        acceptWhenShown<TTagAllRecords>([](TTagAllRecords* d) { return d->finished(); });
        start = Clock::now();
        w.runCommand(*w.commands().find(QStringLiteral("mnuTagAllFilterMatches")));
        const double tagAll = ms(start);
        const std::string id = w.addressTable().tagId().toStdString();
        std::printf("Tag All Filter Matches over %s (%s): %.2f s, %u records tagged\n", matches.c_str(), pages,
                    tagAll / 1000, w.addressTable().table().count("TAG=\"" + id + "\""));
    }

    window.reset();
    return 0;
}
