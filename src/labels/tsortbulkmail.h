#pragma once
// "Bulk Mail Presorting": runs the presort over the table as soon as it is
// shown, with a bold status line and a Cancel that asks first, and closes
// itself when done. exec() returns Accepted only when PRESORT.PSL was written.

#include "labels/bulk_presort.h"

#include <QDialog>

class QLabel;

namespace qb {

class TSortBulkMail : public QDialog {
    Q_OBJECT
public:
    TSortBulkMail(xbase::Table& table, const QString& listPath, QWidget* parent = nullptr);

    PresortOutcome outcome() const { return outcome_; }

signals:
    void statusChanged(const QString& status);

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void FormActivate();
    void CancelButtonClick();

    xbase::Table& table_;
    QString listPath_;
    QLabel* status_;
    PresortOutcome outcome_ = PresortOutcome::Cancelled;
    bool started_ = false;
    bool running_ = false;
    bool stop_ = false;
};

} // namespace qb
