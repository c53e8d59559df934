#pragma once
// The formats at a piece of text in a document, for the rich-text tests.

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace qb::richtext::test {

// The format of the first character of the first occurrence of text.
inline QTextCharFormat formatOf(const QTextDocument& doc, const QString& text)
{
    const QTextCursor found = doc.find(text, 0, QTextDocument::FindCaseSensitively);
    EXPECT_FALSE(found.isNull()) << text.toStdString();
    QTextCursor c(const_cast<QTextDocument*>(&doc));
    c.setPosition(found.selectionStart() + 1);
    return c.charFormat();
}

// The format of the paragraph holding the first occurrence of text.
inline QTextBlockFormat blockOf(const QTextDocument& doc, const QString& text)
{
    const QTextCursor found = doc.find(text, 0, QTextDocument::FindCaseSensitively);
    EXPECT_FALSE(found.isNull()) << text.toStdString();
    return found.block().blockFormat();
}

inline QString family(const QTextCharFormat& f) { return f.fontFamilies().toStringList().value(0); }

} // namespace qb::richtext::test
