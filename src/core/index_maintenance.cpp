#include "core/index_maintenance.h"

#include "core/address_table.h"
#include "core/messages.h"

#include <QFile>
#include <algorithm>

namespace qb {

bool buildAllTags(xbase::Table& table, const xbase::Progress& progress)
{
    try {
        const std::string index = table.indexFileName();
        if (!index.empty()) {
            table.closeIndexes();
            QFile::remove(QString::fromStdString(index));
        }
        table.createTags(addressTags(), progress);
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
    const QString index = QString::fromStdString(table.indexFileName());
    if (!index.isEmpty() && QFile::exists(index)) {
        table.closeIndexes();
        repaint();
        QFile::remove(index);
    }

    gauge_.reset();
    gauge_.setMode(ReindexGauge::Mode::Direct);
    show(0);
    bool packed = true;
    try {
        table.pack([this](int percent) { show(gauge_.report(percent)); });
    } catch (const std::exception&) {
        packed = false;
    }

    if (hooks_.status)
        hooks_.status(rebuildingStatus());
    gauge_.setMode(ReindexGauge::Mode::Summing);
    TagSeries series(int(addressTags().size()));
    const bool built = buildAllTags(table, [&](int overall) {
        series.report(overall, [this](int percent) { gauge_.report(percent); });
        show(gauge_.value());
    });

    gauge_.reset();
    show(0);
    return packed && built;
}

} // namespace qb
