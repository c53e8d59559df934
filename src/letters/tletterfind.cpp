#include "letters/tletterfind.h"

#include "core/messages.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>

namespace qb {

TLetterFind::TLetterFind(QTextEdit* text, Mode mode, QWidget* parent) : QDialog(parent), text_(text)
{
    setObjectName(QStringLiteral("TLetterFind"));
    setWindowTitle(mode == Mode::Find ? QStringLiteral("Find") : QStringLiteral("Replace"));
    find_ = new QLineEdit(this);
    find_->setObjectName(QStringLiteral("FindEdit"));
    find_->setText(text->textCursor().selectedText());
    matchCase_ = new QCheckBox(QStringLiteral("Match &case"), this);
    matchCase_->setObjectName(QStringLiteral("MatchCaseCheck"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Find what"), find_);
    if (mode == Mode::Replace) {
        replace_ = new QLineEdit(this);
        replace_->setObjectName(QStringLiteral("ReplaceEdit"));
        form->addRow(QStringLiteral("Replace with"), replace_);
    }
    form->addRow(QString(), matchCase_);

    const auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    auto* buttons = new QVBoxLayout;
    auto* next = button("FindNextButton", QStringLiteral("&Find Next"));
    next->setDefault(true);
    connect(next, &QPushButton::clicked, this, &TLetterFind::FindNextClick);
    buttons->addWidget(next);
    if (mode == Mode::Replace) {
        auto* one = button("ReplaceButton", QStringLiteral("&Replace"));
        auto* all = button("ReplaceAllButton", QStringLiteral("Replace &All"));
        connect(one, &QPushButton::clicked, this, &TLetterFind::ReplaceClick);
        connect(all, &QPushButton::clicked, this, &TLetterFind::ReplaceAllClick);
        buttons->addWidget(one);
        buttons->addWidget(all);
    }
    auto* close = button("CloseButton", QStringLiteral("Close"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(close);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(form, 1);
    layout->addLayout(buttons);
}

bool TLetterFind::selectionMatches() const
{
    const QString selected = text_->textCursor().selectedText();
    const Qt::CaseSensitivity cs = matchCase_->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive;
    return !selected.isEmpty() && selected.compare(find_->text(), cs) == 0;
}

bool TLetterFind::FindNextClick()
{
    const QString what = find_->text();
    if (what.isEmpty())
        return false;
    const QTextDocument::FindFlags flags =
        matchCase_->isChecked() ? QTextDocument::FindCaseSensitively : QTextDocument::FindFlags();
    QTextCursor found = text_->document()->find(what, text_->textCursor(), flags);
    if (found.isNull())
        found = text_->document()->find(what, 0, flags);   // once round from the start
    if (found.isNull()) {
        showInformation(QStringLiteral("Search text not found: ") + what);
        return false;
    }
    text_->setTextCursor(found);
    return true;
}

void TLetterFind::ReplaceClick()
{
    if (selectionMatches())
        text_->textCursor().insertText(replace_->text());
    FindNextClick();
}

int TLetterFind::ReplaceAllClick()
{
    const QString what = find_->text();
    if (what.isEmpty())
        return 0;
    const QTextDocument::FindFlags flags =
        matchCase_->isChecked() ? QTextDocument::FindCaseSensitively : QTextDocument::FindFlags();
    int count = 0;
    QTextCursor edit(text_->document());
    edit.beginEditBlock();
    for (QTextCursor found = text_->document()->find(what, 0, flags); !found.isNull();
         found = text_->document()->find(what, found, flags)) {
        found.insertText(replace_->text());
        ++count;
    }
    edit.endEditBlock();
    showInformation(QStringLiteral("%1 replacement(s) made").arg(count));
    return count;
}

} // namespace qb
