#include "reports/report_file.h"

#include "design/layout_filer.h"
#include "design/layout_stream.h"
#include "design/tkgraphiccontrol.h"
#include "reports/treportpanel.h"

namespace qb {

namespace {

std::array<QWidget*, 3> widgets(const ReportBands& bands) { return {bands[0], bands[1], bands[2]}; }

// Every band at zoom 1.0 while the file is read or written, then as it was.
struct AtDesignSize {
    const ReportBands& bands;
    std::array<float, 3> zooms{};
    explicit AtDesignSize(const ReportBands& b) : bands(b)
    {
        for (int i = 0; i < 3; ++i) {
            zooms[i] = bands[i]->zoom();
            bands[i]->setZoom(1.0f);
        }
    }
    ~AtDesignSize()
    {
        for (int i = 0; i < 3; ++i) {
            bands[i]->keepFrameOnTop();
            bands[i]->hookObjects();
            bands[i]->setZoom(zooms[i]);
            bands[i]->refreshData();
        }
    }
};

} // namespace

void saveReportFile(const ReportBands& bands, const ReportLayout& layout, const QString& fileName)
{
    AtDesignSize atOne(bands);
    // Objects are named as a reader names them, in file order, so that a file
    // read and written again comes out byte for byte the same.
    int n = 0;
    for (TReportPanel* p : bands) {
        p->prepareForSave();
        for (design::TKGraphicControl* o : p->designObjects())
            o->setObjectName(QStringLiteral("Component%1").arg(n++));
    }
    design::TKLabelObjectFiler::SaveBands(
        widgets(bands), [&layout](design::LayoutWriter& w) { layout.write(w); }, fileName);
}

QStringList loadReportFile(QWidget* owner, const ReportBands& bands, ReportLayout& layout, const QString& fileName)
{
    for (TReportPanel* p : bands)
        p->clearObjects();
    ReportLayout read = layout;
    try {
        AtDesignSize atOne(bands);
        design::TKLabelObjectFiler::LoadBands(
            owner, widgets(bands), [&read](design::LayoutReader& r) { read.read(r); }, fileName);
    } catch (...) {
        for (TReportPanel* p : bands)
            p->clearObjects();
        throw;
    }
    layout = read;
    QStringList problems;
    for (TReportPanel* p : bands)
        for (const QString& problem : p->removeMisplacedObjects())
            if (!problems.contains(problem))
                problems << problem;
    return problems;
}

} // namespace qb
