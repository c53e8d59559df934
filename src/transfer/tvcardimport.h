#pragma once
// "vCard File Import": appends the contacts of a vCard file (.vcf, as phones,
// mail programs and web services export them) to the open database, one
// record a card, each card's name, address, phones and e-mail put into their
// fields by a fixed rule (addressOfCard), the rest into the memo.

#include "transfer/import_window.h"
#include "transfer/vcard.h"

#include <memory>

namespace qb {

class TVCardImport : public ImportWindow {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1507;
    explicit TVCardImport(AddressTable& table, QWidget* parent = nullptr);
    ~TVCardImport() override;

protected:
    FileQuestion fileQuestion() const override;
    bool takeFile(const QString& path) override;
    void importFile() override;

private:
    std::unique_ptr<VCardImportSource> source_;
};

} // namespace qb
