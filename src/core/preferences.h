#pragma once
// The sections and keys of QUILLB.ini, and typed views of each section.
// Every read goes to the file (a missing file or key gives the default shown
// here) and every write goes straight back; nothing is cached. The field widths
// for new databases ("NewFileFieldLengths") live in field_lengths.h.

#include "core/settings.h"

#include <QDateTime>
#include <QLatin1StringView>
#include <QString>
#include <optional>

namespace qb {

// Section and key names exactly as the file spells them (case matters only to
// people reading the file; lookups ignore it).
namespace ini {
using Name = QLatin1StringView;

namespace adding {
inline constexpr Name section{"Adding"};
inline constexpr Name plugDate{"PlugDate"};
inline constexpr Name plugCityState{"PlugCityState"};
inline constexpr Name autoDupCheck{"AutoDupCheck"};
inline constexpr Name defaultCountry{"DefaultCountry"};
inline constexpr Name carryOrg{"CarryOrg"};
inline constexpr Name carrySA1{"CarrySA1"};
inline constexpr Name carrySA2{"CarrySA2"};
inline constexpr Name carryCity{"CarryCity"};
inline constexpr Name carryState{"CarryState"};
inline constexpr Name carryZip{"CarryZip"};
inline constexpr Name carryCountry{"CarryCountry"};
inline constexpr Name skipOrganization{"SkipOrganization"};
inline constexpr Name skipPhone1{"SkipPhone1"};
inline constexpr Name skipEmail{"SkipEmail"};
inline constexpr Name skipState{"SkipState"};
inline constexpr Name skipZip{"SkipZip"};
inline constexpr Name skipCountry{"SkipCountry"};
inline constexpr Name skipAddress2{"SkipAddress2"};
inline constexpr Name skipLastName{"SkipLastName"};
inline constexpr Name skipMiddleInitial{"SkipMiddleInitial"};
inline constexpr Name skipFirstName{"SkipfirstName"};
inline constexpr Name skipTitle{"Skiptitle"};
inline constexpr Name skipPhone2{"SkipPhone2"};
inline constexpr Name skipFax{"SkipFax"};
inline constexpr Name skipCodes{"SkipCodes"};
inline constexpr Name skipPrefix{"SkipPrefix"};
inline constexpr Name skipComments1{"SkipComments1"};
inline constexpr Name skipDate{"SkipDate"};
inline constexpr Name skipComments2{"Skipcomments2"};
} // namespace adding

namespace editing {
inline constexpr Name section{"Editing"};
inline constexpr Name aggressiveSave{"AggressiveSave"};
} // namespace editing

namespace misc {
inline constexpr Name section{"Misc"};
inline constexpr Name gettingStarted{"GettingStarted"};
inline constexpr Name globalTagId{"GlobalTagId"};
} // namespace misc

namespace mru {
inline constexpr Name section{"MRU"};
inline constexpr Name itemPrefix{"Item"};   // "Item1" .. "Item4"
inline constexpr int itemCount = 4;
} // namespace mru

// Sections named after the window class; see placement.h.
namespace placement {
inline constexpr Name sectionSuffix{"_Placement"};
inline constexpr Name left{"Left"};
inline constexpr Name top{"Top"};
inline constexpr Name right{"Right"};
inline constexpr Name bottom{"Bottom"};
inline constexpr Name maximized{"Maximized"};
} // namespace placement

namespace dialing {
inline constexpr Name section{"Dialing"};
inline constexpr Name prefix{"Prefix"};
inline constexpr Name init{"Init"};
inline constexpr Name port{"Port"};
inline constexpr Name method{"Method"};
inline constexpr Name useTapi{"UseTAPI"};
inline constexpr Name device{"Device"};   // ours: a serial device used instead of the COM port
} // namespace dialing

// The default font of new design objects, one section per kind of design.
namespace font {
inline constexpr Name labelSection{"Label"};
inline constexpr Name envelopeSection{"Envelope"};
inline constexpr Name letterSection{"Letter"};
inline constexpr Name name{"DefaultFontName"};
inline constexpr Name size{"DefaultFontSize"};
inline constexpr Name bold{"DefaultFontBold"};
inline constexpr Name italic{"DefaultFontItalic"};
} // namespace font

namespace envelopeFeed {
inline constexpr Name section{"Envelope Feed"};
inline constexpr Name orientation{"Orientation"};
inline constexpr Name facing{"Facing"};
inline constexpr Name position{"Position"};
inline constexpr Name clockWiseRotation{"ClockWiseRotation"};
} // namespace envelopeFeed

namespace envelopePrinter {
inline constexpr Name section{"Envelope Printer"};
inline constexpr Name printer{"Printer"};
inline constexpr Name bin{"Bin"};
inline constexpr Name paper{"Paper"};
inline constexpr Name orientation{"Orientation"};
} // namespace envelopePrinter
} // namespace ini

// The write functions return false when the file could not be written; keys
// written before the failure stay written.

// Section "Adding": what happens when a new record is added.
struct AddingPreferences {
    bool plugDate = false;        // today's date into DATE
    bool plugCityState = false;   // ask for a zip first, fill city and state
    bool autoDupCheck = false;    // ask for the names first, warn of a duplicate
    QString defaultCountry;

    // Fields copied from the record that was current.
    struct Carry {
        bool org = false, street = false, street2 = false, city = false, state = false, zip = false, country = false;
        bool operator==(const Carry&) const = default;
    } carry;

    // Fields left out of the tab order while a new record is typed.
    struct Skip {
        bool organization = false, phone1 = false, email = false, state = false, zip = false, country = false,
             address2 = false, lastName = false, middleInitial = false, firstName = false, title = false,
             phone2 = false, fax = false, codes = false, prefix = false, comments1 = false, date = false,
             comments2 = false;
        bool operator==(const Skip&) const = default;
    } skip;

    static AddingPreferences read(const Settings& settings);
    bool write(Settings& settings) const;
    bool operator==(const AddingPreferences&) const = default;
};

// Section "Editing".
struct EditingPreferences {
    // 0 never, 1 close and reopen the database after every 5 saves, 2 after every save.
    int aggressiveSave = 1;

    static EditingPreferences read(const Settings& settings);
    bool write(Settings& settings) const;
    bool operator==(const EditingPreferences&) const = default;
};

// Section "Misc".
struct MiscPreferences {
    bool gettingStarted = false;   // true: the Getting Started window is not shown at start-up
    QString globalTagId;

    // A missing or empty "GlobalTagId" gives a new identifier for now (not written).
    static MiscPreferences read(const Settings& settings, const QDateTime& now = QDateTime::currentDateTime());
    bool write(Settings& settings) const;
    bool operator==(const MiscPreferences&) const = default;
};

// The tag identifier in use: "GlobalTagId", or, when it is missing, a new one
// for now that is written back so the key exists from the first start on. An
// empty value counts as missing: with an empty identifier every untagged
// record (blank TAG) would show as tagged.
QString readGlobalTagId(Settings& settings, const QDateTime& now = QDateTime::currentDateTime());
bool writeGlobalTagId(Settings& settings, const QString& id);

// What the main window reads at start-up and whenever the Preferences dialog
// closes. Reading settles "GlobalTagId" as readGlobalTagId does.
struct MainWindowPreferences {
    AddingPreferences adding;
    EditingPreferences editing;
    MiscPreferences misc;

    static MainWindowPreferences read(Settings& settings, const QDateTime& now = QDateTime::currentDateTime());
};

// Section "Dialing": the phone dialler.
struct DialingPreferences {
    QString prefix;   // dialled before the number
    QString init;     // modem initialisation string
    int port = 0;     // 0 = COM 1 .. 3 = COM 4
    int method = 0;   // 0 tone, 1 pulse
    bool useTapi = false;
    // A serial device dialled instead of the COM port ("/dev/ttyACM0"); empty
    // for the COM port of "Port".
    QString device;

    static DialingPreferences read(const Settings& settings);
    bool write(Settings& settings) const;
    bool operator==(const DialingPreferences&) const = default;
};

enum class DesignKind { Label, Envelope, Letter };

// Sections "Label", "Envelope", "Letter": the font new design objects start with.
struct DefaultFontPreferences {
    QString name = QStringLiteral("Arial");
    int size = 10;
    bool bold = false;
    bool italic = false;

    static QLatin1StringView section(DesignKind kind);
    static DefaultFontPreferences read(const Settings& settings, DesignKind kind);
    bool write(Settings& settings, DesignKind kind) const;
    bool operator==(const DefaultFontPreferences&) const = default;
};

// Section "Envelope Feed": how the printer takes envelopes.
struct EnvelopeFeedPreferences {
    int orientation = 1;   // 0 portrait, 1 landscape
    int facing = 1;        // 0 up, 1 down
    int position = 2;      // 0 left, 1 right, 2 centre
    bool clockWiseRotation = false;

    static EnvelopeFeedPreferences read(const Settings& settings);
    bool write(Settings& settings) const;
    bool operator==(const EnvelopeFeedPreferences&) const = default;
};

// Section "Envelope Printer". A missing key means "keep what the selected
// printer has", so each value is optional; write stores only those present.
struct EnvelopePrinterPreferences {
    std::optional<QString> printer;   // printer list entry: device name, " on ", port
    std::optional<QString> bin;       // paper source name
    std::optional<QString> paper;     // paper name
    std::optional<int> orientation;   // 0 portrait, 1 landscape

    static EnvelopePrinterPreferences read(const Settings& settings);
    bool write(Settings& settings) const;
    bool operator==(const EnvelopePrinterPreferences&) const = default;
};

} // namespace qb
