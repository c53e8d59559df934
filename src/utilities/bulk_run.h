#pragma once
// What every utility that walks many records shares: how it is told to go on
// or stop, and what it reports afterwards.

#include <QElapsedTimer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <vector>

class QLabel;
class QProgressBar;

namespace qb {

namespace xbase {
class Table;
}

// Asked after each record with the records done and the total; false stops
// the run after that record.
using KeepGoing = std::function<bool(uint64_t done, uint64_t total)>;

// A window's breaks for the event loop during a run, so that its gauge moves
// and its Cancel button answers: a few hundredths of a second apart, not
// after each record, since a million trips through the loop take seconds.
class EventBreaks {
public:
    EventBreaks() { sinceLast_.start(); }
    // Whether the last break is 40 ms past.
    bool due() const { return sinceLast_.elapsed() >= 40; }
    // Lets the event loop run when the last break is 40 ms past.
    void take();

private:
    QElapsedTimer sinceLast_;
};

struct BulkOutcome {
    uint64_t changed = 0;   // records written, exactly
    bool cancelled = false;
    QString error;          // the engine's message when a write failed; empty otherwise
    bool ok() const { return !cancelled && error.isEmpty(); }
};

// Puts the table's filter, order and record back as they were when it was
// made, whatever the run did to them.
class TableView {
public:
    explicit TableView(xbase::Table& table);
    ~TableView();
    TableView(const TableView&) = delete;
    TableView& operator=(const TableView&) = delete;

private:
    xbase::Table& table_;
    std::string filter_;
    std::string order_;
    uint32_t recno_;
    bool atEnd_;
};

// Edits, changes and posts one record inside a run; an engine error cancels
// the edit and lands in the outcome, and the caller stops.
bool changeRecord(xbase::Table& table, BulkOutcome& outcome, const std::function<bool()>& change);

// A bulk run as its window shows it: the running label ("Replacing Records ")
// and the gauge, and the Cancel that asks first and then stops the run after
// the record it is on. Hidden until a run starts.
class BulkProgress : public QWidget {
    Q_OBJECT
public:
    BulkProgress(const QString& label, const QString& cancelQuestion, QWidget* parent = nullptr);

    bool running() const { return running_; }
    // Shows the label and the gauge at 0; what the rule asks after each record.
    // The progress lives as long as this widget.
    KeepGoing start();
    void finish();
    // Asks the question while a run goes on and, on Yes, has it stop. False
    // when no run goes on (the window's Cancel then closes it).
    bool cancel();

private:
    QLabel* label_;
    QProgressBar* gauge_;
    QString question_;
    EventBreaks breaks_;
    bool running_ = false;
    bool cancelled_ = false;
};

// "1 record", "2 records".
QString recordCount(uint64_t n);

// Windows-1252 has room for the character (every character the tables hold).
bool inCp1252(QChar c);
// Every character of the text has room in Windows-1252.
bool storable(const QString& text);
// What the user is told when a typed value holds characters no table can keep.
QString unstorableMessage(const QString& text);

} // namespace qb
