#pragma once
// The modal status window every printing window runs its job under: a status
// line the job writes and one button. While the job runs the button reads
// "Cancel" (printing: after a Yes to the caller's question the job is aborted
// and prints nothing more) or "Stop" (preview: the caller's loop ends after
// the current record, and the pages so far are shown); once the job ended it
// reads "Ok" and closes the window.
//
// PrintStatusLoop holds those rules without any widget; TPrintStatusWindow is
// the window over it, which runs the job when it is first shown.

#include "printing/tbasereport.h"

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;

namespace qb {

enum class PrintRunMode { Print, Preview };
enum class PrintOutcome { NotRun, Completed, Aborted, Stopped, Failed };

// The texts a caller's status window shows; the defaults are the reports'.
// The final ones are status formats (%p the page, %0 the error of a failure).
struct PrintStatusTexts {
    QString cancelQuestion = QStringLiteral("Cancel Report Printing?");
    QString printCanceled = QStringLiteral("\rReport Print Canceled!");
    QString previewCanceled = QStringLiteral("\rReport Preview Canceled!");
    QString previewStopped = QStringLiteral("\rPreview Stopped at page %p!");
    QString printCompleted = QStringLiteral("\rReport Print Completed!");
    QString previewReady = QStringLiteral("\rReport Preview Ready!");
    QString failed = QStringLiteral("\rPrinting Failed!\r%0");
};

class PrintStatusLoop {
public:
    PrintStatusLoop(TBaseReport& job, PrintRunMode mode, PrintStatusTexts texts = {});

    TBaseReport& job() { return job_; }
    PrintRunMode mode() const { return mode_; }
    // "Print Status" or "Preview Status".
    QString caption() const;
    // "Cancel" / "Stop" until the job ended, then "Ok".
    QString buttonText() const;

    // Runs the job once (not at all when it was cancelled before it began) and
    // shows the final status line.
    PrintOutcome run();
    bool ended() const { return ended_; }
    PrintOutcome outcome() const { return outcome_; }
    // True after a print that completed, or a preview that was neither
    // cancelled nor failed (a stopped preview still shows its pages).
    bool succeeded() const;

    // What the caller's loop tests after each record.
    bool stopRequested() const { return stop_; }
    bool shouldStop() const { return stop_ || job_.Aborted() || cancelledEarly_; }

    // The button was pressed; confirm answers the cancel question. True when
    // the window is to close.
    bool buttonPressed(const std::function<bool(const QString&)>& confirm);

private:
    TBaseReport& job_;
    PrintRunMode mode_;
    PrintStatusTexts texts_;
    bool running_ = false;
    bool ended_ = false;
    bool stop_ = false;
    bool cancelledEarly_ = false;
    PrintOutcome outcome_ = PrintOutcome::NotRun;
};

class TPrintStatusWindow : public QDialog {
    Q_OBJECT
public:
    TPrintStatusWindow(TBaseReport& job, PrintRunMode mode, PrintStatusTexts texts = {}, QWidget* parent = nullptr);

    PrintStatusLoop& loop() { return loop_; }
    QLabel* statusLabel() const { return status_; }
    QPushButton* button() const { return button_; }

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CancelButtonClick();
    void runJob();

    PrintStatusLoop loop_;
    QLabel* status_ = nullptr;
    QPushButton* button_ = nullptr;
    bool started_ = false;
};

} // namespace qb
