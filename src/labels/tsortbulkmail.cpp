#include "labels/tsortbulkmail.h"

#include "core/messages.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace qb {

TSortBulkMail::TSortBulkMail(xbase::Table& table, const QString& listPath, QWidget* parent)
    : QDialog(parent), table_(table), listPath_(listPath)
{
    setWindowTitle(QStringLiteral("Bulk Mail Presorting"));
    setObjectName(QStringLiteral("TSortBulkMail"));
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("StatusLabel"));
    QFont bold = status_->font();
    bold.setBold(true);
    status_->setFont(bold);
    status_->setMinimumWidth(260);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addWidget(cancel, 0, Qt::AlignCenter);
    connect(cancel, &QPushButton::clicked, this, &TSortBulkMail::CancelButtonClick);
}

void TSortBulkMail::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!started_) {
        started_ = true;
        QTimer::singleShot(0, this, &TSortBulkMail::FormActivate);
    }
}

void TSortBulkMail::FormActivate()
{
    running_ = true;
    outcome_ = presortTable(table_, listPath_, [this](const QString& status) {
        if (!status.isEmpty()) {
            status_->setText(status);
            emit statusChanged(status);
        }
        QApplication::processEvents();
        return !stop_;
    });
    running_ = false;
    if (outcome_ == PresortOutcome::WriteFailed)
        showInformation(QStringLiteral("Unable to write ") + listPath_);
    if (outcome_ == PresortOutcome::Done)
        accept();
    else
        QDialog::reject();
}

void TSortBulkMail::CancelButtonClick()
{
    if (running_ && askQuestion(QStringLiteral("Cancel PRESORT?"), QStringLiteral("Cancel")))
        stop_ = true;
}

void TSortBulkMail::reject()
{
    // Esc and the close box ask like Cancel while the presort runs.
    if (running_)
        CancelButtonClick();
    else
        QDialog::reject();
}

} // namespace qb
