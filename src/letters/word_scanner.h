#pragma once
// The words of a letter one after another, for the spell check: a word is a
// run of letters (A-Z, a-z and the letters of Windows-1252: Š Œ š œ Ÿ and
// À to ÿ), with an apostrophe between two of its letters belonging to it; any
// other character separates words. The word last given can be selected or
// replaced in the document.

#include <QString>
#include <QTextCursor>

class QTextDocument;

namespace qb {

bool isWordLetter(QChar c);

inline constexpr int kMaxReplacementLength = 255;

class WordScanner {
public:
    explicit WordScanner(QTextDocument& document) : doc_(document) {}

    // Back to the beginning of the text.
    void reset();
    // The next word after the last one given; empty at the end of the text.
    QString next();
    // A cursor selecting the word last given.
    QTextCursor selection() const;
    // Replaces the word last given by text (cut to kMaxReplacementLength),
    // which takes the format of the word's first character; the scan goes on
    // after it.
    void replace(const QString& text);

private:
    QTextDocument& doc_;
    int pos_ = 0;
    int start_ = 0, end_ = 0;
};

} // namespace qb
