// qbtool import DATABASE SOURCE [--map FIELD=COLUMN,...] [--header] [--version 1|2]
// qbtool export DATABASE OUT [--filter EXPR] [--tag T]
// The import and export of the program's windows, for scripts: the same
// checks, the same messages, the counts on standard output.

#include "qbtool_commands.h"

#include "core/address_table.h"
#include "core/messages.h"
#include "platform/xbase/codepage.h"
#include "transfer/export_run.h"
#include "transfer/header_row.h"
#include "transfer/import_run.h"
#include "transfer/transfer_error.h"
#include "transfer/transfer_paths.h"
#include "transfer/vcard.h"

#include <QFileInfo>
#include <QStringList>

#include <iostream>

namespace {

const char* kTransferUsage =
    "usage: qbtool import DATABASE SOURCE [--map FIELD=COLUMN,...] [--header] [--version 1|2]\n"
    "  SOURCE is comma-separated text (COLUMN counts from 1; --map is needed, unless\n"
    "  --header says the first line names the columns, which then match the fields\n"
    "  of those names and may be named in --map) or a table (.dbf; COLUMN is a\n"
    "  field name, fields of the same name or label match by themselves), or with\n"
    "  --version a database of Quillbase 1.x or 2.x, or a vCard file (.vcf).\n"
    "  FIELD is an address field's name or label.\n"
    "usage: qbtool export DATABASE OUT [--filter EXPR] [--tag T]\n"
    "  OUT ending in .dbf is a new table, in .vcf vCards (3.0), anything else\n"
    "  comma-separated text.\n";

int fail(const std::string& message)
{
    std::cerr << "qbtool: " << message << "\n";
    return 1;
}

std::string plain(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text.toStdString();
}

int rowFor(const qb::FieldMatch& m, const std::string& field)
{
    for (int r = 0; r < int(m.rows().size()); ++r)
        if (qb::xbase::equalsIgnoreCase(m.rows()[size_t(r)].name, field) || qb::xbase::equalsIgnoreCase(m.rows()[size_t(r)].label, field))
            return r;
    throw qb::TransferError("no address field " + field + " to import into");
}

// Applies "FIELD=COLUMN,..." to a match; columns of a text file count from 1
// or go by their names.
void applyMap(qb::FieldMatch& match, const std::string& map, bool columnsByNumber)
{
    for (const QString& pair : QString::fromStdString(map).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const auto eq = pair.indexOf(QLatin1Char('='));
        if (eq <= 0)
            throw qb::TransferError("--map takes FIELD=COLUMN pairs, not " + pair.toStdString());
        const int row = rowFor(match, pair.left(eq).trimmed().toStdString());
        const std::string column = pair.mid(eq + 1).trimmed().toStdString();
        int source = -1;
        if (columnsByNumber) {
            bool ok = false;
            source = QString::fromStdString(column).toInt(&ok) - 1;
            for (int s = 0; !ok && s < int(match.sources().size()); ++s)
                if (qb::xbase::equalsIgnoreCase(match.sources()[size_t(s)].name, column))
                    source = s, ok = true;
            if (!ok || source < 0 || source >= int(match.sources().size()))
                throw qb::TransferError("the file has no column " + column);
        } else {
            for (int s = 0; s < int(match.sources().size()); ++s)
                if (qb::xbase::equalsIgnoreCase(match.sources()[size_t(s)].name, column))
                    source = s;
            if (source < 0)
                throw qb::TransferError("the table has no field " + column);
        }
        if (!match.select(row, source))
            throw qb::TransferError(column + " cannot feed " + match.rows()[size_t(row)].label);
    }
}

// Exit status 0 when every value went in as it stood, 3 when records were
// imported with values changed (each note on standard error), 1 on failure.
int runImport(qb::AddressTable& db, qb::ImportSource& source, const std::vector<qb::ImportField>& fields, qb::ImportRun::Kind kind)
{
    uint64_t notes = 0;
    qb::ImportRun::Hooks hooks;
    hooks.note = [&](const std::string& note) {
        ++notes;
        std::cerr << "qbtool: note: " << note << "\n";
    };
    qb::ImportRun run(db.table(), fields, hooks);
    const auto result = run.run(source, [](const qb::ImportCheck&) { return true; });
    if (result->outcome != qb::ImportResult::Outcome::Complete || !result->indexesRebuilt)
        return fail(plain(qb::importMessage(kind, *result)));
    std::cout << "imported " << result->count << " records\n";
    return notes ? 3 : 0;
}

int importCommand(const QStringList& positional, const std::string& map, bool header, int version)
{
    if (positional.size() != 2)
        return fail(std::string("wrong number of arguments\n") + kTransferUsage);
    const QString source = positional[1];
    if (qb::sameFile(source, positional[0]))
        return fail("Cannot import a file to itself");
    qb::AddressTable db;
    if (!db.open(positional[0], qb::AddressTable::Messages::Quiet))
        return fail("cannot open the address database " + positional[0].toStdString());
    if (version) {
        qb::OlderVersionSource src(source.toStdString(), version, db.table());
        return runImport(db, src, qb::tableImportFields(db.table()), qb::ImportRun::Kind::Table);
    }
    if (QFileInfo(source).suffix().compare(QLatin1String("vcf"), Qt::CaseInsensitive) == 0 || qb::looksLikeVCard(source.toStdString())) {
        qb::VCardImportSource src(source.toStdString(), db.table());
        return runImport(db, src, qb::tableImportFields(db.table()), qb::ImportRun::Kind::Table);
    }
    if (QFileInfo(source).suffix().compare(QLatin1String("dbf"), Qt::CaseInsensitive) == 0) {
        qb::TableImportSource src(source.toStdString());
        qb::FieldMatch match(qb::FieldMatch::Kind::Table, qb::tableImportFields(db.table()), src.fields());
        if (map.empty())
            match.preMatch();
        else
            applyMap(match, map, false);
        if (!match.any())
            return fail("no field of " + source.toStdString() + " matches an address field; say which with --map");
        src.useMatch(match, db.table());
        return runImport(db, src, match.rows(), qb::ImportRun::Kind::Table);
    }
    if (map.empty() && !header)
        return fail("a text file's columns need --map FIELD=COLUMN,...");
    const qb::CsvSample sample = qb::sampleCsv(source.toStdString());
    const std::vector<qb::ImportField> fields = qb::textImportFields(db.table());
    const std::vector<std::string> names = header ? sample.records.front().fields : std::vector<std::string>{};
    qb::FieldMatch match(qb::FieldMatch::Kind::Text, fields, qb::csvColumns(sample.columns(), names));
    if (map.empty())
        qb::applyHeaderMatch(match, qb::matchHeaders(names, fields));
    else
        applyMap(match, map, true);
    if (!match.any())
        return fail("no column of " + source.toStdString() + " is named like an address field; say which with --map");
    qb::CsvImportSource src(source.toStdString(), sample.kind, sample.columns(), match, db.table(), header);
    return runImport(db, src, match.rows(), qb::ImportRun::Kind::Text);
}

int exportCommand(const QStringList& positional, const std::string& filter, const std::string& tag)
{
    if (positional.size() != 2)
        return fail(std::string("wrong number of arguments\n") + kTransferUsage);
    const QString target = QFileInfo(positional[1]).absoluteFilePath();
    const QString suffix = QFileInfo(target).suffix();
    const auto format = suffix.compare(QLatin1String("dbf"), Qt::CaseInsensitive) == 0   ? qb::RecordExport::Format::Table
                        : suffix.compare(QLatin1String("vcf"), Qt::CaseInsensitive) == 0 ? qb::RecordExport::Format::VCard
                                                                                          : qb::RecordExport::Format::Text;
    if (const QString problem = qb::exportTargetProblem(format, target, positional[0]); !problem.isEmpty())
        return fail(problem.toStdString());
    qb::AddressTable db;
    if (!db.open(positional[0], qb::AddressTable::Messages::Quiet))
        return fail("cannot open the address database " + positional[0].toStdString());
    db.table().setFilter(filter.empty() ? std::string("!ISDEL") : "(" + filter + ") .and. !ISDEL");
    if (!tag.empty() && db.table().selectOrder(tag) == 0)
        return fail("no tag " + tag + " in " + positional[0].toStdString());
    if (db.table().countFiltered() == 0)
        return fail("no records to copy");
    const auto r = qb::RecordExport::run(db.table(), format, target.toStdString(), {});
    if (r.outcome != qb::RecordExport::Result::Outcome::Done)
        return fail(plain(qb::exportFailureMessage(format, r, target)));
    std::cout << "exported " << r.count << " records\n";
    return 0;
}

} // namespace

int transferCommand(const std::string& command, int argc, char** argv)
{
    if (command != "import" && command != "export")
        return -1;
    QStringList positional;
    std::string map, filter, tag;
    int version = 0;
    bool header = false;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                throw qb::TransferError("option " + a + " needs a value");
            return argv[++i];
        };
        if (a == "--map" && command == "import")
            map = value();
        else if (a == "--header" && command == "import")
            header = true;
        else if (a == "--version" && command == "import")
            version = std::stoi(value());
        else if (a == "--filter" && command == "export")
            filter = value();
        else if (a == "--tag" && command == "export")
            tag = value();
        else if (a.rfind("--", 0) == 0)
            return fail("unknown option " + a + "\n" + kTransferUsage);
        else
            positional << QString::fromLocal8Bit(argv[i]);
    }
    if (version != 0 && version != 1 && version != 2)
        return fail("--version is 1 or 2");
    // What the windows would show in a box goes to standard error; questions are answered No.
    qb::setMessageResponder([](const qb::Message& m) {
        std::cerr << "qbtool: " << plain(m.text) << "\n";
        return false;
    });
    return command == "import" ? importCommand(positional, map, header, version) : exportCommand(positional, filter, tag);
}
