#include "transfer/tdbfimport.h"

#include "core/address_table.h"
#include "core/messages.h"
#include "core/placement.h"
#include "transfer/tdbfmatchfields.h"
#include "transfer/transfer_error.h"

#include <QFileInfo>

namespace qb {

TDBFImport::TDBFImport(AddressTable& table, QWidget* parent)
    : ImportWindow({QStringLiteral("DBF File Import"), QStringLiteral("DBF File Name"), QStringLiteral("Select DBF File"), true,
                    HelpContext},
                   table, parent)
{
    setObjectName(QStringLiteral("TDBFImport"));
}

TDBFImport::~TDBFImport() = default;

FileQuestion TDBFImport::fileQuestion() const
{
    FileQuestion q;
    q.filter = QStringLiteral("DBF Files (*.DBF *.dbf)");
    q.presetName = QStringLiteral("*.dbf");
    return q;
}

bool TDBFImport::takeFile(const QString& path)
{
    source_.reset();
    try {
        auto source = std::make_unique<TableImportSource>(path.toStdString());
        if (source->physicalCount() == 0) {
            showInformation(QStringLiteral("There are no records in ") + path);
            return false;
        }
        source_ = std::move(source);
    } catch (const TransferError& e) {
        showInformation(QString::fromStdString(e.what()));
        return false;
    }
    path_ = path;
    match_ = FieldMatch(FieldMatch::Kind::Table, tableImportFields(table_.table()), source_->fields());
    matched_ = false;
    setMatchEnabled(true);
    return true;
}

bool TDBFImport::matchFields()
{
    if (!matched_) {
        match_.preMatch();
        matched_ = true;
    }
    TDBFMatchFields window(source_->table(), match_, QFileInfo(path_).fileName(), this);
    centreWindow(&window);
    if (window.exec() == QDialog::Accepted)
        match_ = window.match();
    return match_.any();
}

void TDBFImport::importFile()
{
    source_->useMatch(match_, table_.table());
    runImport(*source_, match_.rows(), ImportRun::Kind::Table);
}

} // namespace qb
