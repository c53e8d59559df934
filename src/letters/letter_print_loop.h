#pragma once
// One letter run: the records chosen for it, and the loop that merges each
// record into a copy of the template and prints the letter, page by page, as
// many copies as asked, through a print job. The status window and qbtool
// both drive it; what they show and ask comes in through hooks.

#include "platform/richtext/rich_text.h"
#include "printing/print_status.h"

#include <QDate>
#include <QString>

#include <cstdint>
#include <functional>
#include <string>

namespace qb {

class TBaseReport;

namespace xbase {
class Table;
}

inline const QString kLetterOutOfRange = QStringLiteral("Current record is out of range. Starting with first record");
inline constexpr int kMaxLetterCopies = 999;

// The records of a run, chosen on the address table when it is made; the
// table's query and record are put back when it goes.
class LetterRunRecords {
public:
    enum class Records { All, Filter, OnlyCurrent };

    // All: the query "NOT ISDEL" for the run. startFromCurrent: begin at the
    // current record, or, when it is not among the records, tell inform and
    // begin at the first. Otherwise the run begins at the first record, except
    // for OnlyCurrent, which stays on the current one.
    LetterRunRecords(xbase::Table& table, Records records, bool startFromCurrent,
                     const std::function<void(const QString&)>& inform);
    ~LetterRunRecords();
    LetterRunRecords(const LetterRunRecords&) = delete;
    LetterRunRecords& operator=(const LetterRunRecords&) = delete;

private:
    xbase::Table& table_;
    std::string query_;
    uint32_t recno_ = 0;
};

class LetterPrintLoop {
public:
    // table: positioned on the first record of the run.
    LetterPrintLoop(xbase::Table& table, const richtext::RichText& letterTemplate, int copies, bool onlyCurrent);

    // "Printing page N" after each record.
    std::function<void(const QString&)> status;
    // Lets pending window events in after each record.
    std::function<void()> idle;
    // Asked after a record when a cancel was requested: "Cancel print job?".
    std::function<bool(const QString&)> confirmCancel;
    // The date merged for "Today's Date" and "Long Date".
    QDate today = QDate::currentDate();

    // Sets the job's paper from the template's page and runs it; the letters
    // are drawn into each page's area inside the template's margins.
    PrintOutcome run(TBaseReport& job);
    // Seen after the current record.
    void requestCancel() { cancelRequested_ = true; }
    bool running() const { return running_; }

    int pages() const { return pages_; }
    int letters() const { return letters_; }
    bool stopped() const { return stopped_; }

private:
    void printRecords(TBaseReport& job);
    void printLetter(TBaseReport& job, richtext::RichText& letter);

    xbase::Table& table_;
    const richtext::RichText& template_;
    int copies_;
    bool onlyCurrent_;
    bool cancelRequested_ = false;
    bool stopped_ = false;
    bool running_ = false;
    int pages_ = 0;
    int letters_ = 0;
};

} // namespace qb
