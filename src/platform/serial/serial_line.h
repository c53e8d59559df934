#pragma once
// A serial port held for one short conversation with a modem: opened for
// writing, written to, closed. Ports are named as the settings name them: the
// four COM ports are the first four standard serial devices, any other port is
// its device path (a USB modem is /dev/ttyACM0 or /dev/ttyUSB0).

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

class QSerialPort;

namespace qb {

inline constexpr int kComPortCount = 4;

// The device of COM1 .. COM4 (index 0 .. 3): /dev/ttyS0 .. /dev/ttyS3.
QString comPortDevice(int index);
// The serial devices present on this machine, as device paths, sorted.
QStringList serialDevices();

class SerialLine {
public:
    SerialLine();
    ~SerialLine();
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    // Opens an existing device for writing. On failure the line stays closed
    // and failure() says why in a sentence for the user.
    bool open(const QString& device);
    bool isOpen() const;
    // Writes every byte, processing the window's events while the device
    // takes them, so a slow or stuck port never freezes the window. False when
    // the port failed, went away or took nothing for timeoutMs.
    bool write(const QByteArray& bytes, int timeoutMs = 5000);
    void close();

    QString failure() const { return failure_; }

private:
    std::unique_ptr<QSerialPort> port_;
    QString failure_;
};

} // namespace qb
