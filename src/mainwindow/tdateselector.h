#pragma once
// "Select a Date": the date picker behind the record's "Date" button.

#include <QDate>
#include <QDialog>

class QCalendarWidget;
class QLabel;

namespace qb {

class TDateSelector : public QDialog {
    Q_OBJECT
public:
    // exec() returns QDialog::Accepted for "Ok", QDialog::Rejected for
    // "Cancel" (and Esc, and closing the window), NoDate for "No Date".
    static constexpr int NoDate = 2;
    static constexpr int HelpContext = 1025;

    explicit TDateSelector(QWidget* parent = nullptr);

    // The caller sets the date before showing the dialog (see dateSelectorStart).
    void setDate(const QDate& date);
    QDate date() const;

    // What "Today" moves to; the clock's date unless a test sets another.
    void setToday(const QDate& today) { today_ = today; }

private:
    void CalendarChange();
    void YearMinusButtonClick();
    void MonthMinusButtonClick();
    void TodayButtonClick();
    void MonthPlusButtonClick();
    void YearPlusButtonClick();
    void NoDateButtonClick();
    void HelpButtonClick();

    QCalendarWidget* calendar_ = nullptr;
    QLabel* dateLabel_ = nullptr;
    QDate today_;
};

} // namespace qb
