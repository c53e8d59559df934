#include "transfer/transfer_paths.h"

#include "core/paths.h"
#include "platform/xbase/file_io.h"

#include <QDir>
#include <QFileInfo>

namespace qb {

namespace {
QString canonical(const QString& path)
{
    const QFileInfo info(resolvePath(path));
    const QString c = info.canonicalFilePath();
    return c.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : c;
}
} // namespace

bool sameFile(const QString& a, const QString& b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    return canonical(a) == canonical(b);
}

std::string companionOf(const std::string& tablePath, const char* upperExtension)
{
    const auto slash = tablePath.find_last_of('/');
    const auto dot = tablePath.find_last_of('.');
    const bool lower = dot != std::string::npos && (slash == std::string::npos || dot > slash) && dot + 1 < tablePath.size() &&
                       std::islower(static_cast<unsigned char>(tablePath[dot + 1]));
    std::string ext = upperExtension;
    if (lower)
        for (char& c : ext)
            c = char(std::tolower(static_cast<unsigned char>(c)));
    return xbase::resolveCaseInsensitive(xbase::replaceExtension(tablePath, ext));
}

} // namespace qb
