#include "core/tqbreindex.h"

#include "core/index_maintenance.h"
#include "platform/xbase/table.h"

#include <QFileInfo>

namespace qb {

TQBReindex::TQBReindex(xbase::Table& table, QWidget* parent, Reindexer::Work work)
    : ReindexDialog(QStringLiteral("Rebuild indexes for ") + QFileInfo(QString::fromStdString(table.path())).fileName(),
                    HelpContext, parent),
      table_(table), work_(work)
{
    setObjectName(QStringLiteral("TQBReindex"));
}

void TQBReindex::work()
{
    Reindexer reindexer({
        [this](const QString& text) { setStatus(text); },
        [this](int value) { setGauge(value); },
        [this] { repaint(); },
    });
    succeeded_ = reindexer.run(table_, work_);
}

} // namespace qb
