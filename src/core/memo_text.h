#pragma once
// Memo text between an editor and a memo field (the record's MEMO, a letter
// template's RTF). Editors work with "\n" line breaks; the field keeps
// "\r\n", as the tables shared with the Windows version of the program do.

#include <QString>

namespace qb {

// The length of text with each line break counted as two characters.
int memoLength(const QString& text);

// The text as MEMO stores it: "\r\n" line breaks, and, when memoLength is a
// positive multiple of 4, one blank appended to the last line. Tables written
// by earlier versions hold their memos this way, so it stays.
QString memoForStorage(const QString& editorText);

// The stored text as the editor shows it.
QString memoForEditor(const QString& stored);

} // namespace qb
