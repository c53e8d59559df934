#include "letters/letter_units.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLocale>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace qb {

namespace {

std::optional<double> number(const QString& given)
{
    const QString text = given.trimmed();
    if (text.isEmpty())
        return 0.0;
    bool ok = false;
    double v = QLocale().toDouble(text, &ok);
    if (!ok)
        v = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

// Lengths beyond a few yards are no page's; they are kept inside int. Halves
// go to the even number, as everywhere in the program.
int rounded(double twips) { return int(std::nearbyint(std::clamp(twips, -1e8, 1e8))); }

} // namespace

QString lengthText(int twips, LengthUnit unit)
{
    switch (unit) {
    case LengthUnit::Inch: return QLocale().toString(twips / 1440.0, 'f', 2);
    case LengthUnit::Cm: return QLocale().toString(twips / kTwipsPerCm, 'f', 2);
    case LengthUnit::Twips: break;
    }
    return QString::number(twips);
}

std::optional<int> lengthTwips(const QString& text, LengthUnit unit)
{
    const std::optional<double> v = number(text);
    if (!v)
        return std::nullopt;
    switch (unit) {
    case LengthUnit::Inch: return rounded(*v * 1440.0);
    case LengthUnit::Cm: return rounded(*v * kTwipsPerCm);
    case LengthUnit::Twips: break;
    }
    return rounded(*v);
}

QString pointsText(int twips) { return QString::number(rounded(twips / 20.0)); }

std::optional<int> pointsTwips(const QString& text)
{
    const std::optional<double> v = number(text);
    if (!v)
        return std::nullopt;
    return rounded(*v * 20.0);
}

bool unfinishedNumber(const QString& given)
{
    const QString t = given.trimmed();
    const QString point = QLocale().decimalPoint();
    return t == QLatin1String("-") || t == QLatin1String("+") || t == point || t == QLatin1String(".") ||
           t == QLatin1Char('-') + point || t == QLatin1String("-.");
}

QString notANumber(const QString& text)
{
    return QStringLiteral("'%1' is not a valid floating point value").arg(text);
}

QDialogButtonBox* okCancelButtons(QDialog* dialog)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OKButton"));
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelButton"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

} // namespace qb
