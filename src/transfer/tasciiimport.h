#pragma once
// "ASCII File Import": appends the lines of a comma-separated text file to the
// open address database, one record a line, its columns matched to address
// fields in "ASCII File Import Match Fields".

#include "transfer/import_window.h"

namespace qb {

class TASCIIImport : public ImportWindow {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1501;
    explicit TASCIIImport(AddressTable& table, QWidget* parent = nullptr);

protected:
    FileQuestion fileQuestion() const override;
    bool takeFile(const QString& path) override;
    bool matchFields() override;
    void importFile() override;

private:
    QString path_;
    CsvSample sample_;
    FieldMatch match_;
};

} // namespace qb
