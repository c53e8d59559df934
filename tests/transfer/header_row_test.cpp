// The first line of a text file as its columns' names: when it counts as
// such, and the match those names give, by the fields' own names and labels
// and by the header rows of the common address books' exports.

#include "transfer/header_row.h"
#include "transfer_fixture.h"

namespace qb {
namespace {

using test::AddressDatabase;
using Line = std::vector<std::string>;

TEST(HeaderRow, WhenTheFirstLineNamesTheColumns)
{
    AddressDatabase db;
    const auto fields = textImportFields(db.t());
    const struct {
        const char* name;
        Line first, second;
        bool names;
    } cases[] = {
        {"labels", {"Last Name", "First Name", "City"}, {"Smith", "Ann", "Dayton"}, true},
        {"field names, any case", {"lname", "FNAME", "zip"}, {"Smith", "Ann", "45401"}, true},
        {"an export's headers", {"Given Name", "Family Name", "E-mail 1 - Value", "Notes"}, {"Ann", "Smith", "a@b.c", ""}, true},
        {"more than half", {"Last Name", "First Name", "Favourite colour"}, {"Smith", "Ann", "red"}, true},
        {"half is not enough", {"Last Name", "Shoe size"}, {"Smith", "9"}, false},
        {"a record", {"Smith", "Ann", "Dayton"}, {"Jones", "Bo", "Troy"}, false},
        {"the second line names too", {"City", "State"}, {"City", "Zip"}, false},
        {"blanks around", {" Last Name ", "  "}, {"Smith", ""}, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(firstLineNamesColumns(c.first, c.second, fields), c.names) << c.name;
}

// The header rows as the exports write them: each recognised by its headers
// and its columns matched as that program names them.
TEST(HeaderRow, KnownExportsAreMatched)
{
    AddressDatabase db;
    const auto fields = textImportFields(db.t());
    const struct {
        const char* book;
        Line names;
        std::vector<std::string> fed;   // per column
    } cases[] = {
        {"Google Contacts",
         {"First Name", "Middle Name", "Last Name", "Name Prefix", "Organization Name", "Organization Title", "Birthday", "Notes",
          "E-mail 1 - Label", "E-mail 1 - Value", "Phone 1 - Label", "Phone 1 - Value", "Phone 2 - Label", "Phone 2 - Value",
          "Address 1 - Label", "Address 1 - Street", "Address 1 - City", "Address 1 - Region", "Address 1 - Postal Code",
          "Address 1 - Country", "Address 1 - Extended Address"},
         {"FNAME", "MIDDLE", "LNAME", "PREFIX", "ORG", "TITLE", "", "", "", "EMAIL", "", "PHONE", "", "PHONE2", "", "STREET", "CITY",
          "STATE", "ZIP", "COUNTRY", "STREET2"}},
        // Outlook's Title is the form of address; the job title has its own column.
        {"Outlook",
         {"Title", "First Name", "Middle Name", "Last Name", "Suffix", "Company", "Department", "Job Title", "Business Street",
          "Business City", "Business State", "Business Postal Code", "Business Country/Region", "Home Street", "Home City",
          "Home State", "Home Postal Code", "Home Country/Region", "Business Fax", "Business Phone", "Home Phone", "Mobile Phone",
          "E-mail Address"},
         {"PREFIX", "FNAME", "MIDDLE", "LNAME", "", "ORG", "", "TITLE", "", "", "", "", "", "STREET", "CITY", "STATE", "ZIP", "COUNTRY",
          "FAX", "", "PHONE", "PHONE2", "EMAIL"}},
        {"Thunderbird",
         {"First Name", "Last Name", "Display Name", "Nickname", "Primary Email", "Secondary Email", "Work Phone", "Home Phone",
          "Fax Number", "Mobile Number", "Home Address", "Home Address 2", "Home City", "Home State", "Home ZipCode", "Home Country",
          "Job Title", "Organization"},
         {"FNAME", "LNAME", "", "", "EMAIL", "", "", "PHONE", "FAX", "PHONE2", "STREET", "STREET2", "CITY", "STATE", "ZIP", "COUNTRY",
          "TITLE", "ORG"}},
        // Not an export: our own names and labels.
        {"", {"LNAME", "Zip/Postal Code", "Phone 1", "Whatever"}, {"LNAME", "ZIP", "PHONE", ""}},
    };
    for (const auto& c : cases) {
        const HeaderMatch m = matchHeaders(c.names, fields);
        EXPECT_EQ(m.book, c.book);
        EXPECT_EQ(m.fields, c.fed) << c.book;
    }
}

} // namespace
} // namespace qb
