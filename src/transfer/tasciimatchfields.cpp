#include "transfer/tasciimatchfields.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace qb {

TASCIIMatchFields::TASCIIMatchFields(const CsvSample& sample, bool header, const FieldMatch& match, const QString& fileName,
                                     QWidget* parent)
    : MatchWindow(QStringLiteral("ASCII File Import Match Fields"), match, fileName, HelpContext, parent)
{
    setObjectName(QStringLiteral("TASCIIMatchFields"));
    auto* box = new QGroupBox(QStringLiteral("Sample ASCII Fields"), this);
    box->setObjectName(QStringLiteral("SampleBox"));
    const int first = header ? 1 : 0;
    sample_ = new QTableWidget(int(sample.records.size()) - first, sample.columns(), box);
    sample_->setObjectName(QStringLiteral("SampleGrid"));
    sample_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sample_->setWhatsThis(QStringLiteral("The first lines of the file, split into its fields."));
    const QFontMetrics metrics(sample_->font());
    const int w = metrics.horizontalAdvance(QLatin1Char('W'));
    const int least = metrics.horizontalAdvance(QStringLiteral("Field 12"));
    const int most = std::max(least, 2 * logicalDpiX());
    for (int c = 0; c < sample.columns(); ++c) {
        sample_->setHorizontalHeaderItem(c, new QTableWidgetItem(QString::fromStdString(match.sources()[size_t(c)].name)));
        sample_->setColumnWidth(c, std::clamp(int(sample.widths[size_t(c)]) * w, least, most));
        for (int r = first; r < int(sample.records.size()); ++r) {
            const auto& fields = sample.records[size_t(r)].fields;
            const QString text = size_t(c) < fields.size() ? QString::fromStdString(fields[size_t(c)]) : QString();
            sample_->setItem(r - first, c, new QTableWidgetItem(text));
        }
    }
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(sample_);
    setSourcePanel(box);
}

} // namespace qb
