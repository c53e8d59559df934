#include "vcard_harness.h"

#include "transfer/vcard.h"

#include <string>

namespace qb::fuzz {

size_t vcardBytes(const uint8_t* data, size_t size)
{
    VCardReader reader = VCardReader::fromText(std::string(reinterpret_cast<const char*>(data), size));
    size_t cards = 0;
    std::vector<std::string> notes;
    for (VCard card; reader.next(card); ++cards)
        addressOfCard(card, notes, "card");
    return cards;
}

} // namespace qb::fuzz
