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
    order_ = table_.createIndexFile(path_.toStdString(), keyExpression.toStdString());
}

TemporaryIndex::~TemporaryIndex() { close(); }

void TemporaryIndex::add() { table_.addKey(order_); }

void TemporaryIndex::add(std::span<const uint32_t> recnos) { table_.addKeys(order_, recnos); }

void TemporaryIndex::close()
{
    if (order_ == 0)
        return;
    // Orders after this one move down by one; ours is the last opened.
    table_.closeIndexFile(order_);
    order_ = 0;
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
