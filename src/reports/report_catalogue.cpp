#include "reports/report_catalogue.h"

#include "core/layout_names.h"
#include "core/messages.h"
#include "core/paths.h"
#include "design/layout_filer.h"
#include "platform/xbase/table.h"

#include <QFile>
#include <QFileInfo>

namespace qb {

namespace {
QString text(const xbase::Table& t, const char* field) { return QString::fromStdString(t.text(field)).trimmed(); }
} // namespace

ReportCatalogue::ReportCatalogue(xbase::Table& reports) : reports_(reports)
{
    reports_.selectOrder("DESCRIPT");
    reports_.setFilter("not DELETED()");
    reports_.first();
}

QString ReportCatalogue::folder() { return ProgramFolder::file(QStringLiteral("sysdata")) + QLatin1Char('/'); }

QString ReportCatalogue::reportPath(const QString& fileName) { return catalogueFilePath(folder(), fileName); }

bool ReportCatalogue::hasCurrent() const { return !reports_.eof() && reports_.recordCount() > 0; }

ReportRecord ReportCatalogue::read() const
{
    ReportRecord r;
    if (!hasCurrent())
        return r;
    r.description = text(reports_, "DESCRIPT");
    r.layout = text(reports_, "LAYOUT");
    r.fileName = text(reports_, "BINARY");
    return r;
}

bool ReportCatalogue::find(const QString& key)
{
    for (bool more = reports_.first(); more; more = reports_.next()) {
        const ReportRecord r = read();
        if (r.description.compare(key.trimmed(), Qt::CaseInsensitive) == 0 ||
            r.fileName.compare(key.trimmed(), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QSet<QString> ReportCatalogue::referencedFiles()
{
    QSet<QString> names;
    const uint32_t at = reports_.eof() ? 0 : reports_.recno();
    for (uint32_t r = 1; r <= reports_.recordCount(); ++r)
        if (reports_.go(r))
            names.insert(text(reports_, "BINARY").toUpper());
    if (at > 0)
        reports_.go(at);
    else
        reports_.first();
    return names;
}

std::optional<QString> ReportCatalogue::newFileName()
{
    const std::optional<QString> name = newLayoutFileName(folder(), QStringLiteral(".R"), referencedFiles());
    if (!name)
        showInformation(kNoFreeLayoutName);
    return name;
}

bool ReportCatalogue::save(ReportRecord& record, const std::function<void(const QString& path)>& writeReport)
{
    if (record.fileName.trimmed().isEmpty()) {
        const std::optional<QString> name = newFileName();
        if (!name)
            return false;
        record.fileName = *name;
    }
    const QString path = reportPath(record.fileName);
    if (path.isEmpty()) {
        showInformation(notPlainFileNameMessage(record.fileName));
        return false;
    }
    record.description = record.description.left(kReportDescriptionLength);
    const auto refuse = [this](const QString& message) {
        if (reports_.editing())
            reports_.cancel();
        showInformation(message);
        return false;
    };
    try {
        if (record.isNew)
            reports_.appendBlank();
        else
            reports_.edit();
        reports_.setText("DESCRIPT", record.description.toStdString());
        reports_.setText("LAYOUT", record.layout.toStdString());
        reports_.setText("BINARY", record.fileName.toStdString());
    } catch (const std::exception& e) {
        return refuse(QStringLiteral("Unable to save the report:\r\n") + QString::fromStdString(e.what()));
    }
    try {
        writeReport(path);
    } catch (const std::exception& e) {
        return refuse(QStringLiteral("Unable to save the report to ") + path + QStringLiteral("\r\n") +
                      QString::fromStdString(e.what()));
    }
    try {
        reports_.post();
    } catch (const std::exception& e) {
        return refuse(QString::fromStdString(e.what()));
    }
    record.isNew = false;
    return true;
}

bool ReportCatalogue::remove()
{
    if (!hasCurrent())
        return false;
    const ReportRecord r = read();
    if (!askQuestion(QStringLiteral("Delete \"") + r.description + QStringLiteral("\"?"), QStringLiteral("DELETE")))
        return false;
    try {
        reports_.deleteRecord();
    } catch (const std::exception& e) {
        showInformation(QString::fromStdString(e.what()));
        return false;
    }
    if (const QString path = reportPath(r.fileName); !path.isEmpty() && QFileInfo::exists(resolvePath(path)))
        QFile::remove(resolvePath(path));
    reports_.first();
    return true;
}

bool ReportCatalogue::clone()
{
    if (!hasCurrent())
        return false;
    const ReportRecord r = read();
    if (!askQuestion(QStringLiteral("Clone \"") + r.description + QStringLiteral("\"?"), QStringLiteral("CLONE")))
        return false;
    if (!r.fileName.isEmpty() && reportPath(r.fileName).isEmpty()) {
        showInformation(notPlainFileNameMessage(r.fileName));
        return false;
    }
    const QString from = resolvePath(reportPath(r.fileName));
    if (r.fileName.isEmpty() || !QFileInfo::exists(from)) {
        showInformation(kReportFileRemoved);
        return false;
    }
    const std::optional<QString> name = newFileName();
    if (!name)
        return false;
    ReportRecord copy = r;
    copy.description = (QStringLiteral("Clone of ") + r.description).left(kReportDescriptionLength);
    copy.fileName = *name;
    copy.isNew = true;
    return save(copy, [&from](const QString& to) {
        design::TKLabelObjectFiler::writeFile(to, design::TKLabelObjectFiler::readFile(from));
    });
}

} // namespace qb
