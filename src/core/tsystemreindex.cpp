#include "core/tsystemreindex.h"

#include "core/system_tables.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWhatsThis>

#include <algorithm>

namespace qb {

TSystemReindex::TSystemReindex(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TSystemReindex"));
    setWindowTitle(QStringLiteral("Rebuild System Indexes"));

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("StatusLine"));
    status_->hide();
    gauge_ = new QProgressBar(this);
    gauge_->setObjectName(QStringLiteral("Gauge"));
    gauge_->setRange(0, 100);
    gauge_->setValue(0);
    gauge_->hide();

    reindexButton_ = new QPushButton(QStringLiteral("Reindex"), this);
    reindexButton_->setObjectName(QStringLiteral("ReindexButton"));
    reindexButton_->setDefault(true);
    cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton_->setObjectName(QStringLiteral("CancelButton"));
    helpButton_ = new QPushButton(QStringLiteral("Help"), this);
    helpButton_->setObjectName(QStringLiteral("HelpButton"));
    mouseHelpButton_ = new QToolButton(this);
    mouseHelpButton_->setObjectName(QStringLiteral("MouseHelpButton"));
    mouseHelpButton_->setText(QStringLiteral("?"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(reindexButton_);
    buttons->addWidget(cancelButton_);
    buttons->addWidget(helpButton_);
    buttons->addWidget(mouseHelpButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addWidget(gauge_);
    layout->addStretch();
    layout->addLayout(buttons);

    connect(reindexButton_, &QPushButton::clicked, this, &TSystemReindex::ReindexButtonClick);
    connect(cancelButton_, &QPushButton::clicked, this, &TSystemReindex::CancelButtonClick);
    connect(helpButton_, &QPushButton::clicked, this, &TSystemReindex::helpRequested);
    connect(mouseHelpButton_, &QToolButton::clicked, this, [] { QWhatsThis::enterWhatsThisMode(); });
}

void TSystemReindex::ReindexButtonClick()
{
    gauge_->show();
    reindexButton_->setEnabled(false);
    cancelButton_->hide();
    helpButton_->hide();
    mouseHelpButton_->hide();
    status_->clear();
    status_->show();

    rebuildSystemIndexes(
        [this](const SystemIndexStep& step) {
            status_->setText(QString::fromLatin1(step.status));
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        },
        [this](int percent) {
            gauge_->setValue(std::clamp(percent, 0, 100));
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });

    gauge_->setValue(0);
    gauge_->hide();
    reindexButton_->setEnabled(true);
    cancelButton_->show();
    accept();
}

void TSystemReindex::CancelButtonClick()
{
    gauge_->hide();
    reject();
}

} // namespace qb
