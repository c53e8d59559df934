#pragma once
// QUILLB.ini and files like it: "[Section]" lines, "Key=Value" lines, anything
// else kept as it stands. Sections and keys match in any letter case. The file
// is Windows-1252 with CRLF line ends, read afresh for every key and written
// through on every change, through a temporary file renamed into place so a
// failed write leaves the old file whole. Nothing is cached and no key is ever
// deleted.

#include <QString>
#include <optional>

namespace qb {

class IniFile {
public:
    explicit IniFile(QString path) : path_(std::move(path)) {}

    const QString& path() const { return path_; }

    // The value as written after the first '=', outer blanks removed; nullopt when
    // the file, the section or the key is missing.
    std::optional<QString> value(const QString& section, const QString& key) const;
    // A missing file counts as readable (it is empty); one that exists but
    // cannot be read does not.
    bool readable() const;
    // Replaces the key's value in place, or adds the key at the end of its
    // section, or the section at the end of the file. False when the file could
    // not be read or written; the old file is then unchanged, since a file whose
    // keys were not seen must not be replaced by one holding only this key.
    bool setValue(const QString& section, const QString& key, const QString& value);

private:
    QString path_;
};

} // namespace qb
