#include "mainwindow/tpreferences.h"

#include "core/messages.h"
#include "platform/help/help_viewer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWhatsThis>

namespace qb {
namespace {

using Adding = AddingPreferences;
using Carry = AddingPreferences::Carry;
using Skip = AddingPreferences::Skip;

struct PlainBox {
    const char* caption;
    QLatin1StringView key;
    bool Adding::*member;
    const char* help;
};
const PlainBox kPlainBoxes[] = {
    {"Enter today's date in the date field", ini::adding::plugDate, &Adding::plugDate,
     "A new record starts with today's date."},
    {"Automatically insert city and state/province", ini::adding::plugCityState, &Adding::plugCityState,
     "A new record asks for the zip code first and fills in the city and state from the zip code table."},
    {"Automatically check for duplicate names", ini::adding::autoDupCheck, &Adding::autoDupCheck,
     "A new record asks for the names first and warns when a record with those names exists."},
};

struct CarryBox {
    const char* caption;
    QLatin1StringView key;
    bool Carry::*member;
};
const CarryBox kCarryBoxes[] = {
    {"Organization", ini::adding::carryOrg, &Carry::org},
    {"Address 1", ini::adding::carrySA1, &Carry::street},
    {"Address 2", ini::adding::carrySA2, &Carry::street2},
    {"City", ini::adding::carryCity, &Carry::city},
    {"State/Province", ini::adding::carryState, &Carry::state},
    {"Zip/Postal Code", ini::adding::carryZip, &Carry::zip},
    {"Country", ini::adding::carryCountry, &Carry::country},
};

struct SkipBox {
    const char* caption;
    QLatin1StringView key;
    bool Skip::*member;
};
// In the order the dialog lists them, three columns of six.
const SkipBox kSkipBoxes[] = {
    {"Organization", ini::adding::skipOrganization, &Skip::organization},
    {"Phone #1", ini::adding::skipPhone1, &Skip::phone1},
    {"E-Mail", ini::adding::skipEmail, &Skip::email},
    {"State/Province", ini::adding::skipState, &Skip::state},
    {"Zip/Postal Code", ini::adding::skipZip, &Skip::zip},
    {"Country", ini::adding::skipCountry, &Skip::country},
    {"Address 2", ini::adding::skipAddress2, &Skip::address2},
    {"Last Name", ini::adding::skipLastName, &Skip::lastName},
    {"Middle Initial", ini::adding::skipMiddleInitial, &Skip::middleInitial},
    {"First Name", ini::adding::skipFirstName, &Skip::firstName},
    {"Title", ini::adding::skipTitle, &Skip::title},
    {"Phone #2", ini::adding::skipPhone2, &Skip::phone2},
    {"Fax", ini::adding::skipFax, &Skip::fax},
    {"Codes", ini::adding::skipCodes, &Skip::codes},
    {"Prefix", ini::adding::skipPrefix, &Skip::prefix},
    {"Comments #1", ini::adding::skipComments1, &Skip::comments1},
    {"Date", ini::adding::skipDate, &Skip::date},
    {"Comments #2", ini::adding::skipComments2, &Skip::comments2},
};

// Check boxes are named after the key they edit, so "CarryOrg" is edited by "CarryOrgCheck".
QCheckBox* checkBox(QWidget* parent, const char* caption, QLatin1StringView key, const QString& help)
{
    auto* box = new QCheckBox(QString::fromLatin1(caption), parent);
    box->setObjectName(QString(key) + QStringLiteral("Check"));
    box->setWhatsThis(help);
    return box;
}

} // namespace

TPreferences::TPreferences(Settings& settings, QWidget* parent) : QDialog(parent), settings_(settings)
{
    setObjectName(QStringLiteral("TPreferences"));
    setWindowTitle(QStringLiteral("Preferences"));

    auto* adding = new QGroupBox(QStringLiteral(" When adding new records"), this);
    adding->setObjectName(QStringLiteral("AddingGroup"));
    auto* addingLayout = new QVBoxLayout(adding);
    for (const PlainBox& b : kPlainBoxes) {
        QCheckBox* box = checkBox(adding, b.caption, b.key, QString::fromLatin1(b.help));
        addingLayout->addWidget(box);
        flags_.push_back({box, b.member, nullptr, nullptr});
    }
    auto* countryLabel = new QLabel(QStringLiteral("Default Country Name"), adding);
    country_ = new QLineEdit(adding);
    country_->setObjectName(QStringLiteral("DefaultCountryEdit"));
    country_->setMaxLength(30);
    country_->setWhatsThis(QStringLiteral("The country a new record starts with; leave it empty for none."));
    countryLabel->setBuddy(country_);
    auto* countryRow = new QHBoxLayout;
    countryRow->addWidget(countryLabel);
    countryRow->addWidget(country_);
    addingLayout->addLayout(countryRow);

    auto* carry = new QGroupBox(QStringLiteral("Carry forward the following fields:"), this);
    carry->setObjectName(QStringLiteral("CarryGroup"));
    auto* carryLayout = new QGridLayout(carry);
    int i = 0;
    for (const CarryBox& b : kCarryBoxes) {
        QCheckBox* box = checkBox(carry, b.caption, b.key,
                                  QStringLiteral("A new record starts with this field copied from the record that was shown."));
        carryLayout->addWidget(box, i % 4, i / 4);
        flags_.push_back({box, nullptr, b.member, nullptr});
        ++i;
    }

    auto* skip = new QGroupBox(QStringLiteral("Skip through the following fields:"), this);
    skip->setObjectName(QStringLiteral("SkipGroup"));
    auto* skipLayout = new QGridLayout(skip);
    i = 0;
    for (const SkipBox& b : kSkipBoxes) {
        QCheckBox* box = checkBox(skip, b.caption, b.key,
                                  QStringLiteral("The Tab key passes over this field while a new record is typed."));
        skipLayout->addWidget(box, i % 6, i / 6);
        flags_.push_back({box, nullptr, nullptr, b.member});
        ++i;
    }

    auto* saveLabel = new QLabel(QStringLiteral("Aggressive Saving Level"), this);
    aggressiveSave_ = new QComboBox(this);
    aggressiveSave_->setObjectName(QStringLiteral("AggressiveSaveCombo"));
    aggressiveSave_->addItems({QStringLiteral("None"), QStringLiteral("Normal - Every 5 Saves"),
                               QStringLiteral("High - Every Save")});
    aggressiveSave_->setWhatsThis(
        QStringLiteral("How often the database is closed and opened again after records are saved, so that "
                       "everything saved is on disk should the computer stop."));
    saveLabel->setBuddy(aggressiveSave_);
    auto* saveRow = new QHBoxLayout;
    saveRow->addWidget(saveLabel);
    saveRow->addWidget(aggressiveSave_);
    saveRow->addStretch();

    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    ok->setWhatsThis(QStringLiteral("Saves these preferences; they take effect at once."));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    cancel->setWhatsThis(QStringLiteral("Closes the window without saving."));
    auto* help = new QPushButton(QStringLiteral("Help"), this);
    help->setObjectName(QStringLiteral("HelpButton"));
    auto* mouseHelp = new QToolButton(this);
    mouseHelp->setObjectName(QStringLiteral("MouseHelpButton"));
    mouseHelp->setText(QStringLiteral("?"));
    mouseHelp->setToolTip(QStringLiteral("What's this?"));

    connect(ok, &QPushButton::clicked, this, &TPreferences::OkButtonClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, &TPreferences::HelpButtonClick);
    connect(mouseHelp, &QToolButton::clicked, this, [] { QWhatsThis::enterWhatsThisMode(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);
    buttons->addWidget(mouseHelp);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(adding);
    layout->addWidget(carry);
    layout->addWidget(skip);
    layout->addLayout(saveRow);
    layout->addLayout(buttons);

    installWhatsThisMenus(this);
    showValues(AddingPreferences::read(settings_), EditingPreferences::read(settings_));
}

void TPreferences::showValues(const AddingPreferences& adding, const EditingPreferences& editing)
{
    for (const Flag& f : flags_) {
        if (f.plain)
            f.box->setChecked(adding.*f.plain);
        else if (f.carry)
            f.box->setChecked(adding.carry.*f.carry);
        else
            f.box->setChecked(adding.skip.*f.skip);
    }
    country_->setText(adding.defaultCountry.left(30));
    // A value outside the list shows as the default level, as nothing else would be selected.
    const int level = editing.aggressiveSave;
    aggressiveSave_->setCurrentIndex(level >= 0 && level < aggressiveSave_->count() ? level
                                                                                      : EditingPreferences{}.aggressiveSave);
}

AddingPreferences TPreferences::adding() const
{
    AddingPreferences a;
    for (const Flag& f : flags_) {
        const bool on = f.box->isChecked();
        if (f.plain)
            a.*f.plain = on;
        else if (f.carry)
            a.carry.*f.carry = on;
        else
            a.skip.*f.skip = on;
    }
    a.defaultCountry = country_->text();
    return a;
}

EditingPreferences TPreferences::editing() const
{
    EditingPreferences e;
    e.aggressiveSave = aggressiveSave_->currentIndex();
    return e;
}

void TPreferences::OkButtonClick()
{
    if (!adding().write(settings_) || !editing().write(settings_)) {
        showInformation(QStringLiteral("The preferences could not be saved in ") + settings_.path());
        return;
    }
    accept();
}

void TPreferences::HelpButtonClick() { showHelp(HelpContext, this); }

} // namespace qb
