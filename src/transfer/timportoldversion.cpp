#include "transfer/timportoldversion.h"

#include "core/address_table.h"
#include "core/messages.h"
#include "transfer/transfer_error.h"

namespace qb {

TImportOldVersion::TImportOldVersion(int version, AddressTable& table, QWidget* parent)
    : ImportWindow({QStringLiteral("Import Quillbase %1.x DBF").arg(version), QStringLiteral("DBF File Name"),
                    QStringLiteral("Select DBF File"), false, HelpContext},
                   table, parent),
      version_(version)
{
    setObjectName(QStringLiteral("TImportOldVersion"));
}

TImportOldVersion::~TImportOldVersion() = default;

FileQuestion TImportOldVersion::fileQuestion() const
{
    FileQuestion q;
    q.filter = QStringLiteral("DBF Files (*.dbf *.DBF)");
    return q;
}

bool TImportOldVersion::takeFile(const QString& path)
{
    source_.reset();
    try {
        auto source = std::make_unique<OlderVersionSource>(path.toStdString(), version_, table_.table());
        if (source->physicalCount() == 0) {
            showInformation(QStringLiteral("There are no records in ") + path);
            return false;
        }
        source_ = std::move(source);
    } catch (const TransferError& e) {
        showInformation(QString::fromStdString(e.what()));
        return false;
    }
    setImportEnabled(true);
    return true;
}

void TImportOldVersion::importFile() { runImport(*source_, tableImportFields(table_.table()), ImportRun::Kind::Table); }

} // namespace qb
