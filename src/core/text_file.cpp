#include "core/text_file.h"

#include "platform/xbase/codepage.h"

#include <QFile>
#include <QSaveFile>

namespace qb {

bool writeLines1252(const QString& path, const QStringList& lines)
{
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    const std::string bytes = xbase::utf8ToCp1252(text.toStdString());
    return writeFileReplacing(path, QByteArray::fromStdString(bytes));
}

bool writeFileReplacing(const QString& path, const QByteArray& bytes)
{
    // Unbuffered, so that a disk that fills up shows as a short write: a
    // buffered QSaveFile commits a file cut short without a word.
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (out.write(bytes) != bytes.size()) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

std::optional<QString> readText1252(const QString& path, qint64 maxSize)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > maxSize)
        return std::nullopt;
    const QByteArray bytes = f.read(maxSize + 1);
    if (bytes.size() > maxSize)
        return std::nullopt;
    return QString::fromStdString(xbase::cp1252ToUtf8(bytes.toStdString()));
}

} // namespace qb
