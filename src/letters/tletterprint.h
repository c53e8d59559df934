#pragma once
// "Print Status Screen": runs a letter print loop when it is first shown,
// shows "Printing page N" as it goes, and has one button: "Cancel" asks
// "Cancel print job?" after the current record; once the run ended it reads
// "Ok" and closes the window.

#include "letters/letter_print_loop.h"

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QPushButton;

namespace qb {

class TBaseReport;

class TLetterPrint : public QDialog {
    Q_OBJECT
public:
    TLetterPrint(LetterPrintLoop& loop, TBaseReport& job, QWidget* parent = nullptr);

    QLabel* statusLabel() const { return status_; }
    QPushButton* button() const { return button_; }
    PrintOutcome outcome() const { return outcome_; }
    bool ended() const { return ended_; }

    void CancelButtonClick();
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void print();

    // The status line and the event loop get their turn every kEventInterval
    // milliseconds, not after every record: a trip through the event loop
    // and a repaint of the label after each of ten thousand letters cost more
    // than the letters.
    static constexpr int kEventInterval = 40;
    QElapsedTimer sinceEvents_;
    QString pendingStatus_;
    LetterPrintLoop& loop_;
    TBaseReport& job_;
    QLabel* status_;
    QPushButton* button_;
    bool started_ = false;
    bool ended_ = false;
    PrintOutcome outcome_ = PrintOutcome::NotRun;
};

} // namespace qb
