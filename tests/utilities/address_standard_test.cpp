// Addresses in the postal standard's form: the standard's own examples and
// rules over the shipped tables, and a large list with planted variants.
#include "utilities/address_standard.h"
#include "utilities_fixture.h"

#include "platform/xbase/table.h"

#include <map>

using namespace qb;
using namespace qb::test;

namespace {

const AddressStandard& shipped()
{
    static const AddressStandard standard = [] {
        QString error;
        auto s = AddressStandard::load(QStringLiteral(QB_PROGRAM_DIR "/sysdata"), &error);
        if (!s)
            ADD_FAILURE() << error.toStdString();
        return s ? *s : AddressStandard({}, {});
    }();
    return standard;
}

struct Case {
    const char* in;
    const char* out;   // nullptr: cannot be read, stays as it is
};

} // namespace

TEST(AddressStandard, DeliveryLinesTakeTheStandardForm)
{
    const Case cases[] = {
        {"123 North Main Street, Apt 4", "123 N MAIN ST APT 4"},
        {"1356 Executive Drive, Suite 202", "1356 EXECUTIVE DR STE 202"},
        {"1600 Central Place Basement", "1600 CENTRAL PL BSMT"},
        {"55 Sylvan Boulevard Room 108", "55 SYLVAN BLVD RM 108"},
        {"233 South Wacker Drive", "233 S WACKER DR"},
        {"500 Elm Street Northeast", "500 ELM ST NE"},
        {"4 Northwest Hills Avenue", "4 NW HILLS AVE"},   // only the last of two suffix words is abbreviated
        {"12 Park Avenue", "12 PARK AVE"},
        {"10 North Street", "10 NORTH ST"},               // the directional is the street's name
        {"7 Ocean Av. Apt. #3B", "7 OCEAN AVE APT 3B"},   // the designator says what the number is
        {"8 Oak Ln #12", "8 OAK LN # 12"},                // no designator: the sign stays, apart
        {"1 Main St. Rear", "1 MAIN ST REAR"},
        {"100 Crossroads Crossing", "100 CROSSROADS XING"},
        {"742 Evergreen Terr", "742 EVERGREEN TER"},
        {"50 W. Broadway", "50 W BROADWAY"},
        {"123 1/2 Avenue B", "123 1/2 AVENUE B"},
        {"9 Meadow Mdw", "9 MEADOW MDW"},                 // MDW is MEADOW's own abbreviation
        {"31 Trailer Park Road Trailer 5", "31 TRAILER PARK RD TRLR 5"},
        {"123 N MAIN ST APT 4", "123 N MAIN ST APT 4"},
        {"Suite 200", "STE 200"},
        {"apartment 4", "APT 4"},
        {"", ""},
        {"PO Box 123", nullptr},
        {"Rural Route 2 Box 5", nullptr},
        {"The Old Mill", nullptr},
        {"123 Main St (back door)", nullptr},
        {"456 Main St Apt", nullptr},                     // a designator without its number
    };
    for (const Case& c : cases) {
        const StandardText got = shipped().addressLine(QString::fromUtf8(c.in));
        EXPECT_EQ(got.parsed, c.out != nullptr) << c.in;
        EXPECT_EQ(got.text.toStdString(), c.out ? c.out : c.in) << c.in;
    }
}

TEST(AddressStandard, StatesAndCities)
{
    const Case states[] = {{"California", "CA"}, {"ca", "CA"}, {"N.Y.", "NY"}, {"district of columbia", "DC"},
                           {"Puerto Rico", "PR"}, {"Calif", nullptr},      {"", ""}};
    for (const Case& c : states) {
        const StandardText got = shipped().state(QString::fromUtf8(c.in));
        EXPECT_EQ(got.parsed, c.out != nullptr) << c.in;
        EXPECT_EQ(got.text.toStdString(), c.out ? c.out : c.in) << c.in;
    }
    EXPECT_EQ(shipped().city(QStringLiteral("St. Louis")).text, QStringLiteral("ST LOUIS"));
    EXPECT_EQ(shipped().city(QStringLiteral("Winston-Salem")).text, QStringLiteral("WINSTON-SALEM"));
}
