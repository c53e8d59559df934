#include "transfer/import_run.h"

#include "core/index_maintenance.h"
#include "transfer/transfer_error.h"


namespace qb {

namespace {
// A line break in a value for a single-line field becomes one blank; true when
// there was one.
bool toSingleLine(std::string& text)
{
    if (text.find_first_of("\r\n") == std::string::npos)
        return false;
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += ' ';
        } else {
            out += text[i];
        }
    }
    text = std::move(out);
    return true;
}
} // namespace

ImportRun::ImportRun(xbase::Table& destination, std::vector<ImportField> fields, Hooks hooks)
    : table_(destination), hooks_(std::move(hooks))
{
    fields_.resize(size_t(table_.fieldCount()));
    for (int i = 0; i < table_.fieldCount(); ++i)
        fields_[size_t(i)] = {table_.field(i).name, table_.field(i).type, table_.field(i).length};
    for (const ImportField& f : fields)
        if (const int i = table_.fieldIndex(f.name); i >= 0)
            fields_[size_t(i)].label = f.label;
}

std::optional<ImportResult> ImportRun::run(ImportSource& source, const std::function<bool(const ImportCheck&)>& acceptNotes)
{
    // Refused before anything is read or closed: an append would fail only
    // after the indexes were put aside.
    if (table_.readOnly())
        throw TransferError(table_.path() + " is open read-only: nothing can be imported into it");
    const ImportCheck checked = check(source);
    if (checked.cancelled) {
        ImportResult r;
        r.outcome = ImportResult::Outcome::Cancelled;
        return r;
    }
    if (!checked.notes.empty() && acceptNotes && !acceptNotes(checked))
        return std::nullopt;
    ImportResult result = append(source, checked.records);
    rebuildIndexes(result);
    return result;
}

bool ImportRun::cancelled() { return hooks_.cancelRequested && hooks_.cancelRequested(); }

void ImportRun::note(ImportCheck& check, const std::string& text)
{
    if (hooks_.note)
        hooks_.note(text);
    if (check.notes.size() < kNotesKept)
        check.notes.push_back(text);
    else
        ++check.moreNotes;
}

ImportCheck ImportRun::check(ImportSource& source)
{
    if (hooks_.status)
        hooks_.status(QStringLiteral("Counting total lines"));
    ImportCheck check;
    std::vector<ImportValue> values;
    source.restart();
    while (source.next(values)) {
        ++check.records;
        for (const std::string& n : source.notes())
            note(check, n);
        for (ImportValue& v : values) {
            const Destination& d = fields_.at(size_t(v.field));
            if (d.type == 'M')
                continue;
            if (toSingleLine(v.text))
                note(check, source.where() + ", " + d.label + ": its line breaks become blanks");
            if (const std::string missing = charactersOutside1252(v.text); !missing.empty())
                note(check, source.where() + ", " + d.label + ": " + missing +
                                " cannot be stored in the database's characters and would become ?");
            if (d.type == 'C')
                if (const size_t length = utf8Length(v.text); length > size_t(d.width))
                    note(check, source.where() + ", " + d.label + ": " + std::to_string(length) + " characters, of which the field holds " +
                                    std::to_string(d.width));
        }
        if (cancelled()) {
            check.cancelled = true;
            return check;
        }
    }
    if (check.records == 0)
        throw TransferError("There are no records in " + source.name());
    return check;
}

ImportResult ImportRun::append(ImportSource& source, uint64_t total)
{
    ImportResult result;
    // Keys are not kept up while appending; the index is built anew at the
    // end. Until then the old index stays on the disk: counting fewer records
    // than the table holds, an open after a crash finds it stale.
    table_.closeIndexes();
    const xbase::Table::End end = table_.end();

    if (hooks_.status)
        hooks_.status(QStringLiteral("Importing records"));
    if (hooks_.gauge)
        hooks_.gauge(0);
    int shown = 0;
    std::vector<ImportValue> values;
    source.restart();
    {
        // One wait for the disk at the end rather than one at each record.
        xbase::Table::BulkChange bulk(table_);
        for (;;) {
            try {
                if (!source.next(values))
                    break;
            } catch (const std::exception& e) {
                result.outcome = ImportResult::Outcome::ReadError;
                result.detail = e.what();
                break;
            }
            try {
                table_.appendBlank();
                for (ImportValue& v : values) {
                    const xbase::Field& f = table_.field(v.field);
                    if (f.type == 'M') {
                        table_.setMemo(f.name, v.text);
                    } else {
                        toSingleLine(v.text);
                        table_.setText(f.name, v.text);
                    }
                }
                table_.post();
            } catch (const std::exception& e) {
                result.outcome = ImportResult::Outcome::WriteError;
                result.detail = e.what();
                break;
            }
            ++result.count;
            const int percent = total ? int(std::min<uint64_t>(result.count * 100 / total, 100)) : 100;
            if (percent != shown && hooks_.gauge)
                hooks_.gauge(shown = percent);
            if (cancelled()) {
                result.outcome = ImportResult::Outcome::Cancelled;
                break;
            }
        }
        try {
            bulk.commit();
        } catch (const std::exception& e) {
            if (result.outcome != ImportResult::Outcome::ReadError && result.outcome != ImportResult::Outcome::WriteError) {
                result.outcome = ImportResult::Outcome::WriteError;
                result.detail = e.what();
            }
        }
    }
    if (result.outcome == ImportResult::Outcome::ReadError || result.outcome == ImportResult::Outcome::WriteError) {
        try {
            table_.cutBack(end);
            result.takenBack = true;
        } catch (const std::exception& e) {
            result.takeBackError = e.what();
        }
    }
    return result;
}

bool ImportRun::rebuildIndexes(ImportResult& result)
{
    if (hooks_.status)
        hooks_.status(QStringLiteral("Rebuilding Indexes "));
    if (hooks_.gauge)
        hooks_.gauge(0);
    result.indexesRebuilt = buildAllTags(table_, hooks_.rebuildProgress);
    if (hooks_.gauge)
        hooks_.gauge(0);
    return result.indexesRebuilt;
}

QString importMessage(ImportRun::Kind kind, const ImportResult& r)
{
    const QString n = QString::number(r.count);
    QString text;
    switch (r.outcome) {
    case ImportResult::Outcome::Complete: text = QStringLiteral("Import complete. Imported ") + n + QStringLiteral(" records."); break;
    case ImportResult::Outcome::Cancelled: text = QStringLiteral("Import cancelled after importing ") + n + QStringLiteral(" records."); break;
    case ImportResult::Outcome::ReadError:
        text = kind == ImportRun::Kind::Text ? QStringLiteral("Unknown error reading ASCII file after importing ") + n + QStringLiteral(" records.")
                                             : QStringLiteral("Unknown error while importing. Imported ") + n + QStringLiteral(" records.");
        break;
    case ImportResult::Outcome::WriteError:
        text = kind == ImportRun::Kind::Text ? QStringLiteral("Unknown error writing to data file after importing ") + n + QStringLiteral(" records.")
                                             : QStringLiteral("Unknown error while importing. Imported ") + n + QStringLiteral(" records.");
        break;
    }
    if (!r.detail.empty())
        text += QStringLiteral("\r\n\r\n") + QString::fromStdString(r.detail);
    if (r.takenBack)
        text += QStringLiteral("\r\n\r\nThe records imported were taken out again: the database is as it was before the import.");
    else if (!r.takeBackError.empty())
        text += QStringLiteral("\r\n\r\nThe records imported could not be taken out again (") + QString::fromStdString(r.takeBackError) +
                QStringLiteral("); the database keeps them.");
    if (!r.indexesRebuilt)
        text += QStringLiteral("\r\n\r\nThe indexes could not be rebuilt: choose \"Rebuild Indexes for this file\" before going on.");
    return text;
}

QString importNotesQuestion(const ImportCheck& check)
{
    constexpr size_t kShown = 10;
    QString text = QStringLiteral("Some values will not be stored as they are:\r\n");
    for (size_t i = 0; i < check.notes.size() && i < kShown; ++i)
        text += QStringLiteral("\r\n") + QString::fromStdString(check.notes[i]);
    if (const uint64_t more = check.moreNotes + (check.notes.size() > kShown ? check.notes.size() - kShown : 0))
        text += QStringLiteral("\r\n... and ") + QString::number(more) + QStringLiteral(" more.");
    return text + QStringLiteral("\r\n\r\nImport anyway?");
}

} // namespace qb
