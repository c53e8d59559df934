#include "letters/letter_catalogue.h"

#include "core/memo_text.h"
#include "core/messages.h"
#include "platform/richtext/rich_text.h"
#include "platform/xbase/table.h"

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

bool LetterCatalogue::load(richtext::RichText& text) const
{
    text.clear();
    if (!hasCurrent())
        return false;
    QString rtf;
    try {
        rtf = QString::fromStdString(letters_.memo("RTF"));
    } catch (const std::exception& e) {
        showInformation(QStringLiteral("The letter \"%1\" cannot be read:\r\n%2")
                            .arg(description(), QString::fromStdString(e.what())));
        return false;
    }
    text.setRtf(memoForEditor(rtf));
    return true;
}

QString LetterCatalogue::storedText(const richtext::RichText& text)
{
    return memoForStorage(memoForEditor(text.rtf()));
}

bool LetterCatalogue::save(bool isNew, const QString& description, const richtext::RichText& text)
{
    const QString stored = storedText(text);
    try {
        if (isNew)
            letters_.appendBlank();
        else
            letters_.edit();
        letters_.setText("DESCRIPT", description.left(kLetterDescriptionLength).toStdString());
        letters_.setMemo("RTF", stored.toStdString());
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
    richtext::RichText hidden;
    if (!load(hidden))
        return false;
    return save(true, QStringLiteral("Clone of ") + old, hidden);
}

} // namespace qb
