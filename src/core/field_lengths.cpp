#include "core/field_lengths.h"

#include "core/settings.h"

namespace qb {

namespace {
const QString kSection = QStringLiteral("NewFileFieldLengths");

constexpr std::array<int, FieldLengths::Count> kSettingsDefaults{30, 30, 12, 30, 30, 40, 40, 30, 20, 10, 30, 30, 30, 40, 40, 30, 40, 40};

QString keyOf(int index) { return QStringLiteral("Field") + QLatin1String(FieldLengths::fieldNames()[size_t(index)]); }

int checked(int width, int index) { return width < 5 || width > 80 ? kSettingsDefaults[size_t(index)] : width; }
} // namespace

const std::array<const char*, FieldLengths::Count>& FieldLengths::fieldNames()
{
    static const std::array<const char*, Count> names{"LNAME",   "FNAME", "PREFIX", "TITLE",  "ORG",   "STREET",
                                                      "STREET2", "CITY",  "STATE",  "ZIP",    "COUNTRY", "PHONE",
                                                      "PHONE2",  "FAX",   "EMAIL",  "CODES",  "USER1", "USER2"};
    return names;
}

int FieldLengths::indexOf(const QString& field)
{
    for (int i = 0; i < Count; ++i)
        if (field.compare(QLatin1String(fieldNames()[size_t(i)]), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

FieldLengths FieldLengths::settingsDefaults()
{
    FieldLengths l;
    l.widths_ = kSettingsDefaults;
    return l;
}

FieldLengths FieldLengths::dialogDefaults()
{
    FieldLengths l = settingsDefaults();
    l.setAt(indexOf(QStringLiteral("FAX")), 30);
    return l;
}

FieldLengths FieldLengths::read(const Settings& settings)
{
    FieldLengths l;
    for (int i = 0; i < Count; ++i)
        l.widths_[size_t(i)] = checked(settings.integer(kSection, keyOf(i), kSettingsDefaults[size_t(i)]), i);
    return l;
}

bool FieldLengths::write(Settings& settings) const
{
    bool ok = true;
    for (int i = 0; i < Count; ++i)
        ok = settings.setInteger(kSection, keyOf(i), checked(widths_[size_t(i)], i)) && ok;
    return ok;
}

int FieldLengths::width(const QString& field) const
{
    const int i = indexOf(field);
    return i < 0 ? 0 : widths_[size_t(i)];
}

bool FieldLengths::dialogAccepts(const QString& text)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    return ok && n >= 10 && n <= 80;
}

} // namespace qb
