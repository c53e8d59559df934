// Prints address labels with a postal barcode into a PDF file and reports
// labels per second, the PDF's size and the peak memory:
//   label_bench [LABELS] [FOLDER] [postnet|imb]
// The sheet holds 30 labels (2 across, 15 down, 4 x 0.7 inches) so the
// barcode fits below the address block. The barcode is POSTNET's, or with
// imb the Intelligent Mail barcode with its serial counted per label.

#include "core/address_table.h"
#include "core/field_lengths.h"
#include "core/paths.h"
#include "design/class_registry.h"
#include "design/layout_filer.h"
#include "design/tkgraphiccontrol.h"
#include "design/tklabelpanel.h"
#include "design/tkpostnetbarcode.h"
#include "labels/label_printing.h"
#include "platform/xbase/table.h"
#include "printing/tcanvasreport.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include <chrono>
#include <cstdio>
#include <sys/resource.h>

using namespace qb;

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QDir::tempPath() + "/qb-label-bench";
    const bool imb = argc > 3 && QByteArray(argv[3]) == "imb";
    const char* barcodeClass = imb ? "TKIntelligentMailBarCode" : "TKPostNetBarCode";
    QDir(folder).removeRecursively();
    QDir().mkpath(folder + "/sysdata");
    ProgramFolder::setPath(folder + "/");
    design::registerAllClasses();

    const QString db = folder + "/ADDR.DBF";
    {
        auto t = xbase::Table::create(db.toStdString(), addressFieldDefs(FieldLengths::settingsDefaults()));
        for (int i = 1; i <= count; ++i) {
            t->appendBlank();
            t->setText("FNAME", "Pat");
            t->setText("LNAME", "Sample" + std::to_string(i));
            t->setText("STREET", std::to_string(100 + i % 900) + " Main St");
            t->setText("CITY", "Springfield");
            t->setText("STATE", "IL");
            t->setText("ZIP", std::to_string(60000 + i % 3000) + "-" + std::to_string(1000 + i % 9000));
            t->post();
        }
        t->createTags(addressTags());
    }
    AddressTable addresses;
    if (!addresses.open(db, AddressTable::Messages::Quiet))
        return 1;
    addresses.table().setFilter("!ISDEL");
    addresses.setExtraFieldsEnabled(true);

    QWidget owner;
    const QString layout = folder + "/sysdata/BIN00001.L";
    {
        design::TKLabelPanel designPanel(&owner);
        for (const auto& [cls, rect] : {std::pair{"TKDMultiLineAddressLabel", QRect(6, 2, 300, 44)},
                                        std::pair{barcodeClass, QRect(6, 48, 300, 16)}}) {
            const design::DesignClass* c = design::findDesignClass(cls);
            if (!c)
                return std::fprintf(stderr, "%s is not registered\n", cls), 1;
            design::TKGraphicControl* o = c->create(*c->table);
            o->loaded();
            designPanel.addObject(o, rect);
            if (o->designClassName() == barcodeClass) {
                o->setValue("ZipCodeField", "ZIP");
                o->setValue("AddressField", "STREET");
                if (imb) {
                    o->setValue("BarcodeIdentifier", "00");
                    o->setValue("ServiceType", "040");
                    o->setValue("MailerIdentifier", "123456");
                    o->setValue("SerialStart", "1");
                    // Refused settings would print no bars and flatter the figure.
                    const QString problem = qobject_cast<design::TKIntelligentMailBarCode*>(o)->problem();
                    if (!problem.isEmpty())
                        return std::fprintf(stderr, "%s\n", qPrintable(problem)), 1;
                }
            }
        }
        design::TKLabelObjectFiler::SavePanel(&designPanel, layout);
    }
    design::TKLabelPanel panel(&owner);
    panel.setDataset(&addresses);

    LabelStock stock;
    stock.across = 2;
    stock.down = 15;
    stock.labelWidth = 4.0;
    stock.labelHeight = 0.7;
    stock.horizontalPitch = 4.1;
    stock.verticalPitch = 0.7;
    stock.leftMargin = 0.15;
    stock.topMargin = 0.25;
    LabelPrintRequest request;
    request.stock = stock;
    request.layoutPath = layout;
    const QString pdf = folder + "/labels.pdf";
    TReportPrinter job;
    job.SelectPrinterByName("PDF file");
    job.setPdfFileName(pdf);
    job.setUnits(Units::unInch);
    bool presorted = false;
    const auto start = std::chrono::steady_clock::now();
    const LabelPrintResult result = runLabelPrint(addresses, panel, job, request, presorted, {});
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    std::printf("%llu labels on %d pages in %.2f s: %.0f labels/s, PDF %.2f MB, peak memory %ld MB%s\n",
                (unsigned long long)result.stats.labels, result.stats.pages, seconds, result.stats.labels / seconds,
                QFileInfo(pdf).size() / 1048576.0, u.ru_maxrss / 1024,
                result.outcome == PrintOutcome::Completed ? "" : " (the job did not complete)");
    return result.outcome == PrintOutcome::Completed ? 0 : 1;
}
