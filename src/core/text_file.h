#pragma once
// Small text files the program keeps (filters, the browse column list, the
// presort list): Windows-1252, lines ended by CR LF, written through a
// temporary file renamed into place so a failed write leaves the old file.

#include <QString>
#include <QStringList>

#include <optional>

namespace qb {

// bytes as the whole file, through a temporary file renamed into place and
// written unbuffered, so a full disk shows as a short write. False (old file
// intact) when it cannot be written whole.
bool writeFileReplacing(const QString& path, const QByteArray& bytes);

// Every line followed by CR LF. False (old file intact) when it cannot be written.
bool writeLines1252(const QString& path, const QStringList& lines);

// The whole file as text; nullopt when it cannot be read or is larger than
// maxSize bytes (nothing the program keeps is large).
std::optional<QString> readText1252(const QString& path, qint64 maxSize);

} // namespace qb
