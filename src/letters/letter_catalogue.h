#pragma once
// The stored letter templates: rows of LETTER.DBF, each a description and the
// template as RTF in a memo, listed by description with deleted rows hidden.
// The memo is read and written as text, with the memo length rule of the
// tables shared with the Windows program; the RTF never passes through a file.

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

    // The current row's template loaded into text. False after telling the
    // user when its memo cannot be read; text is then left empty.
    bool load(richtext::RichText& text) const;

    // Writes description and text into a new row (isNew) or the current one.
    // False after telling the user why not; the row is then as it was.
    bool save(bool isNew, const QString& description, const richtext::RichText& text);
    // Delete "description"? On Yes the row goes.
    bool remove();
    // Clone "description"? On Yes a new row "Clone of " + description with the template.
    bool clone();

    // The memo text a template is stored as.
    static QString storedText(const richtext::RichText& text);

private:
    xbase::Table& letters_;
};

} // namespace qb
