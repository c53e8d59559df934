#pragma once
// The stored letter templates: rows of LETTER.DBF, each a description and the
// template as RTF in a memo, listed by description with deleted rows hidden.
// The memo is read and written as text, with the memo length rule of the
// tables shared with the Windows program; the RTF never passes through a file.

#include "platform/richtext/rtf_reader.h"

#include <QString>

#include <optional>

namespace qb {

namespace xbase {
class Table;
}

namespace richtext {
class RichText;
}

inline constexpr int kLetterDescriptionLength = 50;
inline const QString kUntitledLetter = QStringLiteral("{untitled}");

class LetterCatalogue {
public:
    // letters: LETTER.DBF, open for writing; the catalogue sets its order and query.
    explicit LetterCatalogue(xbase::Table& letters);

    xbase::Table& table() { return letters_; }
    bool hasCurrent() const;
    QString description() const;

    // The current row's template read into text, with what the reader said
    // of it; nullopt and why in error when its memo cannot be read (text is
    // then left empty). Nothing is shown to the user.
    std::optional<richtext::RtfReadResult> read(richtext::RichText& text, QString& error) const;
    // read(), telling the user when the memo cannot be read.
    bool load(richtext::RichText& text) const;

    // Writes description and text into a new row (isNew) or the current one.
    // False after telling the user why not; the row is then as it was.
    bool save(bool isNew, const QString& description, const richtext::RichText& text);
    // Delete "description"? On Yes the row goes.
    bool remove();
    // Clone "description"? On Yes a new row "Clone of " + description with
    // the template's stored text, byte for byte.
    bool clone();

    // The memo text a template is stored as.
    static QString storedText(const richtext::RichText& text);

private:
    bool write(bool isNew, const QString& description, const std::string& memo);

    xbase::Table& letters_;
};

// What the user is told when a template opens that the editor cannot keep
// whole: the reader's problem and what it passed over ("This letter contains
// a header and 2 text boxes that this editor cannot show; saving it will
// remove them."). Empty when the template read cleanly.
QString letterReadNote(const richtext::RtfReadResult& read);

} // namespace qb
