#include "letters/tletterdesign.h"

#include "core/messages.h"
#include "core/paths.h"
#include "core/placement.h"
#include "core/settings.h"
#include "core/text_file.h"
#include "letters/letter_merge.h"
#include "letters/letter_text_edit.h"
#include "letters/theaderfooterdlg.h"
#include "letters/spell_engine.h"
#include "letters/tletterfind.h"
#include "letters/tparagraphpropdlg.h"
#include "letters/trtfpreviewform.h"
#include "letters/tspellcheckdialog.h"
#include "letters/twppageprop.h"
#include "platform/help/help_viewer.h"
#include "platform/richtext/picture.h"
#include "platform/richtext/text_units.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFontComboBox>
#include <QFontDialog>
#include <QKeyEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QTextFragment>
#include <QToolBar>
#include <QVBoxLayout>

namespace qb {

namespace {

// Letters are small; anything near this size is not one.
constexpr qint64 kMaxRtfFileSize = 64 << 20;

const std::pair<const char*, QColor>* colourTable(int& count)
{
    static const std::pair<const char*, QColor> colours[] = {
        {"Black", QColor(0, 0, 0)},         {"Maroon", QColor(128, 0, 0)},  {"Green", QColor(0, 128, 0)},
        {"Olive", QColor(128, 128, 0)},     {"Navy", QColor(0, 0, 128)},    {"Purple", QColor(128, 0, 128)},
        {"Teal", QColor(0, 128, 128)},      {"Gray", QColor(128, 128, 128)}, {"Silver", QColor(192, 192, 192)},
        {"Red", QColor(255, 0, 0)},         {"Lime", QColor(0, 255, 0)},    {"Yellow", QColor(255, 255, 0)},
        {"Blue", QColor(0, 0, 255)},        {"Fuchsia", QColor(255, 0, 255)}, {"Aqua", QColor(0, 255, 255)},
        {"White", QColor(255, 255, 255)},
    };
    count = int(std::size(colours));
    return colours;
}

void fillColours(QComboBox* combo, const QString& first)
{
    combo->addItem(first);
    int count = 0;
    const auto* colours = colourTable(count);
    for (int i = 0; i < count; ++i) {
        QPixmap swatch(12, 12);
        swatch.fill(colours[i].second);
        combo->addItem(QIcon(swatch), QLatin1String(colours[i].first), colours[i].second);
    }
}

std::optional<QString> readRtfFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxRtfFileSize) {
        showInformation(QStringLiteral("Unable to read the RTF file ") + path);
        return std::nullopt;
    }
    return richtext::rtfFromBytes(f.readAll());
}

void tellProblem(const richtext::RtfReadResult& r)
{
    if (!r.problem.isEmpty())
        showInformation(r.problem);
}

} // namespace

TLetterDesign::TLetterDesign(const QString& description, const richtext::RichText* existing, AddressTable* addresses,
                             QWidget* parent)
    : QDialog(parent), addresses_(addresses), isNew_(existing == nullptr)
{
    setObjectName(QStringLiteral("TLetterDesign"));
    setWindowTitle(QStringLiteral("Letter Designer"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    setSizeGripEnabled(true);

    editor_ = new LetterTextEdit(this);
    editor_->setObjectName(QStringLiteral("LetterText"));
    if (existing)
        text_.assign(*existing);
    else
        text_.setPage({12240, 15840, 1440, 1440, 1440, 1440});
    editor_->setDocument(&text_.document());
    text_.document().setModified(false);
    openedDescription_ = description;
    ruler_ = new LetterRuler(editor_, this);

    insertField_ = new QComboBox(this);
    insertField_->setObjectName(QStringLiteral("InsertFieldCombo"));
    insertField_->addItems(mergeFieldNames());
    insertField_->setCurrentIndex(0);
    connect(insertField_, &QComboBox::activated, this, &TLetterDesign::InsertFieldComboChange);
    description_ = new QLineEdit(description, this);
    description_->setObjectName(QStringLiteral("Description"));
    description_->setMaxLength(50);

    auto* bar = new QMenuBar(this);
    buildMenus(bar);
    QWidget* tools = buildToolBar();

    const auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    auto* ok = button("OkButton", QStringLiteral("Ok"));
    auto* cancel = button("CancelButton", QStringLiteral("Cancel"));
    auto* help = button("HelpButton", QStringLiteral("Help"));
    auto* previewButton = button("PreviewButton", QStringLiteral("Preview"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { showHelp(HelpContext, this); });
    connect(previewButton, &QPushButton::clicked, this, &TLetterDesign::PreviewClick);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Insert field"), this));
    top->addWidget(insertField_);
    top->addSpacing(12);
    top->addWidget(new QLabel(QStringLiteral("Description"), this));
    top->addWidget(description_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {ok, cancel, help, previewButton})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(bar);
    layout->addLayout(top);
    layout->addWidget(tools);
    layout->addWidget(ruler_);
    layout->addWidget(editor_, 1);
    layout->addLayout(buttons);
    resize(960, 680);

    // The editor on creation.
    Settings settings = Settings::program();
    defaultFont_ = DefaultFontPreferences::read(settings, DesignKind::Letter);
    spellCheck_->setEnabled(findMainDictionary(ProgramFolder::path()).has_value());
    setDefaultFontCaption();
    connect(editor_, &QTextEdit::currentCharFormatChanged, this, &TLetterDesign::syncToolBar);
    connect(editor_, &QTextEdit::cursorPositionChanged, this, &TLetterDesign::syncToolBar);

    chooseFile = [this](const QString& caption, bool save) {
        const QString filter = QStringLiteral("Rich Text Format (*.rtf);;All files (*)");
        return save ? QFileDialog::getSaveFileName(this, caption, QString(), filter)
                    : QFileDialog::getOpenFileName(this, caption, QString(), filter);
    };
    choosePicture = [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Insert Picture"), QString(),
                                            QStringLiteral("Pictures (*.png *.jpg *.jpeg *.bmp);;All files (*)"));
    };
    chooseFont = [this](const QFont& current) -> std::optional<QFont> {
        bool chosen = false;
        const QFont f = QFontDialog::getFont(&chosen, current, this, QStringLiteral("Default Font"));
        return chosen ? std::optional<QFont>(f) : std::nullopt;
    };
    preview = [this](const richtext::RichText& letter) {
        if (!addresses_)
            return;
        TRTFPreviewForm form(letter, *addresses_, this);
        form.exec();
    };
}

TLetterDesign::~TLetterDesign()
{
    // The text control shows a document this window owns: it goes first.
    delete ruler_;
    delete editor_;
}

QString TLetterDesign::description() const { return description_->text(); }

void TLetterDesign::buildMenus(QMenuBar* bar)
{
    const auto item = [this](QMenu* menu, const char* name, const QString& caption, void (TLetterDesign::*handler)(),
                             const QKeySequence& key = {}) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        a->setShortcut(key);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    item(file, "mnuSaveRtf", QStringLiteral("&Save as RTF"), &TLetterDesign::SaveAsRtfClick);
    item(file, "mnuLoadRtf", QStringLiteral("&Load RTF"), &TLetterDesign::LoadRtfClick);
    item(file, "mnuInsertRtf", QStringLiteral("&Insert RTF"), &TLetterDesign::InsertRtfClick);
    item(file, "mnuInsertPicture", QStringLiteral("Insert &Picture..."), &TLetterDesign::InsertPictureClick);
    QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
    item(edit, "mnuFind", QStringLiteral("&Find"), &TLetterDesign::FindClick, QKeySequence(Qt::CTRL | Qt::Key_F));
    item(edit, "mnuReplace", QStringLiteral("&Replace"), &TLetterDesign::ReplaceClick, QKeySequence(Qt::CTRL | Qt::Key_R));
    spellCheck_ = item(edit, "mnuSpellCheck", QStringLiteral("&Spell Check"), &TLetterDesign::SpellCheckClick,
                       QKeySequence(Qt::Key_F7));
    item(edit, "mnuInsertPageBreak", QStringLiteral("&Insert Page Break"), &TLetterDesign::InsertPageBreakClick);
    QMenu* settings = bar->addMenu(QStringLiteral("&Settings"));
    item(settings, "mnuParagraphSettings", QStringLiteral("&Paragraph Settings"), &TLetterDesign::ParagraphSettingsClick);
    item(settings, "mnuPageSettings", QStringLiteral("Pa&ge Settings"), &TLetterDesign::PageSettingsClick);
    item(settings, "mnuHeaderFooter", QStringLiteral("&Header and Footer..."), &TLetterDesign::HeaderFooterClick);
    wordWrap_ = item(settings, "mnuWordWrap", QString(), &TLetterDesign::WordWrapClick);
    defaultFontItem_ = item(settings, "mnuDefaultFont", QString(), &TLetterDesign::DefaultFontClick);
    // The window's own shortcuts work while the text has the focus.
    for (QAction* a : bar->findChildren<QAction*>())
        addAction(a);
}

QWidget* TLetterDesign::buildToolBar()
{
    auto* tools = new QToolBar(this);
    tools->setObjectName(QStringLiteral("ToolBar"));
    fontName_ = new QFontComboBox(tools);
    fontName_->setObjectName(QStringLiteral("FontNameCombo"));
    fontName_->setToolTip(QStringLiteral("Font"));
    connect(fontName_, &QFontComboBox::textActivated, this, [this](const QString& family) {
        QTextCharFormat f;
        f.setFontFamilies(QStringList{family});
        mergeCharFormat(f);
    });
    fontSize_ = new QComboBox(tools);
    fontSize_->setObjectName(QStringLiteral("FontSizeCombo"));
    fontSize_->setToolTip(QStringLiteral("Font Size"));
    fontSize_->setEditable(true);
    for (int size : {6, 7, 8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72})
        fontSize_->addItem(QString::number(size));
    connect(fontSize_, &QComboBox::textActivated, this, [this](const QString& text) {
        bool ok = false;
        const double size = text.toDouble(&ok);
        if (!ok || size < 1 || size > 1638)
            return;
        QTextCharFormat f;
        f.setFontPointSize(size);
        mergeCharFormat(f);
    });
    fontColour_ = new QComboBox(tools);
    fontColour_->setObjectName(QStringLiteral("FontColorCombo"));
    fontColour_->setToolTip(QStringLiteral("Font Color"));
    fillColours(fontColour_, QStringLiteral("Automatic"));
    connect(fontColour_, &QComboBox::activated, this, [this](int index) { setColour(false, index); });
    background_ = new QComboBox(tools);
    background_->setObjectName(QStringLiteral("BackgroundColorCombo"));
    background_->setToolTip(QStringLiteral("Background Color"));
    fillColours(background_, QStringLiteral("None"));
    connect(background_, &QComboBox::activated, this, [this](int index) { setColour(true, index); });
    tools->addWidget(fontName_);
    tools->addWidget(fontSize_);
    tools->addWidget(fontColour_);
    tools->addWidget(background_);
    tools->addSeparator();

    const auto action = [this, tools](const char* name, const QString& caption, bool checkable) {
        QAction* a = tools->addAction(caption);
        a->setObjectName(QLatin1String(name));
        a->setCheckable(checkable);
        return a;
    };
    QAction* normal = action("NormalAction", QStringLiteral("Normal"), false);
    connect(normal, &QAction::triggered, this, [this] {
        QTextCharFormat f;
        f.setFontWeight(QFont::Normal);
        f.setFontItalic(false);
        f.setFontUnderline(false);
        mergeCharFormat(f);
    });
    bold_ = action("BoldAction", QStringLiteral("B"), true);
    italic_ = action("ItalicAction", QStringLiteral("I"), true);
    underline_ = action("UnderlineAction", QStringLiteral("U"), true);
    bold_->setShortcut(QKeySequence::Bold);
    italic_->setShortcut(QKeySequence::Italic);
    underline_->setShortcut(QKeySequence::Underline);
    connect(bold_, &QAction::triggered, this, [this](bool on) {
        QTextCharFormat f;
        f.setFontWeight(on ? QFont::Bold : QFont::Normal);
        mergeCharFormat(f);
    });
    connect(italic_, &QAction::triggered, this, [this](bool on) {
        QTextCharFormat f;
        f.setFontItalic(on);
        mergeCharFormat(f);
    });
    connect(underline_, &QAction::triggered, this, [this](bool on) {
        QTextCharFormat f;
        f.setFontUnderline(on);
        mergeCharFormat(f);
    });
    tools->addSeparator();
    auto* aligns = new QActionGroup(this);
    const auto align = [&](const char* name, const QString& caption, Qt::Alignment a) {
        QAction* act = action(name, caption, true);
        aligns->addAction(act);
        connect(act, &QAction::triggered, this, [this, a] {
            editor_->setAlignment(a);
            ruler_->refresh();
        });
        return act;
    };
    alignLeft_ = align("AlignLeftAction", QStringLiteral("Left"), Qt::AlignLeft | Qt::AlignAbsolute);
    alignRight_ = align("AlignRightAction", QStringLiteral("Right"), Qt::AlignRight | Qt::AlignAbsolute);
    alignJustify_ = align("AlignJustifyAction", QStringLiteral("Justify"), Qt::AlignJustify);
    alignCentre_ = align("AlignCenterAction", QStringLiteral("Center"), Qt::AlignHCenter);
    tools->addSeparator();
    connect(action("CopyAction", QStringLiteral("Copy"), false), &QAction::triggered, editor_, &QTextEdit::copy);
    connect(action("CutAction", QStringLiteral("Cut"), false), &QAction::triggered, editor_, &QTextEdit::cut);
    connect(action("PasteAction", QStringLiteral("Paste"), false), &QAction::triggered, editor_, &QTextEdit::paste);
    return tools;
}

void TLetterDesign::setColour(bool background, int index)
{
    const QComboBox* list = background ? background_ : fontColour_;
    if (index > 0) {
        QTextCharFormat f;
        const QColor colour = list->itemData(index).value<QColor>();
        if (background)
            f.setBackground(colour);
        else
            f.setForeground(colour);
        mergeCharFormat(f);
        return;
    }
    // "Automatic" and "None" take the colour away, which merging cannot.
    const auto clear = [background](QTextCharFormat f) {
        if (background)
            f.clearBackground();
        else
            f.clearForeground();
        return f;
    };
    QTextCursor c = editor_->textCursor();
    if (c.hasSelection()) {
        c.beginEditBlock();
        for (QTextBlock b = editor_->document()->findBlock(c.selectionStart());
             b.isValid() && b.position() <= c.selectionEnd(); b = b.next())
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                const QTextFragment fragment = it.fragment();
                const int from = std::max(fragment.position(), c.selectionStart());
                const int to = std::min(fragment.position() + fragment.length(), c.selectionEnd());
                if (from >= to)
                    continue;
                QTextCursor part(editor_->document());
                part.setPosition(from);
                part.setPosition(to, QTextCursor::KeepAnchor);
                part.setCharFormat(clear(fragment.charFormat()));
            }
        c.endEditBlock();
    }
    editor_->setCurrentCharFormat(clear(editor_->currentCharFormat()));
    editor_->setFocus();
}

void TLetterDesign::mergeCharFormat(const QTextCharFormat& format)
{
    editor_->mergeCurrentCharFormat(format);
    editor_->setFocus();
}

void TLetterDesign::syncToolBar()
{
    const QTextCharFormat f = editor_->currentCharFormat();
    const QFont font = f.font();
    fontName_->setCurrentFont(font);
    fontSize_->setEditText(QString::number(font.pointSizeF()));
    bold_->setChecked(font.bold());
    italic_->setChecked(font.italic());
    underline_->setChecked(font.underline());
    const Qt::Alignment a = editor_->alignment() & Qt::AlignHorizontal_Mask;
    (a & Qt::AlignHCenter ? alignCentre_ : a & Qt::AlignRight ? alignRight_ : a & Qt::AlignJustify ? alignJustify_
                                                                                                   : alignLeft_)
        ->setChecked(true);
}

void TLetterDesign::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!activated_)
        FormActivate();
}

void TLetterDesign::FormActivate()
{
    activated_ = true;
    editor_->setWindowWrap(false);
    applyPage(text_.page());
    if (isNew_) {
        QTextCharFormat f;
        f.setFontFamilies(QStringList{defaultFont_.name});
        f.setFontPointSize(defaultFont_.size);
        f.setFontWeight(defaultFont_.bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(defaultFont_.italic);
        QFont font = text_.document().defaultFont();
        font.setFamilies({defaultFont_.name});
        font.setPointSize(defaultFont_.size);
        text_.document().setDefaultFont(font);
        editor_->setCurrentCharFormat(f);
    }
    setWordWrapCaption();
    syncToolBar();
    restorePlacement(this, QStringLiteral("TLetterDesign"));
    editor_->setFocus();
}

bool TLetterDesign::changed() const
{
    return text_.document().isModified() || pageChanged_ || description_->text() != openedDescription_;
}

void TLetterDesign::accept()
{
    if (!readNote_.isEmpty() && changed() &&
        !askQuestion(readNote_ + QStringLiteral("\r\nSave anyway?"), QStringLiteral("Letter Designer")))
        return;
    QDialog::accept();
}

void TLetterDesign::keyPressEvent(QKeyEvent* event)
{
    // Esc throws the edits away only when the user says so.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (!changed() || askQuestionDefaultNo(QStringLiteral("Discard the changes to this letter?"),
                                               QStringLiteral("Letter Designer")))
            reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TLetterDesign::closeEvent(QCloseEvent* event)
{
    // Closing the window counts as Ok: the letter is kept.
    event->ignore();
    accept();
}

void TLetterDesign::done(int result)
{
    savePlacement(this, QStringLiteral("TLetterDesign"));
    QDialog::done(result);
}

void TLetterDesign::applyPage(const richtext::PageLayout& page)
{
    text_.setPage(page);
    editor_->setPage(text_.page());
    ruler_->setPage(text_.page());
}

void TLetterDesign::InsertFieldComboChange(int index)
{
    if (index < 0 || index >= mergeFieldNames().size())
        return;
    editor_->insertPlainText(QLatin1Char('[') + mergeFieldNames()[index] + QLatin1Char(']'));
    editor_->setFocus();
    QApplication::processEvents();
}

void TLetterDesign::SaveAsRtfClick()
{
    const QString path = chooseFile ? chooseFile(QStringLiteral("Save as RTF"), true) : QString();
    if (path.isEmpty())
        return;
    // Written beside the target and moved over it, so a failure keeps the old file.
    if (!writeFileReplacing(path, text_.rtf().toLatin1()))
        showInformation(QStringLiteral("Unable to write the RTF file ") + path);
}

void TLetterDesign::LoadRtfClick()
{
    const QString path = chooseFile ? chooseFile(QStringLiteral("Load RTF"), false) : QString();
    if (path.isEmpty())
        return;
    const std::optional<QString> rtf = readRtfFile(path);
    if (!rtf)
        return;
    const richtext::RtfReadResult r = text_.setRtf(*rtf);
    pageChanged_ = true;
    applyPage(text_.page());
    tellProblem(r);
}

void TLetterDesign::InsertRtfClick()
{
    const QString path = chooseFile ? chooseFile(QStringLiteral("Insert RTF"), false) : QString();
    if (path.isEmpty())
        return;
    const std::optional<QString> rtf = readRtfFile(path);
    if (!rtf)
        return;
    richtext::RichText inserted(richtext::RichText::Layout::Editor);
    const richtext::RtfReadResult r = inserted.setRtf(*rtf);
    editor_->textCursor().insertFragment(QTextDocumentFragment(&inserted.document()));
    tellProblem(r);
}

void TLetterDesign::InsertPictureClick()
{
    const QString path = choosePicture ? choosePicture() : QString();
    if (path.isEmpty())
        return;
    QFile f(path);
    std::optional<QTextImageFormat> picture;
    if (f.open(QIODevice::ReadOnly) && f.size() <= richtext::kMaxPictureBytes)
        picture = richtext::pictureFormat(text_.document(), f.readAll(), {}, {});
    if (!picture) {
        showInformation(QStringLiteral("Unable to read the picture file ") + path);
        return;
    }
    editor_->textCursor().insertImage(*picture);
    editor_->setFocus();
}

void TLetterDesign::FindClick()
{
    TLetterFind dialog(editor_, TLetterFind::Mode::Find, this);
    centreWindow(&dialog);
    dialog.exec();
}

void TLetterDesign::ReplaceClick()
{
    TLetterFind dialog(editor_, TLetterFind::Mode::Replace, this);
    centreWindow(&dialog);
    dialog.exec();
}

void TLetterDesign::SpellCheckClick()
{
    if (!spellCheck_->isEnabled())
        return;
    TSpellCheckDialog dialog(editor_, ProgramFolder::path(), this);
    centreWindow(&dialog);
    dialog.exec();
}

void TLetterDesign::InsertPageBreakClick()
{
    if (!askQuestion(QStringLiteral("Insert a page break?"), QStringLiteral("PAGE BREAK")))
        return;
    QTextCursor c = editor_->textCursor();
    c.beginEditBlock();
    c.insertBlock();
    QTextBlockFormat f = c.blockFormat();
    f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    c.setBlockFormat(f);
    c.endEditBlock();
    editor_->setTextCursor(c);
    editor_->viewport()->update();
}

void TLetterDesign::ParagraphSettingsClick()
{
    QTextCursor c = editor_->textCursor();
    const QTextBlockFormat f = c.blockFormat();
    ParagraphValues v;
    v.left = richtext::unitsToTwips(f.leftMargin());
    v.first = v.left + richtext::unitsToTwips(f.textIndent());
    v.right = richtext::unitsToTwips(f.rightMargin());
    v.before = richtext::unitsToTwips(f.topMargin());
    v.after = richtext::unitsToTwips(f.bottomMargin());
    if (f.lineHeightType() == QTextBlockFormat::MinimumHeight || f.lineHeightType() == QTextBlockFormat::FixedHeight)
        v.lineHeight = richtext::unitsToTwips(f.lineHeight());
    TParagraphPropDlg dialog(v, this);
    centreWindow(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const ParagraphValues n = dialog.values();
    QTextBlockFormat changed;
    changed.setTopMargin(richtext::twipsToUnits(n.before));
    changed.setBottomMargin(richtext::twipsToUnits(n.after));
    // A line height the dialog could not show (a multiple of lines) stays
    // unless the user set one.
    if (n.lineHeight != v.lineHeight) {
        if (n.lineHeight > 0)
            changed.setLineHeight(richtext::twipsToUnits(n.lineHeight), QTextBlockFormat::MinimumHeight);
        else
            changed.setLineHeight(0, QTextBlockFormat::SingleHeight);
    }
    changed.setLeftMargin(richtext::twipsToUnits(n.left));
    changed.setTextIndent(richtext::twipsToUnits(n.first - n.left));
    changed.setRightMargin(richtext::twipsToUnits(n.right));
    c.mergeBlockFormat(changed);
    ruler_->refresh();
}

void TLetterDesign::PageSettingsClick()
{
    TWPPageProp dialog(text_.page(), this);
    centreWindow(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (dialog.page() != text_.page())
        pageChanged_ = true;
    applyPage(dialog.page());
}

void TLetterDesign::HeaderFooterClick()
{
    QTextDocument& d = text_.document();
    const QStringList kept = d.property(richtext::kKeptRtfProperty).toStringList();
    THeaderFooterDlg dialog(headerFooterText(kept, false), headerFooterText(kept, true), this);
    centreWindow(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QStringList changed = withHeaderAndFooter(kept, dialog.header(), dialog.footer());
    if (changed == kept)
        return;
    d.setProperty(richtext::kKeptRtfProperty, changed);
    pageChanged_ = true;
}

void TLetterDesign::WordWrapClick()
{
    editor_->setWindowWrap(!editor_->windowWrap());
    setWordWrapCaption();
}

void TLetterDesign::setWordWrapCaption()
{
    wordWrap_->setText(editor_->windowWrap() ? QStringLiteral("&Word Wrap is ON") : QStringLiteral("&Word Wrap is OFF"));
}

void TLetterDesign::setDefaultFontCaption()
{
    QString caption = QStringLiteral("&Default Font: ") + defaultFont_.name + QStringLiteral(", ") +
                      QString::number(defaultFont_.size) + QStringLiteral(" pt ");
    if (defaultFont_.bold)
        caption += QStringLiteral(", bold");
    if (defaultFont_.italic)
        caption += QStringLiteral(", italic");
    defaultFontItem_->setText(caption);
}

void TLetterDesign::DefaultFontClick()
{
    QFont current(defaultFont_.name);
    current.setPointSize(defaultFont_.size);
    current.setBold(defaultFont_.bold);
    current.setItalic(defaultFont_.italic);
    if (const std::optional<QFont> chosen = chooseFont ? chooseFont(current) : std::nullopt) {
        defaultFont_.name = chosen->family();
        defaultFont_.size = std::max(1, chosen->pointSize());
        defaultFont_.bold = chosen->bold();
        defaultFont_.italic = chosen->italic();
        QTextCharFormat f;
        f.setFontFamilies(QStringList{defaultFont_.name});
        f.setFontPointSize(defaultFont_.size);
        f.setFontWeight(defaultFont_.bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(defaultFont_.italic);
        mergeCharFormat(f);
    }
    setDefaultFontCaption();
    Settings settings = Settings::program();
    defaultFont_.write(settings, DesignKind::Letter);
}

void TLetterDesign::PreviewClick()
{
    if (preview)
        preview(text_);
}

} // namespace qb
