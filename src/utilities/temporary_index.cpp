#include "utilities/temporary_index.h"

#include "core/paths.h"
#include "platform/xbase/table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qb {

QString stateZipIndexPath(const QString& tablePath)
{
    const QFileInfo info(tablePath);
    return info.path() + QLatin1Char('/') + info.completeBaseName() + QLatin1String(kStateZipIndexSuffix);
}

QString duplicateIndexPath() { return ProgramFolder::path() + QLatin1String(kDuplicateIndexName); }

TemporaryIndex::TemporaryIndex(xbase::Table& table, const QString& path, const QString& keyExpression)
    : table_(table), path_(path)
{
    QFile::remove(path_);
    const int order = table_.createIndexFile(path_.toStdString(), keyExpression.toStdString());
    name_ = table_.tagInfo(order).name;
}

TemporaryIndex::~TemporaryIndex() { close(); }

int TemporaryIndex::order() const
{
    if (name_.empty())
        return 0;
    for (int n = table_.orderCount(); n > table_.tagCount(); --n)
        if (table_.tagInfo(n).name == name_)
            return n;
    return 0;
}

void TemporaryIndex::add() { table_.addKey(order()); }

void TemporaryIndex::add(std::span<const uint32_t> recnos) { table_.addKeys(order(), recnos); }

void TemporaryIndex::close() noexcept
{
    if (name_.empty())
        return;
    try {
        table_.discardIndexFile(order());
    } catch (...) {
        // The order is gone with the table's index already.
    }
    name_.clear();
    QFile::remove(path_);
}

int removeStaleTemporaryIndexes(const QString& programFolder)
{
    int removed = 0;
    QDir program(programFolder);
    for (const QString& name : program.entryList({QString::fromLatin1(kDuplicateIndexName)}, QDir::Files))
        removed += QFile::remove(program.filePath(name));
    QDir data(program.filePath(QStringLiteral("DATA")));
    for (const QString& name : data.entryList({QLatin1String("*") + QLatin1String(kStateZipIndexSuffix)}, QDir::Files))
        removed += QFile::remove(data.filePath(name));
    return removed;
}

} // namespace qb
