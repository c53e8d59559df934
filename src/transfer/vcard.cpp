#include "transfer/vcard.h"

#include "platform/xbase/codepage.h"
#include "transfer/import_date.h"
#include "transfer/transfer_error.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace qb {

namespace {

std::string upper(std::string s)
{
    for (char& c : s)
        c = xbase::asciiUpper(c);
    return s;
}

std::string trimmed(std::string_view s)
{
    const size_t from = s.find_first_not_of(" \t");
    if (from == std::string::npos)
        return {};
    return std::string(s.substr(from, s.find_last_not_of(" \t") - from + 1));
}

bool startsWithNoCase(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() && xbase::equalsIgnoreCase(s.substr(0, prefix.size()), prefix);
}

// Splits at separator outside double quotes.
std::vector<std::string> splitOutsideQuotes(std::string_view s, char separator)
{
    std::vector<std::string> out(1);
    bool quoted = false;
    for (char c : s) {
        if (c == '"')
            quoted = !quoted;
        if (c == separator && !quoted)
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = xbase::asciiUpper(c);
    return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

std::string quotedPrintable(std::string_view s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '=' && i + 2 < s.size() && hexDigit(s[i + 1]) >= 0 && hexDigit(s[i + 2]) >= 0) {
            out += char(hexDigit(s[i + 1]) * 16 + hexDigit(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

// Splits a structured value at ';' not escaped by '\'.
std::vector<std::string> splitParts(std::string_view s)
{
    std::vector<std::string> out(1);
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            out.back() += s[i];
            out.back() += s[++i];
        } else if (s[i] == ';') {
            out.emplace_back();
        } else {
            out.back() += s[i];
        }
    }
    return out;
}

std::string unescape(std::string_view s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            const char c = s[++i];
            out += c == 'n' || c == 'N' ? '\n' : c;
        } else {
            out += s[i];
        }
    }
    return out;
}

bool binaryProperty(const std::string& name) { return name == "PHOTO" || name == "LOGO" || name == "SOUND" || name == "KEY"; }
bool structured(const std::string& name) { return name == "N" || name == "ADR" || name == "ORG"; }

std::optional<VCardProperty> parseProperty(const std::string& line)
{
    // The name and parameters end at the first ':' outside quotes.
    size_t colon = std::string::npos;
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted) {
            colon = i;
            break;
        }
    }
    if (colon == std::string::npos)
        return std::nullopt;
    std::vector<std::string> head = splitOutsideQuotes(std::string_view(line).substr(0, colon), ';');
    VCardProperty p;
    p.name = upper(trimmed(head[0]));
    if (const size_t dot = p.name.rfind('.'); dot != std::string::npos)
        p.name = p.name.substr(dot + 1);
    if (binaryProperty(p.name))
        return std::nullopt;
    std::string encoding, charset;
    bool preferred = false;
    for (size_t k = 1; k < head.size(); ++k) {
        const std::string param = trimmed(head[k]);
        const size_t eq = param.find('=');
        std::string key = upper(trimmed(param.substr(0, eq)));
        std::string value = eq == std::string::npos ? std::string() : trimmed(param.substr(eq + 1));
        value.erase(std::remove(value.begin(), value.end(), '"'), value.end());
        if (eq == std::string::npos) {
            // vCard 2.1 names types and encodings without a key.
            if (key == "QUOTED-PRINTABLE" || key == "BASE64" || key == "B")
                encoding = key;
            else
                p.types.push_back(key);
        } else if (key == "ENCODING") {
            encoding = upper(value);
        } else if (key == "CHARSET") {
            charset = upper(value);
        } else if (key == "TYPE") {
            for (const std::string& t : splitOutsideQuotes(value, ','))
                p.types.push_back(upper(trimmed(t)));
        } else if (key == "PREF") {
            preferred = true;
        }
    }
    if (preferred)
        p.types.emplace_back("PREF");
    if (encoding == "BASE64" || encoding == "B")
        return std::nullopt;
    std::string value = line.substr(colon + 1);
    if (encoding == "QUOTED-PRINTABLE")
        value = quotedPrintable(value);
    const bool utf8 = validUtf8(value);
    if (charset == "ISO-8859-1" || charset == "WINDOWS-1252" || charset == "CP1252" || (!utf8))
        value = xbase::cp1252ToUtf8(value);
    if (structured(p.name))
        for (const std::string& part : splitParts(value))
            p.parts.push_back(unescape(part));
    else
        p.parts.push_back(unescape(value));
    // vCard 4.0 gives phones as tel: addresses.
    if (p.name == "TEL" && startsWithNoCase(p.parts[0], "tel:"))
        p.parts[0] = p.parts[0].substr(4);
    return p;
}

std::string part(const VCardProperty& p, size_t i) { return i < p.parts.size() ? trimmed(p.parts[i]) : std::string(); }

// The properties of a name, the preferred ones first.
std::vector<const VCardProperty*> byPreference(const VCard& card, const char* name, bool fax = false)
{
    std::vector<const VCardProperty*> out;
    for (const VCardProperty& p : card.properties)
        if (p.name == name && !part(p, 0).empty() && (std::string(name) != "TEL" || p.hasType("FAX") == fax))
            out.push_back(&p);
    std::stable_partition(out.begin(), out.end(), [](const VCardProperty* p) { return p->preferred(); });
    return out;
}

std::string typeText(const VCardProperty& p)
{
    std::string out;
    for (const std::string& t : p.types)
        if (t != "PREF" && t != "VOICE" && t != "INTERNET" && t != "X400")
            out += (out.empty() ? "" : ", ") + QString::fromStdString(t).toLower().toStdString();
    return out.empty() ? std::string() : " (" + out + ")";
}

std::string addressText(const VCardProperty& adr)
{
    std::string out;
    for (size_t i : {size_t(0), size_t(1), size_t(2), size_t(3), size_t(4), size_t(5), size_t(6)}) {
        std::string v = part(adr, i);
        std::replace(v.begin(), v.end(), '\n', ' ');
        if (!v.empty())
            out += (out.empty() ? "" : ", ") + v;
    }
    return out;
}

std::string escapeText(std::string_view s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n')
            continue;
        if (c == '\\' || c == ',' || c == ';')
            out += '\\', out += c;
        else if (c == '\n' || c == '\r')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

// Folds a content line at 75 bytes without cutting a character.
void appendFolded(std::string& out, const std::string& line)
{
    size_t start = 0, width = 75;
    while (line.size() - start > width) {
        size_t cut = start + width;
        while (cut > start && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut;
        out.append(line, start, cut - start);
        out += "\r\n ";
        start = cut;
        width = 74;
    }
    out.append(line, start, std::string::npos);
    out += "\r\n";
}

} // namespace

bool VCardProperty::hasType(const char* type) const { return std::find(types.begin(), types.end(), type) != types.end(); }
bool VCardProperty::preferred() const { return hasType("PREF"); }

const VCardProperty* VCard::first(const char* name) const
{
    for (const VCardProperty& p : properties)
        if (p.name == name)
            return &p;
    return nullptr;
}

VCardReader::VCardReader(std::unique_ptr<std::istream> in, std::string name) : in_(std::move(in)), name_(std::move(name)) {}

VCardReader::VCardReader(const std::string& path) : VCardReader(std::make_unique<std::ifstream>(path, std::ios::binary), path)
{
    if (!*in_)
        throw TransferError(path + ": the file cannot be read");
}

VCardReader VCardReader::fromText(std::string text, const std::string& name)
{
    return VCardReader(std::make_unique<std::istringstream>(std::move(text)), name);
}

VCardReader::~VCardReader() = default;
VCardReader::VCardReader(VCardReader&&) noexcept = default;

bool VCardReader::physical(std::string& line)
{
    if (haveAhead_) {
        line = std::move(ahead_);
        haveAhead_ = false;
        return true;
    }
    if (!std::getline(*in_, line))
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    ++lineNumber_;
    return true;
}

bool VCardReader::logical(std::string& line, uint64_t& number)
{
    if (!physical(line))
        return false;
    number = lineNumber_;
    const size_t colon = line.find(':');
    const bool qp = colon != std::string::npos && upper(line.substr(0, colon)).find("QUOTED-PRINTABLE") != std::string::npos;
    bool tooLong = false;
    std::string more;
    while (physical(more)) {
        if (!more.empty() && (more[0] == ' ' || more[0] == '\t')) {
            if (line.size() + more.size() > kMaxLine)
                tooLong = true;
            else
                line.append(more, 1, std::string::npos);
        } else if (qp && !line.empty() && line.back() == '=') {
            line.pop_back();
            if (line.size() + more.size() > kMaxLine)
                tooLong = true;
            else
                line += more;
        } else {
            ahead_ = std::move(more);
            haveAhead_ = true;
            break;
        }
    }
    if (tooLong)
        line.clear();
    return true;
}

bool VCardReader::next(VCard& card)
{
    card = VCard{};
    std::string line;
    uint64_t number = 0;
    bool inside = false;
    while (logical(line, number)) {
        const std::string t = upper(trimmed(line));
        if (!inside) {
            if (t == "BEGIN:VCARD") {
                inside = true;
                card.line = number;
            }
            continue;
        }
        if (t == "END:VCARD")
            return true;
        if (card.properties.size() >= kMaxProperties)
            continue;
        if (auto p = parseProperty(line))
            card.properties.push_back(std::move(*p));
    }
    return inside;
}

bool looksLikeVCard(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        std::string t = trimmed(line);
        if (!t.empty() && t.back() == '\r')
            t = trimmed(t.substr(0, t.size() - 1));
        if (t.rfind("\xEF\xBB\xBF", 0) == 0)
            t = t.substr(3);
        if (!t.empty())
            return xbase::equalsIgnoreCase(t, "BEGIN:VCARD");
    }
    return false;
}

std::vector<std::pair<std::string, std::string>> addressOfCard(const VCard& card, std::vector<std::string>& notes,
                                                               const std::string& where)
{
    std::vector<std::pair<std::string, std::string>> out;
    const auto set = [&](const char* field, std::string value) {
        if (!trimmed(value).empty())
            out.emplace_back(field, trimmed(value));
    };
    std::vector<std::string> memo;

    const VCardProperty* n = card.first("N");
    const VCardProperty* org = card.first("ORG");
    if (n && (!part(*n, 0).empty() || !part(*n, 1).empty())) {
        set("LNAME", part(*n, 0));
        set("FNAME", part(*n, 1));
        if (const std::string middle = part(*n, 2); !middle.empty())
            set("MIDDLE", QString::fromStdString(middle).left(1).toUpper().toStdString());
        set("PREFIX", part(*n, 3));
    } else if (const VCardProperty* fn = card.first("FN"); fn && (!org || part(*fn, 0) != part(*org, 0))) {
        const std::string full = part(*fn, 0);
        const size_t space = full.rfind(' ');
        set("LNAME", space == std::string::npos ? full : full.substr(space + 1));
        if (space != std::string::npos)
            set("FNAME", full.substr(0, space));
    }
    if (org)
        set("ORG", part(*org, 0));
    if (const VCardProperty* title = card.first("TITLE"))
        set("TITLE", part(*title, 0));

    std::vector<const VCardProperty*> addresses;
    for (const VCardProperty& p : card.properties)
        if (p.name == "ADR" && !addressText(p).empty())
            addresses.push_back(&p);
    std::stable_partition(addresses.begin(), addresses.end(), [](const VCardProperty* p) { return p->preferred(); });
    if (!addresses.empty()) {
        const VCardProperty& adr = *addresses.front();
        const QStringList streetLines = QString::fromStdString(part(adr, 2)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QStringList second = streetLines.mid(1);
        for (size_t i : {size_t(1), size_t(0)})
            if (const std::string v = part(adr, i); !v.empty())
                second << QString::fromStdString(i == 0 ? "PO Box " + v : v);
        set("STREET", streetLines.isEmpty() ? std::string() : streetLines.front().trimmed().toStdString());
        set("STREET2", second.join(QStringLiteral(", ")).toStdString());
        set("CITY", part(adr, 3));
        set("STATE", part(adr, 4));
        set("ZIP", part(adr, 5));
        set("COUNTRY", part(adr, 6));
        for (size_t i = 1; i < addresses.size(); ++i)
            memo.push_back("Address" + typeText(*addresses[i]) + ": " + addressText(*addresses[i]));
    }

    const auto phones = byPreference(card, "TEL");
    for (size_t i = 0; i < phones.size(); ++i) {
        if (i < 2)
            set(i == 0 ? "PHONE" : "PHONE2", part(*phones[i], 0));
        else
            memo.push_back("Phone" + typeText(*phones[i]) + ": " + part(*phones[i], 0));
    }
    const auto faxes = byPreference(card, "TEL", true);
    for (size_t i = 0; i < faxes.size(); ++i) {
        if (i == 0)
            set("FAX", part(*faxes[i], 0));
        else
            memo.push_back("Fax" + typeText(*faxes[i]) + ": " + part(*faxes[i], 0));
    }
    const auto mails = byPreference(card, "EMAIL");
    for (size_t i = 0; i < mails.size(); ++i) {
        if (i == 0)
            set("EMAIL", part(*mails[i], 0));
        else
            memo.push_back("E-mail" + typeText(*mails[i]) + ": " + part(*mails[i], 0));
    }
    if (const VCardProperty* categories = card.first("CATEGORIES"))
        set("CODES", part(*categories, 0));
    if (const VCardProperty* bday = card.first("BDAY")) {
        if (const auto d = importDate(part(*bday, 0)))
            set("DATE", *d);
        else
            notes.push_back(where + ", Actual Date: \"" + part(*bday, 0) + "\" is not a date; left empty");
    }
    std::string text;
    if (const VCardProperty* note = card.first("NOTE"))
        text = QString::fromStdString(part(*note, 0)).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).toStdString();
    for (const std::string& m : memo)
        text += (text.empty() ? "" : "\n") + m;
    if (!text.empty())
        out.emplace_back("MEMO", QString::fromStdString(text).replace(QLatin1Char('\n'), QStringLiteral("\r\n")).toStdString());
    return out;
}

VCardImportSource::VCardImportSource(std::string path, const xbase::Table& destination)
    : path_(std::move(path)), destination_(destination)
{
}

void VCardImportSource::restart()
{
    reader_ = std::make_unique<VCardReader>(path_);
    cards_ = 0;
}

bool VCardImportSource::next(std::vector<ImportValue>& values)
{
    values.clear();
    notes_.clear();
    if (!reader_)
        restart();
    VCard card;
    if (!reader_->next(card))
        return false;
    ++cards_;
    line_ = card.line;
    for (auto& [field, value] : addressOfCard(card, notes_, where()))
        if (const int index = destination_.fieldIndex(field); index >= 0)
            values.push_back({index, std::move(value)});
    return true;
}

std::string VCardImportSource::where() const { return "card " + std::to_string(cards_) + " (line " + std::to_string(line_) + ")"; }

std::string vcardOfRecord(const xbase::Table& t)
{
    const auto field = [&](const char* name) { return t.fieldIndex(name) >= 0 ? t.text(name) : std::string(); };
    std::string out;
    const auto line = [&](const std::string& text) { appendFolded(out, text); };
    line("BEGIN:VCARD");
    line("VERSION:3.0");
    const std::string last = field("LNAME"), first = field("FNAME"), middle = field("MIDDLE"), prefix = field("PREFIX");
    line("N:" + escapeText(last) + ";" + escapeText(first) + ";" + escapeText(middle) + ";" + escapeText(prefix) + ";");
    std::string full;
    for (const std::string& p : {prefix, first, middle, last})
        if (!p.empty())
            full += (full.empty() ? "" : " ") + p;
    if (full.empty())
        full = field("ORG");
    line("FN:" + escapeText(full));
    if (const std::string org = field("ORG"); !org.empty())
        line("ORG:" + escapeText(org));
    if (const std::string title = field("TITLE"); !title.empty())
        line("TITLE:" + escapeText(title));
    const std::string street = field("STREET"), street2 = field("STREET2"), city = field("CITY"), state = field("STATE"),
                      zip = field("ZIP"), country = field("COUNTRY");
    if (!(street + street2 + city + state + zip + country).empty())
        line("ADR:;" + escapeText(street2) + ";" + escapeText(street) + ";" + escapeText(city) + ";" + escapeText(state) + ";" +
             escapeText(zip) + ";" + escapeText(country));
    for (const char* phone : {"PHONE", "PHONE2"})
        if (const std::string v = field(phone); !v.empty())
            line("TEL;TYPE=VOICE:" + escapeText(v));
    if (const std::string fax = field("FAX"); !fax.empty())
        line("TEL;TYPE=FAX:" + escapeText(fax));
    if (const std::string email = field("EMAIL"); !email.empty())
        line("EMAIL;TYPE=INTERNET:" + escapeText(email));
    if (const std::string codes = field("CODES"); !codes.empty())
        line("CATEGORIES:" + escapeText(codes));
    if (t.fieldIndex("MEMO") >= 0)
        if (const std::string memo = t.memo("MEMO"); !memo.empty())
            line("NOTE:" + escapeText(memo));
    line("END:VCARD");
    return out;
}

} // namespace qb
