#include "transfer/tcopyrecordsout.h"

#include "core/address_table.h"
#include "core/messages.h"
#include "core/paths.h"
#include "platform/help/help_viewer.h"
#include "transfer/transfer_paths.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWhatsThis>

namespace qb {

namespace {
QString& lastFolder()
{
    static QString folder;
    return folder;
}
} // namespace

QString TCopyRecordsOut::startFolder() { return lastFolder().isEmpty() ? ProgramFolder::path() : lastFolder(); }

TCopyRecordsOut::TCopyRecordsOut(AddressTable& table, QWidget* parent) : QDialog(parent), table_(table)
{
    setObjectName(QStringLiteral("TCopyRecordsOut"));
    setWindowTitle(QStringLiteral("Copy Records Out"));

    auto* note = new QLabel(QStringLiteral("Note: this is NOT a backup. The program does its best to verify that data is accurately and "
                                           "reliably copied, but it is up to you to verify it by opening and viewing the exported file. "
                                           "We do not recommend copying directly to a floppy disk."),
                            this);
    note->setObjectName(QStringLiteral("NoteLabel"));
    note->setWordWrap(true);
    dbfChoice_ = new QRadioButton(QStringLiteral("Copy to a &DBF file"), this);
    dbfChoice_->setObjectName(QStringLiteral("DbfChoice"));
    dbfChoice_->setChecked(true);
    asciiChoice_ = new QRadioButton(QStringLiteral("Copy to an &ASCII file (comma delimited)"), this);
    asciiChoice_->setObjectName(QStringLiteral("AsciiChoice"));
    vcardChoice_ = new QRadioButton(QStringLiteral("Copy to a &vCard file (contacts)"), this);
    vcardChoice_->setObjectName(QStringLiteral("VcardChoice"));
    vcardChoice_->setWhatsThis(QStringLiteral("A vCard file (.vcf) with one contact a record, which phones, mail programs and web "
                                              "address books import."));
    dbfChoice_->setWhatsThis(QStringLiteral("A new database file with the same fields, memos included."));
    asciiChoice_->setWhatsThis(QStringLiteral("A text file with one line a record, the fields in quotes separated by commas."));

    saveAs_ = new QPushButton(QStringLiteral("Save As"), this);
    saveAs_->setObjectName(QStringLiteral("SaveAsButton"));
    saveAs_->setDefault(true);
    help_ = new QPushButton(QStringLiteral("Help"), this);
    help_->setObjectName(QStringLiteral("HelpButton"));
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("CancelButton"));
    mouseHelp_ = new QToolButton(this);
    mouseHelp_->setObjectName(QStringLiteral("MouseHelpButton"));
    mouseHelp_->setText(QStringLiteral("?"));

    progress_ = new QWidget(this);
    progress_->setObjectName(QStringLiteral("ProgressPanel"));
    status_ = new QLabel(progress_);
    status_->setObjectName(QStringLiteral("StatusLine"));
    gauge_ = new QProgressBar(progress_);
    gauge_->setObjectName(QStringLiteral("Gauge"));
    gauge_->setRange(0, 100);
    auto* progressLayout = new QVBoxLayout(progress_);
    progressLayout->addWidget(status_);
    progressLayout->addWidget(gauge_);
    progress_->hide();

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(saveAs_);
    buttons->addStretch();
    buttons->addWidget(cancel_);
    buttons->addWidget(help_);
    buttons->addWidget(mouseHelp_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(dbfChoice_);
    layout->addWidget(asciiChoice_);
    layout->addWidget(vcardChoice_);
    layout->addWidget(progress_);
    layout->addStretch();
    layout->addLayout(buttons);
    installWhatsThisMenus(this);

    connect(saveAs_, &QPushButton::clicked, this, &TCopyRecordsOut::SaveAsButtonClick);
    connect(cancel_, &QPushButton::clicked, this, &TCopyRecordsOut::reject);
    connect(help_, &QPushButton::clicked, this, [this] { showHelp(HelpContext, this); });
    connect(mouseHelp_, &QToolButton::clicked, this, [] { QWhatsThis::enterWhatsThisMode(); });
    resize(460, sizeHint().height());
}

void TCopyRecordsOut::SaveAsButtonClick()
{
    const bool dbf = dbfChoice_->isChecked(), vcard = vcardChoice_->isChecked();
    const RecordExport::Format format = dbf ? RecordExport::Format::Table : vcard ? RecordExport::Format::VCard : RecordExport::Format::Text;
    FileQuestion q;
    q.save = true;
    q.folder = startFolder();
    q.filter = dbf     ? QStringLiteral("DBF files (*.DBF *.dbf)")
               : vcard ? QStringLiteral("vCard files (*.vcf *.VCF)")
                       : QStringLiteral("Text files (*.TXT *.txt)");
    q.defaultExtension = dbf ? QStringLiteral("DBF") : vcard ? QStringLiteral("vcf") : QStringLiteral("TXT");
    q.presetName = QStringLiteral("*.") + q.defaultExtension;
    QString target = chooseFile(this, q);
    if (target.isEmpty())
        return;
    lastFolder() = QFileInfo(target).absolutePath() + QLatin1Char('/');
    // An existing file is spelled as on disk, whatever case was typed.
    target = resolvePath(target);
    if (const QString problem = exportTargetProblem(format, target, table_.path()); !problem.isEmpty()) {
        showInformation(problem);
        return;
    }
    if (QFileInfo::exists(target) &&
        !askQuestionDefaultNo(target + QStringLiteral(" already exists.") + QStringLiteral("\r\n") + QStringLiteral("Do you want to overwrite it?"),
                              QStringLiteral("Warning!")))
        return;
    copy(format, target);
}

void TCopyRecordsOut::copy(RecordExport::Format format, const QString& target)
{
    copying_ = true;
    cancelled_ = false;
    for (QWidget* w : {static_cast<QWidget*>(dbfChoice_), static_cast<QWidget*>(asciiChoice_), static_cast<QWidget*>(vcardChoice_),
                       static_cast<QWidget*>(help_),
                       static_cast<QWidget*>(mouseHelp_), static_cast<QWidget*>(saveAs_)})
        w->hide();
    status_->setText(QStringLiteral("Copying to ") + target);
    progress_->show();
    RecordExport::Hooks hooks;
    hooks.gauge = [this](int percent) { gauge_->setValue(percent); };
    hooks.cancelRequested = [this] {
        if (!sinceEvents_.isValid() || sinceEvents_.elapsed() > 40) {
            QApplication::processEvents();
            sinceEvents_.restart();
        }
        return cancelled_;
    };
    const RecordExport::Result r = RecordExport::run(table_.table(), format, target.toStdString(), hooks);
    copying_ = false;
    if (r.outcome == RecordExport::Result::Outcome::Failed)
        showInformation(exportFailureMessage(format, r, target));
    else if (r.outcome == RecordExport::Result::Outcome::Cancelled)
        showInformation(exportCancelMessage(target));
    accept();
}

void TCopyRecordsOut::reject()
{
    if (copying_) {
        if (!cancelled_ && askQuestionDefaultNo(QStringLiteral("Cancel copy?"), windowTitle()))
            cancelled_ = true;
        return;
    }
    QDialog::reject();
}

} // namespace qb
