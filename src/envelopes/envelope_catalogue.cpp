#include "envelopes/envelope_catalogue.h"

#include "core/layout_names.h"
#include "core/messages.h"
#include "core/paths.h"
#include "design/layout_filer.h"
#include "platform/xbase/table.h"

#include <QFile>
#include <QFileInfo>

#include <cmath>

namespace qb {

namespace {
QString text(const xbase::Table& t, const char* field) { return QString::fromStdString(t.text(field)).trimmed(); }
} // namespace

EnvelopeSize EnvelopeLayoutRecord::size() const
{
    if (const std::optional<EnvelopeSize> s = envelopeSize(code))
        return *s;
    return EnvelopeSize{code, QString(), -1, -1, kUnknownEnvelopeSize};
}

QString unknownEnvelopeSizeMessage(int code)
{
    return QStringLiteral("The envelope size code %1 of this layout is not a known envelope size.\r\n"
                          "Choose the envelope's size with Layout in the Settings menu.")
        .arg(code);
}

EnvelopeCatalogue::EnvelopeCatalogue(xbase::Table& envelopes) : envelopes_(envelopes)
{
    envelopes_.selectOrder("DESCRIPT");
    envelopes_.setFilter("not DELETED()");
    envelopes_.first();
}

QString EnvelopeCatalogue::folder() { return ProgramFolder::file(QStringLiteral("sysdata")) + QLatin1Char('/'); }

QString EnvelopeCatalogue::layoutPath(const QString& fileName) const { return catalogueFilePath(folder(), fileName); }

bool EnvelopeCatalogue::hasCurrent() const { return !envelopes_.eof() && envelopes_.recordCount() > 0; }

EnvelopeLayoutRecord EnvelopeCatalogue::read() const
{
    EnvelopeLayoutRecord r;
    if (!hasCurrent())
        return r;
    r.description = text(envelopes_, "DESCRIPT");
    r.code = static_cast<int>(std::lround(envelopes_.number("NUMBER")));
    r.fileName = text(envelopes_, "BINARY");
    return r;
}

bool EnvelopeCatalogue::find(const QString& key)
{
    for (bool more = envelopes_.first(); more; more = envelopes_.next()) {
        const EnvelopeLayoutRecord r = read();
        if (r.description.compare(key.trimmed(), Qt::CaseInsensitive) == 0 ||
            r.fileName.compare(key.trimmed(), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QSet<QString> EnvelopeCatalogue::referencedFiles()
{
    // Every row, deleted ones too: a name they hold may still come back.
    QSet<QString> names;
    const uint32_t at = envelopes_.eof() ? 0 : envelopes_.recno();
    for (uint32_t r = 1; r <= envelopes_.recordCount(); ++r)
        if (envelopes_.go(r))
            names.insert(text(envelopes_, "BINARY").toUpper());
    if (at > 0)
        envelopes_.go(at);
    else
        envelopes_.first();
    return names;
}

std::optional<QString> EnvelopeCatalogue::newFileName()
{
    const std::optional<QString> name = newLayoutFileName(folder(), QStringLiteral(".E"), referencedFiles());
    if (!name)
        showInformation(kNoFreeLayoutName);
    return name;
}

bool EnvelopeCatalogue::save(EnvelopeLayoutRecord& record, const std::function<bool(const QString& path)>& writeLayout)
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
    record.description = record.description.left(kEnvelopeDescriptionLength);
    const auto refuse = [this](const QString& text) {
        if (envelopes_.editing())
            envelopes_.cancel();
        showInformation(text);
        return false;
    };
    // The row is filled first, so that a value its columns cannot hold stops
    // the save before the file is touched; it is posted once the file is written.
    try {
        if (record.isNew)
            envelopes_.appendBlank();
        else
            envelopes_.edit();
        envelopes_.setText("DESCRIPT", record.description.toStdString());
        envelopes_.setNumber("NUMBER", record.code);
        envelopes_.setText("BINARY", record.fileName.toStdString());
    } catch (const std::exception& e) {
        return refuse(QStringLiteral("Unable to save the envelope layout:\r\n") + QString::fromStdString(e.what()));
    }
    // What the file held before: a row that cannot be posted then leaves file
    // and row as they were.
    const QString resolved = resolvePath(path);
    std::optional<QByteArray> before;
    if (QFile old(resolved); old.open(QIODevice::ReadOnly))
        before = old.readAll();
    QString problem;
    bool written = false;
    try {
        written = writeLayout(path);
    } catch (const std::exception& e) {
        problem = QStringLiteral("\r\n") + QString::fromStdString(e.what());
    }
    if (!written)
        return refuse(QStringLiteral("Unable to save the envelope layout to ") + path + problem);
    try {
        envelopes_.post();
    } catch (const std::exception& e) {
        QString undone;
        try {
            if (before)
                design::TKLabelObjectFiler::writeFile(resolved, *before);
            else
                QFile::remove(resolvePath(path));
        } catch (const std::exception& again) {
            undone = QStringLiteral("\r\n") + QString::fromStdString(again.what());
        }
        return refuse(QStringLiteral("Unable to save the envelope layout:\r\n") + QString::fromStdString(e.what()) +
                      undone);
    }
    record.isNew = false;
    return true;
}

bool EnvelopeCatalogue::remove()
{
    if (!hasCurrent())
        return false;
    const EnvelopeLayoutRecord r = read();
    if (!askQuestion(QStringLiteral("Delete \"") + r.description + QStringLiteral("\"?"), QStringLiteral("DELETE")))
        return false;
    try {
        envelopes_.deleteRecord();
    } catch (const std::exception& e) {
        showInformation(QString::fromStdString(e.what()));
        return false;
    }
    // A name outside sysdata takes the row only.
    if (const QString path = layoutPath(r.fileName); !path.isEmpty() && QFileInfo::exists(resolvePath(path)))
        QFile::remove(resolvePath(path));
    envelopes_.first();
    return true;
}

bool EnvelopeCatalogue::clone(const std::function<bool(const QString& from, const QString& to)>& copyLayout)
{
    if (!hasCurrent())
        return false;
    const EnvelopeLayoutRecord r = read();
    if (!askQuestion(QStringLiteral("Clone \"") + r.description + QStringLiteral("\"?"), QStringLiteral("CLONE")))
        return false;
    // The copy's row is posted only once its file exists, so a layout whose
    // file is gone cannot be cloned.
    if (!r.fileName.isEmpty() && layoutPath(r.fileName).isEmpty()) {
        showInformation(notPlainFileNameMessage(r.fileName));
        return false;
    }
    const QString from = resolvePath(layoutPath(r.fileName));
    if (r.fileName.isEmpty() || !QFileInfo::exists(from)) {
        showInformation(kEnvelopeFileRemoved);
        return false;
    }
    const std::optional<QString> name = newFileName();
    if (!name)
        return false;
    EnvelopeLayoutRecord copy = r;
    copy.description = (QStringLiteral("Clone of ") + r.description).left(kEnvelopeDescriptionLength);
    copy.fileName = *name;
    copy.isNew = true;
    return save(copy, [&](const QString& to) { return copyLayout(from, to); });
}

} // namespace qb
