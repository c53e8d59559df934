#include "mainwindow/tsearchbox.h"

#include "platform/help/help_viewer.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWhatsThis>

namespace qb {

TSearchBox::TSearchBox(const QStringList& orders, const QString& current, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Search"));
    setObjectName(QStringLiteral("TSearchBox"));

    searchLabel_ = new QLabel(QStringLiteral("&Search for"), this);
    searchLabel_->setObjectName(QStringLiteral("SearchLabel"));
    edit_ = new QLineEdit(this);
    edit_->setObjectName(QStringLiteral("SearchEdit"));
    searchLabel_->setBuddy(edit_);
    auto* orderLabel = new QLabel(QStringLiteral("Search &Order"), this);
    orderLabel->setObjectName(QStringLiteral("OrderLabel"));
    order_ = new QComboBox(this);
    order_->setObjectName(QStringLiteral("OrderComboBox"));
    order_->addItems(orders);
    order_->setCurrentIndex(std::max(0, int(orders.indexOf(current))));
    orderLabel->setBuddy(order_);

    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    auto* help = new QPushButton(QStringLiteral("Help"), this);
    help->setObjectName(QStringLiteral("HelpButton"));
    auto* mouseHelp = new QToolButton(this);
    mouseHelp->setObjectName(QStringLiteral("MouseHelpButton"));
    mouseHelp->setText(QStringLiteral("?"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(searchLabel_);
    layout->addWidget(edit_);
    layout->addWidget(orderLabel);
    layout->addWidget(order_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QWidget* b : std::initializer_list<QWidget*>{ok, cancel, help, mouseHelp})
        buttons->addWidget(b);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { showHelp(HelpContext, this); });
    connect(mouseHelp, &QToolButton::clicked, this, [] { QWhatsThis::enterWhatsThisMode(); });
    connect(order_, &QComboBox::currentIndexChanged, this, &TSearchBox::OrderChange);
    installWhatsThis(this, {
        {"SearchEdit", "Type the beginning of the value to find; capitals and small letters count the same."},
        {"OrderComboBox", "The sort order to search in; the records stay in this order afterwards."},
        {"OkButton", "Goes to the first record whose value begins with the text; when there is none, the record stays as it was."},
        {"CancelButton", "Closes the window without searching."},
        {"HelpButton", "Opens the help topic of this window."},
        {"MouseHelpButton", "Click here, then on any control, to see what it does."},
    });
}

void TSearchBox::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    OrderChange();
}

void TSearchBox::OrderChange()
{
    searchLabel_->setText(QStringLiteral("Search ") + order_->currentText() + QStringLiteral(" starting with..."));
    edit_->setFocus();
}

QString TSearchBox::searchText() const { return edit_->text(); }
QString TSearchBox::chosenOrder() const { return order_->currentText(); }

// ---- searching --------------------------------------------------------------

TQBWSearching::TQBWSearching(const QString& text, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Searching"));
    setObjectName(QStringLiteral("TQBWSearching"));
    auto* label = new QLabel(QStringLiteral("Searching for: ") + text, this);
    label->setObjectName(QStringLiteral("SearchingLabel"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(cancel, 0, Qt::AlignCenter);
    connect(cancel, &QPushButton::clicked, this, [this] { cancelled_ = true; });
    connect(this, &QDialog::rejected, this, [this] { cancelled_ = true; });
}

bool TQBWSearching::run(const std::function<bool(const std::function<bool()>& keepGoing)>& walk)
{
    setModal(true);
    show();
    QApplication::processEvents();
    bool found = false;
    try {
        found = walk([this] {
            emit searching();
            QApplication::processEvents();
            return !cancelled_;
        });
    } catch (...) {
        close();
        throw;
    }
    close();
    return found;
}

} // namespace qb
