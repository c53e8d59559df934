#include "letters/tletterprint.h"

#include "core/messages.h"
#include "printing/tbasereport.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace qb {

TLetterPrint::TLetterPrint(LetterPrintLoop& loop, TBaseReport& job, QWidget* parent)
    : QDialog(parent), loop_(loop), job_(job)
{
    setObjectName(QStringLiteral("TLetterPrint"));
    setWindowTitle(QStringLiteral("Print Status Screen"));
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("StatusLabel"));
    status_->setMinimumWidth(260);
    status_->setAlignment(Qt::AlignCenter);
    button_ = new QPushButton(QStringLiteral("Cancel"), this);
    button_->setObjectName(QStringLiteral("CancelButton"));
    connect(button_, &QPushButton::clicked, this, &TLetterPrint::CancelButtonClick);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(button_);
    row->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addLayout(row);

    loop_.status = [this](const QString& text) { pendingStatus_ = text; };
    loop_.idle = [this] {
        if (sinceEvents_.isValid() && sinceEvents_.elapsed() < kEventInterval)
            return;
        sinceEvents_.start();
        status_->setText(pendingStatus_);
        QApplication::processEvents();
    };
    loop_.confirmCancel = [](const QString& question) { return askQuestion(question, QStringLiteral("Print Letters")); };
}

void TLetterPrint::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (started_)
        return;
    started_ = true;
    // From the window's own event loop, which the run keeps turning.
    QTimer::singleShot(0, this, &TLetterPrint::print);
}

void TLetterPrint::print()
{
    outcome_ = loop_.run(job_);
    ended_ = true;
    button_->setText(QStringLiteral("Ok"));
    switch (outcome_) {
    case PrintOutcome::Completed: status_->setText(QStringLiteral("Letter Print Completed!")); break;
    case PrintOutcome::Aborted:
    case PrintOutcome::Stopped: status_->setText(QStringLiteral("Letter Print Canceled!")); break;
    default:
        // Never "Completed" after a failure.
        status_->setText(QStringLiteral("Letter Print Failed!\n") + job_.LastError());
        break;
    }
}

void TLetterPrint::CancelButtonClick()
{
    if (ended_)
        accept();
    else if (started_)
        loop_.requestCancel();
}

void TLetterPrint::reject()
{
    // Esc or the title bar's close button while printing ask like Cancel.
    CancelButtonClick();
    if (!started_)
        QDialog::reject();
}

} // namespace qb
