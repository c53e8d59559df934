#include "core/mru.h"
#include "test_support.h"

namespace qb::test {
namespace {

using xbase::test::ScratchDir;
using xbase::test::readFile;
using xbase::test::writeFile;

TEST(Mru, ReadSkipsEmptyValuesAndStopsAtFour)
{
    ScratchDir dir;
    writeFile(dir.file("QUILLB.ini"), "[MRU]\r\nItem1=\r\nItem2=/d/b.DBF\r\nItem4=C:\\QB\\DATA\\c.dbf\r\nItem5=/d/e.DBF\r\n");
    const Settings s(QString::fromStdString(dir.file("QUILLB.ini")));
    EXPECT_EQ(readMru(s), QStringList({"/d/b.DBF", "C:\\QB\\DATA\\c.dbf"}));
    EXPECT_TRUE(readMru(Settings(QString::fromStdString(dir.file("none.ini")))).isEmpty());
}

TEST(Mru, OpenedPathMovesToTheFront)
{
    const QStringList full{"/a.DBF", "/b.DBF", "/c.DBF", "/d.DBF"};
    const struct { const char* name; QStringList before; QString path; QStringList after; } cases[] = {
        {"first open", {}, "/a.DBF", {"/a.DBF"}},
        {"already first", full, "/a.DBF", full},
        {"from the middle", full, "/c.DBF", {"/c.DBF", "/a.DBF", "/b.DBF", "/d.DBF"}},
        {"new pushes the last out", full, "/e.DBF", {"/e.DBF", "/a.DBF", "/b.DBF", "/c.DBF"}},
        {"letter case differs", {"/A.DBF", "/b.DBF"}, "/a.DBF", {"/a.DBF", "/A.DBF", "/b.DBF"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(mruAfterOpen(c.before, c.path), c.after) << c.name;
}

TEST(Mru, OpeningTheSameDatabaseTwiceOnlyMovesItToItem1)
{
    ScratchDir dir;
    const std::string ini = dir.file("QUILLB.ini");
    writeFile(ini, "[MRU]\r\nItem1=/q/DATA/one.DBF\r\nItem2=/q/DATA/two.DBF\r\nItem3=/q/DATA/three.DBF\r\n");
    Settings s(QString::fromStdString(ini));

    const QStringList once = recordMruOpen(s, "/q/DATA/two.DBF");
    EXPECT_EQ(once, QStringList({"/q/DATA/two.DBF", "/q/DATA/one.DBF", "/q/DATA/three.DBF"}));
    EXPECT_EQ(recordMruOpen(s, "/q/DATA/two.DBF"), once);
    EXPECT_EQ(readFile(ini), "[MRU]\r\nItem1=/q/DATA/two.DBF\r\nItem2=/q/DATA/one.DBF\r\nItem3=/q/DATA/three.DBF\r\n");
}

} // namespace
} // namespace qb::test
