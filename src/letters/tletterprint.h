#pragma once
// "Print Status Screen": runs a letter print loop when it is first shown,
// shows "Printing page N" as it goes, and has one button: "Cancel" asks
// "Cancel print job?" after the current record; once the run ended it reads
// "Ok" and closes the window.

#include "letters/letter_print_loop.h"

#include <QDialog>

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

    LetterPrintLoop& loop_;
    TBaseReport& job_;
    QLabel* status_;
    QPushButton* button_;
    bool started_ = false;
    bool ended_ = false;
    PrintOutcome outcome_ = PrintOutcome::NotRun;
};

} // namespace qb
