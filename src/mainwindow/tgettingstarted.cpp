#include "mainwindow/tgettingstarted.h"

#include "core/preferences.h"
#include "core/settings.h"
#include "platform/help/help_viewer.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

#include <cmath>
#include <memory>

namespace qb {

namespace {

const QLatin1StringView kHelpScheme{"help"};

} // namespace

QString TGettingStarted::pageHtml()
{
    // Every step names the window it happens in; the links go to that
    // window's topic, or to the contents where a step spans several windows.
    return QStringLiteral(
        "<html><head><title>Getting Started</title></head><body>"
        "<h2>Welcome to Quillbase</h2>"
        "<p>Quillbase keeps your names and addresses in address databases and prints them as labels, "
        "envelopes, letters and reports. These first steps take you from an empty database to your first "
        "printout.</p>"
        "<ol>"
        "<li><b>Open or create a database.</b> Quillbase opens the database you used last. Use "
        "<i>File, Open Address DataBase</i> to open another one, or create a new one from the File menu. "
        "<a href=\"help:1029\">The main window</a></li>"
        "<li><b>Add your records.</b> Click <i>Add</i>, type the name and address, and click <i>Save</i>. "
        "<a href=\"help:1029\">Adding and editing records</a></li>"
        "<li><b>Choose how new records start.</b> <i>Preferences</i> lets Quillbase fill in today's date, "
        "find the city and state from the zip code, warn of duplicate names and carry values over from the "
        "record before. <a href=\"help:1038\">Preferences</a></li>"
        "<li><b>Find and select records.</b> Sort by any field from the Sort menu, search, and set a filter "
        "or tag records to work on only some of them. <a href=\"help:1029\">The main window</a></li>"
        "<li><b>Print.</b> Print labels, envelopes, letters or reports for the records you selected, and "
        "see each one in a preview first. <a href=\"help:0\">Help contents</a></li>"
        "</ol>"
        "<p>In any window, right-click a control and choose <i>What's this?</i> to see what it does. "
        "This page is always there under <i>Help, Getting Started</i>.</p>"
        "</body></html>");
}

std::optional<int> TGettingStarted::linkTopic(const QUrl& link)
{
    if (link.scheme().compare(kHelpScheme, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    bool ok = false;
    const int context = link.path().toInt(&ok);
    if (!ok || context < 0)
        return std::nullopt;
    return context;
}

TGettingStarted::TGettingStarted(Settings& settings, QWidget* parent) : QDialog(parent), settings_(settings)
{
    setObjectName(QStringLiteral("TGettingStarted"));
    setWindowTitle(QStringLiteral("Getting Started"));
    setModal(true);

    page_ = new QTextBrowser(this);
    page_->setObjectName(QStringLiteral("GettingStartedPage"));
    // The links are help topics, not pages for the browser to follow.
    page_->setOpenLinks(false);
    page_->setOpenExternalLinks(false);
    page_->setHtml(pageHtml());
    // Tall enough for the whole page at the width chosen, whatever the
    // font resolution, so it opens without a scroll bar.
    const int frame = 2 * page_->frameWidth();
    const int width = page_->fontMetrics().averageCharWidth() * 76;
    const std::unique_ptr<QTextDocument> laidOut(page_->document()->clone());
    laidOut->setTextWidth(width - frame);
    page_->setMinimumSize(width, int(std::ceil(laidOut->size().height())) + frame + 2);
    connect(page_, &QTextBrowser::anchorClicked, this, &TGettingStarted::PageAnchorClicked);

    doNotShow_ = new QCheckBox(QStringLiteral("Do not show this screen at start up"), this);
    doNotShow_->setObjectName(QStringLiteral("DoNotShowCheckBox"));
    doNotShow_->setWhatsThis(
        QStringLiteral("When checked, Quillbase starts without this window; Help, Getting Started still shows it."));
    doNotShow_->setChecked(settings_.boolean(ini::misc::section, ini::misc::gettingStarted, false));

    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("CloseButton"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(doNotShow_);
    bottom->addStretch();
    bottom->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(page_, 1);
    layout->addLayout(bottom);

    installWhatsThisMenus(this);
}

void TGettingStarted::PageAnchorClicked(const QUrl& link)
{
    if (const auto topic = linkTopic(link))
        showHelp(*topic, this);
}

void TGettingStarted::done(int result)
{
    // An unwritable settings file only means the window comes back next time.
    settings_.setBoolean(ini::misc::section, ini::misc::gettingStarted, doNotShow_->isChecked());
    QDialog::done(result);
}

} // namespace qb
