#include "core/system_tables.h"

#include "core/messages.h"
#include "core/paths.h"

#include <QFile>
#include <QFileInfo>

#include <array>

namespace qb {

using xbase::FieldDef;
using xbase::OpenMode;
using xbase::Table;

namespace {

constexpr std::array<SystemTableSpec, 6> kSpecs{{
    {SystemTable::Label, "LABEL", true, "DESCRIPT", "UPPER(descript)", "Unable to Open or Create LABEL.DBF"},
    {SystemTable::Envelope, "ENVELOPE", true, "DESCRIPT", "UPPER(descript)", "Unable to Open or Create ENVELOPE.DBF"},
    {SystemTable::Letter, "LETTER", true, "DESCRIPT", "UPPER(descript)", "Unable to Open or Create LETTER.DBF"},
    {SystemTable::Report, "REPORT", true, "DESCRIPT", "UPPER(descript)", "Unable to Open or Create REPORT.DBF"},
    {SystemTable::LabelStock, "LBLTPL", false, "DESCRIPT", "UPPER(descript)", "Unable to Open LBLTPL.DBF"},
    {SystemTable::CityStateZip, "CSZ", false, "STATE", "UPPER(state)", "Unable to Open or Create CSZ.DBF"},
}};

constexpr bool specsInEnumOrder()
{
    for (size_t i = 0; i < kSpecs.size(); ++i)
        if (size_t(kSpecs[i].table) != i)
            return false;
    return true;
}
static_assert(specsInEnumOrder());

// The order is the one the dialog has always worked through; the key
// expressions are spelled as it spelled them.
constexpr std::array<SystemIndexStep, 6> kSteps{{
    {SystemTable::Letter, "Rebuilding Letters File indexes", "DESCRIPT", "UPPER(DESCRIPT)"},
    {SystemTable::Label, "Rebuilding Label File indexes", "DESCRIPT", "UPPER(DESCRIPT)"},
    {SystemTable::CityStateZip, "Rebuilding State/Province File indexes", "STATE", "UPPER(STATE)"},
    {SystemTable::LabelStock, "Rebuilding Label Setup File indexes", "DESCRIPT", "UPPER(descript)"},
    {SystemTable::Envelope, "Rebuilding Envelope File indexes", "DESCRIPT", "UPPER(descript)"},
    {SystemTable::Report, "Rebuilding Report File indexes", "DESCRIPT", "UPPER(descript)"},
}};

FieldDef chars(const char* name, int width) { return {name, 'C', width, 0}; }
FieldDef inches(const char* name) { return {name, 'N', 6, 3}; }
FieldDef count(const char* name) { return {name, 'N', 2, 0}; }

std::string local(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString sysdataFile(const SystemTableSpec& spec, const char* extension)
{
    return ProgramFolder::file(QStringLiteral("sysdata/") + QLatin1String(spec.baseName) + QLatin1String(extension));
}

} // namespace

const SystemTableSpec& systemTableSpec(SystemTable table) { return kSpecs.at(size_t(table)); }

std::vector<FieldDef> systemTableFields(SystemTable table)
{
    switch (table) {
    case SystemTable::Label:
        return {chars("DESCRIPT", 60), chars("PRINTER", 2),   inches("LBLHEIGHT"),   inches("LBLWIDTH"),
                count("NBRACROSS"),    count("NBRDOWN"),      inches("TOPMARG"),     inches("LEFTMARG"),
                inches("HORIZPITCH"),  inches("VERTPITCH"),   inches("SHEETWIDTH"),  inches("SHEETDEPTH"),
                chars("PAPERSIZE", 5), chars("LBLSHAPE", 2),  chars("TPLDESCRIP", 60), chars("MANUFAC", 10),
                chars("PRODTYPE", 25), inches("MIDEXTRAX"),   inches("MIDEXTRAY"),   chars("ART", 12),
                {"DELETED", 'L', 1, 0}, chars("BINARY", 12)};
    case SystemTable::Envelope:
        return {chars("DESCRIPT", 60), {"NUMBER", 'N', 5, 0}, chars("BINARY", 12)};
    case SystemTable::Letter:
        return {chars("DESCRIPT", 50), {"RTF", 'M', 10, 0}};
    case SystemTable::Report:
        return {chars("DESCRIPT", 60), chars("LAYOUT", 60), chars("BINARY", 12)};
    case SystemTable::LabelStock:
        return {chars("DESCRIPT", 60), chars("PRINTER", 2),   inches("LBLHEIGHT"),   inches("LBLWIDTH"),
                count("NBRACROSS"),    count("NBRDOWN"),      inches("TOPMARG"),     inches("LEFTMARG"),
                inches("HORIZPITCH"),  inches("VERTPITCH"),   inches("SHEETWIDTH"),  inches("SHEETDEPTH"),
                chars("PAPERSIZE", 5), chars("LBLSHAPE", 2),  chars("MANUFAC", 10),  chars("PRODTYPE", 25),
                inches("MIDEXTRAX"),   inches("MIDEXTRAY"),   chars("ART", 12)};
    case SystemTable::CityStateZip:
        return {chars("NAME", 30), chars("STATE", 4), chars("LOW_ZIP", 10), chars("HIGH_ZIP", 10)};
    }
    return {};
}

QString systemTablePath(SystemTable table) { return sysdataFile(systemTableSpec(table), ".DBF"); }

QString systemIndexPath(SystemTable table) { return sysdataFile(systemTableSpec(table), ".CDX"); }

std::unique_ptr<Table> openSystemTable(SystemTable which, OpenMode mode, const QString& failure)
{
    const SystemTableSpec& spec = systemTableSpec(which);
    const QString path = systemTablePath(which);
    std::unique_ptr<Table> table;
    try {
        // Only a table that is not there at all may be made anew: one that is
        // there but will not open holds the user's designs.
        if (QFileInfo::exists(path))
            table = Table::open(local(path), mode);
        else if (spec.createdWhenMissing)
            table = Table::create(local(path), systemTableFields(which));
    } catch (const std::exception&) {
        table.reset();
    }
    if (!table) {
        showInformation(failure.isEmpty() ? QString::fromLatin1(spec.failureMessage) : failure);
        return nullptr;
    }
    if (!QFileInfo::exists(systemIndexPath(which))) {
        try {
            table->createTag(spec.tagName, spec.tagExpression);
        } catch (const std::exception&) {
            // The table is usable in record order; "Rebuild System Indexes" mends it.
        }
    }
    return table;
}

std::span<const SystemIndexStep> systemIndexSteps() { return kSteps; }

bool rebuildSystemIndex(const SystemIndexStep& step, const xbase::Progress& progress)
{
    try {
        auto table = Table::open(local(systemTablePath(step.table)), OpenMode::Exclusive);
        // The packed table and its one tag replace the old files together,
        // a damaged index included.
        table->pack({{step.tagName, step.keyExpression}}, progress, progress);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void rebuildSystemIndexes(const std::function<void(const SystemIndexStep&)>& beforeStep, const xbase::Progress& progress)
{
    for (const SystemIndexStep& step : kSteps) {
        if (beforeStep)
            beforeStep(step);
        rebuildSystemIndex(step, progress);
    }
}

} // namespace qb
