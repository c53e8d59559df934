#pragma once
// What the two rebuild windows share: a hidden gauge and status line over the
// buttons "Reindex" (default), "Cancel", "Help" and mouse help. While the work
// runs only the gauge and status show; afterwards the window closes.

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace qb {

class ReindexDialog : public QDialog {
    Q_OBJECT
public:
    // "Help" opens the topic of helpContext.
    ReindexDialog(const QString& caption, int helpContext, QWidget* parent);

protected:
    // The rebuild itself, between the buttons going away and coming back.
    virtual void work() = 0;
    void setStatus(const QString& text);
    void setGauge(int percent);

private:
    void ReindexButtonClick();
    void CancelButtonClick();

    QProgressBar* gauge_;
    QLabel* status_;
    QPushButton* reindex_;
    QPushButton* cancel_;
    QPushButton* help_;
    QToolButton* mouseHelp_;
};

} // namespace qb
