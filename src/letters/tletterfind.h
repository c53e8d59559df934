#pragma once
// The letter editor's Find and Replace: looks for a text from the cursor on,
// once round the letter, in any letter case unless "Match case" is ticked.

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QTextEdit;

namespace qb {

class TLetterFind : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Find, Replace };
    TLetterFind(QTextEdit* text, Mode mode, QWidget* parent = nullptr);

    // Selects the next occurrence after the cursor; false (after saying so) when there is none.
    bool FindNextClick();
    // Replaces the selected occurrence, then finds the next.
    void ReplaceClick();
    // Replaces every occurrence and says how many.
    int ReplaceAllClick();

private:
    bool selectionMatches() const;

    QTextEdit* text_;
    QLineEdit* find_;
    QLineEdit* replace_ = nullptr;
    QCheckBox* matchCase_;
};

} // namespace qb
