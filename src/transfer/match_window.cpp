#include "transfer/match_window.h"

#include "platform/help/help_viewer.h"

#include <QCursor>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace qb {

MatchWindow::MatchWindow(const QString& caption, const FieldMatch& match, const QString& sourceFileName, int helpContext,
                         QWidget* parent)
    : QDialog(parent), match_(match)
{
    setWindowTitle(caption);
    auto* box = new QGroupBox(QStringLiteral("Field Match"), this);
    box->setObjectName(QStringLiteral("FieldMatchBox"));
    grid_ = new QTableWidget(int(match_.rows().size()), 2, box);
    grid_->setObjectName(QStringLiteral("MatchGrid"));
    grid_->setHorizontalHeaderLabels(
        {QStringLiteral("Quillbase Field"), QStringLiteral("Import from Field (in ") + sourceFileName + QStringLiteral(")")});
    grid_->verticalHeader()->hide();
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->setWhatsThis(QStringLiteral("Each field of the database with the field of the file it is filled from."));
    auto* boxLayout = new QVBoxLayout(box);
    boxLayout->addWidget(grid_);

    auto* select = new QPushButton(QStringLiteral("&Select Field"), this);
    select->setObjectName(QStringLiteral("SelectFieldButton"));
    auto* clearCurrent = new QPushButton(QStringLiteral("&Clear Current"), this);
    clearCurrent->setObjectName(QStringLiteral("ClearCurrentButton"));
    auto* clearAll = new QPushButton(QStringLiteral("Clear &All"), this);
    clearAll->setObjectName(QStringLiteral("ClearAllButton"));
    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    auto* help = new QPushButton(QStringLiteral("Help"), this);
    help->setObjectName(QStringLiteral("HelpButton"));

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {select, clearCurrent, clearAll})
        buttons->addWidget(b);
    buttons->addStretch();
    for (QPushButton* b : {ok, cancel, help})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box, 1);
    layout->addLayout(buttons);
    installWhatsThisMenus(this);

    connect(select, &QPushButton::clicked, this, &MatchWindow::SelectFieldButtonClick);
    connect(grid_, &QTableWidget::cellDoubleClicked, this, &MatchWindow::SelectFieldButtonClick);
    connect(clearCurrent, &QPushButton::clicked, this, [this] {
        if (grid_->currentRow() >= 0)
            match_.clear(grid_->currentRow());
        refresh();
    });
    connect(clearAll, &QPushButton::clicked, this, [this] {
        match_.clearAll();
        refresh();
    });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this, helpContext] { showHelp(helpContext, this); });

    refresh();
    grid_->setCurrentCell(0, 0);
    resize(640, 560);
}

void MatchWindow::setSourcePanel(QWidget* panel)
{
    sourcePanel_ = panel;
    static_cast<QVBoxLayout*>(layout())->insertWidget(0, panel, 1);
}

void MatchWindow::refresh()
{
    for (int r = 0; r < int(match_.rows().size()); ++r) {
        const int s = match_.sourceOf(r);
        auto* label = new QTableWidgetItem(QString::fromStdString(match_.rows()[size_t(r)].label));
        auto* source = new QTableWidgetItem(s < 0 ? QString() : QString::fromStdString(match_.sources()[size_t(s)].name));
        grid_->setItem(r, 0, label);
        grid_->setItem(r, 1, source);
    }
    grid_->resizeColumnToContents(0);
}

QMenu* MatchWindow::sourceMenu()
{
    delete menu_;
    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("SourceMenu"));
    const int row = grid_->currentRow();
    if (row < 0)
        return menu_;
    const int current = match_.sourceOf(row);
    const auto add = [&](const QString& text, int source) {
        QAction* a = menu_->addAction(text);
        a->setCheckable(true);
        a->setChecked(source == current);
        connect(a, &QAction::triggered, this, [this, row, source] {
            match_.select(row, source);
            refresh();
        });
    };
    add(QStringLiteral("(none)"), -1);
    for (int s : match_.choices(row))
        add(QString::fromStdString(match_.sources()[size_t(s)].name), s);
    return menu_;
}

void MatchWindow::SelectFieldButtonClick()
{
    if (grid_->currentRow() < 0)
        return;
    sourceMenu()->exec(QCursor::pos());
}

} // namespace qb
