#include "utilities/result_grid.h"

#include "core/messages.h"
#include "utilities/result_records.h"
#include "platform/xbase/table.h"

#include <QAbstractItemDelegate>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace qb {

ResultGrid::ResultGrid(xbase::Table& table, std::vector<GridColumn> columns, const QString& gridName, QWidget* parent)
    : QWidget(parent), table_(table)
{
    model_ = new RecordGridModel(table, std::move(columns), this);
    model_->onError = [](const QString& error) { showInformation(error); };
    view_ = new QTableView(this);
    view_->setObjectName(gridName);
    view_->setModel(model_);
    view_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    view_->verticalHeader()->hide();
    auto* hint = new QLabel(QStringLiteral("Click on field to begin editing"), this);
    auto* nav = new QHBoxLayout;
    const std::pair<const char*, int> moves[] = {{"FirstButton", 0}, {"PriorButton", 1}, {"NextButton", 2}, {"LastButton", 3}};
    for (auto [name, move] : moves) {
        static const char* const captions[] = {"|<", "<", ">", ">|"};
        auto* b = new QPushButton(QLatin1String(captions[move]), this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, m = move] {
            const int rows = model_->rowCount();
            if (rows == 0)
                return;
            const QModelIndex cur = view_->currentIndex();
            const int row = cur.isValid() ? cur.row() : 0;
            const int target = m == 0 ? 0 : m == 1 ? std::max(0, row - 1) : m == 2 ? std::min(rows - 1, row + 1) : rows - 1;
            view_->setCurrentIndex(model_->index(target, cur.isValid() ? cur.column() : 0));
        });
        nav->addWidget(b);
    }
    nav->addStretch();
    buttons_ = new QVBoxLayout;
    auto* body = new QHBoxLayout;
    body->addWidget(view_, 1);
    body->addLayout(buttons_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(hint);
    layout->addLayout(body, 1);
    layout->addLayout(nav);
}

void ResultGrid::refresh()
{
    undo();
    model_->refresh();
    if (model_->rowCount() > 0)
        view_->setCurrentIndex(model_->index(0, 0));
    syncTable();
}

bool ResultGrid::syncTable()
{
    const uint32_t recno = model_->recnoAt(view_->currentIndex().row());
    if (recno == 0 || table_.editing())
        return false;
    return table_.go(recno);
}

void ResultGrid::edit()
{
    QModelIndex cur = view_->currentIndex();
    if (!cur.isValid() && model_->rowCount() > 0)
        cur = model_->index(0, 0);
    if (!cur.isValid() || !(model_->flags(cur) & Qt::ItemIsEditable))
        return;
    undo();
    view_->openPersistentEditor(cur);
    editorOpen_ = cur;
}

void ResultGrid::save()
{
    if (!editorOpen_.isValid())
        return;
    if (QWidget* editor = view_->indexWidget(editorOpen_))
        view_->itemDelegate()->setModelData(editor, model_, editorOpen_);
    undo();
}

void ResultGrid::undo()
{
    if (editorOpen_.isValid())
        view_->closePersistentEditor(editorOpen_);
    editorOpen_ = QPersistentModelIndex();
}

void ResultGrid::addButtons(std::initializer_list<Button> buttons)
{
    for (const Button& each : buttons) {
        auto* b = new QPushButton(QLatin1String(each.caption), this);
        b->setObjectName(QLatin1String(each.name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, each.clicked);
        buttons_->addWidget(b);
    }
    buttons_->addStretch();
}

void ResultGrid::tagOnDoubleClick(AddressTable& addresses)
{
    connect(view_, &QTableView::doubleClicked, this, [this, &addresses](const QModelIndex& index) {
        if (model_->headerData(index.column(), Qt::Horizontal, Qt::DisplayRole).toString() == QLatin1String("Tagged"))
            tagCurrent(addresses);
    });
}

void ResultGrid::tagCurrent(AddressTable& addresses)
{
    if (!syncTable())
        return;
    const int row = view_->currentIndex().row();
    const QString error = toggleTag(addresses);
    if (!error.isEmpty())
        showInformation(error);
    model_->rowChanged(row);
}

void ResultGrid::tagAll(AddressTable& addresses, const QString& question)
{
    if (!askQuestion(question, QStringLiteral("TAG ALL")))
        return;
    const BulkOutcome outcome = tagShownRecords(addresses);
    if (!outcome.error.isEmpty())
        showInformation(outcome.error + QStringLiteral("\r\nTagged ") + QString::number(outcome.changed) + QStringLiteral(" records"));
    model_->refresh();
}

KeepGoing gaugeProgress(QProgressBar* gauge, const bool& cancelled)
{
    return [gauge, &cancelled, breaks = EventBreaks()](uint64_t done, uint64_t total) mutable {
        const int percent = total ? int(done * 100 / total) : 0;
        if (percent > 0 && percent < 100)
            gauge->setValue(percent);
        breaks.take();
        return !cancelled;
    };
}

} // namespace qb
