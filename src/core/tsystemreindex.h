#pragma once
// "Rebuild System Indexes": packs each system table and builds its tag anew,
// one table after the other, with a gauge and a status line. The work itself is
// rebuildSystemIndexes (system_tables.h); this window only shows it.

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace qb {

class TSystemReindex : public QDialog {
    Q_OBJECT
public:
    explicit TSystemReindex(QWidget* parent = nullptr);

signals:
    void helpRequested();

private:
    void ReindexButtonClick();
    void CancelButtonClick();

    QLabel* status_;
    QProgressBar* gauge_;
    QPushButton* reindexButton_;
    QPushButton* cancelButton_;
    QPushButton* helpButton_;
    QToolButton* mouseHelpButton_;
};

} // namespace qb
