#include "letters/letter_text_edit.h"

#include "platform/richtext/rich_text.h"
#include "platform/richtext/rtf_writer.h"
#include "platform/richtext/text_units.h"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextDocumentFragment>
#include <QTextList>
#include <QTextTable>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QTextBlock>

namespace qb {

namespace {

// Pasted rich text as a letter can store it: list items keep their marker as
// text before a tab, a table's rows become lines of cells separated by tabs,
// and whatever else the letter's RTF cannot carry (links, indent levels,
// frames) is left to the round trip through RTF that follows.
class PasteFlattener {
public:
    explicit PasteFlattener(QTextDocument& target) : out_(&target) {}

    void frame(QTextFrame* frame)
    {
        for (auto it = frame->begin(); !it.atEnd(); ++it) {
            if (QTextFrame* child = it.currentFrame()) {
                if (auto* table = qobject_cast<QTextTable*>(child))
                    this->table(table);
                else
                    this->frame(child);
                afterFrame_ = true;
            } else if (it.currentBlock().isValid()) {
                // The empty paragraph a frame leaves behind it is no one's text.
                if (!(afterFrame_ && it.currentBlock().length() <= 1))
                    block(it.currentBlock());
                afterFrame_ = false;
            }
        }
    }

private:
    void newParagraph(const QTextBlockFormat& format, const QTextCharFormat& mark)
    {
        QTextBlockFormat f = format;
        f.clearProperty(QTextFormat::ObjectIndex);   // no longer a list item
        if (first_) {
            out_.setBlockFormat(f);
            out_.setBlockCharFormat(mark);
            first_ = false;
        } else {
            out_.insertBlock(f, mark);
        }
    }
    void fragments(const QTextBlock& b)
    {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            QTextCharFormat f = fragment.charFormat();
            f.setAnchor(false);
            f.clearProperty(QTextFormat::AnchorHref);
            f.clearProperty(QTextFormat::AnchorName);
            QString text = fragment.text();
            text.remove(QChar::ObjectReplacementCharacter);
            if (!text.isEmpty())
                out_.insertText(text, f);
        }
    }
    void block(const QTextBlock& b)
    {
        newParagraph(b.blockFormat(), b.charFormat());
        if (QTextList* list = b.textList()) {
            // Bullets of every shape are the one bullet a letter's font has.
            const bool numbered = list->format().style() <= QTextListFormat::ListDecimal;
            const QString marker = numbered ? list->itemText(b) : QString(QChar(0x2022));
            out_.insertText(marker + QLatin1Char('\t'), b.charFormat());
        }
        fragments(b);
    }
    void table(QTextTable* table)
    {
        for (int r = 0; r < table->rows(); ++r) {
            newParagraph(QTextBlockFormat(), table->cellAt(r, 0).firstCursorPosition().charFormat());
            for (int c = 0; c < table->columns(); ++c) {
                const QTextTableCell cell = table->cellAt(r, c);
                if (cell.row() != r || cell.column() != c)
                    continue;   // the rest of a merged cell
                if (c > 0)
                    out_.insertText(QStringLiteral("\t"));
                bool firstLine = true;
                for (auto it = cell.begin(); !it.atEnd(); ++it) {
                    if (!it.currentBlock().isValid())
                        continue;
                    if (!firstLine)
                        out_.insertText(QString(QChar::LineSeparator));
                    firstLine = false;
                    fragments(it.currentBlock());
                }
            }
        }
    }

    QTextCursor out_;
    bool first_ = true;
    bool afterFrame_ = false;
};

} // namespace

LetterTextEdit::LetterTextEdit(QWidget* parent) : QTextEdit(parent)
{
    setAcceptRichText(true);
    applyWrap();
}

void LetterTextEdit::setPage(const richtext::PageLayout& page)
{
    page_ = page;
    applyWrap();
}

void LetterTextEdit::setWindowWrap(bool on)
{
    windowWrap_ = on;
    applyWrap();
}

void LetterTextEdit::applyWrap()
{
    if (windowWrap_) {
        setLineWrapMode(QTextEdit::WidgetWidth);
    } else {
        setLineWrapMode(QTextEdit::FixedPixelWidth);
        setLineWrapColumnOrWidth(int(richtext::twipsToUnits(page_.contentWidth())));
    }
    viewport()->update();
}

void LetterTextEdit::keyPressEvent(QKeyEvent* event)
{
    const bool newParagraph = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
                              !(event->modifiers() & Qt::ShiftModifier);
    const int from = textCursor().selectionStart();
    QTextEdit::keyPressEvent(event);
    if (newParagraph)
        richtext::clearPageBreaksAfter(*document(), from, textCursor().position());
}

void LetterTextEdit::insertFromMimeData(const QMimeData* source)
{
    if (!source->hasHtml() || !acceptRichText()) {
        const int from = textCursor().selectionStart();
        QTextEdit::insertFromMimeData(source);
        richtext::clearPageBreaksAfter(*document(), from, textCursor().position());
        return;
    }
    // What is pasted is what will be stored: flattened, written as the
    // letter's RTF and read back before it goes into the text.
    QTextDocument pasted;
    pasted.setHtml(source->html());
    QTextDocument flat;
    PasteFlattener(flat).frame(pasted.rootFrame());
    richtext::RichText stored(richtext::RichText::Layout::Editor);
    stored.setRtf(richtext::writeRtf(flat, richtext::PageLayout{}));
    QTextCursor c = textCursor();
    c.insertFragment(QTextDocumentFragment(&stored.document()));
    setTextCursor(c);
    ensureCursorVisible();
}

void LetterTextEdit::paintEvent(QPaintEvent* event)
{
    QTextEdit::paintEvent(event);
    QPainter p(viewport());
    p.setPen(QPen(Qt::gray, 1, Qt::DashLine));
    const QAbstractTextDocumentLayout* layout = document()->documentLayout();
    const int dx = horizontalScrollBar()->value();
    const int dy = verticalScrollBar()->value();
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
        if (!(b.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore))
            continue;
        const QRectF r = layout->blockBoundingRect(b);
        const int y = int(r.top()) - dy;
        p.drawLine(QPoint(int(r.left()) - dx, y), QPoint(int(r.right()) - dx, y));
    }
}

LetterRuler::LetterRuler(LetterTextEdit* text, QWidget* parent) : QWidget(parent), text_(text)
{
    setObjectName(QStringLiteral("Ruler"));
    connect(text, &QTextEdit::cursorPositionChanged, this, &LetterRuler::refresh);
    connect(text->horizontalScrollBar(), &QScrollBar::valueChanged, this, &LetterRuler::refresh);
}

QSize LetterRuler::sizeHint() const { return {400, fontMetrics().height() + 10}; }

void LetterRuler::setPage(const richtext::PageLayout& page)
{
    page_ = page;
    update();
}

void LetterRuler::refresh() { update(); }

void LetterRuler::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    const double inch = richtext::twipsToUnits(richtext::kTwipsPerInch);
    const auto px = [&](int twips) { return richtext::twipsToUnits(twips); };
    // The page's left edge, so that the left margin meets the text's edge.
    const int textLeft =
        mapFromGlobal(text_->viewport()->mapToGlobal(QPoint(0, 0))).x() - text_->horizontalScrollBar()->value();
    const double origin = textLeft - px(page_.left);
    const int h = height();

    p.fillRect(QRectF(origin, 2, px(page_.width), h - 4), QColor(200, 200, 200));
    p.fillRect(QRectF(origin + px(page_.left), 2, px(page_.contentWidth()), h - 4), Qt::white);
    p.setPen(Qt::black);
    for (int eighth = 0; eighth <= page_.width * 8 / richtext::kTwipsPerInch; ++eighth) {
        const double x = origin + eighth * inch / 8;
        if (eighth % 8 == 0) {
            p.drawText(QRectF(x - 20, 0, 40, h), Qt::AlignCenter, QString::number(eighth / 8));
            continue;
        }
        const int tick = eighth % 4 == 0 ? h / 3 : eighth % 2 == 0 ? h / 4 : h / 6;
        p.drawLine(QPointF(x, h - 3), QPointF(x, h - 3 - tick));
    }

    const QTextBlockFormat f = text_->textCursor().blockFormat();
    const double left = origin + px(page_.left) + f.leftMargin();
    const double first = left + f.textIndent();
    const double right = origin + px(page_.left) + px(page_.contentWidth()) - f.rightMargin();
    const auto triangle = [&p](double x, double tipY, double baseY) {
        QPainterPath path;
        path.moveTo(x, tipY);
        path.lineTo(x - 4, baseY);
        path.lineTo(x + 4, baseY);
        path.closeSubpath();
        p.fillPath(path, Qt::darkGray);
    };
    triangle(first, 7, 1);
    triangle(left, h - 7, h - 1);
    triangle(right, h - 7, h - 1);
}

} // namespace qb
