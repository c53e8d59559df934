#include "core/index_maintenance.h"

#include "core/address_table.h"
#include "core/messages.h"

#include <algorithm>

namespace qb {

bool buildAllTags(xbase::Table& table, const xbase::Progress& progress)
{
    try {
        table.replaceIndex(addressTags(), progress);
        return true;
    } catch (const std::exception&) {
        showInformation(QStringLiteral("Unable to create index files"));
        return false;
    }
}

// ---- gauge -----------------------------------------------------------------

int ReindexGauge::report(int percent)
{
    if (mode_ == Mode::Direct) {
        value_ = std::clamp(percent, 0, 100);
        return value_;
    }
    if (percent > last_)
        sum_ += percent - last_;
    last_ = percent;
    value_ = int(std::clamp<long long>((sum_ * 100 + 1050) / 2100, 0, 100));
    return value_;
}

void ReindexGauge::reset()
{
    value_ = 0;
    sum_ = 0;
    last_ = 0;
}

void TagSeries::report(int overall, const std::function<void(int)>& perTag)
{
    const int position = std::clamp(overall, 0, 100) * tags_;
    const int tag = std::min(position / 100, tags_ - 1);
    for (; tag_ < tag; ++tag_) {
        perTag(100);
        perTag(0);
    }
    perTag(position - tag_ * 100);
}

// ---- rebuild ---------------------------------------------------------------

void Reindexer::show(int value)
{
    if (hooks_.gauge)
        hooks_.gauge(value);
    repaint();
}

void Reindexer::repaint()
{
    if (hooks_.repaint)
        hooks_.repaint();
}

bool Reindexer::run(xbase::Table& table)
{
    if (hooks_.status)
        hooks_.status(cleaningStatus());
    gauge_.reset();
    gauge_.setMode(ReindexGauge::Mode::Direct);
    show(0);

    // The old table and index stay on the disk, untouched, until the packed
    // table and its new index are complete and take their place together.
    bool indexing = false;
    TagSeries series(int(addressTags().size()));
    auto startIndexing = [&] {
        if (indexing)
            return;
        indexing = true;
        if (hooks_.status)
            hooks_.status(rebuildingStatus());
        gauge_.setMode(ReindexGauge::Mode::Summing);
    };
    auto tagProgress = [&](int overall) {
        startIndexing();
        series.report(overall, [this](int percent) { gauge_.report(percent); });
        show(gauge_.value());
    };
    bool packed = true;
    bool built = true;
    try {
        table.pack(addressTags(), [this](int percent) { show(gauge_.report(percent)); }, tagProgress);
    } catch (const std::exception&) {
        // Nothing changed: the tags are still built, so the database stays usable.
        packed = false;
        startIndexing();
        built = buildAllTags(table, tagProgress);
    }

    gauge_.reset();
    show(0);
    return packed && built;
}

} // namespace qb
