#pragma once
// The text "Copy To Clipboard" puts on the clipboard for one address record.

#include <QString>

namespace qb {

class AddressTable;

// The stored fields the text is made of, trailing blanks already removed.
struct RecordFields {
    QString prefix, fname, middle, lname, title, org;
    QString street, street2, city, state, zip, country;
    QString phone, phone2, codes, user1, user2;

    // The current record of an open address table.
    static RecordFields of(const AddressTable& table);
};

// Which groups of lines go into the text (the dialog's five boxes).
struct RecordTextParts {
    bool name = true;       // "Name, Organization, Title"
    bool address = true;    // "Address"
    bool phones = true;     // "Phone Numbers"
    bool codes = true;      // "Codes"
    bool comments = true;   // "Comments 1 && 2"
};

// The clipboard holds at most this many characters of a record.
inline constexpr int kRecordTextLimit = 1000;

// One line per non-empty line, each ended by CR LF. A text longer than
// kRecordTextLimit is cut there, and a cut that would part a CR from its LF
// drops the CR as well, so the text never ends in half a line break.
QString recordText(const RecordFields& fields, const RecordTextParts& parts);

} // namespace qb
