#include "transfer/import_source.h"

#include "core/memo_text.h"
#include "platform/xbase/codepage.h"
#include "transfer/import_date.h"
#include "transfer/transfer_error.h"

#include <QString>

namespace qb {

// ---- text files ------------------------------------------------------------

CsvSample sampleCsv(const std::string& path)
{
    CsvSample sample;
    sample.kind = detectTextEncoding(path);
    CsvReader reader(path, sample.kind);
    CsvRecord record;
    while (sample.records.size() < 10 && reader.next(record))
        sample.records.push_back(record);
    if (sample.records.size() < 2)
        throw TransferError("Unable to import from this file");
    sample.widths.assign(sample.records.front().fields.size(), 0);
    for (const CsvRecord& r : sample.records)
        for (size_t c = 0; c < r.fields.size() && c < sample.widths.size(); ++c)
            sample.widths[c] = std::max(sample.widths[c], utf8Length(r.fields[c]));
    return sample;
}

std::vector<ImportSourceField> csvColumns(int count, const std::vector<std::string>& names)
{
    std::vector<ImportSourceField> out;
    for (int k = 1; k <= count; ++k) {
        const std::string name = size_t(k) <= names.size() ? names[size_t(k - 1)] : std::string();
        const size_t from = name.find_first_not_of(' ');
        out.push_back({from == std::string::npos ? "Field " + std::to_string(k) : name.substr(from, name.find_last_not_of(' ') - from + 1),
                       'C'});
    }
    return out;
}

CsvImportSource::CsvImportSource(std::string path, TextFileKind kind, int columns, const FieldMatch& match,
                                 const xbase::Table& destination, bool skipFirst)
    : path_(std::move(path)), kind_(kind), columns_(columns), skipFirst_(skipFirst)
{
    for (int row = 0; row < int(match.rows().size()); ++row)
        if (const int column = match.sourceOf(row); column >= 0 && column < columns_)
            feeds_.push_back({column, destination.fieldIndex(match.rows()[size_t(row)].name)});
}

void CsvImportSource::restart()
{
    reader_ = std::make_unique<CsvReader>(path_, kind_);
    if (skipFirst_)
        reader_->next(record_);
}

bool CsvImportSource::next(std::vector<ImportValue>& values)
{
    values.clear();
    if (!reader_)
        restart();
    if (!reader_->next(record_))
        return false;
    notes_ = std::move(record_.notes);
    for (size_t k = record_.fields.size(); k-- > size_t(columns_);)
        if (record_.fields[k].find_first_not_of(" \t") != std::string::npos) {
            notes_.push_back("line " + std::to_string(record_.line) + ": " + std::to_string(record_.fields.size()) +
                             " fields, the first line " + std::to_string(columns_) + "; " +
                             (k == size_t(columns_) ? "field " + std::to_string(k + 1) + " is"
                                                    : "fields " + std::to_string(columns_ + 1) + " to " + std::to_string(k + 1) + " are") +
                             " left out");
            break;
        }
    for (const auto& [column, field] : feeds_)
        if (size_t(column) < record_.fields.size() && !record_.fields[size_t(column)].empty())
            values.push_back({field, std::move(record_.fields[size_t(column)])});
    return true;
}

std::string CsvImportSource::where() const { return "line " + std::to_string(record_.line); }

// ---- tables ----------------------------------------------------------------

TableImportSource::TableImportSource(const std::string& path) : path_(path)
{
    try {
        table_ = xbase::Table::open(path, xbase::OpenMode::ReadOnly);
    } catch (const xbase::XbaseError& e) {
        throw TransferError("Unable to open the file " + path + "\r\n\r\n" + e.what());
    }
    codePage_ = dosCodePage(table_->codePage());
}

TableImportSource::~TableImportSource() = default;

std::vector<ImportSourceField> TableImportSource::fields() const
{
    std::vector<ImportSourceField> out;
    for (int i = 0; i < table_->fieldCount(); ++i)
        out.push_back({table_->field(i).name, table_->field(i).type});
    return out;
}

uint32_t TableImportSource::physicalCount() const { return table_->recordCount(); }

void TableImportSource::useMatch(const FieldMatch& match, const xbase::Table& destination)
{
    feeds_.clear();
    for (int row = 0; row < int(match.rows().size()); ++row)
        if (const int source = match.sourceOf(row); source >= 0) {
            const ImportField& to = match.rows()[size_t(row)];
            feeds_.push_back({source, destination.fieldIndex(to.name), table_->field(source).type == 'M',
                              xbase::equalsIgnoreCase(to.name, "DATE") ? to.label : std::string()});
        }
}

bool TableImportSource::next(std::vector<ImportValue>& values)
{
    values.clear();
    notes_.clear();
    try {
        for (;;) {
            if (recno_ >= table_->recordCount())
                return false;
            ++recno_;
            if (!table_->go(recno_))
                return false;
            if (!table_->deleted())
                break;
        }
        read(values);
    } catch (const xbase::XbaseError& e) {
        throw TransferError(path_ + ", record " + std::to_string(recno_) + ": " + e.what());
    }
    return true;
}

std::string TableImportSource::text(int sourceField) const
{
    const xbase::Field& f = table_->field(sourceField);
    std::string value = table_->text(f.name);
    // An unset logical reads '?'; it holds no value.
    if (f.type == 'L' && value != "T" && value != "F" && value != "t" && value != "f" && value != "Y" && value != "N" &&
        value != "y" && value != "n")
        return {};
    // The engine reads Windows-1252; a DOS table's bytes are taken back and read in its own page.
    if (codePage_ != DosCodePage::None && (f.type == 'C' || f.type == 'V'))
        return dosToUtf8(xbase::utf8ToCp1252(value), codePage_);
    return value;
}

std::string TableImportSource::memo(int sourceField) const
{
    const std::string value = table_->memo(table_->field(sourceField).name);
    return codePage_ == DosCodePage::None ? value : dosToUtf8(xbase::utf8ToCp1252(value), codePage_);
}

std::string TableImportSource::date(const std::string& value, const std::string& label)
{
    if (const auto d = importDate(value))
        return *d;
    notes_.push_back(where() + ", " + label + ": \"" + value + "\" is not a date; left empty");
    return {};
}

void TableImportSource::read(std::vector<ImportValue>& values)
{
    for (const Feed& feed : feeds_) {
        std::string value = feed.memo ? memo(feed.from) : text(feed.from);
        if (!feed.date.empty())
            value = date(value, feed.date);
        if (!value.empty())
            values.push_back({feed.to, std::move(value)});
    }
}

// ---- earlier versions --------------------------------------------------------

const std::vector<const char*>& OlderVersionSource::requiredFields(int version)
{
    static const std::vector<const char*> v1{"LNAME", "FNAME",   "MIDDLE", "TITLE", "ORG",   "STREET", "CITY",
                                             "STATE", "ZIP",     "COUNTRY", "PHONE", "EMAIL", "FAX",    "NOTES",
                                             "PREFIX", "CARRIER", "DATE",   "MEMO"};
    static const std::vector<const char*> v2{"LNAME", "FNAME", "MIDDLE", "TITLE",  "ORG",   "STREET", "STREET2", "CITY",
                                             "STATE", "ZIP",   "COUNTRY", "PHONE", "PHONE2", "EMAIL", "FAX",    "CODES",
                                             "PREFIX", "DATE", "USER1",  "USER2",  "ISDEL", "MEMO",  "TAG"};
    return version == 1 ? v1 : v2;
}

OlderVersionSource::OlderVersionSource(const std::string& path, int version, const xbase::Table& destination)
    : TableImportSource(path)
{
    for (const char* f : requiredFields(version))
        if (table_->fieldIndex(f) < 0)
            throw TransferError(path + " does not appear to be a Quillbase " + std::to_string(version) + ".x DBF");
    const auto copy = [&](const char* from, const char* to, decltype(Copy::how) how) {
        const int in = table_->fieldIndex(from), out = destination.fieldIndex(to);
        if (in >= 0 && out >= 0)
            copies_.push_back({in, out, how});
    };
    for (const char* f : {"LNAME", "FNAME", "PREFIX", "MIDDLE", "TITLE", "ORG", "STREET", "CITY", "STATE", "ZIP", "COUNTRY",
                          "PHONE", "FAX", "EMAIL"})
        copy(f, f, Copy::Text);
    if (version == 2) {
        for (const char* f : {"CODES", "STREET2", "PHONE2", "USER1", "USER2", "ISDEL"})
            copy(f, f, Copy::Text);
    } else {
        copy("NOTES", "CODES", Copy::Text);
    }
    copy("DATE", "DATE", Copy::Date);
    copy("MEMO", "MEMO", Copy::Memo);
}

void OlderVersionSource::read(std::vector<ImportValue>& values)
{
    for (const Copy& c : copies_) {
        std::string value;
        switch (c.how) {
        case Copy::Text: value = text(c.from); break;
        case Copy::Date: value = date(text(c.from), "Actual Date"); break;
        case Copy::Memo:
            // Through the memo box, as earlier versions stored their memos.
            if (table_->field(c.from).type == 'M')
                value = memoForStorage(QString::fromStdString(memo(c.from))).toStdString();
            break;
        }
        if (!value.empty())
            values.push_back({c.to, std::move(value)});
    }
}

} // namespace qb
