#pragma once
// A pseudo-terminal pair standing in for a modem on a serial port: the
// dialler opens the terminal side by its device path, the test reads what it
// wrote from the other side.

#include <QByteArray>
#include <QString>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

namespace qb::test {

class PtyPair {
public:
    PtyPair()
    {
        char name[256] = {};
        if (::openpty(&master_, &terminal_, name, nullptr, nullptr) == 0) {
            device_ = QString::fromLocal8Bit(name);
            ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        }
    }
    ~PtyPair()
    {
        hangUp();
        if (terminal_ >= 0)
            ::close(terminal_);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return !device_.isEmpty(); }
    // The device the dialler is given ("/dev/pts/3").
    const QString& device() const { return device_; }

    // Every byte written to the terminal side that was not read yet.
    QByteArray read()
    {
        QByteArray out;
        char buffer[512];
        while (master_ >= 0) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                break;
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0)
                break;
            out.append(buffer, n);
        }
        return out;
    }

    // The modem goes away: writes to the terminal side fail from now on.
    void hangUp()
    {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    // Held open so the pair lives while the dialler opens and closes its side.
    int terminal_ = -1;
    QString device_;
};

} // namespace qb::test
