#include "letters/letter_catalogue.h"

#include "core/memo_text.h"
#include "core/messages.h"
#include "platform/richtext/rich_text.h"
#include "platform/xbase/table.h"

#include <QStringList>

namespace qb {

LetterCatalogue::LetterCatalogue(xbase::Table& letters) : letters_(letters)
{
    letters_.selectOrder("DESCRIPT");
    letters_.setFilter("not DELETED()");
    letters_.first();
}

bool LetterCatalogue::hasCurrent() const { return !letters_.eof() && letters_.recordCount() > 0; }

QString LetterCatalogue::description() const
{
    return hasCurrent() ? QString::fromStdString(letters_.text("DESCRIPT")) : QString();
}

std::optional<richtext::RtfReadResult> LetterCatalogue::read(richtext::RichText& text, QString& error) const
{
    text.clear();
    if (!hasCurrent()) {
        error = QStringLiteral("There is no letter to read.");
        return std::nullopt;
    }
    QString rtf;
    try {
        rtf = QString::fromStdString(letters_.memo("RTF"));
    } catch (const std::exception& e) {
        error = QStringLiteral("The letter \"%1\" cannot be read:\r\n%2")
                    .arg(description(), QString::fromStdString(e.what()));
        return std::nullopt;
    }
    return text.setRtf(memoForEditor(rtf));
}

bool LetterCatalogue::load(richtext::RichText& text) const
{
    QString error;
    if (read(text, error))
        return true;
    showInformation(error);
    return false;
}

QString letterReadNote(const richtext::RtfReadResult& read)
{
    QStringList lines;
    if (!read.problem.isEmpty())
        lines << read.problem;
    if (const QString dropped = read.droppedText(); !dropped.isEmpty())
        lines << QStringLiteral("This letter contains ") + dropped +
                     QStringLiteral(" that this editor cannot show; saving it will remove them.");
    return lines.join(QStringLiteral("\r\n"));
}

QString LetterCatalogue::storedText(const richtext::RichText& text)
{
    return memoForStorage(memoForEditor(text.rtf()));
}

bool LetterCatalogue::save(bool isNew, const QString& description, const richtext::RichText& text)
{
    return write(isNew, description, storedText(text).toStdString());
}

bool LetterCatalogue::remove()
{
    if (!hasCurrent())
        return false;
    if (!askQuestion(QStringLiteral("Delete \"") + description() + QStringLiteral("\"?"), QStringLiteral("DELETE")))
        return false;
    try {
        letters_.deleteRecord();
    } catch (const std::exception& e) {
        showInformation(QString::fromStdString(e.what()));
        return false;
    }
    letters_.first();
    return true;
}

bool LetterCatalogue::clone()
{
    if (!hasCurrent())
        return false;
    const QString old = description();
    if (!askQuestion(QStringLiteral("Clone \"") + old + QStringLiteral("\"?"), QStringLiteral("CLONE")))
        return false;
    // The stored text as it is: what this editor cannot show goes along.
    std::string memo;
    try {
        memo = letters_.memo("RTF");
    } catch (const std::exception& e) {
        showInformation(QStringLiteral("The letter \"%1\" cannot be read:\r\n%2").arg(old, QString::fromStdString(e.what())));
        return false;
    }
    return write(true, QStringLiteral("Clone of ") + old, memo);
}

bool LetterCatalogue::write(bool isNew, const QString& description, const std::string& memo)
{
    try {
        if (isNew)
            letters_.appendBlank();
        else
            letters_.edit();
        letters_.setText("DESCRIPT", description.left(kLetterDescriptionLength).toStdString());
        letters_.setMemo("RTF", memo);
        letters_.post();
    } catch (const std::exception& e) {
        if (letters_.editing())
            letters_.cancel();
        showInformation(QStringLiteral("Unable to save the letter \"%1\":\r\n%2")
                            .arg(description, QString::fromStdString(e.what())));
        return false;
    }
    return true;
}

} // namespace qb
