#include "transfer/tasciiimport.h"

#include "core/address_table.h"
#include "core/messages.h"
#include "core/placement.h"
#include "transfer/header_row.h"
#include "transfer/tasciimatchfields.h"
#include "transfer/transfer_error.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>

namespace qb {

TASCIIImport::TASCIIImport(AddressTable& table, QWidget* parent)
    : ImportWindow({QStringLiteral("ASCII File Import"), QStringLiteral("ASCII File Name"), QStringLiteral("Select ASCII File"), true,
                    HelpContext},
                   table, parent)
{
    setObjectName(QStringLiteral("TASCIIImport"));
    header_ = new QCheckBox(QStringLiteral("First line holds the column names"), this);
    header_->setObjectName(QStringLiteral("HeaderCheck"));
    header_->setEnabled(false);
    header_->setWhatsThis(QStringLiteral("The first line of the file names its columns: it is not imported, and columns named like a "
                                         "field of the database are matched to it."));
    headerNote_ = new QLabel(this);
    headerNote_->setObjectName(QStringLiteral("HeaderNote"));
    headerNote_->setWordWrap(true);
    addOption(header_);
    addOption(headerNote_);
    connect(header_, &QCheckBox::clicked, this, &TASCIIImport::HeaderCheckClick);
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
    const std::vector<ImportField> fields = textImportFields(table_.table());
    header_->setEnabled(true);
    header_->setChecked(firstLineNamesColumns(sample_.records[0].fields, sample_.records[1].fields, fields));
    makeMatch();
    setMatchEnabled(true);
    return true;
}

void TASCIIImport::makeMatch()
{
    const std::vector<ImportField> fields = textImportFields(table_.table());
    const bool header = header_->isChecked();
    const std::vector<std::string> names = header ? sample_.records[0].fields : std::vector<std::string>{};
    match_ = FieldMatch(FieldMatch::Kind::Text, fields, csvColumns(sample_.columns(), names));
    QString note;
    if (header) {
        const HeaderMatch headers = matchHeaders(names, fields);
        applyHeaderMatch(match_, headers);
        if (match_.any())
            note = (headers.book.empty() ? QStringLiteral("Columns matched by their names")
                                         : QStringLiteral("A ") + QString::fromStdString(headers.book) +
                                               QStringLiteral(" export: columns matched by its names")) +
                   QStringLiteral("; check them with Match Fields.");
    }
    headerNote_->setText(note);
    setImportEnabled(match_.any());
}

void TASCIIImport::HeaderCheckClick()
{
    if (!path_.isEmpty())
        makeMatch();
}

bool TASCIIImport::matchFields()
{
    TASCIIMatchFields window(sample_, header_->isChecked(), match_, QFileInfo(path_).fileName(), this);
    centreWindow(&window);
    if (window.exec() == QDialog::Accepted)
        match_ = window.match();
    return match_.any();
}

void TASCIIImport::importFile()
{
    CsvImportSource source(path_.toStdString(), sample_.kind, sample_.columns(), match_, table_.table(), header_->isChecked());
    runImport(source, match_.rows(), ImportRun::Kind::Text);
}

} // namespace qb
