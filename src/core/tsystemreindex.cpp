#include "core/tsystemreindex.h"

#include "core/system_tables.h"

namespace qb {

TSystemReindex::TSystemReindex(QWidget* parent) : ReindexDialog(QStringLiteral("Rebuild System Indexes"), HelpContext, parent)
{
    setObjectName(QStringLiteral("TSystemReindex"));
}

void TSystemReindex::work()
{
    rebuildSystemIndexes([this](const SystemIndexStep& step) { setStatus(QString::fromLatin1(step.status)); },
                         [this](int percent) { setGauge(percent); });
}

} // namespace qb
