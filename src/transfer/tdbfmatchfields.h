#pragma once
// "DBF File Import Match Fields": the source table's records in "Import DBF
// File Browser" over the field match.

#include "transfer/match_window.h"

class QTableView;

namespace qb {

namespace xbase {
class Table;
}

class TDBFMatchFields : public MatchWindow {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1504;
    TDBFMatchFields(xbase::Table& source, const FieldMatch& match, const QString& fileName, QWidget* parent = nullptr);
    QTableView* browser() const { return browser_; }

private:
    QTableView* browser_;
};

} // namespace qb
