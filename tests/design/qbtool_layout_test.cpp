// qbtool layout dump and roundtrip on the committed seed layouts.

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int status;
    QString out, err;
};

ToolRun qbtool(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(QB_QBTOOL), QStringList{"layout"} + args);
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

QString seed(const char* name) { return QStringLiteral(QB_SOURCE_DIR "/fuzz/seeds/layout/") + QLatin1String(name); }

} // namespace

TEST(QbtoolLayout, DumpShowsClassNameAndProperties)
{
    const ToolRun r = qbtool({"dump", seed("example.L")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("  TKPLabel Special1\n    Left = 10\n    Top = 20\n")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("    Font.Style = []\n"));
    EXPECT_TRUE(r.out.contains("    BorderStyle = bsNone\n"));
}

TEST(QbtoolLayout, RoundtripKeepsAReportsBandsAndValues)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("BIN00001.R");
    const ToolRun r = qbtool({"roundtrip", seed("report.R"), out});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("2 objects\n"));
    const ToolRun again = qbtool({"dump", out});
    EXPECT_TRUE(again.out.contains("list 4\n  value 1\n  value nil\n")) << again.out.toStdString();
    EXPECT_TRUE(again.out.contains("  TKLineShape Component1\n"));
}

TEST(QbtoolLayout, DamagedFilesFailWithTheReadersMessage)
{
    QTemporaryDir dir;
    QFile f(dir.filePath("bad.L"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray("\x01TPF0\x08TKPLabel\x01" "A\x04Left\x02"));
    f.close();
    const ToolRun r = qbtool({"roundtrip", f.fileName(), dir.filePath("out.L")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("qbtool: Error reading Component0.Left: Stream read error")) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("out.L")));
}
