#include "core/layout_names.h"

#include "core/paths.h"

#include <QDir>
#include <QFileInfo>

namespace qb {

std::optional<QString> newLayoutFileName(const QString& folder, const QString& extension, const QSet<QString>& taken)
{
    // One listing instead of 99,999 lookups; names match in any case.
    QSet<QString> present;
    for (const QString& name : QDir(resolvePath(folder)).entryList(QDir::Files))
        present.insert(name.toUpper());
    for (const QString& name : taken)
        present.insert(name.trimmed().toUpper());
    for (int n = 1; n <= 99999; ++n) {
        const QString name = QStringLiteral("BIN%1").arg(n, 5, 10, QLatin1Char('0')) + extension;
        if (!present.contains(name.toUpper()))
            return name;
    }
    return std::nullopt;
}

bool isPlainFileName(const QString& name)
{
    const QString n = name.trimmed();
    if (n.isEmpty() || n == QLatin1String(".") || n == QLatin1String(".."))
        return false;
    for (const QChar c : n)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') || c.unicode() < 32)
            return false;
    return true;
}

QString catalogueFilePath(const QString& folder, const QString& name)
{
    return isPlainFileName(name) ? folder + name.trimmed() : QString();
}

QString notPlainFileNameMessage(const QString& name)
{
    return QStringLiteral("The layout file name \"%1\" of this row is not a file name in the sysdata folder.\r\n"
                          "No file is read, written or deleted under it.")
        .arg(name.trimmed());
}

} // namespace qb
