#include "platform/printer/printer_backend.h"

#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>

#include <QFile>

#include <cups/cups.h>
#include <cups/pwg.h>

#include <memory>

namespace qb::printer {
namespace {

// The CUPS print engine takes extra job options ("media-source", value) under
// this property key.
constexpr auto kCupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// The papers the PDF printer offers, Letter first as the product's home paper.
const std::pair<const char*, QPageSize::PageSizeId> kPdfPapers[] = {
    {"Letter", QPageSize::Letter},
    {"Legal", QPageSize::Legal},
    {"Executive", QPageSize::Executive},
    {"Tabloid", QPageSize::Tabloid},
    {"A3", QPageSize::A3},
    {"A4", QPageSize::A4},
    {"A5", QPageSize::A5},
    {"B5 (JIS)", QPageSize::JisB5},
    {"Envelope #10", QPageSize::Envelope10},
    {"Envelope DL", QPageSize::EnvelopeDL},
    {"Envelope C5", QPageSize::EnvelopeC5},
    {"Envelope Monarch", QPageSize::EnvelopeMonarch},
};

struct Dests {
    cups_dest_t* list = nullptr;
    int count = 0;
    Dests() { count = cupsGetDests2(CUPS_HTTP_DEFAULT, &list); }
    ~Dests() { cupsFreeDests(count, list); }
    Dests(const Dests&) = delete;
    Dests& operator=(const Dests&) = delete;
};

// A queue's destination and its capabilities, released together.
struct DestInfo {
    cups_dest_t* dest = nullptr;
    cups_dinfo_t* info = nullptr;
    explicit DestInfo(const QString& name)
    {
        dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.toUtf8().constData(), nullptr);
        if (dest)
            info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest);
    }
    ~DestInfo()
    {
        if (info)
            cupsFreeDestInfo(info);
        if (dest)
            cupsFreeDests(1, dest);
    }
    DestInfo(const DestInfo&) = delete;
    DestInfo& operator=(const DestInfo&) = delete;
    bool valid() const { return dest && info; }
};

} // namespace

QString pdfPrinterDevice() { return QStringLiteral("PDF file"); }

PrinterEntry pdfPrinter() { return {pdfPrinterDevice(), QStringLiteral("FILE:"), true}; }

QList<PrinterEntry> installedPrinters()
{
    QList<PrinterEntry> out;
    Dests dests;
    for (int i = 0; i < dests.count; ++i) {
        const cups_dest_t& d = dests.list[i];
        if (d.instance)
            continue;
        const QString name = QString::fromUtf8(d.name);
        if (name.contains(QLatin1String("RENDERING SUBSYSTEM"), Qt::CaseInsensitive))
            continue;
        const char* uri = cupsGetOption("device-uri", d.num_options, d.options);
        out.push_back({name, uri && *uri ? QString::fromUtf8(uri) : QStringLiteral("CUPS"), false});
    }
    out.push_back(pdfPrinter());
    return out;
}

int defaultPrinterIndex(const QList<PrinterEntry>& printers)
{
    const QString name = QPrinterInfo::defaultPrinterName();
    for (int i = 0; i < printers.size(); ++i)
        if (!printers[i].isPdf && printers[i].device == name)
            return i;
    for (int i = 0; i < printers.size(); ++i)
        if (printers[i].isPdf)
            return i;
    return printers.isEmpty() ? -1 : 0;
}

int findPrinter(const QList<PrinterEntry>& printers, const QString& name)
{
    for (int i = 0; i < printers.size(); ++i)
        if (printers[i].entry().compare(name, Qt::CaseInsensitive) == 0)
            return i;
    for (int i = 0; i < printers.size(); ++i)
        if (printers[i].device.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QList<PaperChoice> papers(const PrinterEntry& printer)
{
    QList<PaperChoice> out;
    if (printer.isPdf) {
        for (const auto& [name, id] : kPdfPapers)
            out.push_back({QLatin1String(name), QPageSize(id)});
        return out;
    }
    DestInfo d(printer.device);
    if (!d.valid())
        return out;
    const unsigned flags = CUPS_MEDIA_FLAGS_DEFAULT;
    cups_size_t chosen{};
    if (cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, d.dest, d.info, flags, &chosen)) {
        const char* shown = cupsLocalizeDestMedia(CUPS_HTTP_DEFAULT, d.dest, d.info, flags, &chosen);
        out.push_back({QString::fromUtf8(shown ? shown : chosen.media),
                       QPageSize(QSizeF(chosen.width / 100.0, chosen.length / 100.0), QPageSize::Millimeter,
                                 QString::fromUtf8(chosen.media))});
    }
    const int count = cupsGetDestMediaCount(CUPS_HTTP_DEFAULT, d.dest, d.info, flags);
    for (int i = 0; i < count; ++i) {
        cups_size_t size{};
        if (!cupsGetDestMediaByIndex(CUPS_HTTP_DEFAULT, d.dest, d.info, i, flags, &size))
            continue;
        const char* shown = cupsLocalizeDestMedia(CUPS_HTTP_DEFAULT, d.dest, d.info, flags, &size);
        const QString name = QString::fromUtf8(shown ? shown : size.media);
        if (!out.isEmpty() && out.front().name == name)
            continue;
        out.push_back({name, QPageSize(QSizeF(size.width / 100.0, size.length / 100.0), QPageSize::Millimeter,
                                       QString::fromUtf8(size.media))});
    }
    return out;
}

QList<BinChoice> bins(const PrinterEntry& printer)
{
    QList<BinChoice> out;
    if (printer.isPdf) {
        out.push_back({QStringLiteral("Automatically Select"), QString()});
        return out;
    }
    DestInfo d(printer.device);
    if (!d.valid())
        return out;
    ipp_attribute_t* sources = cupsFindDestSupported(CUPS_HTTP_DEFAULT, d.dest, d.info, CUPS_MEDIA_SOURCE);
    for (int i = 0; sources && i < ippGetCount(sources); ++i) {
        const char* keyword = ippGetString(sources, i, nullptr);
        if (!keyword)
            continue;
        const char* shown = cupsLocalizeDestValue(CUPS_HTTP_DEFAULT, d.dest, d.info, CUPS_MEDIA_SOURCE, keyword);
        out.push_back({QString::fromUtf8(shown ? shown : keyword), QString::fromUtf8(keyword)});
    }
    return out;
}

QPageSize defaultPaper(const PrinterEntry& printer)
{
    if (printer.isPdf)
        return QPageSize(QPageSize::Letter);
    const QPageSize size = QPrinterInfo::printerInfo(printer.device).defaultPageSize();
    return size.isValid() ? size : QPageSize(QPageSize::Letter);
}

std::optional<QPageSize> standardPaper(int code)
{
    static const std::pair<int, QPageSize::PageSizeId> table[] = {
        {1, QPageSize::Letter},          {2, QPageSize::Letter},        {3, QPageSize::Tabloid},
        {4, QPageSize::Ledger},          {5, QPageSize::Legal},         {6, QPageSize::Statement},
        {7, QPageSize::Executive},       {8, QPageSize::A3},            {9, QPageSize::A4},
        {10, QPageSize::A4},             {11, QPageSize::A5},           {12, QPageSize::JisB4},
        {13, QPageSize::JisB5},          {14, QPageSize::Folio},        {15, QPageSize::Quarto},
        {16, QPageSize::Imperial10x14},  {17, QPageSize::Tabloid},      {18, QPageSize::Note},
        {19, QPageSize::Envelope9},      {20, QPageSize::Envelope10},   {21, QPageSize::Envelope11},
        {22, QPageSize::Envelope12},     {23, QPageSize::Envelope14},   {27, QPageSize::EnvelopeDL},
        {28, QPageSize::EnvelopeC5},     {29, QPageSize::EnvelopeC3},   {30, QPageSize::EnvelopeC4},
        {31, QPageSize::EnvelopeC6},     {32, QPageSize::EnvelopeC65},  {33, QPageSize::EnvelopeB4},
        {34, QPageSize::EnvelopeB5},     {35, QPageSize::EnvelopeB6},   {36, QPageSize::EnvelopeItalian},
        {37, QPageSize::EnvelopeMonarch}, {38, QPageSize::EnvelopePersonal},
    };
    for (const auto& [c, id] : table)
        if (c == code)
            return QPageSize(id);
    return std::nullopt;
}

QPageSize customPaper(double widthInches, double heightInches)
{
    return QPageSize(QSizeF(widthInches, heightInches), QPageSize::Inch, QString(), QPageSize::ExactMatch);
}

PageGeometry pageGeometry(const PrinterSettings& settings)
{
    const QPageSize paper = settings.paper ? *settings.paper : defaultPaper(settings.printer);
    QSizeF size = paper.size(QPageSize::Inch);
    QMarginsF unprintable;
    if (!settings.printer.isPdf) {
        QPrinter probe(QPrinter::HighResolution);
        probe.setPrinterName(settings.printer.device);
        probe.setPageSize(paper);
        QPageLayout layout = probe.pageLayout();
        layout.setUnits(QPageLayout::Inch);
        unprintable = layout.minimumMargins();
        if (!settings.orientation && probe.pageLayout().orientation() == QPageLayout::Landscape)
            size.transpose();
    }
    if (settings.orientation == QPageLayout::Landscape) {
        size.transpose();
        unprintable = QMarginsF(unprintable.top(), unprintable.right(), unprintable.bottom(), unprintable.left());
    }
    return {size, unprintable};
}

void configure(QPrinter& printer, const PrinterSettings& settings)
{
    if (settings.printer.isPdf) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(settings.pdfPath);
    } else {
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName(settings.printer.device);
        if (!settings.binKeyword.isEmpty())
            printer.printEngine()->setProperty(kCupsOptions,
                                               QStringList{QStringLiteral("media-source"), settings.binKeyword});
    }
    printer.setFullPage(true);
    const QPageSize paper = settings.paper ? *settings.paper : defaultPaper(settings.printer);
    printer.setPageSize(paper);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0));
    if (settings.orientation)
        printer.setPageOrientation(*settings.orientation);
    if (settings.copies > 0)
        printer.setCopyCount(settings.copies);
}

int submitPdf(const PrinterSettings& settings, const QString& pdfPath, const QString& title)
{
    const QString queue = settings.printer.device;
    auto fail = [&](const QString& why) { return PrintQueueError{QStringLiteral("The printer \"%1\" did not take the job: %2").arg(queue, why)}; };
    QFile pdf(pdfPath);
    if (!pdf.open(QIODevice::ReadOnly))
        throw fail(pdf.errorString());
    DestInfo d(queue);
    if (!d.valid())
        throw fail(QString::fromUtf8(cupsLastErrorString()));

    int count = 0;
    cups_option_t* options = nullptr;
    const QSizeF mm = (settings.paper ? *settings.paper : defaultPaper(settings.printer)).size(QPageSize::Millimeter);
    if (const pwg_media_t* media = pwgMediaForSize(int(mm.width() * 100 + 0.5), int(mm.height() * 100 + 0.5)))
        count = cupsAddOption(CUPS_MEDIA, media->pwg, count, &options);
    if (!settings.binKeyword.isEmpty())
        count = cupsAddOption(CUPS_MEDIA_SOURCE, settings.binKeyword.toUtf8().constData(), count, &options);
    if (settings.copies > 0)
        count = cupsAddOption(CUPS_COPIES, QByteArray::number(settings.copies).constData(), count, &options);
    struct Options {
        int count;
        cups_option_t* list;
        ~Options() { cupsFreeOptions(count, list); }
    } held{count, options};

    int job = 0;
    const QByteArray name = title.toUtf8();
    if (cupsCreateDestJob(CUPS_HTTP_DEFAULT, d.dest, d.info, &job, name.constData(), count, options) != IPP_STATUS_OK || job <= 0)
        throw fail(QString::fromUtf8(cupsLastErrorString()));
    auto cancel = [&] { cupsCancelDestJob(CUPS_HTTP_DEFAULT, d.dest, job); };
    if (cupsStartDestDocument(CUPS_HTTP_DEFAULT, d.dest, d.info, job, name.constData(), CUPS_FORMAT_PDF, 0, nullptr, 1) !=
        HTTP_STATUS_CONTINUE) {
        const QString why = QString::fromUtf8(cupsLastErrorString());
        cancel();
        throw fail(why);
    }
    for (;;) {
        const QByteArray chunk = pdf.read(64 * 1024);
        if (chunk.isEmpty())
            break;
        if (cupsWriteRequestData(CUPS_HTTP_DEFAULT, chunk.constData(), size_t(chunk.size())) != HTTP_STATUS_CONTINUE) {
            const QString why = QString::fromUtf8(cupsLastErrorString());
            cupsFinishDestDocument(CUPS_HTTP_DEFAULT, d.dest, d.info);
            cancel();
            throw fail(why);
        }
    }
    if (pdf.error() != QFileDevice::NoError || cupsFinishDestDocument(CUPS_HTTP_DEFAULT, d.dest, d.info) != IPP_STATUS_OK) {
        const QString why = pdf.error() != QFileDevice::NoError ? pdf.errorString() : QString::fromUtf8(cupsLastErrorString());
        cancel();
        throw fail(why);
    }
    return job;
}

} // namespace qb::printer
