#include "core/preferences.h"

#include "core/tag_id.h"

namespace qb {

namespace {
using ini::Name;

template <typename Group>
struct BoolKey {
    Name key;
    bool Group::*field;
};

using Carry = AddingPreferences::Carry;
using Skip = AddingPreferences::Skip;

const BoolKey<Carry> kCarryKeys[] = {
    {ini::adding::carryOrg, &Carry::org},         {ini::adding::carrySA1, &Carry::street},
    {ini::adding::carrySA2, &Carry::street2},     {ini::adding::carryCity, &Carry::city},
    {ini::adding::carryState, &Carry::state},     {ini::adding::carryZip, &Carry::zip},
    {ini::adding::carryCountry, &Carry::country},
};

const BoolKey<Skip> kSkipKeys[] = {
    {ini::adding::skipOrganization, &Skip::organization},
    {ini::adding::skipPhone1, &Skip::phone1},
    {ini::adding::skipEmail, &Skip::email},
    {ini::adding::skipState, &Skip::state},
    {ini::adding::skipZip, &Skip::zip},
    {ini::adding::skipCountry, &Skip::country},
    {ini::adding::skipAddress2, &Skip::address2},
    {ini::adding::skipLastName, &Skip::lastName},
    {ini::adding::skipMiddleInitial, &Skip::middleInitial},
    {ini::adding::skipFirstName, &Skip::firstName},
    {ini::adding::skipTitle, &Skip::title},
    {ini::adding::skipPhone2, &Skip::phone2},
    {ini::adding::skipFax, &Skip::fax},
    {ini::adding::skipCodes, &Skip::codes},
    {ini::adding::skipPrefix, &Skip::prefix},
    {ini::adding::skipComments1, &Skip::comments1},
    {ini::adding::skipDate, &Skip::date},
    {ini::adding::skipComments2, &Skip::comments2},
};

// Collects the outcome of a run of writes: every key is attempted, the
// result says whether all of them reached the file.
class Writer {
public:
    Writer(Settings& settings, Name section) : settings_(settings), section_(section) {}
    Writer& string(Name key, const QString& v) { return note(settings_.setString(section_, key, v)); }
    Writer& integer(Name key, int v) { return note(settings_.setInteger(section_, key, v)); }
    Writer& boolean(Name key, bool v) { return note(settings_.setBoolean(section_, key, v)); }
    bool ok() const { return ok_; }

private:
    Writer& note(bool written)
    {
        ok_ = ok_ && written;
        return *this;
    }
    Settings& settings_;
    QString section_;
    bool ok_ = true;
};

std::optional<QString> optionalString(const Settings& s, Name section, Name key)
{
    if (!s.contains(section, key))
        return std::nullopt;
    return s.string(section, key);
}

// A value that is not a number counts as missing, like a missing key.
std::optional<int> optionalInteger(const Settings& s, Name section, Name key)
{
    const int a = s.integer(section, key, 0);
    const int b = s.integer(section, key, 1);
    if (a != b)
        return std::nullopt;
    return a;
}
} // namespace

AddingPreferences AddingPreferences::read(const Settings& s)
{
    namespace k = ini::adding;
    AddingPreferences p;
    p.plugDate = s.boolean(k::section, k::plugDate, false);
    p.plugCityState = s.boolean(k::section, k::plugCityState, false);
    p.autoDupCheck = s.boolean(k::section, k::autoDupCheck, false);
    p.defaultCountry = s.string(k::section, k::defaultCountry);
    for (const auto& entry : kCarryKeys)
        p.carry.*entry.field = s.boolean(k::section, entry.key, false);
    for (const auto& entry : kSkipKeys)
        p.skip.*entry.field = s.boolean(k::section, entry.key, false);
    return p;
}

bool AddingPreferences::write(Settings& s) const
{
    namespace k = ini::adding;
    Writer w(s, k::section);
    w.boolean(k::plugDate, plugDate).boolean(k::plugCityState, plugCityState).boolean(k::autoDupCheck, autoDupCheck);
    w.string(k::defaultCountry, defaultCountry);
    for (const auto& entry : kCarryKeys)
        w.boolean(entry.key, carry.*entry.field);
    for (const auto& entry : kSkipKeys)
        w.boolean(entry.key, skip.*entry.field);
    return w.ok();
}

EditingPreferences EditingPreferences::read(const Settings& s)
{
    return {s.integer(ini::editing::section, ini::editing::aggressiveSave, 1)};
}

bool EditingPreferences::write(Settings& s) const
{
    return s.setInteger(ini::editing::section, ini::editing::aggressiveSave, aggressiveSave);
}

MiscPreferences MiscPreferences::read(const Settings& s, const QDateTime& now)
{
    namespace k = ini::misc;
    MiscPreferences p;
    p.gettingStarted = s.boolean(k::section, k::gettingStarted, false);
    p.globalTagId = s.string(k::section, k::globalTagId);
    if (p.globalTagId.isEmpty())
        p.globalTagId = tagIdFor(now);
    return p;
}

bool MiscPreferences::write(Settings& s) const
{
    namespace k = ini::misc;
    return Writer(s, k::section).boolean(k::gettingStarted, gettingStarted).string(k::globalTagId, globalTagId).ok();
}

QString readGlobalTagId(Settings& s, const QDateTime& now)
{
    QString id = s.string(ini::misc::section, ini::misc::globalTagId);
    if (id.isEmpty()) {
        id = tagIdFor(now);
        writeGlobalTagId(s, id);
    }
    return id;
}

bool writeGlobalTagId(Settings& s, const QString& id) { return s.setString(ini::misc::section, ini::misc::globalTagId, id); }

MainWindowPreferences MainWindowPreferences::read(Settings& s, const QDateTime& now)
{
    MainWindowPreferences p{AddingPreferences::read(s), EditingPreferences::read(s), MiscPreferences::read(s, now)};
    p.misc.globalTagId = readGlobalTagId(s, now);
    return p;
}

DialingPreferences DialingPreferences::read(const Settings& s)
{
    namespace k = ini::dialing;
    DialingPreferences p;
    p.prefix = s.string(k::section, k::prefix);
    p.init = s.string(k::section, k::init);
    p.port = s.integer(k::section, k::port, 0);
    p.method = s.integer(k::section, k::method, 0);
    p.useTapi = s.boolean(k::section, k::useTapi, false);
    p.device = s.string(k::section, k::device);
    return p;
}

bool DialingPreferences::write(Settings& s) const
{
    namespace k = ini::dialing;
    return Writer(s, k::section)
        .string(k::prefix, prefix)
        .string(k::init, init)
        .integer(k::port, port)
        .integer(k::method, method)
        .boolean(k::useTapi, useTapi)
        .string(k::device, device)
        .ok();
}

QLatin1StringView DefaultFontPreferences::section(DesignKind kind)
{
    switch (kind) {
    case DesignKind::Label:
        return ini::font::labelSection;
    case DesignKind::Envelope:
        return ini::font::envelopeSection;
    case DesignKind::Letter:
        break;
    }
    return ini::font::letterSection;
}

DefaultFontPreferences DefaultFontPreferences::read(const Settings& s, DesignKind kind)
{
    namespace k = ini::font;
    const Name sec = section(kind);
    DefaultFontPreferences p;
    p.name = s.string(sec, k::name, p.name);
    p.size = s.integer(sec, k::size, p.size);
    p.bold = s.boolean(sec, k::bold, false);
    p.italic = s.boolean(sec, k::italic, false);
    return p;
}

bool DefaultFontPreferences::write(Settings& s, DesignKind kind) const
{
    namespace k = ini::font;
    return Writer(s, section(kind))
        .string(k::name, name)
        .integer(k::size, size)
        .boolean(k::bold, bold)
        .boolean(k::italic, italic)
        .ok();
}

EnvelopeFeedPreferences EnvelopeFeedPreferences::read(const Settings& s)
{
    namespace k = ini::envelopeFeed;
    EnvelopeFeedPreferences p;
    p.orientation = s.integer(k::section, k::orientation, p.orientation);
    p.facing = s.integer(k::section, k::facing, p.facing);
    p.position = s.integer(k::section, k::position, p.position);
    p.clockWiseRotation = s.boolean(k::section, k::clockWiseRotation, false);
    return p;
}

bool EnvelopeFeedPreferences::write(Settings& s) const
{
    namespace k = ini::envelopeFeed;
    return Writer(s, k::section)
        .integer(k::orientation, orientation)
        .integer(k::facing, facing)
        .integer(k::position, position)
        .boolean(k::clockWiseRotation, clockWiseRotation)
        .ok();
}

EnvelopePrinterPreferences EnvelopePrinterPreferences::read(const Settings& s)
{
    namespace k = ini::envelopePrinter;
    return {optionalString(s, k::section, k::printer), optionalString(s, k::section, k::bin), optionalString(s, k::section, k::paper),
            optionalInteger(s, k::section, k::orientation)};
}

bool EnvelopePrinterPreferences::write(Settings& s) const
{
    namespace k = ini::envelopePrinter;
    Writer w(s, k::section);
    if (printer)
        w.string(k::printer, *printer);
    if (bin)
        w.string(k::bin, *bin);
    if (paper)
        w.string(k::paper, *paper);
    if (orientation)
        w.integer(k::orientation, *orientation);
    return w.ok();
}

} // namespace qb
