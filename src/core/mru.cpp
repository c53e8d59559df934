#include "core/mru.h"

#include "core/preferences.h"

namespace qb {

namespace {
QString itemKey(int number) { return ini::mru::itemPrefix + QString::number(number); }
} // namespace

QStringList readMru(const Settings& settings)
{
    QStringList paths;
    for (int n = 1; n <= ini::mru::itemCount; ++n) {
        const QString path = settings.string(ini::mru::section, itemKey(n));
        if (!path.isEmpty())
            paths << path;
    }
    return paths;
}

QStringList mruAfterOpen(const QStringList& before, const QString& path)
{
    QStringList after{path};
    for (const QString& entry : before) {
        if (after.size() == ini::mru::itemCount)
            break;
        if (entry != path)
            after << entry;
    }
    return after;
}

QStringList recordMruOpen(Settings& settings, const QString& path)
{
    const QStringList after = mruAfterOpen(readMru(settings), path);
    for (int i = 0; i < after.size(); ++i)
        settings.setString(ini::mru::section, itemKey(i + 1), after[i]);
    return after;
}

} // namespace qb
