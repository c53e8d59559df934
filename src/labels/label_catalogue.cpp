#include "labels/label_catalogue.h"

#include "core/layout_names.h"
#include "core/messages.h"
#include "core/paths.h"
#include "platform/xbase/settings.h"
#include "platform/xbase/table.h"

#include <QFile>
#include <QFileInfo>

namespace qb {

namespace {
QString text(const xbase::Table& t, const char* field) { return QString::fromStdString(t.text(field)); }
} // namespace

QString sheetName(const LabelStock& stock)
{
    return stock.templateName.isEmpty() ? QStringLiteral("[User Defined]") : stock.templateName;
}

LabelCatalogue::LabelCatalogue(xbase::Table& labels) : labels_(labels)
{
    labels_.selectOrder("DESCRIPT");
    labels_.setFilter("not DELETED()");
    labels_.first();
}

QString LabelCatalogue::folder() { return ProgramFolder::file(QStringLiteral("sysdata")) + QLatin1Char('/'); }

QString LabelCatalogue::layoutPath(const QString& fileName) const { return catalogueFilePath(folder(), fileName); }

bool LabelCatalogue::hasCurrent() const { return !labels_.eof() && labels_.recordCount() > 0; }

LabelLayoutRecord LabelCatalogue::read() const
{
    LabelLayoutRecord r;
    r.description = text(labels_, "DESCRIPT");
    r.stock = LabelStock::fromLayoutRow(labels_);
    r.fileName = text(labels_, "BINARY");
    return r;
}

QSet<QString> LabelCatalogue::referencedFiles()
{
    // Every row, deleted ones too: a name they hold may still come back.
    QSet<QString> names;
    const uint32_t at = labels_.eof() ? 0 : labels_.recno();
    for (uint32_t r = 1; r <= labels_.recordCount(); ++r)
        if (labels_.go(r))
            names.insert(text(labels_, "BINARY").toUpper());
    if (at > 0)
        labels_.go(at);
    else
        labels_.first();
    return names;
}

std::optional<QString> LabelCatalogue::newFileName()
{
    const std::optional<QString> name = newLayoutFileName(folder(), QStringLiteral(".L"), referencedFiles());
    if (!name)
        showInformation(kNoFreeLayoutName);
    return name;
}

bool LabelCatalogue::save(LabelLayoutRecord& record, const std::function<bool(const QString& path)>& writeLayout)
{
    if (record.fileName.trimmed().isEmpty()) {
        const std::optional<QString> name = newFileName();
        if (!name)
            return false;
        record.fileName = *name;
    }
    const QString path = layoutPath(record.fileName);
    if (path.isEmpty()) {
        showInformation(notPlainFileNameMessage(record.fileName));
        return false;
    }
    record.description = record.description.left(kLayoutDescriptionLength);
    // The row is filled first, so that a value its columns cannot hold stops
    // the save before the layout file is touched; it is posted only once the
    // file was written.
    const auto refuse = [this](const QString& text) {
        if (labels_.editing())
            labels_.cancel();
        showInformation(text);
        return false;
    };
    try {
        if (record.isNew)
            labels_.appendBlank();
        else
            labels_.edit();
        labels_.setText("DESCRIPT", record.description.toStdString());
        record.stock.writeTo(labels_);
        labels_.setText("BINARY", record.fileName.toStdString());
    } catch (const std::exception& e) {
        return refuse(QStringLiteral("Unable to save the label layout:\r\n") + QString::fromStdString(e.what()));
    }
    QString problem;
    bool written = false;
    try {
        written = writeLayout(path);
    } catch (const std::exception& e) {
        problem = QStringLiteral("\r\n") + QString::fromStdString(e.what());
    }
    if (!written)
        return refuse(QStringLiteral("Unable to save the label layout to ") + path + problem);
    try {
        labels_.post();
    } catch (const std::exception& e) {
        return refuse(QString::fromStdString(e.what()));
    }
    record.isNew = false;
    return true;
}

bool LabelCatalogue::remove()
{
    if (!hasCurrent())
        return false;
    const LabelLayoutRecord r = read();
    if (!askQuestion(QStringLiteral("Delete \"") + r.description + QStringLiteral("\"?"), QStringLiteral("DELETE")))
        return false;
    try {
        labels_.deleteRecord();
    } catch (const std::exception& e) {
        showInformation(QString::fromStdString(e.what()));
        return false;
    }
    if (const QString path = layoutPath(r.fileName); !path.isEmpty() && QFileInfo::exists(resolvePath(path)))
        QFile::remove(resolvePath(path));
    labels_.first();
    return true;
}

bool LabelCatalogue::clone(const std::function<bool(const QString& from, const QString& to)>& copyLayout)
{
    if (!hasCurrent())
        return false;
    LabelLayoutRecord r = read();
    if (!askQuestion(QStringLiteral("Clone \"") + r.description + QStringLiteral("\"?"), QStringLiteral("CLONE")))
        return false;
    if (!r.fileName.trimmed().isEmpty() && layoutPath(r.fileName).isEmpty()) {
        showInformation(notPlainFileNameMessage(r.fileName));
        return false;
    }
    const QString from = resolvePath(layoutPath(r.fileName.trimmed()));
    if (r.fileName.trimmed().isEmpty() || !QFileInfo::exists(from)) {
        showInformation(kLabelFileRemoved);
        return false;
    }
    const std::optional<QString> name = newFileName();
    if (!name)
        return false;
    LabelLayoutRecord copy = r;
    copy.description = (QStringLiteral("Clone of :") + r.description).left(kLayoutDescriptionLength);
    copy.fileName = *name;
    copy.isNew = true;
    return save(copy, [&](const QString& to) { return copyLayout(from, to); });
}

} // namespace qb
