#include "core/ttagallrecords.h"

#include "core/messages.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace qb {

TTagAllRecords::TTagAllRecords(xbase::Table& table, const QString& tagId, QWidget* parent)
    : QDialog(parent), table_(table), tagId_(tagId)
{
    setWindowTitle(QStringLiteral("Tagging"));
    setObjectName(QStringLiteral("TTagAllRecords"));
    auto* label = new QLabel(QStringLiteral("Tagging Records"), this);
    label->setObjectName(QStringLiteral("TaggingLabel"));
    progress_ = new QLabel(this);
    progress_->setObjectName(QStringLiteral("ProgressLabel"));
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("StatusLabel"));
    ok_ = new QPushButton(QStringLiteral("Ok"), this);
    ok_->setObjectName(QStringLiteral("OkButton"));
    ok_->hide();
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("CancelButton"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(progress_);
    layout->addWidget(status_);
    layout->addLayout(buttons);

    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &TTagAllRecords::CancelButtonClick);
}

void TTagAllRecords::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!started_) {
        started_ = true;
        // After the window is on the screen, so the count can be watched.
        QTimer::singleShot(0, this, &TTagAllRecords::FormActivate);
    }
}

void TTagAllRecords::FormActivate()
{
    // The count and the window's input are looked at every few hundredths of
    // a second, not after each of many thousand records.
    QElapsedTimer sinceShown;
    sinceShown.start();
    outcome_ = tagAllRecords(table_, tagId_, [this, &sinceShown](uint64_t tagged) {
        emit progressed(tagged);
        if (sinceShown.elapsed() >= 40) {
            progress_->setText(QString::number(tagged) + QStringLiteral(" tagged"));
            QApplication::processEvents();
            sinceShown.restart();
        }
        return !stopRequested_;
    });
    finished_ = true;
    status_->setText(outcome_.cancelled || !outcome_.error.isEmpty() ? QStringLiteral("Cancelled before completion")
                                                                     : QStringLiteral("Complete"));
    progress_->clear();
    cancel_->hide();
    ok_->show();
    ok_->setDefault(true);
    // The focus leaves the hidden "Cancel", so Return reaches "Ok".
    ok_->setFocus();
    if (!outcome_.error.isEmpty())
        showInformation(outcome_.error + QStringLiteral("\r\n\r\nTagging stopped after ") +
                        QString::number(outcome_.tagged) + QStringLiteral(" records."));
}

void TTagAllRecords::CancelButtonClick()
{
    if (!finished_ && askQuestion(QStringLiteral("Cancel Tagging?"), QStringLiteral("CANCEL")))
        stopRequested_ = true;
}

void TTagAllRecords::reject()
{
    // Esc and the close box may not end the window while it tags.
    if (finished_)
        QDialog::reject();
    else
        CancelButtonClick();
}

} // namespace qb
