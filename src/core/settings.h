#pragma once
// Access to QUILLB.ini, one key at a time: a missing file or key gives the
// default, every write goes straight to disk, booleans are written "1"/"0" and
// read true for any non-zero integer, and no key is ever deleted.

#include "platform/settings/ini_file.h"

#include <QString>

namespace qb {

class Settings {
public:
    explicit Settings(const QString& iniPath) : ini_(iniPath) {}
    // The settings file of the program folder.
    static Settings program();

    const QString& path() const { return ini_.path(); }
    // False when the file exists but cannot be read; nothing is written to it then.
    bool readable() const { return ini_.readable(); }

    QString string(const QString& section, const QString& key, const QString& fallback = {}) const;
    // Text that is not a whole number gives the default, as the Windows program's reader did.
    int integer(const QString& section, const QString& key, int fallback) const;
    bool boolean(const QString& section, const QString& key, bool fallback) const;
    bool contains(const QString& section, const QString& key) const;

    // False when the file could not be written (it is then unchanged).
    bool setString(const QString& section, const QString& key, const QString& value);
    bool setInteger(const QString& section, const QString& key, int value);
    bool setBoolean(const QString& section, const QString& key, bool value);

private:
    IniFile ini_;
};

} // namespace qb
