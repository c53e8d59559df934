#include "printing/print_status.h"

#include "core/messages.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace qb {

PrintStatusLoop::PrintStatusLoop(TBaseReport& job, PrintRunMode mode, PrintStatusTexts texts)
    : job_(job), mode_(mode), texts_(std::move(texts))
{
}

QString PrintStatusLoop::caption() const
{
    return mode_ == PrintRunMode::Print ? QStringLiteral("Print Status") : QStringLiteral("Preview Status");
}

QString PrintStatusLoop::buttonText() const
{
    if (ended_)
        return QStringLiteral("Ok");
    return mode_ == PrintRunMode::Print ? QStringLiteral("Cancel") : QStringLiteral("Stop");
}

bool PrintStatusLoop::succeeded() const
{
    return outcome_ == PrintOutcome::Completed || (mode_ == PrintRunMode::Preview && outcome_ == PrintOutcome::Stopped);
}

PrintOutcome PrintStatusLoop::run()
{
    if (ended_ || running_)
        return outcome_;
    running_ = true;
    bool completed = false;
    if (!cancelledEarly_)
        completed = job_.RunJob();
    running_ = false;
    ended_ = true;

    const bool print = mode_ == PrintRunMode::Print;
    QString format;
    QStringList lines;
    if (cancelledEarly_ || (job_.Aborted() && job_.LastError().isEmpty())) {
        outcome_ = PrintOutcome::Aborted;
        format = print ? texts_.printCanceled : texts_.previewCanceled;
    } else if (!completed) {
        outcome_ = PrintOutcome::Failed;
        format = texts_.failed;
        lines << job_.LastError();
    } else if (stop_) {
        outcome_ = PrintOutcome::Stopped;
        format = texts_.previewStopped;
    } else {
        outcome_ = PrintOutcome::Completed;
        format = print ? texts_.printCompleted : texts_.previewReady;
    }
    job_.setStatusFormat(format);
    job_.setStatusText(lines);
    job_.RefreshStatus();
    return outcome_;
}

bool PrintStatusLoop::buttonPressed(const std::function<bool(const QString&)>& confirm)
{
    const QString text = buttonText().toUpper();
    if (text != QLatin1String("CANCEL") && text != QLatin1String("STOP"))
        return true;
    if (mode_ == PrintRunMode::Preview) {
        stop_ = true;
        if (!running_)
            cancelledEarly_ = true;
        return false;
    }
    // A run without a cancel question stops at once.
    if (texts_.cancelQuestion.isEmpty() || (confirm && confirm(texts_.cancelQuestion))) {
        job_.AbortJob();
        if (!running_)
            cancelledEarly_ = true;
    }
    return false;
}

TPrintStatusWindow::TPrintStatusWindow(TBaseReport& job, PrintRunMode mode, PrintStatusTexts texts, QWidget* parent)
    : QDialog(parent), loop_(job, mode, std::move(texts))
{
    setObjectName(QStringLiteral("TPrintStatusWindow"));
    setWindowTitle(QStringLiteral("Print Status Screen"));
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("StatusLabel"));
    status_->setAlignment(Qt::AlignCenter);
    status_->setMinimumSize(280, 72);
    button_ = new QPushButton(this);
    button_->setObjectName(QStringLiteral("CancelButton"));
    button_->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_, 1);
    layout->addWidget(button_, 0, Qt::AlignHCenter);
    connect(button_, &QPushButton::clicked, this, &TPrintStatusWindow::CancelButtonClick);

    job.setStatusLabel(status_);
    setWindowTitle(loop_.caption());
    button_->setText(loop_.buttonText());
}

void TPrintStatusWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (started_)
        return;
    started_ = true;
    // The job runs once the window is on the screen, inside its modal loop.
    QTimer::singleShot(0, this, &TPrintStatusWindow::runJob);
}

void TPrintStatusWindow::runJob()
{
    loop_.run();
    button_->setText(loop_.buttonText());
}

void TPrintStatusWindow::CancelButtonClick()
{
    const bool close = loop_.buttonPressed([this](const QString& question) {
        return askQuestion(question, windowTitle());
    });
    if (close)
        accept();
}

void TPrintStatusWindow::reject()
{
    // Esc and the close box act as the button; the window stays while the job runs.
    if (loop_.ended())
        QDialog::reject();
    else
        CancelButtonClick();
}

} // namespace qb
