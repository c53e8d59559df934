#pragma once
// Keeping an address database's index whole: building its 26 tags afresh, and
// the "Rebuild Indexes" work that packs the table first, with the rules of the
// progress gauge shown meanwhile.

#include "platform/xbase/table.h"

#include <QString>
#include <functional>

namespace qb {

// Builds every address tag in order into a new production index, which takes
// the place of the table's old index once complete. On any engine error tells
// the user "Unable to create index files" and returns false; the table then
// keeps the index it had.
bool buildAllTags(xbase::Table& table, const xbase::Progress& progress = {});

// What the rebuild gauge shows for the engine's progress reports. Direct mode
// shows each percentage as it comes. Summing mode expects one series from 0 to
// 100 per tag, adds up every rise and shows the sum over 2100, so with 26 tags
// the gauge is full once 21 are done and stays full for the last five.
class ReindexGauge {
public:
    enum class Mode { Direct, Summing };

    void setMode(Mode mode) { mode_ = mode; }
    Mode mode() const { return mode_; }
    // One report; returns the value now shown, always within 0-100.
    int report(int percent);
    int value() const { return value_; }
    // Back to an empty gauge with no sum.
    void reset();

private:
    Mode mode_ = Mode::Direct;
    int value_ = 0;
    long long sum_ = 0;
    int last_ = 0;
};

// Our engine builds all tags in one pass and reports one series 0-100 for the
// lot. The summing gauge wants a series per tag, so this cuts the overall
// series into them: overall p over n tags is tag floor(p*n/100), at the
// remainder. A jump across tags closes each passed tag at 100 and opens the
// next at 0, so no rise is lost and the sum ends at n*100.
class TagSeries {
public:
    explicit TagSeries(int tagCount) : tags_(tagCount > 0 ? tagCount : 1) {}
    void report(int overall, const std::function<void(int)>& perTag);

private:
    int tags_;
    int tag_ = 0;
};

// The "Rebuild Indexes" steps on an open table: pack out the deleted-marked
// records with the gauge in direct mode, then build all tags with it in
// summing mode. The packed table and its index are written beside the old
// ones and replace them together, so the old index is not deleted first: a
// crash meanwhile leaves the database as it was.
class Reindexer {
public:
    static QString cleaningStatus() { return QStringLiteral("Cleaning out old deleted records"); }
    static QString rebuildingStatus() { return QStringLiteral("Rebuilding indexes"); }

    struct Hooks {
        std::function<void(const QString&)> status;
        std::function<void(int)> gauge;
        std::function<void()> repaint;   // let the screen catch up
    };

    // Packing removes the deleted records for good: the "Rebuild Indexes"
    // command does it. An index found stale needs only its tags built again,
    // so the rebuild offered for it leaves the records as they are.
    enum class Work { PackAndTags, Tags };
    static Work workFor(const xbase::Table& table) { return table.indexStale() ? Work::Tags : Work::PackAndTags; }

    explicit Reindexer(Hooks hooks) : hooks_(std::move(hooks)) {}
    // False when the pack or the tags failed, each said in a message. A
    // failed pack changes nothing and still goes on to build the tags, so the
    // database stays usable. Records whose memo the pack could not read are
    // kept without it and listed in a message and in lostMemosFile().
    bool run(xbase::Table& table, Work work = Work::PackAndTags);

    // The text file beside the table that lists the records a pack kept
    // without their memo: ADD0001.DBF's is ADD0001_MEMOS.TXT.
    static QString lostMemosFile(const QString& tablePath);

private:
    void show(int value);
    void repaint();
    void reportLostMemos(xbase::Table& table);

    Hooks hooks_;
    ReindexGauge gauge_;
};

} // namespace qb
