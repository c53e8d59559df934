#include "mainwindow/tgetfirstlastzip.h"

#include "core/placement.h"
#include "platform/help/help_viewer.h"
#include "platform/xbase/table.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qb {
namespace {

int widthOf(const xbase::Table& table, const char* name, int fallback)
{
    const int index = table.fieldIndex(name);
    return index < 0 ? fallback : int(table.field(index).length);
}

QString withoutTrailingBlanks(QString text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    text.truncate(end);
    return text;
}

QLineEdit* box(QWidget* parent, const char* name, int maxLength, const QString& help)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1StringView(name));
    edit->setMaxLength(maxLength > 0 ? maxLength : 1);
    edit->setWhatsThis(help);
    return edit;
}

QLabel* label(QWidget* parent, const char* name, const QString& caption, QWidget* buddy)
{
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QLatin1StringView(name));
    l->setBuddy(buddy);
    return l;
}

} // namespace

NewRecordWidths newRecordWidths(const xbase::Table& table)
{
    const NewRecordWidths defaults;
    return {widthOf(table, "LNAME", defaults.lastName), widthOf(table, "FNAME", defaults.firstName),
            widthOf(table, "ZIP", defaults.zip)};
}

TGetFirstLastZip::TGetFirstLastZip(bool askNames, bool askZip, const NewRecordWidths& widths, QWidget* parent)
    : QDialog(parent), askNames_(askNames), askZip_(askZip)
{
    setObjectName(QStringLiteral("TGetFirstLastZip"));
    setWindowTitle(QStringLiteral("New Record"));

    lastName_ = box(this, "LastNameEdit", widths.lastName,
                    QStringLiteral("The new record's last name; a record with the same names is reported before "
                                   "the new one is started."));
    firstName_ = box(this, "FirstNameEdit", widths.firstName, QStringLiteral("The new record's first name."));
    zip_ = box(this, "ZipEdit", widths.zip,
               QStringLiteral("The new record's zip or postal code; the city and state of a record with this code "
                              "are filled in."));
    lastNameLabel_ = label(this, "LastNameLabel", QStringLiteral("Last Name"), lastName_);
    firstNameLabel_ = label(this, "FirstNameLabel", QStringLiteral("First Name"), firstName_);
    zipLabel_ = label(this, "ZipLabel", QStringLiteral("Zip Code or Postal Code"), zip_);

    // Only the asked boxes go into the grid, so the zip takes the last
    // name's row when the names are not asked.
    auto* grid = new QGridLayout;
    int row = 0;
    if (askNames_) {
        grid->addWidget(lastNameLabel_, row, 0);
        grid->addWidget(lastName_, row++, 1);
        grid->addWidget(firstNameLabel_, row, 0);
        grid->addWidget(firstName_, row++, 1);
    }
    if (askZip_) {
        grid->addWidget(zipLabel_, row, 0);
        grid->addWidget(zip_, row++, 1);
    }
    for (QWidget* w : {static_cast<QWidget*>(lastNameLabel_), static_cast<QWidget*>(lastName_),
                       static_cast<QWidget*>(firstNameLabel_), static_cast<QWidget*>(firstName_)})
        w->setVisible(askNames_);
    zipLabel_->setVisible(askZip_);
    zip_->setVisible(askZip_);
    grid->setColumnStretch(1, 1);
    grid->setColumnMinimumWidth(1, fontMetrics().averageCharWidth() * 24);

    // Enter moves between the boxes and only the zip box's Enter accepts, so
    // no button is the default.
    auto* ok = new QPushButton(QStringLiteral("Ok [PgDn]"), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setAutoDefault(false);
    ok->setWhatsThis(QStringLiteral("Starts the new record with what was typed."));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    cancel->setAutoDefault(false);
    cancel->setWhatsThis(QStringLiteral("No new record is added."));
    connect(ok, &QPushButton::clicked, this, &TGetFirstLastZip::OkButtonClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    for (QLineEdit* edit : {lastName_, firstName_, zip_})
        edit->installEventFilter(this);
    installWhatsThisMenus(this);
    (askNames_ ? lastName_ : zip_)->setFocus();
}

NewRecordEntry TGetFirstLastZip::entry() const
{
    NewRecordEntry e;
    if (askNames_) {
        e.lastName = withoutTrailingBlanks(lastName_->text());
        e.firstName = withoutTrailingBlanks(firstName_->text());
    }
    if (askZip_)
        e.zip = withoutTrailingBlanks(zip_->text());
    return e;
}

void TGetFirstLastZip::OkButtonClick() { accept(); }

void TGetFirstLastZip::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_PageDown) {
        OkButtonClick();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TGetFirstLastZip::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_PageDown || ((key == Qt::Key_Return || key == Qt::Key_Enter) && watched == zip_)) {
            OkButtonClick();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Enter in a name box moves on, as Tab does; past the first name
            // without a zip box that is the end of the typing.
            if (watched == lastName_)
                firstName_->setFocus(Qt::TabFocusReason);
            else if (askZip_)
                zip_->setFocus(Qt::TabFocusReason);
            else
                OkButtonClick();
            return true;
        }
    }
    // Leaving the first name by keyboard is the end of the typing when there
    // is no zip to ask; a click elsewhere (on "Cancel", say) is not.
    if (event->type() == QEvent::FocusOut && watched == firstName_ && !askZip_ && isVisible() && result() == 0) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)
            OkButtonClick();
    }
    return QDialog::eventFilter(watched, event);
}

std::optional<NewRecordEntry> askNewRecordEntry(bool askNames, bool askZip, QWidget* parent,
                                                const NewRecordWidths& widths)
{
    TGetFirstLastZip dialog(askNames, askZip, widths, parent);
    dialog.adjustSize();
    centreWindow(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.entry();
}

} // namespace qb
