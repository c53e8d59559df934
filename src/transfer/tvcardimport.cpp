#include "transfer/tvcardimport.h"

#include "core/address_table.h"
#include "core/messages.h"

namespace qb {

TVCardImport::TVCardImport(AddressTable& table, QWidget* parent)
    : ImportWindow({QStringLiteral("vCard File Import"), QStringLiteral("vCard File Name"), QStringLiteral("Select vCard File"), false,
                    HelpContext},
                   table, parent)
{
    setObjectName(QStringLiteral("TVCardImport"));
}

TVCardImport::~TVCardImport() = default;

FileQuestion TVCardImport::fileQuestion() const
{
    FileQuestion q;
    q.filter = QStringLiteral("vCard files (*.vcf *.VCF *.vcard);;All files (*)");
    return q;
}

bool TVCardImport::takeFile(const QString& path)
{
    source_.reset();
    if (!looksLikeVCard(path.toStdString())) {
        showInformation(path + QStringLiteral(" is not a vCard file"));
        return false;
    }
    source_ = std::make_unique<VCardImportSource>(path.toStdString(), table_.table());
    setImportEnabled(true);
    return true;
}

void TVCardImport::importFile() { runImport(*source_, tableImportFields(table_.table()), ImportRun::Kind::Table); }

} // namespace qb
