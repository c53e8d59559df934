#include "core/index_maintenance.h"

#include "core/address_table.h"
#include "core/messages.h"
#include "core/text_file.h"

#include <QDir>
#include <QFileInfo>
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

QString Reindexer::lostMemosFile(const QString& tablePath)
{
    const QFileInfo table(tablePath);
    return table.dir().filePath(table.completeBaseName() + QStringLiteral("_MEMOS.TXT"));
}

void Reindexer::reportLostMemos(xbase::Table& table)
{
    const auto& lost = table.lostMemos();
    if (lost.empty())
        return;
    constexpr size_t kShown = 20;
    QStringList lines;
    QStringList shown;
    for (const xbase::Table::LostMemo& m : lost) {
        QString name;
        try {
            if (table.go(m.recno)) {
                name = QString::fromStdString(table.text("LNAME"));
                const QString first = QString::fromStdString(table.text("FNAME"));
                if (!first.isEmpty())
                    name += QStringLiteral(", ") + first;
            }
        } catch (const std::exception&) {
        }
        const QString line = QStringLiteral("Record %1: %2").arg(m.recno).arg(name);
        lines << line + QStringLiteral(" (") + QString::fromStdString(m.why) + QStringLiteral(")");
        if (size_t(shown.size()) < kShown)
            shown << line;
    }
    if (lost.size() > kShown)
        shown << QStringLiteral("and %1 more").arg(lost.size() - kShown);
    try {
        table.first();
    } catch (const std::exception&) {
    }
    const QString file = lostMemosFile(QString::fromStdString(table.path()));
    QString text = QStringLiteral("The memos of these records could not be read; the records were kept with empty memos:\r\n\r\n") +
                   shown.join(QStringLiteral("\r\n"));
    if (writeLines1252(file, lines))
        text += QStringLiteral("\r\n\r\nThe list is in ") + file;
    else
        text += QStringLiteral("\r\n\r\nThe list could not be written to ") + file;
    showInformation(text);
}

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

bool Reindexer::run(xbase::Table& table, Work work)
{
    if (hooks_.status && work == Work::PackAndTags)
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
    if (work == Work::Tags) {
        startIndexing();
        built = buildAllTags(table, tagProgress);
        gauge_.reset();
        show(0);
        return built;
    }
    try {
        table.pack(addressTags(), [this](int percent) { show(gauge_.report(percent)); }, tagProgress);
    } catch (const std::exception& e) {
        // Nothing changed: the tags are still built, so the database stays usable.
        packed = false;
        showInformation(QStringLiteral("The deleted records could not be removed:\r\n") + QString::fromStdString(e.what()));
        startIndexing();
        built = buildAllTags(table, tagProgress);
    }
    if (packed)
        reportLostMemos(table);

    gauge_.reset();
    show(0);
    return packed && built;
}

} // namespace qb
