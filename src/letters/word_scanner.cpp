#include "letters/word_scanner.h"

#include <QTextDocument>

namespace qb {

bool isWordLetter(QChar c)
{
    const char16_t u = c.unicode();
    if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z'))
        return true;
    // The codes 138, 140, 154, 156 and 159 of Windows-1252, and 192 to 255,
    // where Unicode has them.
    return u == 0x0160 || u == 0x0152 || u == 0x0161 || u == 0x0153 || u == 0x0178 || (u >= 0xC0 && u <= 0xFF);
}

namespace {
bool isApostrophe(QChar c) { return c == QLatin1Char('\'') || c == QChar(0x2019); }
} // namespace

void WordScanner::reset() { pos_ = start_ = end_ = 0; }

QString WordScanner::next()
{
    const int size = doc_.characterCount();
    int p = pos_;
    while (p < size && !isWordLetter(doc_.characterAt(p)))
        ++p;
    if (p >= size) {
        pos_ = start_ = end_ = size;
        return {};
    }
    start_ = p;
    while (p < size) {
        const QChar c = doc_.characterAt(p);
        if (isWordLetter(c)) {
            ++p;
        } else if (isApostrophe(c) && p + 1 < size && isWordLetter(doc_.characterAt(p + 1))) {
            p += 2;
        } else {
            break;
        }
    }
    end_ = pos_ = p;
    QTextCursor c(&doc_);
    c.setPosition(start_);
    c.setPosition(end_, QTextCursor::KeepAnchor);
    return c.selectedText();
}

QTextCursor WordScanner::selection() const
{
    QTextCursor c(&doc_);
    c.setPosition(start_);
    c.setPosition(end_, QTextCursor::KeepAnchor);
    return c;
}

void WordScanner::replace(const QString& text)
{
    if (end_ <= start_)
        return;
    QTextCursor c = selection();
    QTextCursor first(&doc_);
    first.setPosition(start_ + 1);
    const QString cut = text.left(kMaxReplacementLength);
    c.insertText(cut, first.charFormat());
    end_ = pos_ = start_ + int(cut.size());
}

} // namespace qb
