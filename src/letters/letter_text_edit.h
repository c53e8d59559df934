#pragma once
// The letter editor's text control and its ruler. The text wraps either at
// the window's edge or at the width the page leaves between its margins, as
// it will on paper; a paragraph that begins a new page is marked by a dashed
// line above it.

#include "platform/richtext/page_layout.h"

#include <QTextEdit>
#include <QWidget>

namespace qb {

class LetterTextEdit : public QTextEdit {
    Q_OBJECT
public:
    explicit LetterTextEdit(QWidget* parent = nullptr);

    void setPage(const richtext::PageLayout& page);
    // true: lines wrap at the window's edge; false: at the page's text width.
    void setWindowWrap(bool on);
    bool windowWrap() const { return windowWrap_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void applyWrap();

    richtext::PageLayout page_;
    bool windowWrap_ = false;
};

// Inches along the page, the margins shaded, and the current paragraph's
// indents: a triangle down for the first line, up for the left indent and for
// the right one.
class LetterRuler : public QWidget {
    Q_OBJECT
public:
    explicit LetterRuler(LetterTextEdit* text, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    // Reads the page and the paragraph at the text's cursor again.
    void refresh();
    void setPage(const richtext::PageLayout& page);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    LetterTextEdit* text_;
    richtext::PageLayout page_;
};

} // namespace qb
