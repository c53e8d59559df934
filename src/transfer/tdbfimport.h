#pragma once
// "DBF File Import": appends the records of another xBase table to the open
// address database, its fields matched to address fields in "DBF File Import
// Match Fields" (matched by name the first time).

#include "transfer/import_window.h"

#include <memory>

namespace qb {

class TDBFImport : public ImportWindow {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1503;
    explicit TDBFImport(AddressTable& table, QWidget* parent = nullptr);
    ~TDBFImport() override;

protected:
    FileQuestion fileQuestion() const override;
    bool takeFile(const QString& path) override;
    bool matchFields() override;
    void importFile() override;

private:
    QString path_;
    std::unique_ptr<TableImportSource> source_;
    FieldMatch match_;
    bool matched_ = false;   // the first match window opens with the match by name
};

} // namespace qb
