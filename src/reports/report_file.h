#pragma once
// A report file: the header, detail and footer panels' objects, then the
// layout record, written through a temporary name so a failed write leaves
// the old file. Objects are stored at zoom 1.0 whatever the panels show.

#include "reports/report_layout.h"

#include <array>

class QWidget;

namespace qb {

class TReportPanel;

using ReportBands = std::array<TReportPanel*, 3>;   // header, detail, footer

// Throws LayoutError ("Stream write error").
void saveReportFile(const ReportBands& bands, const ReportLayout& layout, const QString& fileName);
// Empties the bands and reads the file into them and into layout. A missing
// file leaves the bands empty and layout as it was. On a read error the bands
// are emptied again, layout is left as it was, and the LayoutError is passed on.
// Objects a band may not hold are left out; the bands' messages for them are
// returned, for the caller to show.
QStringList loadReportFile(QWidget* owner, const ReportBands& bands, ReportLayout& layout, const QString& fileName);

} // namespace qb
