// qbtool's utility commands: the same rules as the windows, plain output.
#include "utilities_fixture.h"

#include "core/system_tables.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <sys/wait.h>

using namespace qb;
using namespace qb::test;

namespace {

std::pair<int, std::string> qbtool(const std::string& args)
{
    std::string out;
    FILE* p = ::popen((std::string(QB_QBTOOL) + " " + args + " 2>/dev/null").c_str(), "r");
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
        out.append(buf, n);
    const int raw = ::pclose(p);
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, out};
}

} // namespace

TEST(QbtoolUtilities, CountsChecksAndListsDuplicates)
{
    UtilityDatabase db({{{"LNAME", "Smith"}, {"FNAME", "John"}, {"STREET", "1 Elm"}, {"STATE", "NY"}, {"ZIP", "12345"}},
                        {{"LNAME", "SMITH"}, {"FNAME", "Jane"}, {"STREET", "2 Oak"}, {"STATE", "NY"}, {"ZIP", "99999"}},
                        {{"LNAME", "Brown"}, {"FNAME", "Al"}, {"STREET", "1 ELM"}, {"STATE", "ZZ"}, {"ZIP", "12345"}}});
    QDir().mkpath(db.program.folder() + "sysdata");
    {
        auto csz = xbase::Table::create((db.program.folder() + "sysdata/CSZ.DBF").toStdString(), systemTableFields(SystemTable::CityStateZip));
        csz->appendBlank();
        csz->setText("STATE", "NY");
        csz->setText("LOW_ZIP", "10000");
        csz->setText("HIGH_ZIP", "14999");
        csz->post();
    }
    // Flagged deleted without the engine's mark (as a program stopped half-way
    // leaves it): never counted.
    addRow(db.t(), {{"LNAME", "Flagged"}, {"ZIP", "55555"}});
    db.t().edit();
    db.t().setLogical("ISDEL", true);
    db.t().post();
    ASSERT_FALSE(db.t().deleted());
    db.table.close();
    const std::string file = db.path.toStdString();
    EXPECT_EQ(qbtool("zipcount " + file), std::make_pair(0, std::string("12345     2\n99999     1\n\n\n")));
    EXPECT_EQ(qbtool("zipcount " + file + " --filter \"ZIP='5'\"").second, "\n\n");
    EXPECT_EQ(qbtool("statezip " + file + " --program " + db.program.folder().toStdString()),
              std::make_pair(0, std::string("3\tBrown\t1 ELM\tZZ\t12345\n2\tSMITH\t2 Oak\tNY\t99999\nfound 2\n")));
    // Without --program, the reference that ships beside qbtool, as the program finds it.
    EXPECT_EQ(qbtool("statezip " + file),
              std::make_pair(0, std::string("3\tBrown\t1 ELM\tZZ\t12345\n2\tSMITH\t2 Oak\tNY\t99999\nfound 2\n")));
    EXPECT_EQ(qbtool("duplicates " + file + " --kind initial"),
              std::make_pair(0, std::string("2\tSMITH\t2 Oak\tNY\t99999\n1\tSmith\t1 Elm\tNY\t12345\nfound 1\n")));
    EXPECT_EQ(qbtool("duplicates " + file + " --kind street --chars 5").second,
              "1\tSmith\t1 Elm\tNY\t12345\n3\tBrown\t1 ELM\tZZ\t12345\nfound 1\n");
    EXPECT_EQ(qbtool("duplicates " + file + " --kind nonsense").first, 1);
    EXPECT_FALSE(QFile::exists(db.program.data("add0001_chksz.idx")));
    EXPECT_FALSE(QFile::exists(db.program.data("_chkdup.idx")));
}

TEST(QbtoolUtilities, StandardizePrintsTheChangesAndAppliesThemOnlyWhenAsked)
{
    UtilityDatabase db({{{"LNAME", "Smith"}, {"STREET", "123 North Main Street, Apt 4"}, {"CITY", "St. Paul"}, {"STATE", "Minnesota"}},
                        {{"LNAME", "Brown"}, {"STREET", "PO Box 9"}, {"CITY", "ST PAUL"}, {"STATE", "MN"}},
                        {{"LNAME", "Green"}, {"STREET", "5 Elm Ave"}, {"CITY", "ST PAUL"}, {"STATE", "MN"}, {"ISDEL", "T"}}});
    db.table.close();
    const std::string file = db.path.toStdString();
    const std::string listed = "1\tSTREET\t123 North Main Street, Apt 4\t123 N MAIN ST APT 4\n"
                               "1\tCITY\tSt. Paul\tST PAUL\n"
                               "1\tSTATE\tMinnesota\tMN\n"
                               "2\tSTREET\tPO Box 9\tleft as it is\n"
                               "3 changes, 1 left as they are\n";
    EXPECT_EQ(qbtool("standardize " + file), std::make_pair(0, listed));
    EXPECT_EQ(qbtool("standardize " + file), std::make_pair(0, listed));   // nothing written without --apply
    EXPECT_EQ(qbtool("standardize " + file + " --apply"), std::make_pair(0, listed + "changed 1 record\n"));
    EXPECT_EQ(qbtool("standardize " + file),
              std::make_pair(0, std::string("2\tSTREET\tPO Box 9\tleft as it is\n0 changes, 1 left as they are\n")));
    EXPECT_EQ(qbtool("standardize " + db.program.data("missing.DBF").toStdString()).first, 1);
}

// A bulk change leaves a restore point; undo puts the table, memo and index
// back byte for byte, and a change that changed nothing leaves no point.
TEST(QbtoolUtilities, UndoPutsTheFilesBackByteForByte)
{
    UtilityDatabase db({{{"LNAME", "Smith"}, {"STREET", "12 North Main Street"}, {"MEMO", "a note"}},
                        {{"LNAME", "Brown"}, {"STREET", "5 ELM AVE"}, {"MEMO", "another"}}});
    db.table.close();
    const std::string file = db.path.toStdString();
    auto bytes = [&](const char* ext) {
        QFile f(db.program.data(QStringLiteral("add0001.") + ext));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << ext;
        return f.readAll();
    };
    const QByteArray dbf = bytes("DBF"), fpt = bytes("FPT"), cdx = bytes("CDX");
    ASSERT_FALSE(fpt.isEmpty());
    EXPECT_EQ(qbtool("undo " + file).first, 1);   // nothing to undo yet
    ASSERT_EQ(qbtool("standardize " + file + " --apply").first, 0);
    EXPECT_NE(bytes("DBF"), dbf);
    const auto listed = qbtool("undo " + file + " --list");
    EXPECT_EQ(listed.first, 0);
    EXPECT_NE(listed.second.find("\tStandardize Addresses\t1 record\n"), std::string::npos) << listed.second;
    EXPECT_EQ(qbtool("undo " + file), std::make_pair(0, std::string("undid Standardize Addresses: 2 records\n")));
    EXPECT_EQ(bytes("DBF"), dbf);
    EXPECT_EQ(bytes("FPT"), fpt);
    EXPECT_EQ(bytes("CDX"), cdx);
    EXPECT_EQ(qbtool("undo " + file + " --list"), std::make_pair(0, std::string()));
    // Already standard after a second apply: the first apply's point is the only one.
    ASSERT_EQ(qbtool("standardize " + file + " --apply").first, 0);
    ASSERT_EQ(qbtool("standardize " + file + " --apply").first, 0);
    const auto again = qbtool("undo " + file + " --list");
    EXPECT_EQ(std::count(again.second.begin(), again.second.end(), '\n'), 1) << again.second;
}
