#include "platform/richtext/rtf_reader.h"

#include "platform/richtext/picture.h"
#include "platform/richtext/text_units.h"

#include <QColor>
#include <QStringDecoder>
#include <QStringList>
#include <QVariant>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cctype>
#include <utility>
#include <climits>
#include <map>
#include <optional>
#include <vector>

// RTF, as far as this reader takes it.
//
// The text is a tree of groups "{...}" holding control words ("\b", "\fs24",
// "\par": a backslash, up to 32 letters, an optional signed number, and one
// blank that belongs to the word), control symbols ("\~", "\'e9", "\{") and
// plain text. A group saves the character and paragraph state on "{" and gets
// it back on "}". The first control word of a group may make it a
// destination: text that is not part of the document (the font table, the
// colour table, headers, pictures, document information). "{\*\word ...}"
// marks a destination a reader may pass over when it does not know it.
//
// Read:
//   header        \rtf1 \ansi \ansicpgN (the code page of \'hh) \deffN \deftabN \ucN
//   tables        {\fonttbl {\fN\fcharsetN Name;}...}  {\colortbl;\redN\greenN\blueN;...}
//   page          \paperw \paperh \margl \margr \margt \margb, and the section
//                 forms \pgwsxn \pghsxn \marglsxn \margrsxn \margtsxn \margbsxn
//   characters    \plain \fN \fsN (half points) \b \i \ul (every underline
//                 style) \ulnone \strike \v (hidden: left out) \cfN \cbN
//                 \chcbpatN \highlightN \super \sub \nosupersub
//   paragraphs    \pard \ql \qc \qr \qj \fiN \liN \riN \sbN \saN \slN \slmultN
//                 \txN with \tqr \tqc \tqdec before it, \pagebb
//   text          \par \line \tab \page \sect (a page break unless the next
//                 section says \sbknone) \'hh \uN with its \ucN fallback
//                 characters skipped, \~ \- \_ \emdash \endash \bullet and
//                 the quotes; \cell becomes a tab and \row a paragraph, so
//                 the words of a table survive
//   skipped       every {\*...} group, \stylesheet, \info, \pict, \object,
//                 headers, footers, footnotes, field instructions (their
//                 results are read), \bin data, and control words not named here
//
// Bounds: groups nest at most kMaxGroupDepth deep (the text after is left
// out), numbers are read from at most 10 digits and clamped where they are
// used, font and colour tables and tab stops are capped.

namespace qb::richtext {

namespace {

enum class Dest { Text, Skip, FontTable, ColourTable, Picture };

struct CharState {
    int font = -1;          // \fN; -1 the default font
    int halfPoints = 24;
    bool bold = false, italic = false, underline = false, strike = false, hidden = false;
    int foreground = 0, background = 0;   // colour table indexes; 0 automatic
    int vertical = 0;                     // 1 superscript, -1 subscript
    bool operator==(const CharState&) const = default;
};

struct TabStop {
    int position = 0;   // twips
    QTextOption::TabType type = QTextOption::LeftTab;
};

struct ParaState {
    Qt::Alignment align = Qt::AlignLeft;
    int first = 0, left = 0, right = 0, before = 0, after = 0, line = 0;
    bool lineMultiple = false;
    bool pageBreakBefore = false;
    std::vector<TabStop> tabs;
    QTextOption::TabType nextTab = QTextOption::LeftTab;
};

struct Group {
    CharState ch;
    ParaState para;
    int uc = 1;
    Dest dest = Dest::Text;
    qsizetype open = -1;   // where the group's "{" stands
    bool keep = false;     // the group is kept as it stands (headers, footers)
    bool keptFooter = false;
};

struct Font {
    QString name;
    int charset = 0;
};

struct Run {
    QString text;
    CharState ch;
    std::optional<QTextImageFormat> picture;   // the run is this picture
};

// A \pict group being read.
struct Picture {
    QByteArray kind;   // "png", "jpeg"; anything else is passed over
    int width = 0, height = 0;           // \picw \pich
    int goalWidth = 0, goalHeight = 0;   // \picwgoal \pichgoal, twips
    int scaleX = 100, scaleY = 100;
    QByteArray hex;
    bool binary = false;
};

int clampInt(long long v, int lo, int hi) { return int(std::clamp<long long>(v, lo, hi)); }

// Code pages by the numbers RTF gives them (\ansicpgN, or a font's \fcharsetN).
const char* codePageName(int codePage)
{
    switch (codePage) {
    case 437: return "IBM437";
    case 850: return "IBM850";
    case 874: return "windows-874";
    case 932: return "Shift_JIS";
    case 936: return "GBK";
    case 949: return "windows-949";
    case 950: return "Big5";
    case 1250: return "windows-1250";
    case 1251: return "windows-1251";
    case 1253: return "windows-1253";
    case 1254: return "windows-1254";
    case 1255: return "windows-1255";
    case 1256: return "windows-1256";
    case 1257: return "windows-1257";
    case 1258: return "windows-1258";
    case 10000: return "macintosh";
    default: return "windows-1252";
    }
}

// 0 for a charset that follows the document's code page.
int charsetCodePage(int charset)
{
    switch (charset) {
    case 2: return 28591;   // symbol fonts: the byte is the glyph
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 255: return 437;
    default: return 0;
    }
}

// Destinations whose content is not part of the document's text.
bool skippedDestination(QStringView w)
{
    static const char* const names[] = {
        "stylesheet", "info",      "pict",      "object",    "header",       "headerl",   "headerr", "headerf",
        "footer",     "footerl",   "footerr",   "footerf",   "footnote",     "annotation", "atnid",  "atnauthor",
        "fldinst",    "xe",        "tc",        "txe",       "rxe",          "listtable", "listoverridetable",
        "revtbl",     "rsidtbl",   "filetbl",   "pn",        "nonshppict",   "shp",       "shpinst", "shprslt",
        "do",         "template",  "docvar",    "userprops", "private",      "objdata",   "result",  "themedata",
        "latentstyles", "datastore", "xmlnstbl", "colorschememapping", "generator", "pgdsctbl", "bkmkstart", "bkmkend",
    };
    for (const char* n : names)
        if (w == QLatin1String(n))
            return true;
    return false;
}

class Reader {
public:
    Reader(QStringView in, QTextDocument& doc, PageLayout& page) : in_(in), doc_(doc), page_(page), cursor_(&doc) {}

    RtfReadResult run();

private:
    // ---- scanning ----
    void controlWord();
    void controlSymbol(QChar c);
    void openGroup();
    void closeGroup();
    void literal(QChar c);
    void problem(const QString& text, bool stop);
    void noteDestination(QStringView w);
    void note(RtfDropped what) { ++result_.dropped[what]; }

    // ---- state ----
    void word(QStringView w, bool hasParam, int param);
    void destinationText(const QString& text);
    void addText(const QString& text);
    void byte(uint8_t b);
    void flushBytes();
    int currentCodePage() const;
    QStringDecoder& decoder(int codePage);

    // ---- the document ----
    void endParagraph();
    void pageBreak();
    void finishPicture();
    void addRun(Run run);
    void finish();
    QTextCharFormat charFormat(const CharState& c) const;
    QTextBlockFormat blockFormat(const ParaState& p, bool pageBreak) const;
    QColor colour(int index) const;

    QStringView in_;
    qsizetype pos_ = 0;
    QTextDocument& doc_;
    PageLayout& page_;
    QTextCursor cursor_;
    RtfReadResult result_;
    bool stopped_ = false;

    std::vector<Group> stack_;
    Group cur_;
    int skipChars_ = 0;
    // "{\*\word": the word names a destination that is passed over.
    bool optionalPending_ = false;
    // A shape being passed over: its group's depth, and what it turned out to hold.
    int shapeDepth_ = -1;
    bool shapeText_ = false, shapePicture_ = false;

    std::map<int, Font> fonts_;
    int defaultFont_ = 0;
    int fontEntry_ = -1;
    QString fontName_;
    std::vector<QColor> colours_;
    int red_ = 0, green_ = 0, blue_ = 0;
    bool colourGiven_ = false;

    int codePage_ = 1252;
    QByteArray bytes_;
    // One decoder for each code page name: every number that is no code page
    // we know shares Windows-1252's, so the map stays small whatever the text says.
    std::map<QByteArray, QStringDecoder> decoders_;

    std::vector<Run> runs_;
    Picture picture_;
    QStringList kept_;
    qsizetype keptLength_ = 0;
    CharState markFormat_;
    bool firstBlock_ = true;
    bool pendingBreak_ = false;
    bool sectionBreak_ = false;
    bool endedParagraph_ = false;
    int tabDistance_ = 720;
};

RtfReadResult Reader::run()
{
    doc_.clear();
    page_ = PageLayout{};
    cursor_ = QTextCursor(&doc_);
    cursor_.beginEditBlock();

    // The header: "{\rtf", after any blanks and a byte-order mark.
    while (pos_ < in_.size() && (in_[pos_].isSpace() || in_[pos_] == QChar(0xFEFF)))
        ++pos_;
    if (!in_.mid(pos_).startsWith(QLatin1String("{\\rtf"))) {
        QString plain = in_.toString();
        plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        plain.removeIf([](QChar c) { return c.unicode() < 0x20 && c != QLatin1Char('\n') && c != QLatin1Char('\t'); });
        cursor_.insertText(plain);
        cursor_.endEditBlock();
        result_.wasRtf = false;
        if (!in_.trimmed().isEmpty())
            result_.problem = QStringLiteral("The text is not RTF; it was read as plain text.");
        return result_;
    }

    while (pos_ < in_.size() && !stopped_) {
        const QChar c = in_[pos_++];
        if (c == QLatin1Char('\\')) {
            if (pos_ >= in_.size())
                break;
            const QChar next = in_[pos_];
            if ((next >= QLatin1Char('a') && next <= QLatin1Char('z')) || (next >= QLatin1Char('A') && next <= QLatin1Char('Z')))
                controlWord();
            else
                controlSymbol(in_[pos_++]);
        } else if (c == QLatin1Char('{')) {
            openGroup();
        } else if (c == QLatin1Char('}')) {
            closeGroup();
            if (stack_.empty()) {
                // The end of the document. Text after it means a stray "}"
                // closed the document before its end.
                const QStringView rest = in_.mid(pos_);
                if (std::any_of(rest.begin(), rest.end(), [](QChar r) { return !r.isSpace() && r.unicode() != 0; }))
                    problem(QStringLiteral("A stray \"}\" ended the RTF text early; the text after it was left out."),
                            true);
                break;
            }
        } else {
            literal(c);
        }
    }
    if (!stopped_ && !stack_.empty())
        problem(QStringLiteral("The RTF text ends before its last group is closed; it was read as far as it goes."), false);
    finish();
    cursor_.endEditBlock();
    return result_;
}

void Reader::problem(const QString& text, bool stop)
{
    if (result_.problem.isEmpty())
        result_.problem = text;
    result_.complete = false;
    if (stop)
        stopped_ = true;
}

void Reader::noteDestination(QStringView w)
{
    const auto is = [&w](const char* name) { return w == QLatin1String(name); };
    if (w.startsWith(QLatin1String("header")))
        note(RtfDropped::Header);
    else if (w.startsWith(QLatin1String("footer")))
        note(RtfDropped::Footer);
    else if (is("footnote"))
        note(RtfDropped::Footnote);
    else if (is("annotation"))
        note(RtfDropped::Comment);
    else if (is("object"))
        note(RtfDropped::Object);
    else if (is("do"))
        note(RtfDropped::Drawing);
    else if (is("fldinst"))
        note(RtfDropped::Field);
    else if ((is("pict") || is("shppict")) && shapeDepth_ < 0)
        note(RtfDropped::Picture);
    else if (is("shp") && shapeDepth_ < 0) {
        shapeDepth_ = int(stack_.size());
        shapeText_ = shapePicture_ = false;
    }
}

void Reader::controlWord()
{
    const qsizetype start = pos_;
    while (pos_ < in_.size() && pos_ - start < 32 &&
           ((in_[pos_] >= QLatin1Char('a') && in_[pos_] <= QLatin1Char('z')) ||
            (in_[pos_] >= QLatin1Char('A') && in_[pos_] <= QLatin1Char('Z'))))
        ++pos_;
    const QStringView w = in_.mid(start, pos_ - start);
    // A word longer than 32 letters is no word RTF has: its remaining letters
    // are passed over with it.
    while (pos_ < in_.size() && in_[pos_].isLetter() && in_[pos_].unicode() < 128)
        ++pos_;
    bool negative = false;
    if (pos_ < in_.size() && in_[pos_] == QLatin1Char('-') && pos_ + 1 < in_.size() &&
        in_[pos_ + 1] >= QLatin1Char('0') && in_[pos_ + 1] <= QLatin1Char('9')) {
        negative = true;
        ++pos_;
    }
    long long value = 0;
    int digits = 0;
    while (pos_ < in_.size() && in_[pos_] >= QLatin1Char('0') && in_[pos_] <= QLatin1Char('9')) {
        if (digits < 10)
            value = value * 10 + (in_[pos_].unicode() - '0');
        ++digits;
        ++pos_;
    }
    if (pos_ < in_.size() && in_[pos_] == QLatin1Char(' '))
        ++pos_;
    const bool hasParam = digits > 0;
    const int param = clampInt(negative ? -value : value, INT_MIN, INT_MAX);

    if (optionalPending_) {
        optionalPending_ = false;
        // Word's picture for readers that know pictures: read what it holds.
        if (w == QLatin1String("shppict") && shapeDepth_ < 0 && !stack_.empty() &&
            stack_.back().dest == Dest::Text) {
            cur_.dest = Dest::Text;
            return;
        }
        noteDestination(w);
    }
    if (shapeDepth_ >= 0 && cur_.dest == Dest::Skip) {
        shapeText_ = shapeText_ || w == QLatin1String("shptxt");
        shapePicture_ = shapePicture_ || w == QLatin1String("pict");
    }
    if (w == QLatin1String("bin")) {
        // Binary data of the given length follows, unescaped.
        if (cur_.dest == Dest::Picture)
            picture_.binary = true;
        flushBytes();
        pos_ += std::min<qsizetype>(std::max(0, param), in_.size() - pos_);
        return;
    }
    if (cur_.dest == Dest::Skip)
        return;
    if (w != QLatin1String("u"))
        flushBytes();
    if (skipChars_ > 0) {
        --skipChars_;
        return;
    }
    word(w, hasParam, param);
}

void Reader::controlSymbol(QChar c)
{
    if (c == QLatin1Char('\'')) {
        int value = 0, digits = 0;
        while (digits < 2 && pos_ < in_.size()) {
            const char16_t h = in_[pos_].unicode();
            int v = -1;
            if (h >= '0' && h <= '9')
                v = h - '0';
            else if (h >= 'a' && h <= 'f')
                v = h - 'a' + 10;
            else if (h >= 'A' && h <= 'F')
                v = h - 'A' + 10;
            if (v < 0)
                break;
            value = value * 16 + v;
            ++digits;
            ++pos_;
        }
        if (cur_.dest == Dest::Skip || digits == 0)
            return;
        if (skipChars_ > 0) {
            --skipChars_;
            return;
        }
        byte(uint8_t(value));
        return;
    }
    if (cur_.dest == Dest::Skip)
        return;
    flushBytes();
    if (c == QLatin1Char('*')) {
        // An optional destination: nothing in one is needed for the letter,
        // unless its word names something the user put there.
        cur_.dest = Dest::Skip;
        optionalPending_ = true;
        return;
    }
    if (skipChars_ > 0) {
        --skipChars_;
        return;
    }
    switch (c.unicode()) {
    case '\\':
    case '{':
    case '}': destinationText(QString(c)); break;
    case '~': destinationText(QString(QChar(0x00A0))); break;
    case '-': destinationText(QString(QChar(0x00AD))); break;
    case '_': destinationText(QString(QChar(0x2011))); break;
    case '\t': destinationText(QStringLiteral("\t")); break;
    case '\r':
    case '\n':
        if (cur_.dest == Dest::Text)
            endParagraph();
        break;
    default: break;   // \: \| and the rest mean nothing to a letter
    }
}

void Reader::openGroup()
{
    flushBytes();
    skipChars_ = 0;
    if (int(stack_.size()) >= kMaxGroupDepth) {
        problem(QStringLiteral("The RTF text nests its groups more than %1 deep; the text after that point was left out.")
                    .arg(kMaxGroupDepth),
                true);
        return;
    }
    stack_.push_back(cur_);
    cur_.open = pos_ - 1;
    cur_.keep = false;
}

void Reader::closeGroup()
{
    flushBytes();
    skipChars_ = 0;
    if (cur_.dest == Dest::FontTable && fontEntry_ >= 0 && !fontName_.trimmed().isEmpty()) {
        // The last entry of a table may leave out its ';'.
        destinationText(QStringLiteral(";"));
    }
    if (stack_.empty())
        return;
    if (cur_.keep && cur_.open >= 0 && keptLength_ + (pos_ - cur_.open) <= kMaxKeptRtf) {
        kept_ << in_.mid(cur_.open, pos_ - cur_.open).toString();
        keptLength_ += pos_ - cur_.open;
    } else if (cur_.keep) {
        note(cur_.keptFooter ? RtfDropped::Footer : RtfDropped::Header);
    }
    if (cur_.dest == Dest::Picture && stack_.back().dest != Dest::Picture) {
        cur_ = stack_.back();
        stack_.pop_back();
        finishPicture();
        return;
    }
    if (shapeDepth_ == int(stack_.size())) {
        note(shapeText_ ? RtfDropped::TextBox : shapePicture_ ? RtfDropped::Picture : RtfDropped::Drawing);
        shapeDepth_ = -1;
    }
    cur_ = stack_.back();
    stack_.pop_back();
}

void Reader::literal(QChar c)
{
    if (cur_.dest == Dest::Skip || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
        return;
    flushBytes();
    if (skipChars_ > 0) {
        --skipChars_;
        return;
    }
    if (c == QLatin1Char('\t')) {
        destinationText(QStringLiteral("\t"));
        return;
    }
    if (c.unicode() < 0x20)
        return;
    // Runs of plain text are taken in one piece.
    const qsizetype start = pos_ - 1;
    while (pos_ < in_.size() && skipChars_ == 0) {
        const char16_t n = in_[pos_].unicode();
        if (n == '\\' || n == '{' || n == '}' || n < 0x20)
            break;
        ++pos_;
    }
    destinationText(in_.mid(start, pos_ - start).toString());
}

void Reader::byte(uint8_t b) { bytes_.append(char(b)); }

int Reader::currentCodePage() const
{
    if (cur_.dest == Dest::Text) {
        const auto f = fonts_.find(cur_.ch.font < 0 ? defaultFont_ : cur_.ch.font);
        if (f != fonts_.end()) {
            if (const int cp = charsetCodePage(f->second.charset))
                return cp;
        }
    }
    return codePage_;
}

QStringDecoder& Reader::decoder(int codePage)
{
    const QByteArray name = codePage == 28591 ? "ISO-8859-1" : codePageName(codePage);
    auto it = decoders_.find(name);
    if (it == decoders_.end()) {
        QStringDecoder d(name.constData());
        if (!d.isValid())
            d = QStringDecoder(QStringDecoder::Latin1);
        it = decoders_.emplace(name, std::move(d)).first;
    }
    return it->second;
}

void Reader::flushBytes()
{
    if (bytes_.isEmpty())
        return;
    QStringDecoder& d = decoder(currentCodePage());
    QString text = d.decode(bytes_);
    text += d.decode(QByteArray());   // a lead byte left alone ends here
    d.resetState();
    bytes_.clear();
    // An escaped character in a font's name is part of the name, even a ';'.
    if (cur_.dest == Dest::FontTable) {
        if (fontName_.size() + text.size() <= 256)
            fontName_ += text;
        return;
    }
    destinationText(text);
}

void Reader::destinationText(const QString& text)
{
    switch (cur_.dest) {
    case Dest::Skip: return;
    case Dest::Text: addText(text); return;
    case Dest::Picture:
        for (QChar c : text)
            if (isxdigit(c.unicode() < 128 ? c.unicode() : 0) && picture_.hex.size() < 2 * kMaxPictureBytes + 2)
                picture_.hex.append(char(c.unicode()));
        return;
    case Dest::FontTable:
        for (QChar c : text) {
            if (c != QLatin1Char(';')) {
                if (fontName_.size() < 256 && c.unicode() >= 0x20)
                    fontName_ += c;
                continue;
            }
            if (fontEntry_ >= 0 && int(fonts_.size()) < kMaxFonts)
                fonts_[fontEntry_].name = fontName_.trimmed();
            fontName_.clear();
        }
        return;
    case Dest::ColourTable:
        for (QChar c : text) {
            if (c != QLatin1Char(';'))
                continue;
            if (int(colours_.size()) < kMaxColours)
                colours_.push_back(colourGiven_ ? QColor(red_, green_, blue_) : QColor());
            red_ = green_ = blue_ = 0;
            colourGiven_ = false;
        }
        return;
    }
}

void Reader::addText(const QString& given)
{
    QString text = given;
    // Control characters are no text (a tab is taken as \tab).
    text.removeIf([](QChar c) { return c.unicode() < 0x20 && c != QLatin1Char('\t'); });
    if (text.isEmpty())
        return;
    if (cur_.ch.hidden) {
        note(RtfDropped::HiddenText);
        return;
    }
    addRun({text, cur_.ch, std::nullopt});
}

void Reader::addRun(Run run)
{
    if (sectionBreak_) {
        pendingBreak_ = true;
        sectionBreak_ = false;
    }
    if (!run.picture && !runs_.empty() && !runs_.back().picture && runs_.back().ch == run.ch)
        runs_.back().text += run.text;
    else
        runs_.push_back(std::move(run));
}

void Reader::finishPicture()
{
    const Picture p = std::exchange(picture_, Picture{});
    std::optional<QTextImageFormat> format;
    if (!p.binary && (p.kind == "png" || p.kind == "jpeg")) {
        QSizeF twips;
        if (p.goalWidth > 0 && p.goalHeight > 0)
            twips = QSizeF(p.goalWidth, p.goalHeight);
        else if (p.width > 0 && p.height > 0)
            twips = QSizeF(p.width * 15.0, p.height * 15.0);   // pixels at 96 to the inch
        twips = QSizeF(std::clamp(twips.width() * p.scaleX / 100.0, 0.0, double(kMaxPageSide)),
                       std::clamp(twips.height() * p.scaleY / 100.0, 0.0, double(kMaxPageSide)));
        format = pictureFormat(doc_, QByteArray::fromHex(p.hex), p.kind, twips);
    }
    if (!format) {
        note(RtfDropped::Picture);
        return;
    }
    addRun({QString(QChar::ObjectReplacementCharacter), cur_.ch, format});
}

void Reader::word(QStringView w, bool hasParam, int param)
{
    Group& g = cur_;
    CharState& ch = g.ch;
    ParaState& p = g.para;
    const bool on = !hasParam || param != 0;
    const auto is = [&w](const char* name) { return w == QLatin1String(name); };
    const auto twips = [param](int lo, int hi) { return clampInt(param, lo, hi); };

    // Destinations first: they change what the words after them mean.
    if (is("fonttbl")) {
        g.dest = Dest::FontTable;
        return;
    }
    if (is("colortbl")) {
        g.dest = Dest::ColourTable;
        colours_.clear();
        return;
    }
    // Headers and footers are kept as they stand and written back.
    if ((is("header") || is("headerl") || is("headerr") || is("headerf") || is("footer") || is("footerl") ||
         is("footerr") || is("footerf")) &&
        g.dest == Dest::Text && !stack_.empty() && stack_.back().dest == Dest::Text) {
        g.dest = Dest::Skip;
        g.keep = true;
        g.keptFooter = w.startsWith(QLatin1String("footer"));
        return;
    }
    if (is("pict") && shapeDepth_ < 0 && g.dest == Dest::Text) {
        g.dest = Dest::Picture;
        picture_ = Picture{};
        return;
    }
    if (g.dest == Dest::Picture) {
        if (is("pngblip")) picture_.kind = "png";
        else if (is("jpegblip")) picture_.kind = "jpeg";
        else if (is("wmetafile") || is("emfblip") || is("macpict") || is("dibitmap") || is("wbitmap")) picture_.kind = w.toLatin1();
        else if (is("picw")) picture_.width = twips(0, 100000);
        else if (is("pich")) picture_.height = twips(0, 100000);
        else if (is("picwgoal")) picture_.goalWidth = twips(0, kMaxPageSide);
        else if (is("pichgoal")) picture_.goalHeight = twips(0, kMaxPageSide);
        else if (is("picscalex")) picture_.scaleX = twips(1, 1000);
        else if (is("picscaley")) picture_.scaleY = twips(1, 1000);
        else if (skippedDestination(w)) g.dest = Dest::Skip;
        return;
    }
    if (skippedDestination(w)) {
        noteDestination(w);
        g.dest = Dest::Skip;
        return;
    }
    // Unicode characters belong to whatever the destination collects.
    if (is("u")) {
        flushBytes();
        destinationText(QString(QChar(char16_t(param < 0 ? param + 65536 : param))));
        skipChars_ = g.uc;
        return;
    }
    if (is("uc")) {
        g.uc = clampInt(param, 0, 16);
        return;
    }
    if (g.dest == Dest::FontTable) {
        if (is("f")) {
            fontEntry_ = param;
            fontName_.clear();
        } else if (is("fcharset") && fontEntry_ >= 0 && int(fonts_.size()) < kMaxFonts) {
            fonts_[fontEntry_].charset = param;
        }
        return;
    }
    if (g.dest == Dest::ColourTable) {
        if (is("red") || is("green") || is("blue")) {
            (is("red") ? red_ : is("green") ? green_ : blue_) = clampInt(param, 0, 255);
            colourGiven_ = true;
        }
        return;
    }

    // ---- the document and its page ----
    if (is("ansicpg")) codePage_ = param;
    else if (is("deff")) defaultFont_ = param;
    else if (is("deftab")) tabDistance_ = twips(1, kMaxPageSide);
    else if (is("paperw") || is("pgwsxn")) page_.width = twips(0, INT_MAX);
    else if (is("paperh") || is("pghsxn")) page_.height = twips(0, INT_MAX);
    else if (is("margl") || is("marglsxn")) page_.left = twips(INT_MIN, INT_MAX);
    else if (is("margr") || is("margrsxn")) page_.right = twips(INT_MIN, INT_MAX);
    else if (is("margt") || is("margtsxn")) page_.top = twips(INT_MIN, INT_MAX);
    else if (is("margb") || is("margbsxn")) page_.bottom = twips(INT_MIN, INT_MAX);
    // ---- characters ----
    else if (is("plain")) ch = CharState{};
    else if (is("f")) ch.font = param;
    else if (is("fs")) ch.halfPoints = hasParam ? clampInt(param, 2, 3276) : 24;
    else if (is("b")) ch.bold = on;
    else if (is("i")) ch.italic = on;
    else if (is("ul") || is("uld") || is("uldash") || is("uldashd") || is("uldashdd") || is("uldb") || is("ulth") ||
             is("ulw") || is("ulwave") || is("ulhwave") || is("ululdbwave") || is("ulldash") || is("ulthd") ||
             is("ulthdash") || is("ulthdashd") || is("ulthdashdd") || is("ulthldash"))
        ch.underline = on;
    else if (is("ulnone")) ch.underline = false;
    else if (is("strike") || is("striked")) ch.strike = on;
    else if (is("v")) ch.hidden = on;
    else if (is("cf")) ch.foreground = std::max(0, param);
    else if (is("cb") || is("chcbpat") || is("highlight")) ch.background = std::max(0, param);
    else if (is("super")) ch.vertical = 1;
    else if (is("sub")) ch.vertical = -1;
    else if (is("nosupersub")) ch.vertical = 0;
    // ---- paragraphs ----
    else if (is("pard")) p = ParaState{};
    else if (is("ql")) p.align = Qt::AlignLeft;
    else if (is("qc")) p.align = Qt::AlignHCenter;
    else if (is("qr")) p.align = Qt::AlignRight;
    else if (is("qj") || is("qd")) p.align = Qt::AlignJustify;
    else if (is("fi")) p.first = twips(-kMaxPageSide, kMaxPageSide);
    else if (is("li") || is("lin")) p.left = twips(-kMaxPageSide, kMaxPageSide);
    else if (is("ri") || is("rin")) p.right = twips(-kMaxPageSide, kMaxPageSide);
    else if (is("sb")) p.before = twips(0, kMaxPageSide);
    else if (is("sa")) p.after = twips(0, kMaxPageSide);
    else if (is("sl")) p.line = twips(-kMaxPageSide, kMaxPageSide);
    else if (is("slmult")) p.lineMultiple = on;
    else if (is("pagebb")) p.pageBreakBefore = on;
    else if (is("tqr")) p.nextTab = QTextOption::RightTab;
    else if (is("tqc")) p.nextTab = QTextOption::CenterTab;
    else if (is("tqdec")) p.nextTab = QTextOption::DelimiterTab;
    else if (is("tx")) {
        if (int(p.tabs.size()) < kMaxTabStops)
            p.tabs.push_back({twips(0, kMaxPageSide), p.nextTab});
        p.nextTab = QTextOption::LeftTab;
    } else if (is("tb")) p.nextTab = QTextOption::LeftTab;
    // ---- text ----
    else if (is("par") || is("row") || is("nestrow")) endParagraph();
    else if (is("line")) addText(QString(QChar::LineSeparator));
    else if (is("tab") || is("cell") || is("nestcell")) addText(QStringLiteral("\t"));
    else if (is("page")) pageBreak();
    else if (is("sect")) {
        endParagraph();
        sectionBreak_ = true;
    } else if (is("sbknone") || is("sbkcol")) sectionBreak_ = false;
    else if (is("emdash")) addText(QString(QChar(0x2014)));
    else if (is("endash")) addText(QString(QChar(0x2013)));
    else if (is("emspace")) addText(QString(QChar(0x2003)));
    else if (is("enspace")) addText(QString(QChar(0x2002)));
    else if (is("qmspace")) addText(QString(QChar(0x2005)));
    else if (is("bullet")) addText(QString(QChar(0x2022)));
    else if (is("lquote")) addText(QString(QChar(0x2018)));
    else if (is("rquote")) addText(QString(QChar(0x2019)));
    else if (is("ldblquote")) addText(QString(QChar(0x201C)));
    else if (is("rdblquote")) addText(QString(QChar(0x201D)));
}

void Reader::pageBreak()
{
    // A break inside a paragraph ends it; at the start of one it only moves
    // the paragraph to the next page.
    if (!runs_.empty())
        endParagraph();
    pendingBreak_ = true;
}

void Reader::endParagraph()
{
    if (sectionBreak_) {
        pendingBreak_ = true;
        sectionBreak_ = false;
    }
    const QTextBlockFormat bf = blockFormat(cur_.para, pendingBreak_);
    const QTextCharFormat mark = charFormat(cur_.ch);
    if (firstBlock_) {
        cursor_.setBlockFormat(bf);
        cursor_.setBlockCharFormat(mark);
        firstBlock_ = false;
    } else {
        cursor_.insertBlock(bf, mark);
    }
    for (const Run& r : runs_) {
        QTextCharFormat f = charFormat(r.ch);
        if (r.picture)
            f.merge(*r.picture);
        cursor_.insertText(r.text, f);
    }
    runs_.clear();
    pendingBreak_ = false;
    endedParagraph_ = true;
}

void Reader::finish()
{
    flushBytes();
    // The last paragraph needs no \par; an empty one after the last \par is
    // only the end of the text, unless a page break asks for a page of its own.
    if (!runs_.empty() || !endedParagraph_ || pendingBreak_)
        endParagraph();
    QTextOption option = doc_.defaultTextOption();
    option.setTabStopDistance(twipsToUnits(tabDistance_));
    doc_.setDefaultTextOption(option);
    const auto f = fonts_.find(defaultFont_);
    QFont font = doc_.defaultFont();
    if (f != fonts_.end() && !f->second.name.isEmpty())
        font.setFamilies({f->second.name});
    font.setPointSizeF(12);
    doc_.setDefaultFont(font);
    page_ = saneLayout(page_);
    doc_.setProperty(kKeptRtfProperty, kept_);
}

QColor Reader::colour(int index) const
{
    if (index <= 0 || index >= int(colours_.size()))
        return {};
    return colours_[size_t(index)];
}

QTextCharFormat Reader::charFormat(const CharState& c) const
{
    QTextCharFormat f;
    const auto font = fonts_.find(c.font < 0 ? defaultFont_ : c.font);
    if (font != fonts_.end() && !font->second.name.isEmpty())
        f.setFontFamilies(QStringList{font->second.name});
    f.setFontPointSize(c.halfPoints / 2.0);
    f.setFontWeight(c.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(c.italic);
    f.setFontUnderline(c.underline);
    f.setFontStrikeOut(c.strike);
    if (const QColor fg = colour(c.foreground); fg.isValid())
        f.setForeground(fg);
    if (const QColor bg = colour(c.background); bg.isValid())
        f.setBackground(bg);
    if (c.vertical != 0)
        f.setVerticalAlignment(c.vertical > 0 ? QTextCharFormat::AlignSuperScript : QTextCharFormat::AlignSubScript);
    return f;
}

QTextBlockFormat Reader::blockFormat(const ParaState& p, bool pageBreak) const
{
    QTextBlockFormat f;
    f.setAlignment(p.align);
    f.setLeftMargin(twipsToUnits(p.left));
    f.setRightMargin(twipsToUnits(p.right));
    f.setTextIndent(twipsToUnits(p.first));
    f.setTopMargin(twipsToUnits(p.before));
    f.setBottomMargin(twipsToUnits(p.after));
    if (p.line != 0) {
        if (p.lineMultiple) {
            if (p.line > 0 && p.line != 240)
                f.setLineHeight(p.line * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
        } else if (p.line > 0) {
            f.setLineHeight(twipsToUnits(p.line), QTextBlockFormat::MinimumHeight);
        } else {
            f.setLineHeight(twipsToUnits(-p.line), QTextBlockFormat::FixedHeight);
        }
    }
    if (!p.tabs.empty()) {
        QList<QTextOption::Tab> tabs;
        for (const TabStop& t : p.tabs)
            tabs.append(QTextOption::Tab(twipsToUnits(t.position), t.type,
                                         t.type == QTextOption::DelimiterTab ? QLatin1Char('.') : QChar()));
        f.setTabPositions(tabs);
    }
    if (pageBreak || p.pageBreakBefore)
        f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    return f;
}

} // namespace

bool isDestinationWord(QStringView word)
{
    return skippedDestination(word) || word == QLatin1String("fonttbl") || word == QLatin1String("colortbl");
}

QString RtfReadResult::droppedText() const
{
    struct Name {
        RtfDropped what;
        const char* one;
        const char* many;
    };
    static const Name names[] = {
        {RtfDropped::Header, "a header", "headers"},     {RtfDropped::Footer, "a footer", "footers"},
        {RtfDropped::Picture, "a picture", "pictures"},  {RtfDropped::TextBox, "a text box", "text boxes"},
        {RtfDropped::Drawing, "a drawing", "drawings"},  {RtfDropped::Object, "an embedded object", "embedded objects"},
        {RtfDropped::Footnote, "a footnote", "footnotes"}, {RtfDropped::Comment, "a comment", "comments"},
        {RtfDropped::Field, "a field code", "field codes"}, {RtfDropped::HiddenText, "hidden text", "hidden text"},
    };
    QStringList parts;
    for (const Name& n : names) {
        const auto it = dropped.find(n.what);
        if (it == dropped.end() || it->second <= 0)
            continue;
        if (it->second == 1 || n.what == RtfDropped::HiddenText)
            parts << QLatin1String(n.one);
        else
            parts << QString::number(it->second) + QLatin1Char(' ') + QLatin1String(n.many);
    }
    if (parts.size() < 2)
        return parts.value(0);
    const QString last = parts.takeLast();
    return parts.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

RtfReadResult readRtf(QStringView rtf, QTextDocument& document, PageLayout& page)
{
    return Reader(rtf, document, page).run();
}

QString rtfFromBytes(const QByteArray& bytes)
{
    // A file that says it is UTF-8 is read as UTF-8.
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    QStringDecoder d("windows-1252");
    if (!d.isValid())
        return QString::fromLatin1(bytes);
    return d.decode(bytes);
}

} // namespace qb::richtext
