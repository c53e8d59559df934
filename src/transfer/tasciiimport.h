#pragma once
// "ASCII File Import": appends the lines of a comma-separated text file to the
// open address database, one record a line, its columns matched to address
// fields in "ASCII File Import Match Fields". "First line holds the column
// names" takes the first line for the columns' names: it is not imported, and
// the columns are matched by those names where they match. Choosing a file
// checks it when the first line holds names and the second does not.

#include "transfer/import_window.h"

class QCheckBox;
class QLabel;

namespace qb {

class TASCIIImport : public ImportWindow {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1501;
    explicit TASCIIImport(AddressTable& table, QWidget* parent = nullptr);
    QCheckBox* headerCheck() const { return header_; }

protected:
    FileQuestion fileQuestion() const override;
    bool takeFile(const QString& path) override;
    bool matchFields() override;
    void importFile() override;

private:
    void HeaderCheckClick();
    // The columns and their match for the file and the header option.
    void makeMatch();

    QCheckBox* header_;
    QLabel* headerNote_;
    QString path_;
    CsvSample sample_;
    FieldMatch match_;
};

} // namespace qb
