// qbtool import and export: the counts on standard output, the messages on
// standard error with exit status 1.

#include "transfer_fixture.h"

#include <QProcess>

namespace qb {
namespace {

using test::AddressDatabase;
using xbase::test::readFile;
using xbase::test::writeFile;

struct ToolRun {
    int status;
    std::string out, err;
};

ToolRun qbtool(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(QB_QBTOOL), args);
    p.waitForFinished(60000);
    return {p.exitCode(), p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
}

TEST(QbtoolTransfer, ImportAndExportPrintTheirCounts)
{
    AddressDatabase db;
    db.table.close();
    const QString folder = db.program.folder();
    writeFile((folder + "in.csv").toStdString(), "Smith,John,\"1 Oak St, Apt 2\"\r\nJones,Ann,2 Elm\r\n");

    ToolRun r = qbtool({"import", db.path, folder + "in.csv", "--map", "Last Name=1,FNAME=2,street=3"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "imported 2 records\n");

    r = qbtool({"export", db.path, folder + "out.csv", "--filter", "UPPER(LNAME) = \"SMITH\""});
    EXPECT_EQ(r.out, "exported 1 records\n");
    EXPECT_EQ(readFile((folder + "out.csv").toStdString()),
              "\"\",\"John\",\"\",\"Smith\",\"\",\"\",\"1 Oak St, Apt 2\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n");

    r = qbtool({"export", db.path, folder + "copy.DBF", "--tag", "LNAME"});
    EXPECT_EQ(r.out, "exported 2 records\n");
    EXPECT_EQ(test::rowsOf(folder + "copy.DBF"),
              (std::vector<test::Row>{{{"LNAME", "Jones"}, {"FNAME", "Ann"}, {"STREET", "2 Elm"}},
                                      {{"LNAME", "Smith"}, {"FNAME", "John"}, {"STREET", "1 Oak St, Apt 2"}}}));

    // A table's fields match by name without a map.
    r = qbtool({"import", db.path, folder + "copy.DBF"});
    EXPECT_EQ(r.out, "imported 2 records\n") << r.err;
    EXPECT_EQ(test::rowsOf(db.path).size(), 4u);
}

TEST(QbtoolTransfer, RefusalsSayWhatIsWrong)
{
    AddressDatabase db;
    db.table.close();
    const QString folder = db.program.folder();
    writeFile((folder + "ragged.csv").toStdString(), "a,b\r\nc,d\r\ne,f,g\r\n");
    const std::string before = readFile(db.path.toStdString());
    const struct {
        QStringList args;
        std::string err;
    } cases[] = {
        {{"import", db.path, folder + "ragged.csv"}, "qbtool: a text file's columns need --map FIELD=COLUMN,...\n"},
        {{"import", db.path, folder + "ragged.csv", "--map", "NOSUCH=1"}, "qbtool: no address field NOSUCH to import into\n"},
        {{"import", db.path, db.path}, "qbtool: Cannot import a file to itself\n"},
        {{"export", db.path, folder + "out.txt"}, "qbtool: no records to copy\n"},
        {{"export", db.path, db.path}, "qbtool: Cannot copy a file to itself!\n"},
    };
    for (const auto& c : cases) {
        const ToolRun r = qbtool(c.args);
        EXPECT_EQ(r.status, 1) << c.args.join(' ').toStdString();
        EXPECT_EQ(r.err, c.err) << c.args.join(' ').toStdString();
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(readFile(db.path.toStdString()), before);
}

// --header: the first line names the columns; they match the fields of those
// names by themselves, or --map names them.
TEST(QbtoolTransfer, HeaderLineNamesTheColumns)
{
    AddressDatabase db;
    db.table.close();
    const QString folder = db.program.folder();
    writeFile((folder + "google.csv").toStdString(),
              "First Name,Last Name,Address 1 - City,Notes\r\nAnn,Smith,Dayton,x\r\nBo,Jones,Troy,y\r\n");
    ToolRun r = qbtool({"import", db.path, folder + "google.csv", "--header"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "imported 2 records\n");
    r = qbtool({"import", db.path, folder + "google.csv", "--header", "--map", "LNAME=Notes,CITY=2"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(test::rowsOf(db.path),
              (std::vector<test::Row>{{{"FNAME", "Ann"}, {"LNAME", "Smith"}, {"CITY", "Dayton"}},
                                      {{"FNAME", "Bo"}, {"LNAME", "Jones"}, {"CITY", "Troy"}},
                                      {{"LNAME", "x"}, {"CITY", "Smith"}},
                                      {{"LNAME", "y"}, {"CITY", "Jones"}}}));
}

// Every note on standard error; exit status 3 when a value did not go in as
// it stood, 0 when all did.
TEST(QbtoolTransfer, NotesOnStandardErrorAndStatusThree)
{
    AddressDatabase db;
    db.table.close();
    const QString folder = db.program.folder();
    writeFile((folder + "ragged.csv").toStdString(), "a,b\r\nc,d\r\ne,f,g\r\n\"h\ni\",j\r\n");
    ToolRun r = qbtool({"import", db.path, folder + "ragged.csv", "--map", "LNAME=1"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "imported 4 records\n");
    EXPECT_EQ(r.err, "qbtool: note: line 3: 3 fields, the first line 2; field 3 is left out\n"
                     "qbtool: note: line 4, Last Name: its line breaks become blanks\n");
    EXPECT_EQ(test::rowsOf(db.path).back(), (test::Row{{"LNAME", "h i"}}));

    writeFile((folder + "plain.csv").toStdString(), "a,b\r\nc,d\r\n");
    r = qbtool({"import", db.path, folder + "plain.csv", "--map", "LNAME=1,CITY=2"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
}

} // namespace
} // namespace qb
