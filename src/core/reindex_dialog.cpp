#include "core/reindex_dialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWhatsThis>

#include "platform/help/help_viewer.h"

#include <algorithm>

namespace qb {

ReindexDialog::ReindexDialog(const QString& caption, int helpContext, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(caption);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("StatusLine"));
    status_->hide();
    gauge_ = new QProgressBar(this);
    gauge_->setObjectName(QStringLiteral("Gauge"));
    gauge_->setRange(0, 100);
    gauge_->setValue(0);
    gauge_->hide();

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

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(reindex_);
    buttons->addWidget(cancel_);
    buttons->addWidget(help_);
    buttons->addWidget(mouseHelp_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addWidget(gauge_);
    layout->addStretch();
    layout->addLayout(buttons);

    connect(reindex_, &QPushButton::clicked, this, &ReindexDialog::ReindexButtonClick);
    connect(cancel_, &QPushButton::clicked, this, &ReindexDialog::CancelButtonClick);
    connect(help_, &QPushButton::clicked, this, [this, helpContext] { showHelp(helpContext, this); });
    connect(mouseHelp_, &QToolButton::clicked, this, [] { QWhatsThis::enterWhatsThisMode(); });
    installWhatsThis(this, {
        {"ReindexButton", "Removes the deleted records and writes the indexes anew."},
        {"CancelButton", "Closes the window without changing anything."},
        {"HelpButton", "Opens the help topic of this window."},
        {"MouseHelpButton", "Click here, then on any control, to see what it does."},
        {"Gauge", "How far the rebuild has come."},
    });
}

void ReindexDialog::setStatus(const QString& text)
{
    status_->setText(text);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ReindexDialog::setGauge(int percent)
{
    gauge_->setValue(std::clamp(percent, 0, 100));
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ReindexDialog::ReindexButtonClick()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    gauge_->show();
    reindex_->setEnabled(false);
    cancel_->hide();
    help_->hide();
    mouseHelp_->hide();
    status_->clear();
    status_->show();

    work();

    gauge_->setValue(0);
    gauge_->hide();
    reindex_->setEnabled(true);
    cancel_->show();
    QApplication::restoreOverrideCursor();
    accept();
}

void ReindexDialog::CancelButtonClick()
{
    gauge_->hide();
    reject();
}

} // namespace qb
