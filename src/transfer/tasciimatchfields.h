#pragma once
// "ASCII File Import Match Fields": the first lines of the file in "Sample
// ASCII Fields", one column per file column, over the field match. When the
// first line names the columns, the columns bear its names and its values
// are not shown as a line.

#include "transfer/import_source.h"
#include "transfer/match_window.h"

class QTableWidget;

namespace qb {

class TASCIIMatchFields : public MatchWindow {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1502;
    TASCIIMatchFields(const CsvSample& sample, bool header, const FieldMatch& match, const QString& fileName, QWidget* parent = nullptr);
    QTableWidget* sampleGrid() const { return sample_; }

private:
    QTableWidget* sample_;
};

} // namespace qb
