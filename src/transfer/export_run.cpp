#include "transfer/export_run.h"

#include "platform/xbase/file_io.h"
#include "platform/xbase/file_swap.h"
#include "transfer/transfer_paths.h"
#include "transfer/vcard.h"

#include <QFileInfo>
#include <QSaveFile>
#include <cstdio>
#include <functional>
#include <unistd.h>

namespace qb {

const std::vector<const char*>& textExportFields()
{
    static const std::vector<const char*> fields{"PREFIX", "FNAME", "MIDDLE", "LNAME", "TITLE", "ORG",    "STREET",
                                                 "STREET2", "CITY", "STATE", "ZIP",   "COUNTRY", "PHONE", "PHONE2",
                                                 "EMAIL",  "FAX",  "DATE",  "USER1", "USER2",   "CODES"};
    return fields;
}

const std::vector<const char*>& tableExportFields()
{
    static const std::vector<const char*> fields{"PREFIX", "FNAME", "MIDDLE", "LNAME", "TITLE", "ORG",    "STREET",
                                                 "STREET2", "CITY", "STATE", "ZIP",   "COUNTRY", "PHONE", "PHONE2",
                                                 "EMAIL",  "FAX",  "DATE",  "CODES", "USER1",   "USER2"};
    return fields;
}

namespace {

class ExportFailed : public std::runtime_error {
public:
    ExportFailed(const std::string& what, bool agreed, bool untouched = true)
        : std::runtime_error(what), countsAgreed(agreed), targetUntouched(untouched)
    {
    }
    bool countsAgreed;
    bool targetUntouched;
};

// Steps the table through its records in order and filter, with the gauge.
template <typename Write>
RecordExport::Result walk(xbase::Table& table, const RecordExport::Hooks& hooks, Write&& write)
{
    RecordExport::Result r;
    const uint32_t total = table.countFiltered();
    int shown = -1;
    for (bool more = table.first(); more && r.count < total; more = table.next()) {
        write();
        ++r.count;
        const int percent = int(r.count * 100 / total);
        if (percent != shown && hooks.gauge)
            hooks.gauge(shown = percent);
        if (hooks.cancelRequested && hooks.cancelRequested()) {
            r.outcome = RecordExport::Result::Outcome::Cancelled;
            break;
        }
    }
    return r;
}

// Text of each record, written a megabyte at a time into a file that takes
// the target's name once complete.
RecordExport::Result exportLines(xbase::Table& table, const std::string& target, const RecordExport::Hooks& hooks,
                                 const std::function<void(std::string&)>& record)
{
    QSaveFile out(QString::fromStdString(target));
    if (!out.open(QIODevice::WriteOnly))
        throw ExportFailed(target + ": " + out.errorString().toStdString(), true);
    std::string buffer;
    const auto flush = [&] {
        if (out.write(buffer.data(), qint64(buffer.size())) != qint64(buffer.size()))
            throw ExportFailed(target + ": " + out.errorString().toStdString(), true);
        buffer.clear();
    };
    RecordExport::Result r = walk(table, hooks, [&] {
        record(buffer);
        if (buffer.size() > (1u << 20))
            flush();
    });
    if (r.outcome == RecordExport::Result::Outcome::Cancelled) {
        out.cancelWriting();
        return r;
    }
    flush();
    if (!out.commit())
        throw ExportFailed(target + ": " + out.errorString().toStdString(), true);
    return r;
}

RecordExport::Result exportText(xbase::Table& table, const std::string& target, const RecordExport::Hooks& hooks)
{
    // Table text is Windows-1252 already: the stored bytes go out as they are.
    return exportLines(table, target, hooks, [&](std::string& buffer) {
        bool firstField = true;
        for (const char* name : textExportFields()) {
            if (!firstField)
                buffer += ',';
            firstField = false;
            std::string value = table.raw(name);
            const size_t used = value.find_last_not_of(' ');
            value.resize(used == std::string::npos ? 0 : used + 1);
            buffer += '"';
            for (char c : value) {
                if (c == '"')
                    buffer += '"';
                buffer += c;
            }
            buffer += '"';
        }
        buffer += "\r\n";
    });
}

RecordExport::Result exportVCard(xbase::Table& table, const std::string& target, const RecordExport::Hooks& hooks)
{
    return exportLines(table, target, hooks, [&](std::string& buffer) { buffer += vcardOfRecord(table); });
}

RecordExport::Result exportTable(xbase::Table& table, const std::string& target, const RecordExport::Hooks& hooks)
{
    // The new table and its memo file take temporary names beside the target.
    const auto slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string file = slash == std::string::npos ? target : target.substr(slash + 1);
    const std::string temporary = folder + "." + std::to_string(::getpid()) + "-" + file;
    const std::string temporaryMemo = companionOf(temporary, ".FPT");
    const auto removeTemporary = [&] {
        std::remove(temporary.c_str());
        std::remove(temporaryMemo.c_str());
    };

    RecordExport::Result r;
    try {
        std::unique_ptr<xbase::Table> out = xbase::Table::create(temporary, table.fieldDefs());
        uint32_t copied = 0;
        // One wait for the disk at the end rather than one at each record.
        xbase::Table::BulkChange bulk(*out);
        r = walk(table, hooks, [&] {
            out->appendBlank();
            // One structure on both sides: the stored bytes are the text.
            for (const char* name : tableExportFields())
                out->setRaw(name, table.raw(name));
            // The memo as it is: the copy is the user's data, not one of our saves.
            if (const std::string memo = table.memo("MEMO"); !memo.empty())
                out->setMemo("MEMO", memo);
            out->post();
            if (out->recordCount() != ++copied)
                throw ExportFailed("Error copying - not enough disk space", false);
        });
        bulk.commit();
        out.reset();
    } catch (const ExportFailed&) {
        removeTemporary();
        throw;
    } catch (const std::exception& e) {
        removeTemporary();
        throw ExportFailed(e.what(), true);
    }
    if (r.outcome == RecordExport::Result::Outcome::Cancelled) {
        removeTemporary();
        return r;
    }
    // The table and its memo file take the target's names together, as pack
    // puts its files in place: once the list of the swap is written, a crash
    // or a failed rename is finished by the next open of the table.
    const std::string memo = companionOf(target, ".FPT");
    try {
        xbase::renameFile(temporary, target + ".qbnew");
        xbase::renameFile(temporaryMemo, memo + ".qbnew");
    } catch (const std::exception& e) {
        removeTemporary();
        std::remove((target + ".qbnew").c_str());
        throw ExportFailed(e.what(), true);
    }
    xbase::FileSwap swap(target);
    try {
        xbase::File table(target + ".qbnew", xbase::File::Mode::ReadOnly);
        xbase::File memoFile(memo + ".qbnew", xbase::File::Mode::ReadOnly);
        swap.add(table, target);
        swap.add(memoFile, memo);
        swap.commit();
    } catch (const std::exception& e) {
        if (swap.committed())
            throw ExportFailed(e.what(), true, false);
        std::remove((target + ".qbnew").c_str());
        std::remove((memo + ".qbnew").c_str());
        throw ExportFailed(e.what(), true);
    }
    // An index of an earlier table of this name describes other records.
    if (const std::string index = companionOf(target, ".CDX"); xbase::fileExists(index))
        std::remove(index.c_str());
    return r;
}

} // namespace

RecordExport::Result RecordExport::run(xbase::Table& table, Format format, const std::string& target, const Hooks& hooks)
{
    try {
        switch (format) {
        case Format::Text: return exportText(table, target, hooks);
        case Format::VCard: return exportVCard(table, target, hooks);
        case Format::Table: break;
        }
        return exportTable(table, target, hooks);
    } catch (const ExportFailed& e) {
        Result r;
        r.outcome = Result::Outcome::Failed;
        r.detail = e.what();
        r.countsAgreed = e.countsAgreed;
        r.targetUntouched = e.targetUntouched;
        return r;
    } catch (const std::exception& e) {
        Result r;
        r.outcome = Result::Outcome::Failed;
        r.detail = e.what();
        return r;
    }
}

QString exportTargetProblem(RecordExport::Format format, const QString& target, const QString& database)
{
    if (format == RecordExport::Format::Table && QFileInfo(target).suffix().toUpper() != QLatin1String("DBF"))
        return QStringLiteral("Must have a .DBF extension");
    if (sameFile(target, database))
        return QStringLiteral("Cannot copy a file to itself!");
    return {};
}

QString exportCancelMessage(const QString& target) { return QStringLiteral("Copy cancelled. ") + target + QStringLiteral(" was left as it was."); }

QString exportFailureMessage(RecordExport::Format format, const RecordExport::Result& r, const QString& target)
{
    QString text;
    if (format != RecordExport::Format::Table)
        text = QStringLiteral("Error copying - possibly Disk Full");
    else if (r.countsAgreed)
        text = QStringLiteral("There was an error copying");
    else
        text = QStringLiteral("There was an error copying\r\rPossibly: Not Enough Disk Space");
    if (!r.detail.empty())
        text += QStringLiteral("\r\n\r\n") + QString::fromStdString(r.detail);
    if (!r.targetUntouched)
        return text + QStringLiteral("\r\n\r\nThe copy is complete: ") + target +
               QStringLiteral(" becomes the copy, memos included, when it is next opened.");
    return text + QStringLiteral("\r\n\r\n") + target + QStringLiteral(" was left as it was.");
}

} // namespace qb
