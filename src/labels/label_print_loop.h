#pragma once
// The label print loop without the print engine: which record goes to which
// position of which sheet, copies, skipped positions, the extra middle gaps,
// and, in presort order, the header label in front of every group. What a
// label looks like is the sink's business.

#include "labels/label_stock.h"

#include <QPointF>
#include <QRectF>
#include <QStringList>

#include <array>
#include <cstdint>

namespace qb {

namespace xbase {
class Table;
}

// One flag per label position of a sheet, numbered row by row (column + row x
// across). Room for every stock the editor allows; a position outside the
// stock's sheet is never selected, so a run cannot loop on an empty sheet.
class PositionMask {
public:
    static constexpr int kSize = 10 * 30;

    PositionMask() { flags_.fill(true); }
    void setAll(bool on) { flags_.fill(on); }
    void set(int position, bool on)
    {
        if (position >= 0 && position < kSize)
            flags_[size_t(position)] = on;
    }
    bool isSet(int position) const { return position >= 0 && position < kSize && flags_[size_t(position)]; }
    // Selected on a sheet of this stock.
    bool selected(int position, const LabelStock& stock) const
    {
        return position < stock.positions() && isSet(position);
    }
    bool anySelected(const LabelStock& stock) const;

private:
    std::array<bool, kSize> flags_{};
};

// What the loop asks of the job and the layout.
class LabelSink {
public:
    virtual ~LabelSink() = default;
    virtual void breakPage() = 0;
    // The current record's label with its top-left corner at `at` (inches).
    virtual void printLabel(const QPointF& at) = 0;
    // A presort header line, clipped to the label's pitch rectangle.
    virtual void printHeader(const QString& line, const QPointF& at, const QRectF& clip) = 0;
    // True once the run is to end: a preview stopped or a print cancelled.
    virtual bool stopped() = 0;
    // Called after every label position, so the status window sees its buttons.
    virtual void idle() {}
};

struct LabelRunStats {
    uint64_t labels = 0;    // record labels printed (copies counted)
    uint64_t headers = 0;   // presort header labels
    int pages = 0;          // sheets begun
};

// Prints from the table's current record to the end of its view, copies of
// each label, at the selected positions. With a presort list (the lines of
// PRESORT.PSL) the table must be ordered by its ZIP tag with exact comparison
// off; records print in the list's order and only those the list names.
LabelRunStats runLabelLoop(xbase::Table& table, const LabelStock& stock, const PositionMask& mask, int copies,
                           const QStringList* presortList, LabelSink& sink);

} // namespace qb
