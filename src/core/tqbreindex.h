#pragma once
// "Rebuild Indexes": packs the open address database and builds its tags
// afresh, with a gauge while it works.

#include "core/index_maintenance.h"
#include "core/reindex_dialog.h"

namespace qb {

namespace xbase {
class Table;
}

class TQBReindex : public ReindexDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1040;

    TQBReindex(xbase::Table& table, QWidget* parent = nullptr, Reindexer::Work work = Reindexer::Work::PackAndTags);

    // Whether the last "Reindex" packed and built every tag.
    bool succeeded() const { return succeeded_; }

protected:
    void work() override;

private:
    xbase::Table& table_;
    Reindexer::Work work_;
    bool succeeded_ = false;
};

} // namespace qb
