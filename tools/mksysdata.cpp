// mksysdata: builds the installed sysdata tables from their text sources at
// build time.
//
//   mksysdata OUTDIR LBLTPL.csv CSZ.csv FIELDS.LST ADDRSTD.csv
//
// writes OUTDIR/LBLTPL.DBF and .CDX (tag DESCRIPT), OUTDIR/CSZ.DBF and .CDX (tag
// STATE), OUTDIR/FIELDS.LST (CRLF) and OUTDIR/ADDRSTD.DBF (the postal standard's
// abbreviations, one record per form). The design catalogues LABEL, ENVELOPE,
// LETTER and REPORT are left out on purpose: they hold the user's designs, the
// program creates them empty on first use, and a rebuild must never replace them.
//
// The CSV sources: lines beginning with '#' and blank lines are skipped; the first
// other line names the columns; values may be enclosed in double quotes (a doubled
// quote inside stands for one). Every row is checked before anything is written,
// and a fault names the file and line. Each table is built in a scratch folder and
// renamed into place, so a failed run leaves the previous tables whole.

#include "core/fields_list.h"
#include "core/system_tables.h"
#include "platform/xbase/codepage.h"
#include "platform/xbase/table.h"

#include <QString>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using qb::SystemTable;
using qb::xbase::Table;

namespace {

struct SourceError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Row {
    int line = 0;
    std::map<std::string, std::string> values;
};

struct Csv {
    std::string path;
    std::vector<Row> rows;
};

std::vector<std::string> splitCsvLine(const std::string& text, const std::string& where)
{
    std::vector<std::string> out;
    std::string cell;
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                cell += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                cell += c;
            }
        } else if (c == '"' && cell.empty()) {
            quoted = true;
        } else if (c == ',') {
            out.push_back(cell);
            cell.clear();
        } else {
            cell += c;
        }
    }
    if (quoted)
        throw SourceError(where + ": unterminated quoted value");
    out.push_back(cell);
    return out;
}

Csv readCsv(const std::string& path, size_t maxBytes = 1 << 20)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw SourceError(path + ": cannot be read");
    Csv csv{path, {}};
    std::vector<std::string> header;
    std::string text;
    size_t total = 0;
    for (int line = 1; std::getline(in, text); ++line) {
        total += text.size() + 1;
        if (total > maxBytes)
            throw SourceError(path + ": larger than a source table should be");
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        if (text.empty() || text[0] == '#')
            continue;
        const std::string where = path + ":" + std::to_string(line);
        auto cells = splitCsvLine(text, where);
        if (header.empty()) {
            header = cells;
            continue;
        }
        if (cells.size() != header.size())
            throw SourceError(where + ": " + std::to_string(cells.size()) + " values for " + std::to_string(header.size()) + " columns");
        Row row{line, {}};
        for (size_t i = 0; i < header.size(); ++i)
            row.values[header[i]] = cells[i];
        csv.rows.push_back(std::move(row));
    }
    if (header.empty())
        throw SourceError(path + ": no column line");
    return csv;
}

// Checks a row against the table's columns and fills a new record from it.
class RowWriter {
public:
    RowWriter(const Csv& csv, const std::vector<qb::xbase::FieldDef>& fields) : csv_(csv), fields_(fields) {}

    std::string where(const Row& row) const { return csv_.path + ":" + std::to_string(row.line); }

    const std::string& text(const Row& row, const std::string& column) const
    {
        const auto it = row.values.find(column);
        if (it == row.values.end())
            throw SourceError(csv_.path + ": no column " + column);
        return it->second;
    }

    double number(const Row& row, const std::string& column) const
    {
        const std::string& s = text(row, column);
        size_t used = 0;
        double v = 0;
        try {
            v = std::stod(s, &used);
        } catch (const std::exception&) {
            used = 0;
        }
        if (s.empty() || used != s.size() || !std::isfinite(v))
            throw SourceError(where(row) + ": " + column + " \"" + s + "\" is not a number");
        return v;
    }

    // Every column's value fits its field: width for text, digits and decimals for numbers.
    void checkWidths(const Row& row) const
    {
        for (const auto& f : fields_) {
            if (f.type == 'C') {
                if (text(row, f.name).size() > size_t(f.length))
                    throw SourceError(where(row) + ": " + f.name + " is longer than " + std::to_string(f.length) + " characters");
            } else if (f.type == 'N') {
                const double v = number(row, f.name);
                const double scale = std::pow(10.0, f.decimals);
                if (std::fabs(v * scale - std::round(v * scale)) > 1e-6)
                    throw SourceError(where(row) + ": " + f.name + " has more than " + std::to_string(f.decimals) + " decimals");
                const int intDigits = f.length - (f.decimals ? f.decimals + 1 : 0);
                if (v < 0 || v >= std::pow(10.0, intDigits))
                    throw SourceError(where(row) + ": " + f.name + " does not fit " + std::to_string(f.length) + "," +
                                      std::to_string(f.decimals));
            }
        }
    }

    void append(Table& table, const Row& row) const
    {
        table.appendBlank();
        for (const auto& f : fields_) {
            if (f.type == 'C')
                table.setText(f.name, text(row, f.name));
            else
                table.setNumber(f.name, number(row, f.name));
        }
        table.post();
    }

private:
    const Csv& csv_;
    const std::vector<qb::xbase::FieldDef>& fields_;
};

void oneOf(const RowWriter& w, const Row& row, const std::string& column, const std::set<std::string>& allowed)
{
    if (!allowed.count(w.text(row, column)))
        throw SourceError(w.where(row) + ": " + column + " \"" + w.text(row, column) + "\" is not a known value");
}

std::string upper(std::string s)
{
    for (char& c : s)
        c = qb::xbase::asciiUpper(c);
    return s;
}

// A stock the stock editor would accept, whose labels all lie on the sheet.
void checkStock(const RowWriter& w, const Row& row)
{
    oneOf(w, row, "PRINTER", {"LJ", "IJ", "DM", "LP"});
    oneOf(w, row, "MANUFAC", {"AVERY", "NEBS", "COSTAR"});
    oneOf(w, row, "PRODTYPE", {"ADDRESS/SHIPPING LABELS", "CARD PRODUCTS", "DISKETTE LABELS", "FILE FOLDER LABELS",
                               "INDEX PRODUCTS", "MISCELLANEOUS"});
    oneOf(w, row, "LBLSHAPE", {"RR", "SR", "EL"});
    oneOf(w, row, "PAPERSIZE", {"LTR", "LTRL", "A4", "A4L", "A5", "USERP", "USERL"});
    if (w.text(row, "DESCRIPT").empty())
        throw SourceError(w.where(row) + ": DESCRIPT is empty");

    auto n = [&](const char* column) { return w.number(row, column); };
    const double across = n("NBRACROSS"), down = n("NBRDOWN");
    auto fail = [&](const std::string& why) { throw SourceError(w.where(row) + ": " + why); };
    if (across < 1 || across > 10 || down < 1 || down > 30 || across * down > 200)
        fail("between 1 and 10 across, 1 and 30 down and 200 labels a sheet");
    if (n("LBLHEIGHT") < 0.3 || n("LBLWIDTH") < 0.5)
        fail("a label is at least 0.3 high and 0.5 wide");
    if (across >= 2 && n("LBLWIDTH") > n("HORIZPITCH"))
        fail("HORIZPITCH is less than LBLWIDTH");
    if (down >= 2 && n("LBLHEIGHT") > n("VERTPITCH"))
        fail("VERTPITCH is less than LBLHEIGHT");
    constexpr double kSlack = 0.0015;   // three-decimal rounding of several lengths
    const double midX = std::max(0.0, n("MIDEXTRAX")), midY = std::max(0.0, n("MIDEXTRAY"));
    if (n("LEFTMARG") + (across - 1) * n("HORIZPITCH") + (across >= 2 ? midX : 0) + n("LBLWIDTH") > n("SHEETWIDTH") + kSlack)
        fail("the last column runs off the sheet");
    if (n("TOPMARG") + (down - 1) * n("VERTPITCH") + (down >= 2 ? midY : 0) + n("LBLHEIGHT") > n("SHEETDEPTH") + kSlack)
        fail("the last row runs off the sheet");

    static const std::map<std::string, std::pair<double, double>> paper{
        {"LTR", {8.5, 11}}, {"LTRL", {11, 8.5}}, {"A4", {8.27, 11.69}}, {"A4L", {11.69, 8.27}}, {"A5", {5.82, 8.27}}};
    const auto p = paper.find(w.text(row, "PAPERSIZE"));
    if (p != paper.end() && (std::fabs(n("SHEETWIDTH") - p->second.first) > 0.0005 ||
                             std::fabs(n("SHEETDEPTH") - p->second.second) > 0.0005))
        fail("the sheet is not the size of paper " + p->first);
}

void checkReference(const RowWriter& w, const Row& row)
{
    if (w.text(row, "NAME").empty() || w.text(row, "STATE").empty())
        throw SourceError(w.where(row) + ": NAME and STATE must be given");
    if (w.text(row, "LOW_ZIP") > w.text(row, "HIGH_ZIP"))
        throw SourceError(w.where(row) + ": LOW_ZIP sorts after HIGH_ZIP");
}

// Builds the table in scratch, then moves its files into outDir.
void buildTable(SystemTable which, const Csv& csv, const fs::path& outDir, const char* uniqueColumn,
                void (*check)(const RowWriter&, const Row&))
{
    const auto fields = qb::systemTableFields(which);
    const RowWriter writer(csv, fields);
    std::set<std::string> seen;
    for (const Row& row : csv.rows) {
        writer.checkWidths(row);
        check(writer, row);
        if (!seen.insert(upper(writer.text(row, uniqueColumn))).second)
            throw SourceError(writer.where(row) + ": " + uniqueColumn + " \"" + writer.text(row, uniqueColumn) + "\" appears twice");
    }
    if (csv.rows.empty())
        throw SourceError(csv.path + ": no rows");

    const auto& spec = qb::systemTableSpec(which);
    const fs::path scratch = outDir / ".mksysdata";
    fs::remove_all(scratch);
    fs::create_directories(scratch);
    const std::string base = spec.baseName;
    {
        auto table = Table::create((scratch / (base + ".DBF")).string(), fields);
        for (const Row& row : csv.rows)
            writer.append(*table, row);
        table->createTag(spec.tagName, spec.tagExpression);
        const auto faults = table->check();
        if (!faults.empty())
            throw SourceError(base + ".DBF as built: " + faults.front());
    }
    for (const char* ext : {".DBF", ".CDX"})
        fs::rename(scratch / (base + ext), outDir / (base + ext));
    fs::remove_all(scratch);
}

void copyFieldsList(const std::string& source, const fs::path& outDir)
{
    QString error;
    auto names = qb::readFieldsList(QString::fromStdString(source), &error);
    if (!names)
        throw SourceError(error.toStdString());
    if (names->isEmpty() || names->removeDuplicates() != 0)
        throw SourceError(source + ": the field names must be there, each once");
    if (!qb::writeFieldsList(QString::fromStdString((outDir / "FIELDS.LST").string()), *names))
        throw SourceError((outDir / "FIELDS.LST").string() + ": cannot be written");
}

// The addressing standard's abbreviations: each row's name, abbreviation and
// forms become one record each (KIND, FORM, STANDARD, RANGE). A form that is
// another row's abbreviation keeps that meaning.
void buildAddressStandard(const Csv& csv, const fs::path& outDir)
{
    const std::vector<qb::xbase::FieldDef> fields{{"KIND", 'C', 1, 0}, {"FORM", 'C', 12, 0}, {"STANDARD", 'C', 4, 0}, {"RANGE", 'C', 1, 0}};
    const RowWriter w(csv, fields);
    std::set<std::string> abbreviations;
    for (const Row& row : csv.rows)
        abbreviations.insert(w.text(row, "KIND") + upper(w.text(row, "STANDARD")));
    struct Form {
        std::string kind, form, standard, range;
    };
    std::vector<Form> forms;
    std::set<std::string> seen;
    for (const Row& row : csv.rows) {
        const std::string kind = w.text(row, "KIND"), standard = upper(w.text(row, "STANDARD"));
        if (kind != "S" && kind != "U" && kind != "D")
            throw SourceError(w.where(row) + ": KIND is S, U or D");
        if (standard.empty() || standard.size() > 4)
            throw SourceError(w.where(row) + ": STANDARD is one to four characters");
        const std::string range = w.text(row, "RANGE");
        if (kind == "U" ? range != "Y" && range != "N" : !range.empty())
            throw SourceError(w.where(row) + ": RANGE is Y or N for units and empty otherwise");
        std::vector<std::string> words{standard, upper(w.text(row, "NAME"))};
        std::string forms_ = upper(w.text(row, "FORMS")) + " ";
        for (size_t at = 0, blank; (blank = forms_.find(' ', at)) != std::string::npos; at = blank + 1)
            if (blank > at)
                words.push_back(forms_.substr(at, blank - at));
        for (const std::string& word : words) {
            if (word.empty() || word.size() > 12)
                throw SourceError(w.where(row) + ": \"" + word + "\" is not a form of one to twelve characters");
            if (word != standard && abbreviations.count(kind + word))
                continue;
            if (seen.insert(kind + word).second)
                forms.push_back({kind, word, standard, range});
        }
    }
    const fs::path scratch = outDir / ".mksysdata";
    fs::remove_all(scratch);
    fs::create_directories(scratch);
    {
        auto table = Table::create((scratch / "ADDRSTD.DBF").string(), fields);
        for (const Form& f : forms) {
            table->appendBlank();
            table->setText("KIND", f.kind);
            table->setText("FORM", f.form);
            table->setText("STANDARD", f.standard);
            table->setText("RANGE", f.range);
            table->post();
        }
    }
    fs::rename(scratch / "ADDRSTD.DBF", outDir / "ADDRSTD.DBF");
    fs::remove_all(scratch);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::cerr << "usage: mksysdata OUTDIR LBLTPL.csv CSZ.csv FIELDS.LST ADDRSTD.csv\n";
        return 1;
    }
    try {
        const fs::path outDir = argv[1];
        fs::create_directories(outDir);
        const Csv stock = readCsv(argv[2]);
        const Csv reference = readCsv(argv[3]);
        buildTable(SystemTable::LabelStock, stock, outDir, "DESCRIPT", checkStock);
        buildTable(SystemTable::CityStateZip, reference, outDir, "STATE", checkReference);
        copyFieldsList(argv[4], outDir);
        buildAddressStandard(readCsv(argv[5]), outDir);
    } catch (const std::exception& e) {
        std::cerr << "mksysdata: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
