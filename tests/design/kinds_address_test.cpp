// The address block's composition rules and the word wrap of multi-line text,
// as plain functions over a record of field texts.

#include "design/address_block.h"
#include "design/text_layout.h"

#include <QFontMetrics>
#include <gtest/gtest.h>
#include <map>

using namespace qb::design;

namespace {

using Record = std::map<std::string, QString>;

Record springfield()
{
    return {{"PREFIX", "Mr."},  {"FNAME", "John"},          {"MIDDLE", "Q"},      {"LNAME", "Smith"},
            {"TITLE", ""},      {"ORG", "Acme"},            {"STREET", "1 Elm"},  {"STREET2", ""},
            {"CITY", "Springfield"}, {"STATE", "IL"},       {"ZIP", "62701"},     {"COUNTRY", "Canada"},
            {"PHONE", "555-1234"}};
}

QStringList compose(const AddressOptions& o, const Record& r)
{
    return composeAddress(o, [&](const char* name) -> std::optional<QString> {
        const auto it = r.find(name);
        if (it == r.end())
            return std::nullopt;
        return it->second;
    });
}

struct Case {
    const char* what;
    std::function<void(AddressOptions&, Record&)> change;
    QStringList lines;
};

} // namespace

TEST(AddressBlock, ComposesLinesAsTheOptionsSay)
{
    const std::vector<Case> cases = {
        {"defaults: name with middle initial, city two blanks state one blank zip, country alone",
         [](AddressOptions&, Record&) {},
         {"Mr. John Q. Smith ", "Acme", "1 Elm", "Springfield  IL 62701", "Canada"}},
        {"no middle name leaves no gap", [](AddressOptions&, Record& r) { r["MIDDLE"] = ""; },
         {"Mr. John Smith ", "Acme", "1 Elm", "Springfield  IL 62701", "Canada"}},
        {"zip before city", [](AddressOptions& o, Record&) { o.zip = ZipOption::BeforeCity; },
         {"Mr. John Q. Smith ", "Acme", "1 Elm", "62701 Springfield IL ", "Canada"}},
        {"zip after country", [](AddressOptions& o, Record&) { o.zip = ZipOption::AfterCountry; },
         {"Mr. John Q. Smith ", "Acme", "1 Elm", "Springfield IL", "Canada 62701"}},
        {"zip before country", [](AddressOptions& o, Record&) { o.zip = ZipOption::BeforeCountry; },
         {"Mr. John Q. Smith ", "Acme", "1 Elm", "Springfield IL", "62701 Canada"}},
        {"no city line: the zip stands alone after the streets",
         [](AddressOptions& o, Record&) { o.useCityState = false; },
         {"Mr. John Q. Smith ", "Acme", "1 Elm", "62701", "Canada"}},
        {"no country line: the zip stands alone after the city",
         [](AddressOptions& o, Record&) { o.useCountry = false; o.zip = ZipOption::AfterCountry; },
         {"Mr. John Q. Smith ", "Acme", "1 Elm", "Springfield IL", "62701"}},
        {"an empty city leaves a leading blank", [](AddressOptions&, Record& r) { r["CITY"] = ""; },
         {"Mr. John Q. Smith ", "Acme", "1 Elm", " IL 62701", "Canada"}},
        {"phone last, upper case only a to z",
         [](AddressOptions& o, Record& r) { o.usePhone = true; o.upperCase = true; r["ORG"] = QString::fromUtf8("Caf\u00e9"); },
         {"MR. JOHN Q. SMITH ", QString::fromUtf8("CAF\u00e9"), "1 ELM", "SPRINGFIELD  IL 62701", "CANADA", "555-1234"}},
        {"every field empty gives no lines",
         [](AddressOptions&, Record& r) { for (auto& [k, v] : r) v.clear(); }, {}},
        {"a missing field stops the block where it stands",
         [](AddressOptions&, Record& r) { r.erase("STREET"); }, {"Mr. John Q. Smith ", "Acme"}},
    };
    for (const Case& c : cases) {
        AddressOptions o;
        Record r = springfield();
        c.change(o, r);
        EXPECT_EQ(compose(o, r), c.lines) << c.what;
    }
}

TEST(WordWrap, BreaksAtBlanksAndSplitsLongWords)
{
    QFont f(QStringLiteral("Liberation Mono"));
    f.setPixelSize(10);
    const QFontMetrics fm(f);
    const int ten = fm.horizontalAdvance(QStringLiteral("0123456789"));
    EXPECT_EQ(wrapLines({"one two three four"}, fm, ten), (QStringList{"one two", "three four"}));
    EXPECT_EQ(wrapLines({"abcdefghijklmno", "", "ok"}, fm, ten), (QStringList{"abcdefghij", "klmno", "", "ok"}));
    EXPECT_EQ(wrapLines({"fits"}, fm, ten), QStringList{"fits"});
}
