#include "core/restore_points.h"

#include "platform/xbase/file_io.h"
#include "platform/xbase/file_swap.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

namespace qb {

namespace {

const char* kInfo = "point.txt";

// Copies from one open descriptor to another: a reflink when the file system
// allows it, the bytes otherwise.
void copyContents(int from, int to, const QString& what)
{
    if (::ioctl(to, FICLONE, from) == 0)
        return;
    char buffer[1 << 16];
    off_t at = 0;
    for (;;) {
        const ssize_t n = ::pread(from, buffer, sizeof buffer, at);
        if (n < 0)
            throw std::runtime_error("cannot read " + what.toStdString());
        if (n == 0)
            break;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::pwrite(to, buffer + done, size_t(n - done), at + done);
            if (w <= 0)
                throw std::runtime_error("cannot write the copy of " + what.toStdString());
            done += w;
        }
        at += n;
    }
}

// The table's own files that exist: the table, its memo and its index.
QStringList tableFiles(const QString& table)
{
    const QFileInfo info(table);
    const QDir dir = info.absoluteDir();
    QStringList out{info.fileName()};
    for (const char* ext : {"FPT", "CDX"}) {
        const QStringList found = dir.entryList({info.completeBaseName() + QLatin1Char('.') + QLatin1String(ext)}, QDir::Files);
        if (!found.isEmpty())
            out << found.first();
    }
    return out;
}

bool writeInfo(const RestorePoint& p)
{
    QSaveFile f(p.folder + QLatin1Char('/') + QLatin1String(kInfo));
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const QString text = p.what + QLatin1Char('\n') + p.when.toString(Qt::ISODateWithMs) + QLatin1Char('\n') +
                         QString::number(p.records) + QLatin1Char('\n') + p.files.join(QLatin1Char('\n')) + QLatin1Char('\n');
    f.write(text.toUtf8());
    return f.commit();
}

std::optional<RestorePoint> readInfo(const QString& folder)
{
    QFile f(folder + QLatin1Char('/') + QLatin1String(kInfo));
    if (f.size() > 65536 || !f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.size() < 4)
        return std::nullopt;
    RestorePoint p{folder, lines[0], QDateTime::fromString(lines[1], Qt::ISODateWithMs), lines[2].toULongLong(), lines.mid(3)};
    for (const QString& name : p.files)
        if (name.contains(QLatin1Char('/')) || !QFile::exists(folder + QLatin1Char('/') + name))
            return std::nullopt;
    return p;
}

} // namespace

RestorePoints::RestorePoints(QString tablePath, int keep) : table_(std::move(tablePath)), keep_(std::max(1, keep)) {}

QString RestorePoints::folder() const
{
    const QFileInfo info(table_);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".restore");
}

std::optional<RestorePoint> RestorePoints::take(const QString& what, QString* error)
{
    RestorePoint p;
    p.what = what;
    p.when = QDateTime::currentDateTime();
    p.files = tableFiles(table_);
    p.folder = folder() + QLatin1Char('/') + p.when.toString(QStringLiteral("yyyyMMdd-hhmmsszzz"));
    for (int n = 1; QFileInfo::exists(p.folder); ++n)
        p.folder = folder() + QLatin1Char('/') + p.when.toString(QStringLiteral("yyyyMMdd-hhmmsszzz")) + QLatin1Char('-') + QString::number(n);
    try {
        if (!QDir().mkpath(p.folder))
            throw std::runtime_error("cannot make the folder " + p.folder.toStdString());
        const QString dir = QFileInfo(table_).absolutePath() + QLatin1Char('/');
        for (const QString& name : p.files) {
            xbase::File from((dir + name).toStdString(), xbase::File::Mode::ReadOnly);
            xbase::File to((p.folder + QLatin1Char('/') + name).toStdString(), xbase::File::Mode::Create);
            to.truncate(0);
            copyContents(from.descriptor(), to.descriptor(), name);
            to.sync();
        }
        if (!writeInfo(p))
            throw std::runtime_error("cannot write " + (p.folder + QLatin1Char('/') + QLatin1String(kInfo)).toStdString());
    } catch (const std::exception& e) {
        QDir(p.folder).removeRecursively();
        if (error)
            *error = QStringLiteral("The restore point could not be made: ") + QString::fromStdString(e.what());
        return std::nullopt;
    }
    std::vector<RestorePoint> all = list();
    for (size_t i = size_t(keep_); i < all.size(); ++i)
        discard(all[i]);
    return p;
}

void RestorePoints::finish(RestorePoint& point, uint64_t records)
{
    if (records == 0) {
        discard(point);
        return;
    }
    point.records = records;
    writeInfo(point);
}

void RestorePoints::discard(const RestorePoint& point)
{
    QDir(point.folder).removeRecursively();
}

std::vector<RestorePoint> RestorePoints::list() const
{
    std::vector<RestorePoint> out;
    const QDir dir(folder());
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        if (auto p = readInfo(dir.filePath(name)))
            out.push_back(*p);
    std::reverse(out.begin(), out.end());
    return out;
}

bool RestorePoints::restore(const RestorePoint& point, QString* error)
{
    try {
        const QString dir = QFileInfo(table_).absolutePath() + QLatin1Char('/');
        std::vector<xbase::File> files;
        files.reserve(size_t(point.files.size()));
        xbase::FileSwap swap(table_.toStdString());
        for (const QString& name : point.files) {
            const std::string target = (dir + name).toStdString();
            xbase::File from((point.folder + QLatin1Char('/') + name).toStdString(), xbase::File::Mode::ReadOnly);
            files.push_back(xbase::File::nameless(target));
            copyContents(from.descriptor(), files.back().descriptor(), name);
        }
        for (int i = 0; i < point.files.size(); ++i)
            swap.add(files[size_t(i)], (dir + point.files[i]).toStdString());
        swap.commit();
    } catch (const std::exception& e) {
        if (error)
            *error = QStringLiteral("The restore point could not be put back: ") + QString::fromStdString(e.what());
        return false;
    }
    discard(point);
    return true;
}

} // namespace qb
