#include "mainwindow/record_search.h"

#include "core/ascii.h"
#include "platform/xbase/settings.h"
#include "platform/xbase/table.h"

namespace qb {

bool keySearch(xbase::Table& table, const QString& text)
{
    xbase::EngineSettings& settings = xbase::engineSettings();
    const xbase::EngineSettings saved = settings;
    settings.exact = false;
    settings.softSeek = true;
    const uint32_t before = table.eof() ? 0 : table.recno();
    bool found = false;
    try {
        found = table.seek(asciiUpper(text).toStdString());
        if (!found && before > 0)
            table.go(before);
    } catch (const std::exception&) {
        found = false;
    }
    settings.softSeek = false;
    settings.exact = saved.exact;
    return found;
}

bool memoContains(const QString& memo, const QString& text)
{
    if (memo.isEmpty())
        return false;
    return asciiUpper(memo.left(32767)).contains(asciiUpper(text));
}

bool findTextInMemo(xbase::Table& table, const QString& text, bool fromStart, const std::function<bool()>& keepGoing)
{
    const uint32_t before = table.eof() ? 0 : table.recno();
    try {
        bool more = fromStart ? table.first() : table.next();
        while (more) {
            if (memoContains(QString::fromStdString(table.memo("MEMO")), text))
                return true;
            more = table.next();
            if (keepGoing && !keepGoing())
                break;
        }
    } catch (...) {
        // A memo that cannot be read stops the search where it started.
        if (before > 0)
            table.go(before);
        throw;
    }
    if (before > 0)
        table.go(before);
    return false;
}

} // namespace qb
