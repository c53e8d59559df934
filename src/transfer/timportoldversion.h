#pragma once
// "Import Quillbase 1.x DBF" and "Import Quillbase 2.x DBF": appends the
// records of a database of the program's earlier versions, recognised by its
// fields, with a fixed copy of its fields.

#include "transfer/import_window.h"

#include <memory>

namespace qb {

class TImportOldVersion : public ImportWindow {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1505;
    // version 1 or 2.
    TImportOldVersion(int version, AddressTable& table, QWidget* parent = nullptr);
    ~TImportOldVersion() override;

protected:
    FileQuestion fileQuestion() const override;
    bool takeFile(const QString& path) override;
    void importFile() override;

private:
    int version_;
    std::unique_ptr<OlderVersionSource> source_;
};

} // namespace qb
