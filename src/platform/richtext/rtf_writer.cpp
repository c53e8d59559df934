#include "platform/richtext/rtf_writer.h"

#include "platform/richtext/picture.h"
#include "platform/richtext/rtf_reader.h"
#include "platform/richtext/text_units.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QImageReader>
#include <QHash>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

#include <cmath>

// What is written, in this order:
//   {\rtf1\ansi\ansicpg1252\deff0\deftabN\uc1
//   {\fonttbl{\f0\fnil\fcharset0 Family;}...}     the document's font first
//   {\colortbl;\redN\greenN\blueN;...}             entry 0 is "automatic"
//   \paperwN\paperhN\marglN\margrN\margtN\margbN  (\landscape when wider than high)
// then each paragraph as
//   \pard (\qc|\qr|\qj) \fiN\liN\riN\sbN\saN \slN\slmultN (\tqr|\tqc|\tqdec)\txN... \pagebb
//   \plain<character properties> text ...  \plain<the paragraph mark's properties>\par CR LF
// with the character properties \fN\fsN\b\i\ul\strike\cfN\chshdng0\chcbpatN\cbN\super\sub
// spelled out in full for every run, so no run depends on the one before it.

namespace qb::richtext {

namespace {

// Unicode to Windows-1252 for the characters above 7-bit ASCII.
const QHash<char16_t, uint8_t>& cp1252Bytes()
{
    static const QHash<char16_t, uint8_t> bytes = [] {
        QHash<char16_t, uint8_t> map;
        QStringDecoder d("windows-1252");
        for (int b = 0x80; b <= 0xFF; ++b) {
            const QString s = d.isValid() ? d.decode(QByteArray(1, char(b))) : QString(QChar(b));
            d.resetState();
            if (s.size() == 1 && s[0] != QChar::ReplacementCharacter)
                map.insert(s[0].unicode(), uint8_t(b));
        }
        return map;
    }();
    return bytes;
}

QString hex2(int b) { return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')); }

void escape(QString& out, QStringView text)
{
    for (QChar qc : text) {
        const char16_t c = qc.unicode();
        switch (c) {
        case '\\':
        case '{':
        case '}': out += QLatin1Char('\\'); out += qc; continue;
        case '\t': out += QLatin1String("\\tab "); continue;
        case 0x2028: out += QLatin1String("\\line "); continue;
        case 0x00A0: out += QLatin1String("\\~"); continue;
        case 0x00AD: out += QLatin1String("\\-"); continue;
        case 0x2011: out += QLatin1String("\\_"); continue;
        case 0xFFFC: continue;   // an embedded object, which RTF here does not carry
        default: break;
        }
        if (c < 0x20)
            continue;
        if (c < 0x80) {
            out += qc;
            continue;
        }
        if (const auto b = cp1252Bytes().constFind(c); b != cp1252Bytes().constEnd()) {
            out += QLatin1String("\\'") + hex2(b.value());
            continue;
        }
        out += QLatin1String("\\u") + QString::number(int(int16_t(c))) + QLatin1Char('?');
    }
}

class Writer {
public:
    explicit Writer(const QTextDocument& doc) : doc_(doc)
    {
        const QFont f = doc.defaultFont();
        defaultFamily_ = f.families().value(0, f.family());
        defaultPoints_ = f.pointSizeF() > 0 ? f.pointSizeF() : 12.0;
        fontIndex(defaultFamily_);
    }

    QString write(const PageLayout& page);

private:
    int fontIndex(const QString& family);
    int colourIndex(const QColor& colour);
    void paragraph(const QTextBlock& block);
    void picture(const QTextImageFormat& f);
    QString character(const QTextCharFormat& f);

    const QTextDocument& doc_;
    QString defaultFamily_;
    double defaultPoints_;
    QStringList fonts_;
    QList<QColor> colours_;
    QString body_;
};

int Writer::fontIndex(const QString& family)
{
    // Control characters have no place in a font table.
    QString name = family.isEmpty() ? defaultFamily_ : family;
    name.removeIf([](QChar c) { return c.unicode() < 0x20; });
    int i = int(fonts_.indexOf(name));
    if (i < 0) {
        i = int(fonts_.size());
        fonts_.append(name);
    }
    return i;
}

int Writer::colourIndex(const QColor& colour)
{
    const QColor c = colour.toRgb();
    for (int i = 0; i < colours_.size(); ++i)
        if (colours_[i].rgb() == c.rgb())
            return i + 1;
    colours_.append(c);
    return int(colours_.size());
}

QString Writer::character(const QTextCharFormat& f)
{
    QString out;
    QString family = f.fontFamilies().toStringList().value(0);
    if (family.isEmpty())
        family = f.property(QTextFormat::FontFamily).toString();
    const double points = f.fontPointSize() > 0 ? f.fontPointSize() : defaultPoints_;
    out += QStringLiteral("\\plain\\f%1\\fs%2").arg(fontIndex(family)).arg(std::lround(points * 2));
    if (f.fontWeight() >= QFont::DemiBold)
        out += QLatin1String("\\b");
    if (f.fontItalic())
        out += QLatin1String("\\i");
    if (f.fontUnderline())
        out += QLatin1String("\\ul");
    if (f.fontStrikeOut())
        out += QLatin1String("\\strike");
    if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
        out += QStringLiteral("\\cf%1").arg(colourIndex(f.foreground().color()));
    if (f.hasProperty(QTextFormat::BackgroundBrush) && f.background().style() != Qt::NoBrush) {
        const int i = colourIndex(f.background().color());
        out += QStringLiteral("\\chshdng0\\chcbpat%1\\cb%1").arg(i);
    }
    if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        out += QLatin1String("\\super");
    else if (f.verticalAlignment() == QTextCharFormat::AlignSubScript)
        out += QLatin1String("\\sub");
    out += QLatin1Char(' ');
    return out;
}

void Writer::paragraph(const QTextBlock& block)
{
    const QTextBlockFormat f = block.blockFormat();
    body_ += QLatin1String("\\pard");
    const Qt::Alignment align = f.alignment() & Qt::AlignHorizontal_Mask;
    if (align & Qt::AlignHCenter)
        body_ += QLatin1String("\\qc");
    else if (align & Qt::AlignRight)
        body_ += QLatin1String("\\qr");
    else if (align & Qt::AlignJustify)
        body_ += QLatin1String("\\qj");
    const auto length = [this](const char* word, double units) {
        if (const int t = unitsToTwips(units))
            body_ += QStringLiteral("\\%1%2").arg(QLatin1String(word)).arg(t);
    };
    const double indentScale = f.hasProperty(kIndentScaleProperty) ? f.doubleProperty(kIndentScaleProperty) : 1.0;
    length("fi", f.textIndent() / indentScale);
    length("li", f.leftMargin() / indentScale);
    length("ri", f.rightMargin() / indentScale);
    length("sb", f.topMargin());
    length("sa", f.bottomMargin());
    switch (f.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
        if (f.lineHeight() > 0 && std::lround(f.lineHeight()) != 100)
            body_ += QStringLiteral("\\sl%1\\slmult1").arg(std::lround(f.lineHeight() * 240 / 100));
        break;
    case QTextBlockFormat::MinimumHeight:
        if (const int t = unitsToTwips(f.lineHeight()); t > 0)
            body_ += QStringLiteral("\\sl%1\\slmult0").arg(t);
        break;
    case QTextBlockFormat::FixedHeight:
        if (const int t = unitsToTwips(f.lineHeight()); t > 0)
            body_ += QStringLiteral("\\sl-%1\\slmult0").arg(t);
        break;
    default: break;
    }
    for (const QTextOption::Tab& tab : f.tabPositions()) {
        if (tab.type == QTextOption::RightTab)
            body_ += QLatin1String("\\tqr");
        else if (tab.type == QTextOption::CenterTab)
            body_ += QLatin1String("\\tqc");
        else if (tab.type == QTextOption::DelimiterTab)
            body_ += QLatin1String("\\tqdec");
        body_ += QStringLiteral("\\tx%1").arg(unitsToTwips(tab.position));
    }
    if (f.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
        body_ += QLatin1String("\\pagebb");
    body_ += QLatin1Char(' ');
    // Neighbouring runs that differ only in what RTF does not carry are one run.
    QString previous;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.isValid())
            continue;
        if (fragment.charFormat().isImageFormat()) {
            for (int i = 0; i < fragment.length(); ++i)
                picture(fragment.charFormat().toImageFormat());
            continue;
        }
        QString text;
        escape(text, fragment.text());
        if (text.isEmpty())
            continue;
        const QString properties = character(fragment.charFormat());
        if (properties != previous)
            body_ += properties;
        previous = properties;
        body_ += text;
    }
    body_ += character(block.charFormat());
    body_ += QLatin1String("\\par\r\n");
}

void Writer::picture(const QTextImageFormat& f)
{
    // The bytes as they were read; a picture put in some other way is
    // written as PNG.
    QByteArray bytes = f.property(kPictureBytesProperty).toByteArray();
    QByteArray kind = f.property(kPictureKindProperty).toByteArray();
    QImage image = pictureImage(doc_, f);
    if (bytes.isEmpty() || (kind != "png" && kind != "jpeg")) {
        if (image.isNull())
            return;
        bytes.clear();
        QBuffer out(&bytes);
        out.open(QIODevice::WriteOnly);
        image.save(&out, "PNG");
        kind = "png";
    }
    if (image.isNull()) {
        QBuffer in(&bytes);
        QImageReader reader(&in, kind);
        const QSize size = reader.size();
        image = QImage(size.isValid() ? size : QSize(1, 1), QImage::Format_Mono);
    }
    const int w = unitsToTwips(f.width() > 0 ? f.width() : twipsToUnits(image.width() * 15));
    const int h = unitsToTwips(f.height() > 0 ? f.height() : twipsToUnits(image.height() * 15));
    body_ += QStringLiteral("{\\pict\\%1blip\\picw%2\\pich%3\\picwgoal%4\\pichgoal%5\r\n")
                 .arg(QLatin1String(kind))
                 .arg(image.width())
                 .arg(image.height())
                 .arg(w)
                 .arg(h);
    const QByteArray hex = bytes.toHex();
    for (qsizetype at = 0; at < hex.size(); at += 128) {
        body_ += QLatin1String(hex.mid(at, 128));
        body_ += QLatin1String("\r\n");
    }
    body_ += QLatin1Char('}');
}

QString Writer::write(const PageLayout& page)
{
    for (QTextBlock b = doc_.begin(); b.isValid(); b = b.next())
        paragraph(b);

    QString out;
    out += QStringLiteral("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deftab%1\\uc1\r\n")
               .arg(std::max(1, unitsToTwips(doc_.defaultTextOption().tabStopDistance())));
    out += QLatin1String("{\\fonttbl");
    for (int i = 0; i < fonts_.size(); ++i) {
        out += QStringLiteral("{\\f%1\\fnil\\fcharset0 ").arg(i);
        QString name;
        escape(name, fonts_[i]);
        out += name.replace(QLatin1Char(';'), QLatin1String("\\'3b")) + QLatin1String(";}");
    }
    out += QLatin1String("}\r\n{\\colortbl;");
    for (const QColor& c : colours_)
        out += QStringLiteral("\\red%1\\green%2\\blue%3;").arg(c.red()).arg(c.green()).arg(c.blue());
    out += QLatin1String("}\r\n");
    out += QStringLiteral("\\paperw%1\\paperh%2\\margl%3\\margr%4\\margt%5\\margb%6")
               .arg(page.width)
               .arg(page.height)
               .arg(page.left)
               .arg(page.right)
               .arg(page.top)
               .arg(page.bottom);
    if (page.width > page.height)
        out += QLatin1String("\\landscape");
    out += QLatin1String("\r\n");
    for (const QString& group : doc_.property(kKeptRtfProperty).toStringList())
        out += group + QLatin1String("\r\n");
    out += body_;
    out += QLatin1String("}");
    return out;
}

} // namespace

QString writeRtf(const QTextDocument& document, const PageLayout& page) { return Writer(document).write(page); }

QString rtfEscaped(QStringView text)
{
    QString out;
    escape(out, text);
    return out;
}

} // namespace qb::richtext
