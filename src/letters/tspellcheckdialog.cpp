#include "letters/tspellcheckdialog.h"

#include "core/messages.h"
#include "platform/help/help_viewer.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace qb {

TSpellCheckDialog::TSpellCheckDialog(QTextEdit* text, const QString& programFolder, QWidget* parent)
    : QDialog(parent), text_(text), scanner_(*text->document())
{
    setObjectName(QStringLiteral("TSpellCheckDialog"));
    setWindowTitle(QStringLiteral("Spell Check"));

    QFont bold = font();
    bold.setBold(true);
    word_ = new QLineEdit(this);
    word_->setObjectName(QStringLiteral("Word"));
    word_->setFont(bold);
    word_->setStyleSheet(QStringLiteral("color: red"));
    word_->setWhatsThis(QStringLiteral("This is a word which may be misspelled"));
    replaceAs_ = new QLineEdit(this);
    replaceAs_->setObjectName(QStringLiteral("ReplaceAs"));
    replaceAs_->setFont(bold);
    replaceAs_->setStyleSheet(QStringLiteral("color: blue"));
    replaceAs_->setWhatsThis(QStringLiteral("This is a suggested replacement for the misspelled word. You may also type "
                                            "a replacement value in this field."));
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("WordList"));
    list_->setFont(bold);
    list_->setWhatsThis(QStringLiteral("This is a list of potential corrections for the misspelled word"));
    connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { replaceAs_->setText(item->text()); });
    connect(list_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { replaceAs_->setText(item->text()); });

    const auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    replace_ = button("ReplaceButton", QStringLiteral("Replace "));
    replace_->setDefault(true);
    auto* cancel = button("CancelButton", QStringLiteral("Cancel"));
    skip_ = button("SkipButton", QStringLiteral("&Skip Word"));
    add_ = button("AddButton", QStringLiteral("&Add Word"));
    auto* help = button("HelpButton", QStringLiteral("Help"));
    for (QPushButton* b : {cancel, skip_, add_, help})
        b->setAutoDefault(false);
    connect(replace_, &QPushButton::clicked, this, &TSpellCheckDialog::ReplaceButtonClick);
    connect(skip_, &QPushButton::clicked, this, &TSpellCheckDialog::SkipWordClick);
    connect(add_, &QPushButton::clicked, this, &TSpellCheckDialog::AddWordClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { showHelp(HelpContext, this); });

    auto* fields = new QVBoxLayout;
    fields->addWidget(new QLabel(QStringLiteral("Possible spelling error"), this));
    fields->addWidget(word_);
    fields->addWidget(new QLabel(QStringLiteral("Replace with"), this));
    fields->addWidget(replaceAs_);
    fields->addWidget(new QLabel(QStringLiteral("Possible replacements"), this));
    fields->addWidget(list_, 1);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {replace_, cancel, skip_, add_, help})
        buttons->addWidget(b);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(fields, 1);
    layout->addLayout(buttons);

    if (const std::optional<DictionaryFiles> main = findMainDictionary(programFolder))
        engine_.openMain(*main);
    add_->setEnabled(engine_.openUser(QDir(programFolder).filePath(kUserDictionaryName)));
}

TSpellCheckDialog::~TSpellCheckDialog() = default;

void TSpellCheckDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!firstActivation_)
        return;
    firstActivation_ = false;
    // From the dialog's own event loop, which the end of the text closes.
    QTimer::singleShot(0, this, [this] {
        scanner_.reset();
        nextWord();
    });
}

void TSpellCheckDialog::nextWord()
{
    QString word;
    for (;;) {
        word = scanner_.next();
        if (word.isEmpty())
            break;
        if (engine_.check(word))
            continue;
        list_->clear();
        list_->addItems(engine_.suggest(word));
        text_->setTextCursor(scanner_.selection());
        text_->ensureCursorVisible();
        break;
    }
    word_->setText(word);
    replaceAs_->setText(list_->count() > 0 ? list_->item(0)->text() : word);
    if (word.isEmpty()) {
        hide();
        showInformation(QStringLiteral("Spell check complete"));
        accept();
    }
}

void TSpellCheckDialog::ReplaceButtonClick()
{
    scanner_.replace(replaceAs_->text());
    nextWord();
    text_->viewport()->update();
}

void TSpellCheckDialog::SkipWordClick() { nextWord(); }

void TSpellCheckDialog::AddWordClick()
{
    if (!word_->text().isEmpty())
        engine_.addWord(word_->text());
    nextWord();
}

void TSpellCheckDialog::done(int result)
{
    if (!closing_) {
        closing_ = true;
        // The cursor back at the start of the letter, nothing selected.
        text_->setTextCursor(QTextCursor(text_->document()));
        engine_.close();
    }
    QDialog::done(result);
}

} // namespace qb
