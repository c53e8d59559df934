#include "utilities/result_grid.h"

#include "core/address_table.h"
#include "core/messages.h"
#include "core/placement.h"
#include "core/ttagallrecords.h"
#include "utilities/result_records.h"
#include "platform/xbase/table.h"

#include <QAbstractItemDelegate>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace qb {

namespace {

// The cell editor holds no more characters than the cell's field.
class FieldDelegate : public QStyledItemDelegate {
public:
    FieldDelegate(RecordGridModel& model, QObject* parent) : QStyledItemDelegate(parent), model_(model) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor); line && model_.fieldWidth(index.column()) > 0)
            line->setMaxLength(model_.fieldWidth(index.column()));
        return editor;
    }

private:
    RecordGridModel& model_;
};

} // namespace

ResultGrid::ResultGrid(xbase::Table& table, std::vector<GridColumn> columns, const QString& gridName, QWidget* parent)
    : QWidget(parent), table_(table)
{
    model_ = new RecordGridModel(table, std::move(columns), this);
    view_ = new QTableView(this);
    view_->setObjectName(gridName);
    view_->setModel(model_);
    view_->setItemDelegate(new FieldDelegate(*model_, view_));
    view_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    view_->setSelectionBehavior(QAbstractItemView::SelectItems);
    view_->verticalHeader()->hide();
    connect(view_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { currentRowChanged(current.row()); });
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
    // Each column as wide as its title and its field, without reading every row.
    QHeaderView* header = view_->horizontalHeader();
    const int charWidth = view_->fontMetrics().averageCharWidth();
    for (int c = 0; c < model_->columnCount(); ++c) {
        const int field = std::min(model_->fieldWidth(c), 24);
        const int title = header->fontMetrics().horizontalAdvance(model_->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString()) + 24;
        header->resizeSection(c, std::max(title, charWidth * std::max(field, 4) + 12));
    }
    if (model_->rowCount() > 0)
        view_->setCurrentIndex(model_->index(0, 0));
}

uint32_t ResultGrid::currentRecno() const { return model_->recnoAt(view_->currentIndex().row()); }

QWidget* ResultGrid::openEditor() const
{
    const QModelIndex cur = view_->currentIndex();
    return cur.isValid() ? view_->indexWidget(cur) : nullptr;
}

void ResultGrid::edit()
{
    QModelIndex cur = view_->currentIndex();
    if (!cur.isValid()) {
        if (model_->rowCount() == 0)
            return;
        cur = model_->index(0, 0);
    }
    // From a read-only column (Tagged) to the row's first field.
    for (int c = cur.column(); !(model_->flags(cur) & Qt::ItemIsEditable); cur = model_->index(cur.row(), ++c))
        if (c + 1 >= model_->columnCount())
            return;
    view_->setCurrentIndex(cur);
    if (!openEditor())
        view_->edit(cur);
    // Typing goes to the cell at once.
    if (QWidget* editor = openEditor())
        editor->setFocus(Qt::OtherFocusReason);
}

void ResultGrid::save()
{
    if (QWidget* editor = openEditor()) {
        emit view_->itemDelegate()->commitData(editor);
        emit view_->itemDelegate()->closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
    uint32_t saved = 0;
    const QString error = model_->savePending(&saved);
    if (!error.isEmpty()) {
        showInformation(error);
        return;
    }
    if (saved == 0)
        return;
    // The saved row may sort elsewhere now.
    const int column = std::max(0, view_->currentIndex().column());
    model_->refresh();
    const int row = model_->rowOf(saved);
    if (row >= 0)
        view_->setCurrentIndex(model_->index(row, column));
}

void ResultGrid::undo()
{
    if (QWidget* editor = openEditor())
        emit view_->itemDelegate()->closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    model_->dropPending();
}

void ResultGrid::addRow()
{
    if (!finishEditing())
        return;
    const int row = model_->addRow();
    if (row < 0)
        return;
    view_->setCurrentIndex(model_->index(row, 0));
    edit();
}

bool ResultGrid::finishEditing()
{
    if (QWidget* editor = openEditor()) {
        emit view_->itemDelegate()->commitData(editor);
        emit view_->itemDelegate()->closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
    if (!model_->hasPending())
        return true;
    if (!askQuestion(QStringLiteral("Save changes?"), QStringLiteral("Save"))) {
        model_->dropPending();
        return true;
    }
    const QString error = model_->savePending();
    if (error.isEmpty())
        return true;
    showInformation(error);
    return false;
}

void ResultGrid::currentRowChanged(int row)
{
    if (returning_ || !model_->hasPending() || row == model_->pendingRow() || row < 0)
        return;
    const int back = model_->pendingRow();
    if (finishEditing())
        return;
    // The row's edits stay; so does the row.
    returning_ = true;
    view_->setCurrentIndex(model_->index(back, std::max(0, view_->currentIndex().column())));
    returning_ = false;
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
    const uint32_t recno = currentRecno();
    if (recno == 0)
        return;
    QString error;
    try {
        if (table_.editing() || !table_.go(recno))
            return;
        error = toggleTag(addresses);
    } catch (const std::exception& e) {
        error = QString::fromStdString(e.what());
    }
    if (!error.isEmpty())
        showInformation(error);
    model_->rowChanged(view_->currentIndex().row());
}

void ResultGrid::tagAll(AddressTable& addresses, const QString& question)
{
    if (!finishEditing() || !askQuestion(question, QStringLiteral("TAG ALL")))
        return;
    // The Tagging window over the records shown: its count, its Cancel, and
    // what it says when the engine stops it.
    const int column = std::max(0, view_->currentIndex().column());
    TTagAllRecords tagging(table_, addresses.tagId(), window());
    centreWindow(&tagging);
    tagging.exec();
    model_->refresh();
    if (model_->rowCount() > 0)
        view_->setCurrentIndex(model_->index(0, column));
}

CheckProgress::CheckProgress(QProgressBar* gauge, QLabel* count, std::function<QString(uint64_t)> countText, const bool& cancelled)
    : gauge_(gauge), count_(count), countText_(std::move(countText)), cancelled_(cancelled)
{
}

void CheckProgress::begin()
{
    found_ = 0;
    gauge_->setValue(0);
    gauge_->show();
    count_->setText(countText_(0));
}

KeepGoing CheckProgress::keepGoing()
{
    return [this, breaks = EventBreaks()](uint64_t done, uint64_t total) mutable {
        if (!breaks.due())
            return !cancelled_;
        const int percent = total ? int(done * 100 / total) : 0;
        if (percent > 0 && percent < 100)
            gauge_->setValue(percent);
        count_->setText(countText_(found_));
        breaks.take();
        return !cancelled_;
    };
}

std::function<void(uint64_t)> CheckProgress::onFound()
{
    return [this](uint64_t found) { found_ = found; };
}

void CheckProgress::end(std::optional<uint64_t> found)
{
    gauge_->hide();
    count_->setText(found ? countText_(*found) : QString());
}

} // namespace qb
