#pragma once
// Addresses in the postal service's standard form: capitals, no punctuation,
// the standard abbreviations of street suffixes, secondary unit designators,
// directionals and states. What cannot be read with certainty is left exactly
// as it is and reported, never guessed at.

#include "utilities/bulk_run.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace qb {

// The table the standard's abbreviations ship in, in sysdata.
inline constexpr const char* kAddressStandardTable = "ADDRSTD.DBF";

// One spelling found in addresses and the standard form it stands for.
struct AddressForm {
    enum Kind : char { Suffix = 'S', Unit = 'U', Directional = 'D' };
    Kind kind;
    QString form;       // upper case: AVENUE, AVN, APARTMENT, NORTHWEST
    QString standard;   // AVE, APT, NW
    bool range = false; // units: a unit number follows (APT 4), not alone (REAR)
};

// The outcome of one field: the standard text, or (parsed false) the text
// unchanged because it could not be read.
struct StandardText {
    QString text;
    bool parsed = true;
};

class AddressStandard {
public:
    // states: full name (any case) and two-letter abbreviation.
    AddressStandard(const std::vector<AddressForm>& forms, const std::vector<std::pair<QString, QString>>& states);

    // Reads ADDRSTD.DBF and the state names of CSZ.DBF from the sysdata folder;
    // nullopt with the message when either cannot be read.
    static std::optional<AddressStandard> load(const QString& sysdataFolder, QString* error);

    // A delivery address line: house number, directional, street name, suffix,
    // directional, secondary unit ("123 North Main Street, Apt. #4" is
    // "123 N MAIN ST APT 4"); or a line of a secondary unit alone ("Suite 200").
    StandardText addressLine(const QString& line) const;
    // A city: capitals, no punctuation.
    StandardText city(const QString& city) const;
    // A state: its two-letter abbreviation, from the name or the abbreviation in any case.
    StandardText state(const QString& state) const;

private:
    struct Unit {
        QString standard;
        bool range;
    };
    // How many tokens from at make a secondary unit that ends the line; 0 when none.
    int unitLength(const QStringList& tokens, int at) const;
    QStringList unitTokens(const QStringList& tokens, int at) const;

    QHash<QString, QString> suffixes_, directionals_, states_;
    QHash<QString, Unit> units_;
    QSet<QString> stateCodes_;
};

// The fields the utility standardizes, in the order it shows them.
const std::vector<const char*>& standardFields();

struct StandardChange {
    uint32_t recno = 0;
    QString field;
    QString before, after;
};

struct StandardPlan {
    std::vector<StandardChange> changes;    // in record order
    std::vector<StandardChange> unreadable; // left as they are (after empty); also texts too long for the field
    QString error;                          // the engine's message when reading failed
};

// Every record not deleted (flag or mark), in record order; the table's view
// is put back. Nothing is written.
StandardPlan planStandardChanges(xbase::Table& table, const AddressStandard& standard, const KeepGoing& keepGoing = {});

// Writes the changes whose records are accepted (all when accept is empty;
// it is asked with the record current);
// a field no longer holding its before text is left alone. Stops on the first
// engine error or when keepGoing says no. The table's view is put back.
BulkOutcome applyStandardChanges(xbase::Table& table, const std::vector<StandardChange>& changes,
                                 const std::function<bool(uint32_t recno)>& accept = {}, const KeepGoing& keepGoing = {});

} // namespace qb
