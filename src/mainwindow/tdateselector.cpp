#include "mainwindow/tdateselector.h"

#include "platform/help/help_viewer.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWhatsThis>

namespace qb {
namespace {

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QString& hint = {})
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1StringView(name));
    b->setAutoDefault(false);
    if (!hint.isEmpty()) {
        b->setToolTip(hint);
        b->setWhatsThis(hint);
    }
    return b;
}

} // namespace

TDateSelector::TDateSelector(QWidget* parent) : QDialog(parent), today_(QDate::currentDate())
{
    setObjectName(QStringLiteral("TDateSelector"));
    setWindowTitle(QStringLiteral("Select a Date"));

    dateLabel_ = new QLabel(this);
    dateLabel_->setObjectName(QStringLiteral("DateLabel"));
    dateLabel_->setAlignment(Qt::AlignCenter);
    dateLabel_->setWhatsThis(QStringLiteral("The date that \"Ok\" puts into the record."));

    auto* yearMinus = button(this, "YearMinusButton", QStringLiteral("Year-"), QStringLiteral("Show the previous year"));
    auto* monthMinus = button(this, "MonthMinusButton", QStringLiteral("Month-"), QStringLiteral("Show the previous month"));
    auto* today = button(this, "TodayButton", QStringLiteral("Today"), QStringLiteral("Show today's date"));
    auto* monthPlus = button(this, "MonthPlusButton", QStringLiteral("Month +"), QStringLiteral("Show the next month"));
    auto* yearPlus = button(this, "YearPlusButton", QStringLiteral("Year+"), QStringLiteral("Show the next year"));

    calendar_ = new QCalendarWidget(this);
    calendar_->setObjectName(QStringLiteral("Calendar"));
    calendar_->setFirstDayOfWeek(Qt::Sunday);
    calendar_->setGridVisible(true);
    calendar_->setWhatsThis(QStringLiteral("Click a day to select it; the line above shows the selected date."));

    auto* ok = button(this, "OkButton", QStringLiteral("Ok"));
    ok->setDefault(true);
    ok->setAutoDefault(true);
    ok->setWhatsThis(QStringLiteral("Puts the selected date into the record."));
    auto* cancel = button(this, "CancelButton", QStringLiteral("Cancel"));
    cancel->setWhatsThis(QStringLiteral("Closes the window and leaves the record's date as it was."));
    auto* noDate = button(this, "NoDateButton", QStringLiteral("No Date"));
    noDate->setWhatsThis(QStringLiteral("Clears the record's date."));
    auto* help = button(this, "HelpButton", QStringLiteral("Help"));
    auto* mouseHelp = new QToolButton(this);
    mouseHelp->setObjectName(QStringLiteral("MouseHelpButton"));
    mouseHelp->setText(QStringLiteral("?"));
    mouseHelp->setToolTip(QStringLiteral("What's this?"));

    connect(calendar_, &QCalendarWidget::selectionChanged, this, &TDateSelector::CalendarChange);
    connect(yearMinus, &QPushButton::clicked, this, &TDateSelector::YearMinusButtonClick);
    connect(monthMinus, &QPushButton::clicked, this, &TDateSelector::MonthMinusButtonClick);
    connect(today, &QPushButton::clicked, this, &TDateSelector::TodayButtonClick);
    connect(monthPlus, &QPushButton::clicked, this, &TDateSelector::MonthPlusButtonClick);
    connect(yearPlus, &QPushButton::clicked, this, &TDateSelector::YearPlusButtonClick);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(noDate, &QPushButton::clicked, this, &TDateSelector::NoDateButtonClick);
    connect(help, &QPushButton::clicked, this, &TDateSelector::HelpButtonClick);
    connect(mouseHelp, &QToolButton::clicked, this, [] { QWhatsThis::enterWhatsThisMode(); });

    auto* steps = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(yearMinus), static_cast<QWidget*>(monthMinus),
                       static_cast<QWidget*>(today), static_cast<QWidget*>(monthPlus),
                       static_cast<QWidget*>(yearPlus)})
        steps->addWidget(w);
    auto* buttons = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(ok), static_cast<QWidget*>(cancel), static_cast<QWidget*>(noDate),
                       static_cast<QWidget*>(help), static_cast<QWidget*>(mouseHelp)})
        buttons->addWidget(w);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(dateLabel_);
    layout->addLayout(steps);
    layout->addWidget(calendar_);
    layout->addLayout(buttons);

    installWhatsThisMenus(this);
    setDate(today_);
}

void TDateSelector::setDate(const QDate& date)
{
    calendar_->setSelectedDate(date.isValid() ? date : today_);
    CalendarChange();
}

QDate TDateSelector::date() const { return calendar_->selectedDate(); }

void TDateSelector::CalendarChange()
{
    dateLabel_->setText(QLocale().toString(calendar_->selectedDate(), QLocale::LongFormat));
}

// Stepping by months or years keeps the day where the target month has it and
// otherwise takes that month's last day (31 January + 1 month = end of February).
void TDateSelector::YearMinusButtonClick() { setDate(date().addYears(-1)); }
void TDateSelector::MonthMinusButtonClick() { setDate(date().addMonths(-1)); }
void TDateSelector::TodayButtonClick() { setDate(today_); }
void TDateSelector::MonthPlusButtonClick() { setDate(date().addMonths(1)); }
void TDateSelector::YearPlusButtonClick() { setDate(date().addYears(1)); }
void TDateSelector::NoDateButtonClick() { done(NoDate); }
void TDateSelector::HelpButtonClick() { showHelp(HelpContext, this); }

} // namespace qb
