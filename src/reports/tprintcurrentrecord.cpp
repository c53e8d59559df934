#include "reports/tprintcurrentrecord.h"

#include "printing/tcanvasreport.h"
#include "printing/treportfiler.h"
#include "reports/treportsetup.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace qb {

TPrintCurrentRecord::TPrintCurrentRecord(AddressTable& addresses, QWidget* parent)
    : QDialog(parent), addresses_(addresses), printerJob_(std::make_unique<TReportPrinter>()),
      previewJob_(std::make_unique<TReportFiler>())
{
    setWindowTitle(QStringLiteral("Print Current Record"));
    setObjectName(QStringLiteral("TPrintCurrentRecord"));
    for (TBaseReport* job : {static_cast<TBaseReport*>(printerJob_.get()), static_cast<TBaseReport*>(previewJob_.get())}) {
        job->setUnits(Units::unInch);
        job->setTitle(QStringLiteral("Quillbase"));
    }
    auto* fields = new QGroupBox(QStringLiteral("Fields to Print"), this);
    fields->setObjectName(QStringLiteral("FieldsToPrint"));
    auto* grid = new QGridLayout(fields);
    const std::vector<RecordPrintoutField>& list = recordPrintoutFields();
    for (size_t i = 0; i < list.size(); ++i) {
        auto* b = new QCheckBox(list[i].box, fields);
        b->setObjectName(list[i].field + QStringLiteral("Check"));
        b->setChecked(true);
        boxes_.push_back(b);
        grid->addWidget(b, int(i % 11), int(i / 11));
    }
    all_ = new QCheckBox(QStringLiteral("All"), fields);
    all_->setObjectName(QStringLiteral("AllCheck"));
    all_->setChecked(true);
    grid->addWidget(all_, 10, 1);
    connect(all_, &QCheckBox::clicked, this, [this](bool on) {
        for (QCheckBox* b : boxes_)
            b->setChecked(on);
    });

    const auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    QPushButton* print = button("PrintButton", QStringLiteral("&Print"));
    connect(print, &QPushButton::clicked, this, &TPrintCurrentRecord::PrintClick);
    QPushButton* preview = button("PreviewButton", QStringLiteral("Pre&view"));
    connect(preview, &QPushButton::clicked, this, &TPrintCurrentRecord::PreviewClick);
    QPushButton* setup = button("PrinterSetupButton", QStringLiteral("Printer &Setup"));
    connect(setup, &QPushButton::clicked, this, [this] {
        if (printerJob_->ShowPrinterSetup(this))
            previewJob_->setPrinterSettings(printerJob_->printerSettings());
    });
    QPushButton* cancel = button("CancelButton", QStringLiteral("&Cancel"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {print, preview, setup, cancel})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fields);
    layout->addLayout(buttons);
    printHooks = reportWindowHooks(this, "TSingleRecordPrint");
}

TPrintCurrentRecord::~TPrintCurrentRecord() = default;

QCheckBox* TPrintCurrentRecord::box(const QString& caption) const
{
    for (QCheckBox* b : boxes_)
        if (b->text() == caption)
            return b;
    return caption == QLatin1String("All") ? all_ : nullptr;
}

std::vector<bool> TPrintCurrentRecord::checked() const
{
    std::vector<bool> out;
    for (QCheckBox* b : boxes_)
        out.push_back(b->isChecked());
    return out;
}

void TPrintCurrentRecord::PrintClick()
{
    lastRun_ = runRecordPrintout(addresses_, *printerJob_, PrintRunMode::Print, checked(), printHooks);
}

void TPrintCurrentRecord::PreviewClick()
{
    previewJob_->setStream(nullptr);
    lastRun_ = runRecordPrintout(addresses_, *previewJob_, PrintRunMode::Preview, checked(), printHooks);
}

} // namespace qb
