#include "core/paths.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace qb {

namespace {
QString g_programFolder;

QString withSlash(QString folder)
{
    folder.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

// Copies the tree below from into to, leaving files that exist alone.
void fillOnce(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + QDir(from).relativeFilePath(source);
        if (it.fileInfo().isDir())
            QDir().mkpath(target);
        else if (!QFileInfo::exists(target))
            QFile::copy(source, target);
    }
}
} // namespace

QString resolvePath(const QString& given)
{
    QString path = given;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (path.isEmpty() || QFileInfo::exists(path))
        return path;
    const bool absolute = path.startsWith(QLatin1Char('/'));
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString current = absolute ? QStringLiteral("/") : QString();
    for (int i = 0; i < parts.size(); ++i) {
        QString name = parts[i];
        const QString base = current.isEmpty() ? QStringLiteral(".") : current;
        if (!QFileInfo::exists(current + name)) {
            const QStringList entries = QDir(base).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
            for (const QString& e : entries) {
                if (e.compare(name, Qt::CaseInsensitive) == 0) {
                    name = e;
                    break;
                }
            }
        }
        current += name;
        if (i + 1 < parts.size())
            current += QLatin1Char('/');
    }
    if (path.endsWith(QLatin1Char('/')))
        current += QLatin1Char('/');
    return current;
}

QString ProgramFolder::path() { return g_programFolder; }

void ProgramFolder::setPath(const QString& folder) { g_programFolder = withSlash(folder); }

QString ProgramFolder::shipped(const QString& executableFolder)
{
    const QString exe = withSlash(executableFolder);
    if (QFileInfo(resolvePath(exe + QStringLiteral("sysdata"))).isDir())
        return exe;
    const QString installed = withSlash(QDir::cleanPath(exe + QStringLiteral(QB_DATA_FROM_BIN)));
    if (QFileInfo(installed + QStringLiteral("sysdata")).isDir())
        return installed;
    return exe;
}

QString ProgramFolder::choose(const QString& executableFolder, const QString& perUserFolder)
{
    return choose(executableFolder, perUserFolder, QFileInfo(withSlash(executableFolder)).isWritable());
}

QString ProgramFolder::choose(const QString& executableFolder, const QString& perUserFolder, bool executableWritable)
{
    const QString exe = withSlash(executableFolder);
    const QFileInfo sysdata(resolvePath(exe + QStringLiteral("sysdata")));
    if (sysdata.isDir() && executableWritable)
        return exe;
    const QString user = withSlash(perUserFolder);
    const QFileInfo shippedSysdata(resolvePath(shipped(exe) + QStringLiteral("sysdata")));
    if (shippedSysdata.isDir())
        fillOnce(shippedSysdata.filePath() + QLatin1Char('/'), user + QStringLiteral("sysdata/"));
    QDir().mkpath(user + QStringLiteral("DATA"));
    return user;
}

QString ProgramFolder::file(const QString& relative) { return resolvePath(path() + relative); }

} // namespace qb
