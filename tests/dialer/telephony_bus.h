#pragma once
// The dialler's tests talk to real D-Bus services: one private bus daemon for
// the whole test program stands in for the system bus, and each test starts
// the telephony service it needs on it with python3-dbusmock (oFono from
// dbusmock's own template, ModemManager from our template beside this file)
// and stops it again.

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QVariantList>

#include <gtest/gtest.h>

namespace qb::test {

// The private bus: started before the first test, stopped after the last.
class PrivateBusEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        daemon_.setProgram(QStringLiteral("dbus-daemon"));
        daemon_.setArguments({QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1"),
                              QStringLiteral("--address=unix:path=") + dir_.filePath(QStringLiteral("bus"))});
        daemon_.start();
        ASSERT_TRUE(daemon_.waitForStarted(5000)) << "dbus-daemon (Debian package dbus) is needed: scripts/test-deps.sh";
        ASSERT_TRUE(daemon_.waitForReadyRead(5000)) << "dbus-daemon printed no address";
        const QByteArray address = daemon_.readLine().trimmed();
        ASSERT_FALSE(address.isEmpty());
        // Before anything asks for the system bus: the program's telephony
        // goes to the system bus, which is this one for the tests.
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", address);
    }
    void TearDown() override
    {
        daemon_.kill();
        daemon_.waitForFinished(5000);
    }

private:
    QTemporaryDir dir_;
    QProcess daemon_;
};

inline QDBusConnection testBus() { return QDBusConnection::systemBus(); }

inline bool serviceRunning(const QString& name)
{
    return testBus().interface() && testBus().interface()->isServiceRegistered(name);
}

// A telephony service played by dbusmock for as long as the object lives.
class MockService {
public:
    static constexpr const char* ModemManager = "org.freedesktop.ModemManager1";
    static constexpr const char* Ofono = "org.ofono";

    // templ: "ofono", or our ModemManager template; parameters as JSON.
    MockService(const QString& busName, const QString& templ, const QString& parameters = {}) : name_(busName)
    {
        QStringList args{QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--system"),
                         QStringLiteral("--template"), templ};
        if (!parameters.isEmpty())
            args << QStringLiteral("--parameters") << parameters;
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // Debian's own Python, which python3-dbusmock is installed for.
        process_.start(QStringLiteral("/usr/bin/python3"), args);
        started_ = process_.waitForStarted(5000) && QTest::qWaitFor([this] { return serviceRunning(name_); }, 10000);
    }
    ~MockService() { stop(); }
    MockService(const MockService&) = delete;
    MockService& operator=(const MockService&) = delete;

    static QString modemManagerTemplate() { return QStringLiteral(QB_DIALER_TEST_DIR "/modemmanager_voice.py"); }

    bool started() const { return started_; }

    // The service goes away, as when it is stopped or crashes.
    void stop()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.kill();
        process_.waitForFinished(5000);
        (void)QTest::qWaitFor([this] { return !serviceRunning(name_); }, 5000);
    }

    // Calls a method of the service and answers its reply.
    QDBusMessage call(const QString& path, const QString& interface, const QString& method, const QVariantList& args = {}) const
    {
        QDBusMessage m = QDBusMessage::createMethodCall(name_, path, interface, method);
        m.setArguments(args);
        return testBus().call(m, QDBus::Block, 5000);
    }
    // Lets an object of the service emit a signal (dbusmock's EmitSignal).
    QDBusMessage emitSignal(const QString& path, const QString& interface, const QString& signal, const QString& signature,
                            const QVariantList& args) const
    {
        return call(path, QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("EmitSignal"),
                    {interface, signal, signature, QVariant(args)});
    }

private:
    QString name_;
    QProcess process_;
    bool started_ = false;
};

} // namespace qb::test
