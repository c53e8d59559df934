// Addresses in the postal standard's form: the standard's own examples and
// rules over the shipped tables, and a large list with planted variants.
#include "utilities/address_standard.h"
#include "utilities/duplicate_check.h"
#include "utilities/temporary_index.h"
#include "utilities_fixture.h"

#include "platform/xbase/table.h"

#include <map>
#include <set>

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

// Ten thousand records in standard form with variants planted among them:
// every variant is found and nothing else is touched, in the plan or on disk.
TEST(AddressStandard, FindsEveryPlantedVariantAndChangesNothingElse)
{
    struct Plant {
        const char* field;
        const char* variant;
        const char* standard;   // nullptr: listed as unreadable, never changed
    };
    const Plant plants[] = {
        {"STREET", "12 North Main Street", "12 N MAIN ST"},
        {"STREET", "9 Elm Avenue Apt. 4", "9 ELM AVE APT 4"},
        {"STREET", "40 oak blvd", "40 OAK BLVD"},
        {"STREET", "77 Pine Rd., Suite 9", "77 PINE RD STE 9"},
        {"STREET", "PO Box 17", nullptr},
        {"STREET2", "Apartment 12B", "APT 12B"},
        {"STREET2", "c/o Smith & Co", nullptr},
        {"CITY", "St. Paul", "ST PAUL"},
        {"STATE", "Minnesota", "MN"},
        {"STATE", "mn", "MN"},
        {"STATE", "Minn", nullptr},
    };
    UtilityDatabase db;
    xbase::Table& t = db.t();
    std::map<std::pair<uint32_t, std::string>, const Plant*> planted;
    for (uint32_t r = 1; r <= 10000; ++r) {
        Row row{{"LNAME", "NAME" + std::to_string(r)},
                {"FNAME", "Ann"},
                {"STREET", std::to_string(r) + " MAIN ST"},
                {"STREET2", r % 3 ? "" : "APT " + std::to_string(r % 50)},
                {"CITY", "ST PAUL"},
                {"STATE", "MN"},
                {"ZIP", "55101"},
                {"USER1", "Street Avenue, North."}};   // not an address field: never standardized
        if (r % 89 == 0) {
            const Plant& p = plants[(r / 89) % std::size(plants)];
            row[p.field] = p.variant;
            if (r % 5 == 0)
                row["ISDEL"] = "T";   // flagged deleted: left alone
            else
                planted[{r, p.field}] = &p;
        }
        addRow(t, row);
    }
    std::vector<std::vector<std::string>> before;
    for (uint32_t r = 1; r <= t.recordCount(); ++r) {
        t.go(r);
        std::vector<std::string> fields;
        for (const auto& f : t.fieldDefs())
            fields.push_back(t.raw(f.name));
        before.push_back(fields);
    }

    const StandardPlan plan = planStandardChanges(t, shipped());
    ASSERT_TRUE(plan.error.isEmpty()) << plan.error.toStdString();
    size_t changes = 0, unreadable = 0;
    for (const auto& [at, plant] : planted)
        (plant->standard ? changes : unreadable)++;
    ASSERT_EQ(plan.changes.size(), changes);
    ASSERT_EQ(plan.unreadable.size(), unreadable);
    for (const StandardChange& c : plan.changes) {
        const auto it = planted.find({c.recno, c.field.toStdString()});
        ASSERT_NE(it, planted.end()) << c.recno << ' ' << c.field.toStdString();
        EXPECT_EQ(c.before.toStdString(), it->second->variant);
        EXPECT_EQ(c.after.toStdString(), it->second->standard ? it->second->standard : "");
    }
    for (const StandardChange& c : plan.unreadable) {
        const auto it = planted.find({c.recno, c.field.toStdString()});
        ASSERT_NE(it, planted.end()) << c.recno << ' ' << c.field.toStdString();
        EXPECT_EQ(it->second->standard, nullptr);
    }

    const BulkOutcome outcome = applyStandardChanges(t, plan.changes);
    EXPECT_TRUE(outcome.ok());
    EXPECT_EQ(outcome.changed, changes);   // each planted record holds one variant
    const auto defs = t.fieldDefs();
    for (uint32_t r = 1; r <= t.recordCount(); ++r) {
        t.go(r);
        for (size_t f = 0; f < defs.size(); ++f) {
            const auto it = planted.find({r, defs[f].name});
            if (it != planted.end() && it->second->standard)
                EXPECT_EQ(t.text(defs[f].name), it->second->standard) << r;
            else
                ASSERT_EQ(t.raw(defs[f].name), before[r - 1][f]) << r << ' ' << defs[f].name;
        }
    }
}

// The street check over standardized streets finds a street written two ways;
// the plain check does not, and a street it cannot read is compared as it is.
TEST(AddressStandard, DuplicateCheckComparesStandardStreets)
{
    const std::vector<Row> rows = {
        {{"LNAME", "Smith"}, {"STREET", "123 North Main Street, Apt 4"}},   // 1
        {{"LNAME", "Smyth"}, {"STREET", "123 N MAIN ST APT 4"}},            // 2
        {{"LNAME", "Jones"}, {"STREET", "PO Box 5"}},                       // 3
        {{"LNAME", "Brown"}, {"STREET", "P.O. Box 5"}},                     // 4: not read, so not the same
        {{"LNAME", "Green"}, {"STREET", "9 Elm Avenue"}},                   // 5
    };
    for (const bool standard : {false, true}) {
        UtilityDatabase db(rows);
        db.t().setFilter("!ISDEL");
        TemporaryIndex result(db.t(), duplicateIndexPath(), duplicateIndexExpression(DuplicateKind::Street));
        const DuplicateOutcome outcome =
            checkDuplicates(db.t(), DuplicateKind::Street, kMaxStreetCharacters, result, {}, {}, standard ? &shipped() : nullptr);
        ASSERT_TRUE(outcome.error.isEmpty());
        db.t().selectOrder(result.order());
        EXPECT_EQ(outcome.found, standard ? 1u : 0u);
        const std::vector<uint32_t> shown = db.shown();
        EXPECT_EQ(std::set<uint32_t>(shown.begin(), shown.end()), (standard ? std::set<uint32_t>{1, 2} : std::set<uint32_t>{}));
    }
}
