// Word wrap for every text object, the report memo and the built-in lists:
// the lines it makes are those of the plain rule (each line the longest head
// of what is left that ends before a blank and fits, blanks after it
// dropped; a word wider than the width split between characters), over a
// proportional font and texts with runs of blanks, long words and empty lines.

#include "design/text_layout.h"

#include <QFont>
#include <QFontMetrics>
#include <gtest/gtest.h>

namespace qb::design {
namespace {

// The rule written out plainly, measuring every head it considers.
QStringList plainWrap(const QStringList& lines, const QFontMetrics& fm, int width)
{
    QStringList out;
    const auto fits = [&](const QString& s) { return fm.horizontalAdvance(s) <= width; };
    for (const QString& source : lines) {
        QString rest = source;
        if (rest.isEmpty()) {
            out << rest;
            continue;
        }
        while (!rest.isEmpty()) {
            if (fits(rest)) {
                out << rest;
                break;
            }
            qsizetype cut = -1;
            for (qsizetype i = rest.size() - 1; i > 0; --i)
                if (rest[i] == QLatin1Char(' ') && fits(rest.left(i))) {
                    cut = i;
                    break;
                }
            if (cut > 0) {
                out << rest.left(cut);
                while (cut < rest.size() && rest[cut] == QLatin1Char(' '))
                    ++cut;
                rest = rest.mid(cut);
                continue;
            }
            qsizetype n = 1;
            while (n < rest.size() && fits(rest.left(n + 1)))
                ++n;
            out << rest.left(n);
            rest = rest.mid(n);
        }
    }
    return out;
}

TEST(TextLayout, WrapKeepsThePlainRule)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(13);
    const QFontMetrics fm(font);
    QString prose;
    for (int i = 0; i < 30; ++i)
        prose += QStringLiteral("word%1 ").arg(i * 37 % 1000) + (i % 7 == 0 ? QStringLiteral("  ") : QString());
    const QString longWord = QString(120, QLatin1Char('W')) + QStringLiteral(" tail");
    const std::vector<QStringList> texts{
        {prose},
        {"  leading blanks then words", "", "trailing blanks   "},
        {longWord},
        {"a b c d e f g h i j k l m n o p q r s t u v w x y z"},
        {"Dear Ms. Smith, thank you for your letter of the 4th.", "", "", "Yours,"},
        {QString(5, QLatin1Char(' ')), "x"},
    };
    for (const int width : {1, 40, 97, 180, 333, 5000})
        for (size_t t = 0; t < texts.size(); ++t) {
            SCOPED_TRACE("width " + std::to_string(width) + ", text " + std::to_string(t));
            EXPECT_EQ(wrapLines(texts[t], fm, width), plainWrap(texts[t], fm, width));
        }
}

} // namespace
} // namespace qb::design
