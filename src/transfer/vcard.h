#pragma once
// vCard files (.vcf) as phones, mail programs and web services write their
// contacts: versions 2.1, 3.0 and 4.0, several cards to a file.
//
// A card runs from BEGIN:VCARD to END:VCARD, one property a line:
// [group.]NAME[;PARAM[=VALUE]]...:VALUE. A line that starts with a blank or a
// tab continues the one before (folding); a quoted-printable value (2.1) that
// ends in '=' goes on in the next line. Values are UTF-8 unless a CHARSET
// parameter says otherwise; a line that is not valid UTF-8 is read as
// Windows-1252. In text values "\n" is a line break and "\," "\;" "\\" stand
// for the character; N and ADR hold parts separated by ';'. Binary values
// (PHOTO, LOGO, SOUND, KEY) are passed over.
//
// Bounds: a logical line holds at most kMaxLine bytes (a longer one, a photo
// say, is skipped), a card at most kMaxProperties properties.

#include "transfer/import_source.h"

#include <cstdint>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qb {

struct VCardProperty {
    std::string name;                  // upper case, without its group
    std::vector<std::string> types;    // TYPE values and 2.1's bare types, upper case
    std::vector<std::string> parts;    // the value split at ';' (one part for most), unescaped, UTF-8
    bool preferred() const;            // TYPE=PREF or PREF=1
    bool hasType(const char* type) const;
};

struct VCard {
    std::vector<VCardProperty> properties;
    uint64_t line = 0;   // of BEGIN:VCARD
    const VCardProperty* first(const char* name) const;
};

class VCardReader {
public:
    static constexpr size_t kMaxLine = 4 << 20;
    static constexpr size_t kMaxProperties = 2000;

    // Throws TransferError when the file cannot be opened.
    explicit VCardReader(const std::string& path);
    // The same over text in memory; name stands for the file in messages.
    static VCardReader fromText(std::string text, const std::string& name = "text");
    ~VCardReader();
    VCardReader(VCardReader&&) noexcept;

    // The next card; false after the last. Lines outside cards are passed over.
    bool next(VCard& card);

private:
    VCardReader(std::unique_ptr<std::istream> in, std::string name);
    bool physical(std::string& line);
    bool logical(std::string& line, uint64_t& number);

    std::unique_ptr<std::istream> in_;
    std::string name_;
    std::string ahead_;
    bool haveAhead_ = false;
    uint64_t lineNumber_ = 0;
};

// Whether a file holds vCards: its first line that is not blank is BEGIN:VCARD.
bool looksLikeVCard(const std::string& path);

// A card as address fields: N (or FN) to the name fields, ORG, TITLE, the
// preferred (or first) ADR to the address fields, the first two phones by
// preference to PHONE and PHONE2, the first fax to FAX, the first e-mail to
// EMAIL, CATEGORIES to CODES, BDAY to DATE; NOTE, the other phones, e-mails and
// addresses to the memo. Field names as stored, values UTF-8; notes name what
// could not be kept.
std::vector<std::pair<std::string, std::string>> addressOfCard(const VCard& card, std::vector<std::string>& notes,
                                                               const std::string& where);

// The cards of a vCard file as import records.
class VCardImportSource : public ImportSource {
public:
    VCardImportSource(std::string path, const xbase::Table& destination);
    const std::string& name() const override { return path_; }
    void restart() override;
    bool next(std::vector<ImportValue>& values) override;
    std::string where() const override;

private:
    std::string path_;
    const xbase::Table& destination_;
    std::unique_ptr<VCardReader> reader_;
    uint64_t cards_ = 0;
    uint64_t line_ = 0;
};

// A record as a vCard 3.0 (CR LF lines, folded at 75 bytes, UTF-8): N, FN,
// ORG, TITLE, ADR, TEL (voice, voice, fax), EMAIL, CATEGORIES, NOTE.
std::string vcardOfRecord(const xbase::Table& table);

} // namespace qb
