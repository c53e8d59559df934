#pragma once
// "Rebuild Indexes": packs the open address database and builds its tags
// afresh, with a gauge while it works.

#include "core/reindex_dialog.h"

namespace qb {

namespace xbase {
class Table;
}

class TQBReindex : public ReindexDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1040;

    TQBReindex(xbase::Table& table, QWidget* parent = nullptr);

    // Whether the last "Reindex" packed and built every tag.
    bool succeeded() const { return succeeded_; }

protected:
    void work() override;

private:
    xbase::Table& table_;
    bool succeeded_ = false;
};

} // namespace qb
