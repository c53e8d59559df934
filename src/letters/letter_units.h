#pragma once
// What the page and paragraph dialogs share: lengths shown in inches,
// centimetres or twips and spacing in points, each box turned back into
// twips as soon as it changes; and their OK and Cancel buttons.

#include <QString>

class QDialog;
class QDialogButtonBox;

#include <optional>

namespace qb {

enum class LengthUnit { Inch, Cm, Twips };

inline constexpr double kTwipsPerCm = 566.929;

// Inches and centimetres with two decimals, twips whole.
QString lengthText(int twips, LengthUnit unit);
// The twips a box's text stands for, rounded; an empty box is 0. nullopt when
// the text is not a number.
std::optional<int> lengthTwips(const QString& text, LengthUnit unit);

// Whole points (twips / 20, rounded) and back.
QString pointsText(int twips);
std::optional<int> pointsTwips(const QString& text);

// Text that is on its way to a number ("-", ".", "-."): no number yet, and
// not worth a message while the user types.
bool unfinishedNumber(const QString& text);
// The message for a text that is not a number.
QString notANumber(const QString& text);

// "OK" (OKButton) and "Cancel" (CancelButton), accepting and rejecting dialog.
QDialogButtonBox* okCancelButtons(QDialog* dialog);

} // namespace qb
