#include "core/settings.h"

#include "core/paths.h"

namespace qb {

Settings Settings::program() { return Settings(ProgramFolder::file(QStringLiteral("QUILLB.ini"))); }

QString Settings::string(const QString& section, const QString& key, const QString& fallback) const
{
    return ini_.value(section, key).value_or(fallback);
}

int Settings::integer(const QString& section, const QString& key, int fallback) const
{
    const auto v = ini_.value(section, key);
    if (!v)
        return fallback;
    bool ok = false;
    const int n = v->toInt(&ok);
    if (ok)
        return n;
    // Hexadecimal as "$1F" or "0x1F" was accepted too.
    QString hex = *v;
    if (hex.startsWith(QLatin1Char('$')))
        hex = hex.mid(1);
    else if (hex.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        hex = hex.mid(2);
    else
        return fallback;
    const int h = hex.toInt(&ok, 16);
    return ok ? h : fallback;
}

bool Settings::boolean(const QString& section, const QString& key, bool fallback) const
{
    return integer(section, key, fallback ? 1 : 0) != 0;
}

bool Settings::contains(const QString& section, const QString& key) const { return ini_.value(section, key).has_value(); }

bool Settings::setString(const QString& section, const QString& key, const QString& value) { return ini_.setValue(section, key, value); }

bool Settings::setInteger(const QString& section, const QString& key, int value)
{
    return ini_.setValue(section, key, QString::number(value));
}

bool Settings::setBoolean(const QString& section, const QString& key, bool value)
{
    return ini_.setValue(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace qb
