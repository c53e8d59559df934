#include "platform/instance/single_instance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QWidget>

#include <memory>

#include <pwd.h>
#include <unistd.h>

namespace qb {

namespace {

// What a later instance sends; anything else on the socket is ignored.
const QByteArray kComeForward = QByteArrayLiteral("come-forward\n");

QString sanitised(const QString& text)
{
    QString out;
    for (const QChar c : text) {
        const bool safe = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-' ||
                          c == u'_' || c == u'.';
        out += safe ? c : QChar(u'_');
    }
    return out;
}

QString currentUserName()
{
    // The password entry names the user even where USER is unset (services, su).
    if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_name && *entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    const QString fromEnvironment = qEnvironmentVariable("USER");
    return fromEnvironment.isEmpty() ? QString::number(::geteuid()) : fromEnvironment;
}

} // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent) : QObject(parent), key_(key) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::keyFor(const QString& executableName, const QString& userName)
{
    return sanitised(executableName) + QLatin1Char('-') + sanitised(userName);
}

QString SingleInstance::defaultKey()
{
    return keyFor(QFileInfo(QCoreApplication::applicationFilePath()).fileName(), currentUserName());
}

bool SingleInstance::claim(int timeoutMs)
{
    if (server_)
        return true;

    // Two instances started together must not both find nobody and both listen:
    // the decision is taken under a lock file, which a crashed holder does not keep.
    QLockFile lock(QDir::tempPath() + QLatin1Char('/') + key_ + QStringLiteral(".lock"));
    const bool locked = lock.tryLock(timeoutMs);

    if (askRunningInstance(timeoutMs))
        return false;

    // Nobody answered: a socket file still there was left by a run that crashed.
    QLocalServer::removeServer(key_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    if (!server_->listen(key_)) {
        // The program still runs; it only cannot be found by a later instance.
        qWarning("Quillbase: cannot listen on local socket %s: %s", qPrintable(key_),
                 qPrintable(server_->errorString()));
    }
    if (locked)
        lock.unlock();
    return true;
}

void SingleInstance::release()
{
    if (!server_)
        return;
    server_->close();
    delete server_;
    server_ = nullptr;
}

bool SingleInstance::askRunningInstance(int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(key_);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    // The request is in the socket once written; the first instance may be busy
    // in the same thread (or a modal loop), so no answer is awaited.
    socket.write(kComeForward);
    socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return true;
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        auto buffer = std::make_shared<QByteArray>();
        const auto readRequest = [this, socket, buffer] {
            buffer->append(socket->readAll());
            if (buffer->contains(kComeForward)) {
                buffer->clear();
                emit activationRequested();
            } else if (buffer->size() > kComeForward.size() * 4) {
                buffer->clear();   // not one of ours; never let it grow
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, readRequest);
        connect(socket, &QLocalSocket::disconnected, this, [socket, readRequest] {
            readRequest();
            socket->deleteLater();
        });
        readRequest();   // the request may have arrived with the connection
    }
}

void SingleInstance::bringForward(QWidget* window)
{
    if (!window)
        return;
    if (window->isMinimized())
        window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace qb
