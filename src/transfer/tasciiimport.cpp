#include "transfer/tasciiimport.h"

#include "core/address_table.h"
#include "core/messages.h"
#include "core/placement.h"
#include "transfer/tasciimatchfields.h"
#include "transfer/transfer_error.h"

#include <QFileInfo>

namespace qb {

TASCIIImport::TASCIIImport(AddressTable& table, QWidget* parent)
    : ImportWindow({QStringLiteral("ASCII File Import"), QStringLiteral("ASCII File Name"), QStringLiteral("Select ASCII File"), true,
                    HelpContext},
                   table, parent)
{
    setObjectName(QStringLiteral("TASCIIImport"));
}

FileQuestion TASCIIImport::fileQuestion() const
{
    FileQuestion q;
    q.filter = QStringLiteral("Text files, CSV Files (*.TXT *.CSV *.txt *.csv);;All files (*)");
    q.defaultExtension = QStringLiteral("prn");
    return q;
}

bool TASCIIImport::takeFile(const QString& path)
{
    try {
        sample_ = sampleCsv(path.toStdString());
    } catch (const TransferError& e) {
        showInformation(QString::fromStdString(e.what()));
        return false;
    }
    path_ = path;
    match_ = FieldMatch(FieldMatch::Kind::Text, textImportFields(table_.table()), csvColumns(sample_.columns()));
    setMatchEnabled(true);
    return true;
}

bool TASCIIImport::matchFields()
{
    TASCIIMatchFields window(sample_, match_, QFileInfo(path_).fileName(), this);
    centreWindow(&window);
    if (window.exec() == QDialog::Accepted)
        match_ = window.match();
    return match_.any();
}

void TASCIIImport::importFile()
{
    CsvImportSource source(path_.toStdString(), sample_.kind, sample_.columns(), match_, table_.table());
    runImport(source, match_.rows(), ImportRun::Kind::Text);
}

} // namespace qb
