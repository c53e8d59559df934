#pragma once
// "Spell Check": walks the letter's words, stops at each one the dictionaries
// do not hold, selects it in the letter and offers up to ten replacements;
// Replace puts the replacement into the letter, Skip Word goes on, Add Word
// puts the word into the user dictionary "quillbu.dct". At the end of the
// text the dialog hides, says "Spell check complete" and closes.

#include "letters/spell_engine.h"
#include "letters/word_scanner.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;
class QTextEdit;

namespace qb {

class TSpellCheckDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1084;

    // text: the letter editor's control. The dictionaries are looked for as
    // findMainDictionary says, the user dictionary in programFolder.
    TSpellCheckDialog(QTextEdit* text, const QString& programFolder, QWidget* parent = nullptr);
    ~TSpellCheckDialog() override;

    QLineEdit* word() const { return word_; }
    QLineEdit* replaceAs() const { return replaceAs_; }
    QListWidget* wordList() const { return list_; }
    QPushButton* addButton() const { return add_; }

    void ReplaceButtonClick();
    void SkipWordClick();
    void AddWordClick();

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void nextWord();

    QTextEdit* text_;
    SpellEngine engine_;
    WordScanner scanner_;
    bool firstActivation_ = true;
    bool closing_ = false;
    QLineEdit* word_;
    QLineEdit* replaceAs_;
    QListWidget* list_;
    QPushButton* replace_;
    QPushButton* skip_;
    QPushButton* add_;
};

} // namespace qb
