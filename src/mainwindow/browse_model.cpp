#include "mainwindow/browse_model.h"

#include "platform/xbase/table.h"

#include <algorithm>

namespace qb {

namespace {
// Rows read at once when the grid asks for one that is not cached: a screen's worth.
constexpr int kReadAhead = 64;
} // namespace

QStringList fieldOrderAfterBrowse(const QStringList& allFields, const QStringList& visibleInGridOrder)
{
    QStringList out = allFields;
    int next = 0;
    for (QString& slot : out)
        if (visibleInGridOrder.contains(slot) && next < visibleInGridOrder.size())
            slot = visibleInGridOrder[next++];
    return out;
}

BrowseModel::BrowseModel(AddressTable& table, std::vector<RecordViewField> columns, QObject* parent)
    : QAbstractTableModel(parent), table_(table), columns_(std::move(columns)), cache_(4096)
{
    reload();
}

void BrowseModel::reload()
{
    beginResetModel();
    cache_.clear();
    recnos_.clear();
    xbase::Table& t = table_.table();
    const bool atEnd = t.eof();
    try {
        // From the index where it can tell, so a large table is not read
        // through before the grid shows.
        recnos_ = t.visibleRecnos();
    } catch (const std::exception&) {
        // A table that cannot be listed shows no rows.
    }
    if (atEnd && !recnos_.empty())
        t.go(recnos_.front());
    endResetModel();
}

int BrowseModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(recnos_.size()); }
int BrowseModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(columns_.size()); }

uint32_t BrowseModel::recnoAt(int row) const
{
    return row >= 0 && size_t(row) < recnos_.size() ? recnos_[size_t(row)] : 0;
}

int BrowseModel::rowOf(uint32_t recno) const
{
    const auto it = std::find(recnos_.begin(), recnos_.end(), recno);
    return it == recnos_.end() ? -1 : int(it - recnos_.begin());
}

void BrowseModel::refreshRow(int row)
{
    cache_.remove(row);
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

const QStringList& BrowseModel::rowValues(int row) const
{
    if (const QStringList* cached = cache_.object(row))
        return *cached;
    xbase::Table& t = table_.table();
    const bool atEnd = t.eof();
    const uint32_t current = t.recno();
    const int last = std::min(int(recnos_.size()), row + kReadAhead);
    for (int r = row; r < last; ++r) {
        if (r != row && cache_.contains(r))
            continue;
        auto* values = new QStringList;
        if (t.go(recnos_[size_t(r)]))
            for (const RecordViewField& c : columns_)
                *values << table_.text(c.name);
        cache_.insert(r, values);
    }
    if (!atEnd && current > 0)
        t.go(current);
    static const QStringList none;
    const QStringList* read = cache_.object(row);
    return read ? *read : none;
}

QVariant BrowseModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    const QStringList& values = rowValues(index.row());
    return index.column() < values.size() ? values[index.column()] : QVariant();
}

QVariant BrowseModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || size_t(section) >= columns_.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    return columns_[size_t(section)].label;
}

} // namespace qb
