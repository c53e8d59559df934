#pragma once
// "Tagging": tags every record of the table's filtered view as soon as it is
// shown, with a running count and a Cancel that asks first. Works on whatever
// table it is given (the address database, or a utility's result set).

#include "core/tag_all.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace qb {

class TTagAllRecords : public QDialog {
    Q_OBJECT
public:
    TTagAllRecords(xbase::Table& table, const QString& tagId, QWidget* parent = nullptr);

    const TagAllOutcome& outcome() const { return outcome_; }
    bool finished() const { return finished_; }

signals:
    // After each record, with the number tagged so far.
    void progressed(quint64 tagged);

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void FormActivate();
    void CancelButtonClick();

    xbase::Table& table_;
    QString tagId_;
    QLabel* progress_;
    QLabel* status_;
    QPushButton* ok_;
    QPushButton* cancel_;
    TagAllOutcome outcome_;
    bool started_ = false;
    bool finished_ = false;
    bool stopRequested_ = false;
};

} // namespace qb
