// The single-instance rule within one process: two SingleInstance objects
// stand for two runs of the program with the same executable and user.

#include "platform/instance/single_instance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

using qb::SingleInstance;

namespace {

// Unique per process and call, so parallel test runs never share a socket.
QString uniqueKey()
{
    static int counter = 0;
    return QStringLiteral("qbtest-%1-%2").arg(QCoreApplication::applicationPid()).arg(++counter);
}

// A socket file bound and then abandoned without being removed, as a crashed
// run leaves it: nobody accepts on it.
void leaveStaleSocket(const QString& key)
{
    const QByteArray path = QFile::encodeName(QDir::tempPath() + QLatin1Char('/') + key);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(size_t(path.size()), sizeof(address.sun_path));
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
    ASSERT_TRUE(QFile::exists(QString::fromLocal8Bit(path)));
}

} // namespace

TEST(SingleInstance, SecondInstanceAsksTheFirstToComeForward)
{
    const QString key = uniqueKey();
    SingleInstance first(key);
    ASSERT_TRUE(first.claim());
    QSignalSpy activations(&first, &SingleInstance::activationRequested);

    SingleInstance second(key);
    EXPECT_FALSE(second.claim());
    EXPECT_TRUE(QTest::qWaitFor([&] { return activations.count() == 1; }, 5000));

    SingleInstance third(key);
    EXPECT_FALSE(third.claim());
    EXPECT_TRUE(QTest::qWaitFor([&] { return activations.count() == 2; }, 5000));
}

TEST(SingleInstance, StaleSocketFromCrashedRunDoesNotBlockFirstInstance)
{
    const QString key = uniqueKey();
    leaveStaleSocket(key);

    SingleInstance first(key);
    ASSERT_TRUE(first.claim());
    QSignalSpy activations(&first, &SingleInstance::activationRequested);
    SingleInstance second(key);
    EXPECT_FALSE(second.claim());
    EXPECT_TRUE(QTest::qWaitFor([&] { return activations.count() == 1; }, 5000));
}

TEST(SingleInstance, FirstInstanceEndingFreesTheKey)
{
    const QString key = uniqueKey();
    {
        SingleInstance first(key);
        ASSERT_TRUE(first.claim());
    }
    SingleInstance next(key);
    EXPECT_TRUE(next.claim());
}

TEST(SingleInstance, AReleasedInstanceLetsTheNextOneStartWhileItStillRuns)
{
    const QString key = uniqueKey();
    SingleInstance first(key);
    ASSERT_TRUE(first.claim());
    first.release();
    SingleInstance next(key);
    EXPECT_TRUE(next.claim());
}

TEST(SingleInstance, DifferentKeysDoNotInterfere)
{
    const QString keyA = uniqueKey();
    const QString keyB = uniqueKey();
    SingleInstance a(keyA);
    SingleInstance b(keyB);
    ASSERT_TRUE(a.claim());
    ASSERT_TRUE(b.claim());
    QSignalSpy activationsA(&a, &SingleInstance::activationRequested);
    QSignalSpy activationsB(&b, &SingleInstance::activationRequested);

    SingleInstance laterA(keyA);
    EXPECT_FALSE(laterA.claim());
    EXPECT_TRUE(QTest::qWaitFor([&] { return activationsA.count() == 1; }, 5000));
    // By now B's socket would have delivered anything meant for it as well.
    EXPECT_EQ(activationsB.count(), 0);
}

TEST(SingleInstance, KeyNamesExecutableAndUserInSafeCharacters)
{
    const struct {
        const char* executable;
        const char* user;
        const char* key;
    } cases[] = {
        {"quillbase", "anna", "quillbase-anna"},
        {"Quill Base.exe", "DOMAIN\\jo", "Quill_Base.exe-DOMAIN_jo"},
        {"../quillbase", "x/y:z", ".._quillbase-x_y_z"},
        {"quillbase", "Zoë", "quillbase-Zo_"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SingleInstance::keyFor(QString::fromUtf8(c.executable), QString::fromUtf8(c.user)),
                  QString::fromUtf8(c.key))
            << c.executable << " / " << c.user;
    EXPECT_FALSE(SingleInstance::defaultKey().contains(QLatin1Char('/')));
}

TEST(SingleInstance, BringForwardRestoresMinimisedWindow)
{
    QWidget window;
    window.showMinimized();
    ASSERT_TRUE(window.isMinimized());
    SingleInstance::bringForward(&window);
    EXPECT_FALSE(window.isMinimized());
    EXPECT_TRUE(window.isVisible());
    SingleInstance::bringForward(nullptr);
}
