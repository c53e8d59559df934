#include "mainwindow/taddressbrowseform.h"

#include "core/placement.h"
#include "platform/help/help_viewer.h"
#include "platform/xbase/table.h"

#include <QApplication>
#include <QSpacerItem>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWhatsThis>

namespace qb {

namespace {
const QSize kDesignedSize(640, 400);

} // namespace

QSize browseFormSize(const QSize& designed, int logicalDpi)
{
    if (logicalDpi <= 96)
        return designed;
    const double factor = double(logicalDpi) / 96.0 * 0.95;
    return QSize(int(designed.width() * factor), int(designed.height() * factor));
}

TAddressBrowseForm::TAddressBrowseForm(AddressTable& table, const std::vector<RecordViewField>& columns, Hooks hooks,
                                       QWidget* parent)
    : QDialog(parent), table_(table), hooks_(std::move(hooks))
{
    setWindowTitle(QStringLiteral("Address Browse"));
    setObjectName(QStringLiteral("TAddressBrowseForm"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);
    setFont(QFont(QStringLiteral("Arial"), font().pointSize()));

    std::vector<RecordViewField> shown;
    for (const RecordViewField& f : columns)
        if (f.visible)
            shown.push_back(f);
    model_ = new BrowseModel(table_, shown, this);

    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("BrowseGrid"));
    grid_->setModel(model_);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->horizontalHeader()->setSectionsMovable(true);
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 4);
    grid_->verticalHeader()->hide();
    // Whole rows at the top, however the grid was scrolled.
    grid_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    // Each column as wide as its display width, and never narrower than its title.
    const QFontMetrics metrics(font());
    const int charWidth = metrics.horizontalAdvance(QLatin1Char('0'));
    for (int c = 0; c < int(shown.size()); ++c)
        grid_->setColumnWidth(c, std::max(shown[size_t(c)].displayWidth * charWidth,
                                          metrics.horizontalAdvance(shown[size_t(c)].label) + 6) + 8);

    const auto button = [this](const char* name, const QString& caption, void (TAddressBrowseForm::*handler)()) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* tag = button("TagButton", QStringLiteral("&Tag"), &TAddressBrowseForm::TagButtonClick);
    auto* first = button("FirstButton", QStringLiteral("|<"), &TAddressBrowseForm::FirstButtonClick);
    auto* prior = button("PriorButton", QStringLiteral("<"), &TAddressBrowseForm::PriorButtonClick);
    auto* next = button("NextButton", QStringLiteral(">"), &TAddressBrowseForm::NextButtonClick);
    auto* last = button("LastButton", QStringLiteral(">|"), &TAddressBrowseForm::LastButtonClick);
    auto* help = new QPushButton(QStringLiteral("Help"), this);
    help->setObjectName(QStringLiteral("HelpButton"));
    connect(help, &QPushButton::clicked, this, [this] { showHelp(HelpContext, this); });
    auto* mouseHelp = new QToolButton(this);
    mouseHelp->setObjectName(QStringLiteral("MouseHelpButton"));
    mouseHelp->setText(QStringLiteral("?"));
    connect(mouseHelp, &QToolButton::clicked, this, [] { QWhatsThis::enterWhatsThisMode(); });

    auto* buttons = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{ok, tag, first, prior, next, last, help, mouseHelp})
        buttons->addWidget(w);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid_, 1);
    partRow_ = new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Fixed);
    layout->addItem(partRow_);
    layout->addLayout(buttons);

    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { RowChanged(current.row()); });
    connect(grid_, &QTableView::doubleClicked, this, &TAddressBrowseForm::TagButtonClick);
    showCurrent();
    installWhatsThis(this, {
        {"BrowseGrid", "The records that pass the filter, one row each. The highlighted row is the current record; double-click a row to tag or untag it. Drag a column title to move the column."},
        {"TagButton", "Tags or untags the highlighted record."},
        {"FirstButton", "Goes to the first record."},
        {"PriorButton", "Goes to the previous record."},
        {"NextButton", "Goes to the next record."},
        {"LastButton", "Goes to the last record."},
        {"OkButton", "Closes the table; the highlighted record stays current."},
        {"HelpButton", "Opens the help topic of this window."},
        {"MouseHelpButton", "Click here, then on any control, to see what it does."},
    });
}

QStringList TAddressBrowseForm::columnOrder() const
{
    QStringList names;
    const QHeaderView* header = grid_->horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual)
        names << model_->columns()[size_t(header->logicalIndex(visual))].name;
    return names;
}

void TAddressBrowseForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (activated_)
        return;
    activated_ = true;
    resize(browseFormSize(kDesignedSize, logicalDpiY()));
    restorePlacement(this, QStringLiteral("TAddressBrowseForm"));
    // Scrolled again at the size the window shows with.
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    showCurrent();
}

void TAddressBrowseForm::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    // The grid shows whole rows only, as a table of records does: the part
    // of a row that would show below the last whole one is left blank under
    // the grid, so a grid scrolled to its end never cuts its top row.
    const int row = grid_->verticalHeader()->defaultSectionSize();
    const int height = grid_->viewport()->height() + partRow_->sizeHint().height();
    const int part = row > 0 ? height % row : 0;
    if (part != partRow_->sizeHint().height()) {
        partRow_->changeSize(0, part, QSizePolicy::Minimum, QSizePolicy::Fixed);
        layout()->invalidate();
    }
}

void TAddressBrowseForm::done(int result)
{
    if (activated_ && !placementSaved_) {
        placementSaved_ = true;
        savePlacement(this, QStringLiteral("TAddressBrowseForm"));
    }
    QDialog::done(result);
}

// The grid's current row follows the table's current record.
void TAddressBrowseForm::showCurrent()
{
    const xbase::Table& t = table_.table();
    const int row = t.eof() ? -1 : model_->rowOf(t.recno());
    if (row >= 0) {
        QSignalBlocker block(grid_->selectionModel());
        grid_->selectRow(row);
        grid_->setCurrentIndex(model_->index(row, std::max(0, grid_->currentIndex().column())));
        grid_->scrollTo(model_->index(row, 0));
    }
}

void TAddressBrowseForm::RowChanged(int row)
{
    const uint32_t recno = model_->recnoAt(row);
    if (recno == 0 || !table_.table().go(recno))
        return;
    if (hooks_.moved)
        hooks_.moved();
}

void TAddressBrowseForm::goToRow(int row)
{
    if (row < 0 || row >= model_->rowCount()) {
        QApplication::beep();
        return;
    }
    grid_->selectRow(row);
    grid_->setCurrentIndex(model_->index(row, std::max(0, grid_->currentIndex().column())));
}

void TAddressBrowseForm::TagButtonClick()
{
    if (!hooks_.toggleTag || !hooks_.toggleTag())
        return;
    const int row = grid_->currentIndex().row();
    if (hooks_.filterSet && hooks_.filterSet()) {
        model_->reload();
        showCurrent();
    } else if (row >= 0) {
        model_->refreshRow(row);
    }
}

void TAddressBrowseForm::FirstButtonClick() { goToRow(model_->rowCount() > 0 ? 0 : -1); }
void TAddressBrowseForm::PriorButtonClick() { goToRow(grid_->currentIndex().row() - 1); }
void TAddressBrowseForm::NextButtonClick()
{
    const int row = grid_->currentIndex().row();
    goToRow(row + 1 < model_->rowCount() ? row + 1 : model_->rowCount());
}
void TAddressBrowseForm::LastButtonClick() { goToRow(model_->rowCount() - 1); }

} // namespace qb
