#include "transfer/import_window.h"

#include "core/address_table.h"
#include "core/messages.h"
#include "platform/help/help_viewer.h"
#include "transfer/transfer_error.h"
#include "transfer/transfer_paths.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWhatsThis>

namespace qb {

namespace {
const QString kNone = QStringLiteral("(none)");
}

ImportWindow::ImportWindow(const Captions& captions, AddressTable& table, QWidget* parent)
    : QDialog(parent), table_(table), captions_(captions)
{
    setWindowTitle(captions.window);

    auto* nameCaption = new QLabel(captions.fileLabel, this);
    nameCaption->setObjectName(QStringLiteral("FileNameCaption"));
    fileName_ = new QLabel(kNone, this);
    fileName_->setObjectName(QStringLiteral("FileNameLabel"));
    fileName_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    fileName_->setMinimumWidth(360);

    select_ = new QPushButton(captions.select, this);
    select_->setObjectName(QStringLiteral("SelectFileButton"));
    if (captions.match) {
        match_ = new QPushButton(QStringLiteral("Match Fields"), this);
        match_->setObjectName(QStringLiteral("MatchFieldsButton"));
        match_->setEnabled(false);
    }
    import_ = new QPushButton(QStringLiteral("Import"), this);
    import_->setObjectName(QStringLiteral("ImportButton"));
    import_->setEnabled(false);
    help_ = new QPushButton(QStringLiteral("Help"), this);
    help_->setObjectName(QStringLiteral("HelpButton"));
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("CancelButton"));
    mouseHelp_ = new QToolButton(this);
    mouseHelp_->setObjectName(QStringLiteral("MouseHelpButton"));
    mouseHelp_->setText(QStringLiteral("?"));

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("StatusLine"));
    status_->hide();
    gauge_ = new QProgressBar(this);
    gauge_->setObjectName(QStringLiteral("Gauge"));
    gauge_->setRange(0, 100);
    gauge_->hide();

    auto* name = new QHBoxLayout;
    name->addWidget(nameCaption);
    name->addWidget(fileName_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(select_);
    if (match_)
        buttons->addWidget(match_);
    buttons->addWidget(import_);
    buttons->addStretch();
    buttons->addWidget(cancel_);
    buttons->addWidget(help_);
    buttons->addWidget(mouseHelp_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(name);
    layout->addWidget(status_);
    layout->addWidget(gauge_);
    layout->addStretch();
    layout->addLayout(buttons);

    select_->setWhatsThis(QStringLiteral("Choose the file to import from."));
    import_->setWhatsThis(QStringLiteral("Add the file's records to the open database."));
    if (match_)
        match_->setWhatsThis(QStringLiteral("Say which field of the file goes into which field of the database."));
    installWhatsThisMenus(this);

    connect(select_, &QPushButton::clicked, this, &ImportWindow::SelectFileButtonClick);
    if (match_)
        connect(match_, &QPushButton::clicked, this, &ImportWindow::MatchFieldsButtonClick);
    connect(import_, &QPushButton::clicked, this, [this] { importFile(); });
    connect(cancel_, &QPushButton::clicked, this, &ImportWindow::CancelButtonClick);
    connect(help_, &QPushButton::clicked, this, [this] { showHelp(captions_.helpContext, this); });
    connect(mouseHelp_, &QToolButton::clicked, this, [] { QWhatsThis::enterWhatsThisMode(); });
}

QString ImportWindow::fileNameText() const { return fileName_->text(); }

void ImportWindow::addOption(QWidget* option)
{
    auto* box = static_cast<QVBoxLayout*>(layout());
    box->insertWidget(box->indexOf(status_), option);
}

void ImportWindow::setFileName(const QString& path) { fileName_->setText(path.isEmpty() ? kNone : path); }
void ImportWindow::setMatchEnabled(bool on)
{
    if (match_)
        match_->setEnabled(on);
}
void ImportWindow::setImportEnabled(bool on) { import_->setEnabled(on); }

bool ImportWindow::sameAsDatabase(const QString& path) const
{
    if (!sameFile(path, table_.path()))
        return false;
    showInformation(QStringLiteral("Cannot import a file to itself"));
    return true;
}

void ImportWindow::SelectFileButtonClick()
{
    const QString path = chooseFile(this, fileQuestion());
    setImportEnabled(false);
    const bool usable = !path.isEmpty() && !sameAsDatabase(path) && takeFile(path);
    setFileName(usable ? path : QString());
    if (!usable) {
        setMatchEnabled(false);
        setImportEnabled(false);
    }
}

void ImportWindow::MatchFieldsButtonClick() { setImportEnabled(matchFields()); }

void ImportWindow::showWorking(bool working)
{
    for (QWidget* w : {static_cast<QWidget*>(select_), static_cast<QWidget*>(import_), static_cast<QWidget*>(help_),
                       static_cast<QWidget*>(mouseHelp_)})
        w->setVisible(!working);
    if (match_)
        match_->setVisible(!working);
    status_->setVisible(working);
    gauge_->setVisible(working);
    gauge_->setValue(0);
}

bool ImportWindow::cancelRequested()
{
    // Often enough to answer the Cancel button, seldom enough not to slow the loop.
    if (!sinceEvents_.isValid() || sinceEvents_.elapsed() > 40) {
        QApplication::processEvents();
        sinceEvents_.restart();
    }
    return cancelled_;
}

void ImportWindow::runImport(ImportSource& source, const std::vector<ImportField>& fields, ImportRun::Kind kind)
{
    importing_ = true;
    rebuilding_ = cancelled_ = false;
    showWorking(true);
    ImportRun::Hooks hooks;
    hooks.status = [this](const QString& text) {
        status_->setText(text);
        if (text.startsWith(QLatin1String("Rebuilding"))) {
            rebuilding_ = true;
            cancel_->hide();
        }
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    hooks.gauge = [this](int percent) { gauge_->setValue(percent); };
    hooks.rebuildProgress = [this](int percent) {
        gauge_->setValue(percent);
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    hooks.cancelRequested = [this] { return cancelRequested(); };
    ImportRun run(table_.table(), fields, hooks);
    std::optional<ImportResult> result;
    QString refusal;
    try {
        result = run.run(source, [this](const ImportCheck& check) {
            return askQuestionDefaultNo(importNotesQuestion(check), captions_.window);
        });
    } catch (const std::exception& e) {
        refusal = QString::fromStdString(e.what());
    }
    importing_ = false;
    if (!result) {
        showWorking(false);
        cancel_->show();
        if (!refusal.isEmpty())
            showInformation(refusal);
        return;
    }
    showInformation(importMessage(kind, *result));
    accept();
}

void ImportWindow::CancelButtonClick()
{
    if (importing_) {
        if (!rebuilding_)
            cancelled_ = true;
        return;
    }
    reject();
}

void ImportWindow::reject()
{
    // Closing the window is no way out of a running import.
    if (importing_) {
        if (!rebuilding_)
            cancelled_ = true;
        return;
    }
    QDialog::reject();
}

} // namespace qb
