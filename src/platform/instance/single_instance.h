#pragma once
// One running Quillbase per user and executable. The first instance listens on
// a local socket named after both; a later one finds it there, asks it to come
// forward and ends without showing a window.

#include <QObject>
#include <QString>

class QLocalServer;
class QWidget;

namespace qb {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // key names the socket; keyFor() builds one that a local server accepts.
    explicit SingleInstance(const QString& key, QObject* parent = nullptr);
    ~SingleInstance() override;

    // executableName and userName reduced to letters, digits, '-', '_' and '.'.
    static QString keyFor(const QString& executableName, const QString& userName);
    // The key of this process: its executable's file name and its user.
    static QString defaultKey();

    // True when no other instance answered: this one now listens and is the
    // first. False when another instance answered and was asked to come
    // forward; the caller then ends.
    bool claim(int timeoutMs = 2000);

    const QString& key() const { return key_; }

    // Stops listening, so an instance started from now on is the first one.
    // Called when the main window has closed, however long the process then
    // takes to end.
    void release();

    // Restores window when minimised, raises it and gives it the focus.
    static void bringForward(QWidget* window);

signals:
    // A later instance asked this one to come forward.
    void activationRequested();

private:
    bool askRunningInstance(int timeoutMs);
    void acceptConnections();

    QString key_;
    QLocalServer* server_ = nullptr;
};

} // namespace qb
