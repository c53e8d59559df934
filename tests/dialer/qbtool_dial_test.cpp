// qbtool's dialler commands as a script uses them: the commands it sent, one
// line each, the same bytes on the port, and the telephony line it finds.

#include "pty_pair.h"
#include "telephony_bus.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace qb::test {
namespace {

struct ToolRun {
    int status;
    QString out, err;
};

ToolRun qbtool(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(QB_QBTOOL), args);
    p.closeWriteChannel();   // no one at the keyboard: hang up at once
    EXPECT_TRUE(p.waitForFinished(20000));
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

TEST(QbtoolDial, PrintsEachCommandAsTheModemGetsIt)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    const ToolRun run = qbtool({"dial", pty.device(), "9,555-1234", "--init", "&F", "--pulse"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "sent AT&F\\r\\n\nsent ATDP9,555-1234\\r\\n\nPick up phone\nsent ATH\\r\\n\n");
    EXPECT_EQ(pty.read(), QByteArray("AT&F\r\nATDP9,555-1234\r\nATH\r\n"));
}

TEST(QbtoolDial, RefusedNumberFailsWithTheReason)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    const ToolRun run = qbtool({"dial", pty.device(), "555;ATH"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, QString());
    EXPECT_TRUE(run.err.contains("Unable to dial \"555;ATH\": it holds \";\"")) << run.err.toStdString();
    EXPECT_EQ(pty.read(), QByteArray());
}

TEST(QbtoolTelephony, NamesTheLineOrWhyThereIsNone)
{
    ToolRun run = qbtool({"telephony"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "No TAPI devices found\n");

    MockService mm(QLatin1String(MockService::ModemManager), MockService::modemManagerTemplate());
    ASSERT_TRUE(mm.started());
    run = qbtool({"telephony"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "ModemManager /org/freedesktop/ModemManager1/Modem/0\n");
}

} // namespace
} // namespace qb::test
