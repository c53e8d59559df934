#include "dialer/tfrmtapicall.h"

#include "core/messages.h"
#include "dialer/dial_string.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

namespace qb {

TfrmTAPICall::TfrmTAPICall(QWidget* parent) : TfrmTAPICall(openTelephonyLine(), parent) {}

TfrmTAPICall::TfrmTAPICall(std::unique_ptr<TelephonyLine> line, QWidget* parent) : QDialog(parent), line_(std::move(line))
{
    setObjectName(QStringLiteral("TfrmTAPICall"));
    setWindowTitle(QStringLiteral("TAPI Call - PICK UP THE PHONE"));

    auto* numberLabel = new QLabel(QStringLiteral("Number to call"), this);
    numberEdit_ = new QLineEdit(this);
    numberEdit_->setObjectName(QStringLiteral("NumberEdit"));
    numberEdit_->setMaxLength(kTelephonyDialLength);
    numberEdit_->setWhatsThis(QStringLiteral("The number the telephone line calls."));
    numberLabel->setBuddy(numberEdit_);

    call_ = new QPushButton(QStringLiteral("Call"), this);
    call_->setObjectName(QStringLiteral("CallButton"));
    call_->setDefault(true);
    hangup_ = new QPushButton(QStringLiteral("Hangup"), this);
    hangup_->setObjectName(QStringLiteral("HangupButton"));
    hangup_->setEnabled(false);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("CloseButton"));

    auto* statusLabel = new QLabel(QStringLiteral("Status"), this);
    status_ = new QPlainTextEdit(this);
    status_->setObjectName(QStringLiteral("StatusMemo"));
    status_->setReadOnly(true);
    statusLabel->setBuddy(status_);

    connect(call_, &QPushButton::clicked, this, &TfrmTAPICall::CallButtonClick);
    connect(hangup_, &QPushButton::clicked, this, &TfrmTAPICall::HangupButtonClick);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(line_.get(), &TelephonyLine::replied, this, &TfrmTAPICall::LineReply);
    connect(line_.get(), &TelephonyLine::callStateChanged, this, &TfrmTAPICall::LineCallState);
    connect(line_.get(), &TelephonyLine::lost, this, &TfrmTAPICall::LineLost);

    auto* numberRow = new QHBoxLayout;
    numberRow->addWidget(numberLabel);
    numberRow->addWidget(numberEdit_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(call_);
    buttons->addWidget(hangup_);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(numberRow);
    layout->addLayout(buttons);
    layout->addWidget(statusLabel);
    layout->addWidget(status_, 1);
    resize(360, 260);

    FormCreate();
}

// Closing the line (the member's destructor) ends a call still on it.
TfrmTAPICall::~TfrmTAPICall() = default;

QStringList TfrmTAPICall::statusLines() const
{
    return lineCount_ == 0 ? QStringList{} : status_->toPlainText().split(QLatin1Char('\n'));
}

void TfrmTAPICall::FormCreate()
{
    if (!line_->isOpen())
        addStatus(QStringLiteral("Error!! - ") + line_->failure());
}

void TfrmTAPICall::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!activated_) {
        activated_ = true;
        QTimer::singleShot(0, this, &TfrmTAPICall::FormActivate);
    }
}

void TfrmTAPICall::FormActivate()
{
    // The edit holds at most a number the line can take; a longer one is
    // refused here rather than cut by the edit.
    const QString refusal = dialStringRefusal(number_, kTelephonyDialLength);
    if (!refusal.isEmpty()) {
        showInformation(refusal);
        return;
    }
    numberEdit_->setText(number_);
    call_->click();
}

void TfrmTAPICall::CallButtonClick()
{
    const QString number = numberEdit_->text();
    if (number.isEmpty())
        return;
    const QString refusal = dialStringRefusal(number, kTelephonyDialLength);
    if (!refusal.isEmpty()) {
        showInformation(refusal);
        return;
    }
    // Without a line the reason stays above the failure, so the user sees why.
    if (line_->isOpen()) {
        status_->clear();
        lineCount_ = 0;
    }
    if (!line_->makeCall(number)) {
        addStatus(QStringLiteral("* Unknown Error calling number"));
        addStatus(QStringLiteral("* Is the line busy?"));
        return;
    }
    setCalling(true);
}

void TfrmTAPICall::HangupButtonClick()
{
    if (!line_->drop())
        addStatus(QStringLiteral("* Unknown Error hanging up"));
}

void TfrmTAPICall::LineReply(bool accepted) { addStatus(accepted ? QStringLiteral("TAPI started") : QStringLiteral("TAPI Error")); }

void TfrmTAPICall::LineCallState(const CallEvent& event)
{
    switch (event.state) {
    case CallState::Idle:
        addStatus(QStringLiteral("Idle"));
        setCalling(false);
        break;
    case CallState::DialTone: addStatus(QStringLiteral("Dialtone Detected...")); break;
    case CallState::Dialing: addStatus(QStringLiteral("Dialing")); break;
    case CallState::Busy: addStatus(QStringLiteral("Busy...")); break;
    case CallState::Connected: addStatus(QStringLiteral("Connected: ") + event.info); break;
    case CallState::Proceeding: addStatus(QStringLiteral("Proceeding...")); break;
    case CallState::Disconnected:
        switch (event.mode) {
        case DisconnectMode::Normal: addStatus(QStringLiteral("Disconnected: normal...")); break;
        case DisconnectMode::Busy: addStatus(QStringLiteral("Busy...")); break;
        case DisconnectMode::Other: addStatus(QString()); break;
        }
        HangupButtonClick();
        break;
    }
}

void TfrmTAPICall::LineLost(const QString& why)
{
    addStatus(why);
    setCalling(false);
}

void TfrmTAPICall::addStatus(const QString& line)
{
    // Every event is a line, an empty one too (appending to the edit would
    // swallow an empty first line).
    QTextCursor cursor(status_->document());
    cursor.movePosition(QTextCursor::End);
    if (lineCount_++ > 0)
        cursor.insertBlock();
    cursor.insertText(line);
    status_->ensureCursorVisible();
}

void TfrmTAPICall::setCalling(bool calling)
{
    call_->setEnabled(!calling);
    hangup_->setEnabled(calling);
}

} // namespace qb
