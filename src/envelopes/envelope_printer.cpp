#include "envelopes/envelope_printer.h"

#include "printing/tbasereport.h"

namespace qb {

int findEnvelopePrinter(const QStringList& entries, const QString& saved)
{
    const int on = saved.indexOf(QStringLiteral(" ON "), 0, Qt::CaseInsensitive);
    const QString device = (on < 0 ? saved : saved.left(on)).trimmed();
    if (device.isEmpty())
        return -1;
    for (int i = 0; i < entries.size(); ++i)
        if (entries[i].contains(device, Qt::CaseInsensitive))
            return i;
    return -1;
}

void applyEnvelopePrinter(TBaseReport& job, const EnvelopePrinterPreferences& saved)
{
    if (saved.printer) {
        const int index = findEnvelopePrinter(job.PrinterNames(), *saved.printer);
        if (index >= 0 && index != job.SelectedPrinter())
            job.SelectPrinter(index);
    }
    // The name as the printer spells it, or nothing when it is not offered.
    const auto offered = [](const QStringList& names, const std::optional<QString>& name) {
        if (name && !name->trimmed().isEmpty())
            for (const QString& n : names)
                if (n.compare(name->trimmed(), Qt::CaseInsensitive) == 0)
                    return n;
        return QString();
    };
    if (const QString bin = offered(job.BinNames(), saved.bin); !bin.isEmpty())
        job.SelectBinByName(bin);
    if (const QString paper = offered(job.PaperNames(), saved.paper); !paper.isEmpty())
        job.SelectPaperByName(paper);
    if (saved.orientation)
        job.setOrientation(*saved.orientation != 0 ? Orientation::poLandScape : Orientation::poPortrait);
}

EnvelopePrinterPreferences envelopePrinterOf(TBaseReport& job)
{
    EnvelopePrinterPreferences p;
    const QStringList entries = job.PrinterNames();
    const int i = job.SelectedPrinter();
    p.printer = i >= 0 && i < entries.size() ? entries[i] : QString();
    p.bin = job.BinName();
    p.paper = job.PaperName();
    p.orientation = job.orientation() == Orientation::poLandScape ? 1 : 0;
    return p;
}

} // namespace qb
