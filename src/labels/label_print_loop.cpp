#include "labels/label_print_loop.h"

#include "platform/xbase/table.h"

namespace qb {

bool PositionMask::anySelected(const LabelStock& stock) const
{
    for (int p = 0; p < std::min(stock.positions(), kSize); ++p)
        if (flags_[size_t(p)])
            return true;
    return false;
}

namespace {

class PresortWalk {
public:
    PresortWalk(xbase::Table& table, QStringList lines) : table_(table), lines_(std::move(lines)) {}

    const QString& line() const { return line_; }
    bool header() const { return header_; }

    // The next entry: a header puts the table on its first record (so the
    // loop does not see its end); a zip seeks its first record; a zip no
    // longer in the view is skipped; an empty list ends the table.
    void takeNext()
    {
        header_ = false;
        while (!lines_.isEmpty()) {
            line_ = lines_.takeFirst();
            if (line_.contains(QLatin1String("**"))) {
                table_.first();
                header_ = true;
                return;
            }
            if (table_.seek(line_.toStdString()) &&
                QString::fromStdString(table_.text("ZIP")).left(5) == line_)
                return;
        }
        table_.last();
        table_.next();
    }

private:
    xbase::Table& table_;
    QStringList lines_;
    QString line_;
    bool header_ = false;
};

} // namespace

LabelRunStats runLabelLoop(xbase::Table& table, const LabelStock& stock, const PositionMask& mask, int copies,
                           const QStringList* presortList, LabelSink& sink)
{
    LabelRunStats stats;
    if (stock.across < 1 || stock.down < 1 || !mask.anySelected(stock))
        return stats;
    copies = std::max(1, copies);
    std::optional<PresortWalk> presort;
    if (presortList) {
        presort.emplace(table, *presortList);
        presort->takeNext();
    }
    const int halfAcross = stock.across / 2, halfDown = stock.down / 2;
    int col = -1, row = 0, copy = 0;
    bool started = false;
    while (!table.eof() && !sink.stopped()) {
        if (++col + 1 > stock.across) {
            col = 0;
            ++row;
        }
        if (row + 1 > stock.down) {
            col = row = 0;
            sink.breakPage();
            ++stats.pages;
        }
        if (!mask.selected(col + row * stock.across, stock))
            continue;
        if (!started) {
            started = true;
            ++stats.pages;
        }
        double x = col * stock.horizontalPitch + stock.leftMargin;
        double y = row * stock.verticalPitch + stock.topMargin;
        if (col + 1 > halfAcross && stock.middleExtraX > 0)
            x += stock.middleExtraX;
        if (row + 1 > halfDown && stock.middleExtraY > 0)
            y += stock.middleExtraY;

        const bool headerLabel = presort && presort->header();
        if (headerLabel) {
            sink.printHeader(presort->line(), QPointF(x + 0.15, y + stock.verticalPitch / 3),
                             QRectF(x, y, stock.horizontalPitch, stock.verticalPitch));
            ++stats.headers;
        } else {
            sink.printLabel(QPointF(x, y));
            ++stats.labels;
            if (++copy < copies) {
                sink.idle();
                continue;
            }
        }
        copy = 0;
        table.next();
        if (presort) {
            if (headerLabel || table.eof() ||
                QString::fromStdString(table.text("ZIP")).left(5) != presort->line())
                presort->takeNext();
        }
        sink.idle();
    }
    return stats;
}

} // namespace qb
