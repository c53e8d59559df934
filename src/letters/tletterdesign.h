#pragma once
// "Letter Designer": the word-processing window a letter template is written
// in: the text with its tool bar and ruler, the list that inserts merge
// fields, the description, menus for RTF files, find and replace, spell
// checking, page breaks, paragraph and page settings, word wrap and the
// default font of new letters, and a preview of the merged letter.

#include "core/preferences.h"
#include "platform/richtext/rich_text.h"

#include <QDialog>

#include <functional>
#include <optional>

class QAction;
class QComboBox;
class QFontComboBox;
class QLineEdit;
class QMenuBar;
class QTextCharFormat;

namespace qb {

class AddressTable;
class LetterRuler;
class LetterTextEdit;

class TLetterDesign : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1085;

    // existing: the template to edit, or null for a new letter. addresses:
    // the table the preview merges from (none: no preview).
    TLetterDesign(const QString& description, const richtext::RichText* existing, AddressTable* addresses,
                  QWidget* parent = nullptr);
    ~TLetterDesign() override;

    QString description() const;
    // The editor's text and page.
    richtext::RichText& text() { return text_; }
    LetterTextEdit* editor() const { return editor_; }
    bool isNew() const { return isNew_; }
    // Text, page or description differ from what the editor was opened with.
    bool changed() const;
    // What the opened template holds that saving removes (letterReadNote);
    // Ok on a changed letter asks before it is stored without it.
    void setReadNote(const QString& note) { readNote_ = note; }
    const DefaultFontPreferences& defaultFont() const { return defaultFont_; }

    // What the window asks of other windows; replaceable so tests can answer.
    std::function<QString(const QString& caption, bool save)> chooseFile;
    std::function<QString()> choosePicture;
    std::function<std::optional<QFont>(const QFont& current)> chooseFont;
    std::function<void(const richtext::RichText& letter)> preview;

    void InsertFieldComboChange(int index);
    void SaveAsRtfClick();
    void LoadRtfClick();
    void InsertRtfClick();
    void InsertPictureClick();
    void FindClick();
    void ReplaceClick();
    void SpellCheckClick();
    void InsertPageBreakClick();
    void ParagraphSettingsClick();
    void PageSettingsClick();
    void HeaderFooterClick();
    void WordWrapClick();
    void DefaultFontClick();
    void PreviewClick();

    void accept() override;
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormActivate();
    void buildMenus(QMenuBar* bar);
    QWidget* buildToolBar();
    void applyPage(const richtext::PageLayout& page);
    void setWordWrapCaption();
    void setDefaultFontCaption();
    void syncToolBar();
    void mergeCharFormat(const QTextCharFormat& format);
    void setColour(bool background, int index);

    richtext::RichText text_{richtext::RichText::Layout::Editor};
    AddressTable* addresses_;
    bool isNew_;
    bool activated_ = false;
    QString openedDescription_;
    bool pageChanged_ = false;
    QString readNote_;
    DefaultFontPreferences defaultFont_;
    LetterTextEdit* editor_;
    LetterRuler* ruler_;
    QComboBox* insertField_;
    QLineEdit* description_;
    QFontComboBox* fontName_;
    QComboBox* fontSize_;
    QComboBox* fontColour_;
    QComboBox* background_;
    QAction* bold_;
    QAction* italic_;
    QAction* underline_;
    QAction* alignLeft_;
    QAction* alignRight_;
    QAction* alignJustify_;
    QAction* alignCentre_;
    QAction* spellCheck_;
    QAction* wordWrap_;
    QAction* defaultFontItem_;
};

} // namespace qb
