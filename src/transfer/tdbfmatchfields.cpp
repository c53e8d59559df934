#include "transfer/tdbfmatchfields.h"

#include "platform/xbase/table.h"

#include <QAbstractTableModel>
#include <QGroupBox>
#include <QTableView>
#include <QVBoxLayout>

namespace qb {

namespace {

// The source's records, read as the view asks for them.
class SourceModel : public QAbstractTableModel {
public:
    SourceModel(xbase::Table& table, QObject* parent) : QAbstractTableModel(parent), table_(table) {}
    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : int(table_.recordCount()); }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : table_.fieldCount(); }
    QVariant headerData(int section, Qt::Orientation o, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        if (o == Qt::Vertical)
            return section + 1;
        return QString::fromStdString(table_.field(section).name);
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        try {
            if (table_.recno() != uint32_t(index.row() + 1) || table_.eof())
                table_.go(uint32_t(index.row() + 1));
            const xbase::Field& f = table_.field(index.column());
            if (f.type == 'M' || f.type == 'G' || f.type == 'P')
                return table_.memo(f.name).empty() ? QStringLiteral("memo") : QStringLiteral("Memo");
            return QString::fromStdString(table_.text(f.name));
        } catch (const std::exception&) {
            return QStringLiteral("?");
        }
    }

private:
    xbase::Table& table_;
};

} // namespace

TDBFMatchFields::TDBFMatchFields(xbase::Table& source, const FieldMatch& match, const QString& fileName, QWidget* parent)
    : MatchWindow(QStringLiteral("DBF File Import Match Fields"), match, fileName, HelpContext, parent)
{
    setObjectName(QStringLiteral("TDBFMatchFields"));
    auto* box = new QGroupBox(QStringLiteral("Import DBF File Browser"), this);
    box->setObjectName(QStringLiteral("BrowserBox"));
    browser_ = new QTableView(box);
    browser_->setObjectName(QStringLiteral("BrowserGrid"));
    browser_->setModel(new SourceModel(source, browser_));
    browser_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    browser_->setWhatsThis(QStringLiteral("The records of the table you import from."));
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(browser_);
    setSourcePanel(box);
}

} // namespace qb
