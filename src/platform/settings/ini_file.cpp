#include "platform/settings/ini_file.h"

#include "platform/xbase/codepage.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>

namespace qb {

namespace {

QString fromCp1252(const QByteArray& bytes) { return QString::fromStdString(xbase::cp1252ToUtf8(bytes.toStdString())); }

QByteArray toCp1252(const QString& text) { return QByteArray::fromStdString(xbase::utf8ToCp1252(text.toStdString())); }

// *readable is false when the file exists but cannot be read through.
QStringList readLines(const QString& path, bool* readable)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *readable = !f.exists();
        return {};
    }
    const QByteArray bytes = f.readAll();
    *readable = f.error() == QFileDevice::NoError;
    if (!*readable)
        return {};
    QString text = fromCp1252(bytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// "[Name]" with any blanks around; returns the name or a null string.
QString sectionOf(const QString& line)
{
    const QString t = line.trimmed();
    if (t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']')))
        return t.mid(1, t.size() - 2).trimmed();
    return {};
}

bool isKeyLine(const QString& line, const QString& key)
{
    const int eq = line.indexOf(QLatin1Char('='));
    return eq > 0 && line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0 && !line.trimmed().startsWith(QLatin1Char(';'));
}

} // namespace

bool IniFile::readable() const
{
    bool readable = false;
    readLines(path_, &readable);
    return readable;
}

std::optional<QString> IniFile::value(const QString& section, const QString& key) const
{
    bool readable = false;
    const QStringList lines = readLines(path_, &readable);
    bool inSection = false;
    for (const QString& line : lines) {
        const QString s = sectionOf(line);
        if (!s.isNull()) {
            inSection = s.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (inSection && isKeyLine(line, key)) {
            QString v = line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
            // The Windows reader drops one pair of enclosing quotes.
            if (v.size() >= 2 && ((v.startsWith(QLatin1Char('"')) && v.endsWith(QLatin1Char('"'))) ||
                                  (v.startsWith(QLatin1Char('\'')) && v.endsWith(QLatin1Char('\'')))))
                v = v.mid(1, v.size() - 2);
            return v;
        }
    }
    return std::nullopt;
}

bool IniFile::setValue(const QString& section, const QString& key, const QString& value)
{
    bool readable = false;
    QStringList lines = readLines(path_, &readable);
    if (!readable)
        return false;
    const QString entry = key + QLatin1Char('=') + value;
    int sectionAt = -1, lastInSection = -1;
    bool done = false;
    for (int i = 0; i < lines.size() && !done; ++i) {
        const QString s = sectionOf(lines[i]);
        if (!s.isNull()) {
            if (sectionAt >= 0)
                break;
            if (s.compare(section, Qt::CaseInsensitive) == 0)
                sectionAt = lastInSection = i;
            continue;
        }
        if (sectionAt < 0)
            continue;
        if (isKeyLine(lines[i], key)) {
            lines[i] = lines[i].left(lines[i].indexOf(QLatin1Char('=')) + 1) + value;
            done = true;
        } else if (!lines[i].trimmed().isEmpty()) {
            lastInSection = i;
        }
    }
    if (!done) {
        if (sectionAt >= 0) {
            lines.insert(lastInSection + 1, entry);
        } else {
            if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
                lines << QString();
            lines << QLatin1Char('[') + section + QLatin1Char(']') << entry;
        }
    }
    // Unbuffered, so that a disk that fills up shows as a short write: a
    // buffered QSaveFile commits a file cut short without a word.
    QSaveFile out(path_);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray bytes = toCp1252(lines.join(QLatin1String("\r\n")) + QLatin1String("\r\n"));
    if (out.write(bytes) != bytes.size()) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

} // namespace qb
