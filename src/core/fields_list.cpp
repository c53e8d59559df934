#include "core/fields_list.h"

#include "core/paths.h"
#include "core/text_file.h"
#include "platform/xbase/codepage.h"

#include <QFile>

#include <algorithm>

namespace qb {

namespace {
// The record view has 28 fields; room for a list many times that long, never
// for a file that is something else.
constexpr qint64 kMaxFileSize = 64 * 1024;
constexpr int kMaxNames = 1024;
} // namespace

QString fieldsListPath() { return ProgramFolder::file(QStringLiteral("sysdata/FIELDS.LST")); }

std::optional<QStringList> readFieldsList(const QString& path, QString* error)
{
    auto fail = [&](const QString& why) -> std::optional<QStringList> {
        if (error)
            *error = path + QStringLiteral(": ") + why;
        return std::nullopt;
    };
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return fail(f.errorString());
    if (f.size() > kMaxFileSize)
        return fail(QStringLiteral("%1 bytes is too large for a column list").arg(f.size()));
    const QByteArray bytes = f.read(kMaxFileSize + 1);
    if (bytes.size() > kMaxFileSize)
        return fail(QStringLiteral("too large for a column list"));
    const QString text = QString::fromStdString(xbase::cp1252ToUtf8(bytes.toStdString()));
    QStringList names;
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty())
            continue;
        if (names.size() == kMaxNames)
            return fail(QStringLiteral("more than %1 names").arg(kMaxNames));
        names << line;
    }
    return names;
}

QStringList applyFieldsList(QStringList columns, const QStringList& listed)
{
    for (int line = 0; line < listed.size() && !columns.isEmpty(); ++line) {
        int from = -1;
        for (int c = 0; c < columns.size(); ++c) {
            if (columns[c].compare(listed[line], Qt::CaseInsensitive) == 0) {
                from = c;
                break;
            }
        }
        if (from >= 0)
            columns.move(from, std::min(line, int(columns.size()) - 1));
    }
    return columns;
}

bool writeFieldsList(const QString& path, const QStringList& names) { return writeLines1252(path, names); }

} // namespace qb
