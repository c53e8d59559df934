#pragma once
// The widths a new address database gives its 18 variable character fields,
// kept in section "NewFileFieldLengths" of QUILLB.ini as "Field" + field name.

#include <QString>
#include <array>

namespace qb {

class Settings;

class FieldLengths {
public:
    static constexpr int Count = 18;
    // The fields in the order of their settings keys: LNAME, FNAME, PREFIX, ... USER2.
    static const std::array<const char*, Count>& fieldNames();
    // Index of a field in fieldNames(), any case; -1 for the fixed-width fields.
    static int indexOf(const QString& field);

    // What a missing or unusable settings value stands for.
    static FieldLengths settingsDefaults();
    // What the "Defaults" button of the field-length dialog puts in: FAX is 30
    // there, not 40 as in the settings.
    static FieldLengths dialogDefaults();

    // A value below 5, above 80 or not a number is replaced by that field's default.
    static FieldLengths read(const Settings& settings);
    // The same check runs before writing. False when the file could not be written.
    bool write(Settings& settings) const;

    int at(int index) const { return widths_[size_t(index)]; }
    void setAt(int index, int width) { widths_[size_t(index)] = width; }
    // 0 for a field that is not one of the 18.
    int width(const QString& field) const;

    bool operator==(const FieldLengths&) const = default;

    // The field-length dialog takes only whole numbers from 10 to 80; anything
    // else typed into a box puts back the value it held before.
    static bool dialogAccepts(const QString& text);

private:
    std::array<int, Count> widths_{};
};

} // namespace qb
