#include "core/paths.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qb::test {
namespace {

using xbase::test::ScratchDir;

TEST(Paths, WindowsSpellingsFindTheFilesOnDisk)
{
    ScratchDir dir;
    const QString root = QString::fromStdString(dir.path().string());
    QDir().mkpath(root + "/sysdata");
    QFile(root + "/sysdata/LABEL.DBF").open(QIODevice::WriteOnly);
    struct Case { QString given, expected; };
    const Case cases[] = {
        {root + "\\SYSDATA\\label.dbf", root + "/sysdata/LABEL.DBF"},
        {root + "/SysData/Label.Dbf", root + "/sysdata/LABEL.DBF"},
        {root + "\\sysdata\\NEW.DBF", root + "/sysdata/NEW.DBF"},   // a new file keeps its spelling
        {root + "/NOWHERE/X.DBF", root + "/NOWHERE/X.DBF"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(resolvePath(c.given), c.expected) << c.given.toStdString();
}

// The program folder is the executable's own when it holds sysdata and can be
// written; otherwise a per-user folder, filled once from the installed sysdata
// without overwriting what the user already has there.
TEST(Paths, ProgramFolderFallsBackToAPerUserCopy)
{
    ScratchDir dir;
    const QString root = QString::fromStdString(dir.path().string());
    const QString exe = root + "/install/", user = root + "/user/";
    QDir().mkpath(exe + "sysdata");
    QFile table(exe + "sysdata/LBLTPL.DBF");
    ASSERT_TRUE(table.open(QIODevice::WriteOnly));
    table.write("installed");
    table.close();
    EXPECT_EQ(ProgramFolder::choose(exe, user), exe);

    QDir(exe + "sysdata").rename(exe + "sysdata", exe + "elsewhere");
    EXPECT_EQ(ProgramFolder::choose(exe, user), user);
    EXPECT_FALSE(QFileInfo::exists(user + "sysdata/LBLTPL.DBF"));
    EXPECT_TRUE(QFileInfo(user + "DATA").isDir());
    QDir(exe).rename(exe + "elsewhere", exe + "sysdata");

    // An executable folder we may not write: its sysdata is copied once, and a
    // second start keeps what the user changed in the copy.
    EXPECT_EQ(ProgramFolder::choose(exe, user, false), user);
    QFile copy(user + "sysdata/LBLTPL.DBF");
    ASSERT_TRUE(copy.open(QIODevice::ReadWrite));
    EXPECT_EQ(copy.readAll(), "installed");
    copy.seek(0);
    copy.write("edited   ");
    copy.close();
    EXPECT_EQ(ProgramFolder::choose(exe, user, false), user);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), "edited   ");
}

// An installed copy: the executable in bin, the shipped sysdata in
// share/quillbase beside it. The per-user folder is filled from there, and the
// whole tree may be moved elsewhere.
TEST(Paths, AnInstalledTreeFillsThePerUserFolderFromItsDataFolder)
{
    ScratchDir dir;
    const QString root = QString::fromStdString(dir.path().string());
    for (const QString& prefix : {root + "/usr/", root + "/opt/moved/"}) {
        QDir().mkpath(prefix + "bin");
        QDir().mkpath(prefix + "share/quillbase/sysdata");
        QFile table(prefix + "share/quillbase/sysdata/CSZ.DBF");
        ASSERT_TRUE(table.open(QIODevice::WriteOnly));
        table.write(prefix.toUtf8());
        table.close();
        const QString user = prefix + "home/.local/share/Quillbase/";
        EXPECT_EQ(ProgramFolder::choose(prefix + "bin", user), user);
        QFile copy(user + "sysdata/CSZ.DBF");
        ASSERT_TRUE(copy.open(QIODevice::ReadOnly)) << prefix.toStdString();
        EXPECT_EQ(copy.readAll(), prefix.toUtf8());
        EXPECT_TRUE(QFileInfo(user + "DATA").isDir());
    }
}

} // namespace
} // namespace qb::test
