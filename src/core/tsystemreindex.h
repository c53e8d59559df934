#pragma once
// "Rebuild System Indexes": packs each system table and builds its tag anew,
// one table after the other, with a gauge and a status line. The work itself is
// rebuildSystemIndexes (system_tables.h); this window only shows it.

#include "core/reindex_dialog.h"

namespace qb {

class TSystemReindex : public ReindexDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1041;

    explicit TSystemReindex(QWidget* parent = nullptr);

protected:
    void work() override;
};

} // namespace qb
