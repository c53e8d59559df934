#pragma once
// Reads RTF into a QTextDocument and a page layout: the part of RTF that
// letters use, from whichever word processor wrote it. See rtf_reader.cpp for
// what is read and what is passed over.

#include "platform/richtext/page_layout.h"

#include <QString>
#include <QStringView>

#include <map>

class QTextDocument;

namespace qb::richtext {

// What an RTF text may hold that the document cannot carry.
enum class RtfDropped { Header, Footer, Picture, TextBox, Drawing, Object, Footnote, Comment, Field, HiddenText };

struct RtfReadResult {
    bool wasRtf = true;     // false: the text did not begin with "{\rtf" and was read as plain text
    bool complete = true;   // false: the reader stopped before the end of the text
    // One sentence for the user about what went wrong; empty when the text read cleanly.
    QString problem;
    // What was passed over, and how many of each.
    std::map<RtfDropped, int> dropped;

    // The dropped things as a user reads them: "a header and 2 text boxes";
    // empty when nothing was dropped.
    QString droppedText() const;
};

// Groups of the RTF text kept as they stand and written back after the page
// setup (headers and footers): a QStringList in this property of the document.
inline constexpr char kKeptRtfProperty[] = "qbKeptRtf";
inline constexpr qsizetype kMaxKeptRtf = 1 << 20;

// Limits that keep a damaged or hostile text from costing more than it is worth.
inline constexpr int kMaxGroupDepth = 100;
inline constexpr int kMaxFonts = 4096;
inline constexpr int kMaxColours = 4096;
inline constexpr int kMaxTabStops = 64;

// Replaces document's text with what rtf holds and sets page from it (the
// defaults of PageLayout where it says nothing). Characters outside 7-bit
// ASCII that stand in the text as they are (not escaped) are taken as given.
RtfReadResult readRtf(QStringView rtf, QTextDocument& document, PageLayout& page);

// A group that begins with this control word holds no text of the document
// (tables, pictures, headers, field instructions and the like).
bool isDestinationWord(QStringView word);

// The bytes of an RTF file: RTF is 7-bit text, and whatever unescaped 8-bit
// bytes a careless writer left in it are taken as Windows-1252, or as UTF-8
// in a file that begins with UTF-8's byte-order mark.
QString rtfFromBytes(const QByteArray& bytes);

} // namespace qb::richtext
