#include "core/tqbreindex.h"

#include "core/index_maintenance.h"
#include "platform/xbase/table.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWhatsThis>

namespace qb {

TQBReindex::TQBReindex(xbase::Table& table, QWidget* parent) : QDialog(parent), table_(table)
{
    setObjectName(QStringLiteral("TQBReindex"));
    setWindowTitle(QStringLiteral("Rebuild indexes for ") + QFileInfo(QString::fromStdString(table.path())).fileName());

    gauge_ = new QProgressBar(this);
    gauge_->setObjectName(QStringLiteral("Gauge"));
    gauge_->setRange(0, 100);
    gauge_->setValue(0);
    gauge_->hide();
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("StatusLabel"));
    status_->hide();

    reindex_ = new QPushButton(QStringLiteral("Reindex"), this);
    reindex_->setObjectName(QStringLiteral("ReindexButton"));
    reindex_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("CancelButton"));
    help_ = new QPushButton(QStringLiteral("Help"), this);
    help_->setObjectName(QStringLiteral("HelpButton"));
    mouseHelp_ = new QToolButton(this);
    mouseHelp_->setObjectName(QStringLiteral("MouseHelpButton"));
    mouseHelp_->setText(QStringLiteral("?"));

    connect(reindex_, &QPushButton::clicked, this, &TQBReindex::ReindexButtonClick);
    connect(cancel_, &QPushButton::clicked, this, &TQBReindex::CancelButtonClick);
    connect(help_, &QPushButton::clicked, this, [this] { emit helpRequested(HelpContext); });
    connect(mouseHelp_, &QToolButton::clicked, this, [] { QWhatsThis::enterWhatsThisMode(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(reindex_);
    buttons->addWidget(cancel_);
    buttons->addWidget(help_);
    buttons->addWidget(mouseHelp_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(gauge_);
    layout->addWidget(status_);
    layout->addLayout(buttons);
}

void TQBReindex::CancelButtonClick()
{
    gauge_->hide();
    reject();
}

void TQBReindex::ReindexButtonClick()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    gauge_->show();
    reindex_->setEnabled(false);
    cancel_->hide();
    help_->hide();
    mouseHelp_->hide();
    status_->show();

    Reindexer reindexer({
        [this](const QString& text) { status_->setText(text); },
        [this](int value) { gauge_->setValue(value); },
        [this] { repaint(); },
    });
    succeeded_ = reindexer.run(table_);

    gauge_->hide();
    gauge_->setValue(0);
    reindex_->setEnabled(true);
    cancel_->show();
    QApplication::restoreOverrideCursor();
    accept();
}

} // namespace qb
