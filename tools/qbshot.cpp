// qbshot NAME [OUT.png]: shows one of Quillbase's windows and saves what it
// draws, so layouts can be checked at several screen resolutions
// (scripts/screenshots.sh runs it under a virtual X server at 96 and 120 dpi).
// qbshot --list prints the names it knows.
//
// Adding a window: write a factory below that builds it (from the scratch
// program folder when it needs settings or a table) and add a row to kShots.
// A row without a factory names a window that is not built yet.

#include "core/address_table.h"
#include "core/field_lengths.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/tnewdatabasename.h"
#include "core/tqbreindex.h"
#include "core/tspecifyfieldlengths.h"
#include "core/tsystemreindex.h"
#include "mainwindow/taddressmain.h"
#include "mainwindow/configuration_report.h"
#include "mainwindow/tconfigurationinfo.h"
#include "mainwindow/tdateselector.h"
#include "mainwindow/tgetfirstlastzip.h"
#include "mainwindow/tgettingstarted.h"
#include "mainwindow/tpreferences.h"
#include "mainwindow/taddressbrowseform.h"
#include "mainwindow/taddressqueryform.h"
#include "mainwindow/tsearchbox.h"
#include "core/system_tables.h"
#include "design/class_registry.h"
#include "dialer/tfrmtapicall.h"
#include "platform/telephony/telephony_line.h"
#include "dialer/tqbdialer.h"
#include "design/tklabelpanel.h"
#include "labels/label_stock_dialogs.h"
#include "labels/tlabeldesignscreen.h"
#include "labels/tlabelsetupscreen.h"
#include "labels/tselectspecificlabels.h"
#include "letters/tletterdesign.h"
#include "letters/tparagraphpropdlg.h"
#include "letters/tqbletters.h"
#include "letters/trtfpreviewform.h"
#include "letters/twppageprop.h"
#include "platform/richtext/rich_text.h"
#include "platform/xbase/table.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QPixmap>
#include <QTemporaryDir>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <memory>

namespace {

// A program folder of its own, so a screenshot never reads or writes the
// user's settings or databases.
struct Scratch {
    QTemporaryDir folder;
    std::unique_ptr<qb::xbase::Table> table;
    qb::AddressTable address;
    std::unique_ptr<qb::xbase::Table> labels;
    qb::LabelLayoutRecord record;
    QWidget panelHome;
    std::unique_ptr<qb::xbase::Table> letters;
    qb::richtext::RichText letter;

    // A short letter with merge fields.
    const qb::richtext::RichText& sampleLetter()
    {
        letter.setRtf(QStringLiteral("{\\rtf1{\\fonttbl{\\f0 Times New Roman;}}\\f0\\fs24 \\qr [Long Date]\\par\\ql "
                                     "[Name and Address]\\par Dear [First],\\par\\sb120 Thank you for your letter of "
                                     "last week. {\\b The meeting} is on {\\i Saturday}.\\par}"));
        return letter;
    }
    std::unique_ptr<qb::Settings> settings;

    Scratch()
    {
        QDir(folder.path()).mkpath(QStringLiteral("DATA"));
        QDir(folder.path()).mkpath(QStringLiteral("sysdata"));
        qb::ProgramFolder::setPath(folder.path());
    }

    // The address database opened as the main window opens it, with a few records.
    qb::AddressTable& addresses()
    {
        if (!address.isOpen()) {
            addressTable();
            for (const char* name : {"Adams", "Baker", "Carter"}) {
                table->appendBlank();
                table->setText("LNAME", name);
                table->setText("FNAME", "Pat");
                table->setText("STREET", "1 Main St");
                table->setText("CITY", "Springfield");
                table->setText("STATE", "IL");
                table->setText("ZIP", "62701");
                table->post();
            }
            const QString path = QString::fromStdString(table->path());
            table.reset();
            address.open(path);
            address.setTagId(QStringLiteral("SHOT1"));
            address.table().setFilter("!ISDEL");
            address.table().first();
        }
        return address;
    }

    qb::xbase::Table& addressTable()
    {
        if (!table) {
            const QString path = qb::databasePath(QStringLiteral("add0001"));
            if (!qb::createAddressTable(path, qb::FieldLengths::settingsDefaults()))
                qFatal("qbshot: cannot create %s", qPrintable(path));
            table = qb::xbase::Table::open(path.toStdString());
        }
        return *table;
    }
};

using Factory = std::unique_ptr<QWidget> (*)(Scratch&);

struct Shot {
    const char* name;
    Factory make;   // null: not built yet
};

const Shot kShots[] = {
    {"TAddressMain", [](Scratch&) -> std::unique_ptr<QWidget> {
         // Its first showing creates and opens DATA/add0001.DBF in the scratch folder.
         // The Getting Started window would cover it: that one has its own shot.
         qb::Settings::program().setBoolean("Misc", "GettingStarted", true);
         return std::make_unique<qb::TAddressMain>();
     }},
    {"TPreferences", [](Scratch&) -> std::unique_ptr<QWidget> {
         // The dialog keeps the settings it edits for as long as it lives.
         static qb::Settings settings = qb::Settings::program();
         return std::make_unique<qb::TPreferences>(settings);
     }},
    {"TDateSelector", [](Scratch&) -> std::unique_ptr<QWidget> { return std::make_unique<qb::TDateSelector>(); }},
    {"TGetFirstLastZip", [](Scratch& scratch) -> std::unique_ptr<QWidget> {
         return std::make_unique<qb::TGetFirstLastZip>(true, true, qb::newRecordWidths(scratch.addressTable()));
     }},
    {"TGettingStarted", [](Scratch&) -> std::unique_ptr<QWidget> {
         static qb::Settings settings = qb::Settings::program();
         return std::make_unique<qb::TGettingStarted>(settings);
     }},
    {"TConfigurationInfo", [](Scratch&) -> std::unique_ptr<QWidget> {
         const qb::Settings settings = qb::Settings::program();
         return std::make_unique<qb::TConfigurationInfo>(qb::configurationReport(qb::gatherSystemFacts(settings)));
     }},
    {"TNewDataBaseName", [](Scratch&) -> std::unique_ptr<QWidget> {
         return std::make_unique<qb::TNewDataBaseName>(QStringLiteral("ADD0002"));
     }},
    {"TSpecifyFieldLengths", [](Scratch&) -> std::unique_ptr<QWidget> {
         return std::make_unique<qb::TSpecifyFieldLengths>(qb::FieldLengths::settingsDefaults());
     }},
    {"TQBReindex", [](Scratch& scratch) -> std::unique_ptr<QWidget> {
         return std::make_unique<qb::TQBReindex>(scratch.addressTable());
     }},
    {"TSystemReindex", [](Scratch&) -> std::unique_ptr<QWidget> { return std::make_unique<qb::TSystemReindex>(); }},
    {"TAddressQueryForm", [](Scratch&) -> std::unique_ptr<QWidget> {
         return std::make_unique<qb::TAddressQueryForm>(qb::FilterConditions(), qb::QueryFormPlacement(), nullptr);
     }},
    {"TSearchBox", [](Scratch&) -> std::unique_ptr<QWidget> {
         return std::make_unique<qb::TSearchBox>(QStringList{"Last Name", "City", "Zip"}, "Last Name");
     }},
    {"TAddressBrowseForm", [](Scratch& scratch) -> std::unique_ptr<QWidget> {
         qb::AddressTable& a = scratch.addresses();
         return std::make_unique<qb::TAddressBrowseForm>(a, qb::recordViewFields(a.table()),
                                                         qb::TAddressBrowseForm::Hooks{});
     }},
    {"TChooseLabelLayout", [](Scratch&) -> std::unique_ptr<QWidget> { return std::make_unique<qb::TChooseLabelLayout>(); }},
    {"TSelectLabel", [](Scratch& scratch) -> std::unique_ptr<QWidget> {
         scratch.labels = qb::xbase::Table::open(QB_SYSDATA_DIR "/LBLTPL.DBF", qb::xbase::OpenMode::ReadOnly);
         return std::make_unique<qb::TSelectLabel>(*scratch.labels, qb::LabelStock(), false);
     }},
    {"TLabelEdit", [](Scratch&) -> std::unique_ptr<QWidget> { return std::make_unique<qb::TLabelEdit>(qb::LabelStock()); }},
    {"TSelectSpecificLabels", [](Scratch&) -> std::unique_ptr<QWidget> {
         return std::make_unique<qb::TSelectSpecificLabels>(qb::LabelStock(), qb::PositionMask(),
                                                            QStringList{"PDF file on FILE:"}, 0, false);
     }},
    {"TLabelSetupScreen", [](Scratch& scratch) -> std::unique_ptr<QWidget> {
         qb::design::registerAllClasses();
         scratch.labels = qb::openSystemTable(qb::SystemTable::Label, qb::xbase::OpenMode::Exclusive);
         return std::make_unique<qb::TLabelSetupScreen>(*scratch.labels, scratch.addresses(), true);
     }},
    {"TLabelDesignScreen", [](Scratch& scratch) -> std::unique_ptr<QWidget> {
         qb::design::registerAllClasses();
         scratch.record.description = QStringLiteral("Club labels");
         auto* panel = new qb::design::TKLabelPanel(&scratch.panelHome);
         panel->setDataset(&scratch.addresses());
         return std::make_unique<qb::TLabelDesignScreen>(scratch.record, panel, scratch.addresses());
     }},
    {"TQBLetters", [](Scratch& scratch) -> std::unique_ptr<QWidget> {
         scratch.addresses();
         scratch.letters = qb::openSystemTable(qb::SystemTable::Letter, qb::xbase::OpenMode::Exclusive);
         return std::make_unique<qb::TQBLetters>(*scratch.letters, scratch.addresses(), true);
     }},
    {"TLetterDesign", [](Scratch& scratch) -> std::unique_ptr<QWidget> {
         return std::make_unique<qb::TLetterDesign>(QStringLiteral("Spring letter"), &scratch.sampleLetter(),
                                                    &scratch.addresses());
     }},
    {"TWPPageProp", [](Scratch&) -> std::unique_ptr<QWidget> {
         return std::make_unique<qb::TWPPageProp>(qb::richtext::PageLayout());
     }},
    {"TParagraphPropDlg", [](Scratch&) -> std::unique_ptr<QWidget> {
         return std::make_unique<qb::TParagraphPropDlg>(qb::ParagraphValues{1080, 720, 0, 120, 0, 0});
     }},
    {"TRTFPreviewForm", [](Scratch& scratch) -> std::unique_ptr<QWidget> {
         return std::make_unique<qb::TRTFPreviewForm>(scratch.sampleLetter(), scratch.addresses());
     }},
    {"TQBDialer", [](Scratch& scratch) -> std::unique_ptr<QWidget> {
         scratch.settings = std::make_unique<qb::Settings>(qb::Settings::program());
         return std::make_unique<qb::TQBDialer>(QStringLiteral("(217) 555-0142"), *scratch.settings);
     }},
    {"TfrmTAPICall", [](Scratch&) -> std::unique_ptr<QWidget> {
         // Never the real telephony service: the window calls as soon as it shows.
         auto call = std::make_unique<qb::TfrmTAPICall>(
             qb::openTelephonyLine(QDBusConnection(QStringLiteral("qbshot-no-bus"))), nullptr);
         call->setNumber(QStringLiteral("9,(217) 555-0142"));
         return call;
     }},
};

const Shot* find(const QString& name)
{
    for (const Shot& shot : kShots)
        if (name.compare(QLatin1String(shot.name), Qt::CaseInsensitive) == 0)
            return &shot;
    return nullptr;
}

// Shown and painted: the window system has exposed it, within a bounded wait.
void waitUntilExposed(QWidget& widget)
{
    const QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        if (widget.windowHandle() && widget.windowHandle()->isExposed())
            break;
    }
    QApplication::processEvents();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments().mid(1);
    if (args.isEmpty() || args.first() == QLatin1String("--help")) {
        std::fprintf(stderr, "usage: qbshot NAME [OUT.png]\n       qbshot --list\n");
        return args.isEmpty() ? 1 : 0;
    }
    if (args.first() == QLatin1String("--list")) {
        for (const Shot& shot : kShots)
            std::printf("%s%s\n", shot.name, shot.make ? "" : "\t(not built yet)");
        return 0;
    }

    const Shot* shot = find(args.first());
    if (!shot) {
        std::fprintf(stderr, "qbshot: no window named %s (qbshot --list names them)\n", qPrintable(args.first()));
        return 1;
    }
    if (!shot->make) {
        std::fprintf(stderr, "qbshot: %s is not built yet; no screenshot taken\n", shot->name);
        return 3;
    }
    const QString out = args.size() > 1 ? args.at(1) : QLatin1String(shot->name) + QStringLiteral(".png");

    Scratch scratch;
    std::unique_ptr<QWidget> window = shot->make(scratch);
    window->show();
    waitUntilExposed(*window);
    if (!window->grab().save(out)) {
        std::fprintf(stderr, "qbshot: cannot write %s\n", qPrintable(out));
        return 1;
    }
    std::printf("%s\t%dx%d\n", qPrintable(out), window->width(), window->height());
    return 0;
}
