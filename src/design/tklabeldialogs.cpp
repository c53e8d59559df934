#include "design/tklabeldialogs.h"

#include "design/design_colour.h"
#include "design/property_table.h"
#include "design/tkbaselabel.h"
#include "design/tkmultilinelabel.h"
#include "design/class_registry.h"
#include "design/text_layout.h"
#include "design/tkbasepanel.h"
#include "core/address_table.h"
#include "platform/xbase/table.h"
#include "platform/help/help_viewer.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QWhatsThis>

namespace qb::design {

void addDialogButtons(QDialog* dialog, QBoxLayout* layout, int helpContext)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    auto* ok = new QPushButton(QStringLiteral("Ok"), dialog);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), dialog);
    auto* help = new QPushButton(QStringLiteral("Help"), dialog);
    QObject::connect(help, &QPushButton::clicked, dialog, [dialog, helpContext] { qb::showHelp(helpContext, dialog); });
    auto* pointerHelp = new QPushButton(QStringLiteral("?"), dialog);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    QObject::connect(pointerHelp, &QPushButton::clicked, dialog, [] { QWhatsThis::enterWhatsThisMode(); });
    row->addWidget(ok);
    row->addWidget(cancel);
    row->addWidget(help);
    row->addWidget(pointerHelp);
    layout->addLayout(row);
}

// ---- text ---------------------------------------------------------------------------

TGetLabelText::TGetLabelText(const QString& text, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Text"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Enter Text"), this));
    edit_ = new QLineEdit(text, this);
    edit_->setMaxLength(255);
    layout->addWidget(edit_);
    addDialogButtons(this, layout, 40004);
}

QString TGetLabelText::text() const { return edit_->text(); }

// ---- counter ------------------------------------------------------------------------

TGetCounter::TGetCounter(const CounterSettings& s, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Counter"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    start_ = new QLineEdit(QString::number(s.startingNumber), this);
    start_->setValidator(new QIntValidator(INT32_MIN, INT32_MAX, start_));
    repeat_ = new QSpinBox(this);
    repeat_->setRange(1, 999);
    repeat_->setValue(qBound(1, s.repeatEach, 999));
    before_ = new QLineEdit(s.textBefore, this);
    after_ = new QLineEdit(s.textAfter, this);
    zeros_ = new QSpinBox(this);
    zeros_->setRange(0, 9);
    zeros_->setValue(qBound(0, s.leadingZeros, 9));
    form->addRow(QStringLiteral("Starting Number"), start_);
    form->addRow(QStringLiteral("Repeat number for #of  labels?"), repeat_);
    form->addRow(QStringLiteral("Text  before"), before_);
    form->addRow(QStringLiteral("Text after"), after_);
    auto* zerosRow = new QHBoxLayout;
    zerosRow->addWidget(zeros_);
    zerosRow->addWidget(new QLabel(QStringLiteral("digits"), this));
    form->addRow(QStringLiteral("Leading zeros to "), zerosRow);
    layout->addLayout(form);
    addDialogButtons(this, layout, 40006);
}

CounterSettings TGetCounter::settings() const
{
    CounterSettings s;
    s.startingNumber = start_->text().toLongLong();
    s.repeatEach = repeat_->value();
    s.textBefore = before_->text();
    s.textAfter = after_->text();
    s.leadingZeros = zeros_->value();
    return s;
}

// ---- field --------------------------------------------------------------------------

void chooseDataField(TKGraphicControl& object, TKDataPanel* panel,
                     const std::function<bool(const RecordViewField& field, const xbase::Table& table)>& offered)
{
    if (!panel || !panel->dataset() || !panel->dataset()->isOpen())
        return;
    const xbase::Table& t = panel->dataset()->table();
    QStringList entries;
    QList<QPair<QString, QString>> fields;
    for (const RecordViewField& f : recordViewFields(t)) {
        if (!offered(f, t))
            continue;
        entries << f.label;
        fields << qMakePair(f.name, f.label);
    }
    TFieldSelectionBox dialog(entries, object.stringValue(QStringLiteral("DataFieldDescript")), &object);
    if (dialog.exec() == QDialog::Accepted && !dialog.selected().isEmpty()) {
        for (const auto& [name, label] : fields)
            if (label == dialog.selected()) {
                object.setValue(QStringLiteral("DataFieldName"), name);
                object.setValue(QStringLiteral("DataFieldDescript"), label);
            }
        object.notifyChanged();
    }
    panel->refreshData();
}

TFieldSelectionBox::TFieldSelectionBox(const QStringList& entries, const QString& current, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Select Field"));
    auto* layout = new QVBoxLayout(this);
    list_ = new QListWidget(this);
    list_->addItems(entries);
    const int i = entries.indexOf(current);
    if (!entries.isEmpty())
        list_->setCurrentRow(i >= 0 ? i : 0);
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    layout->addWidget(list_);
    addDialogButtons(this, layout, 40007);
}

QString TFieldSelectionBox::selected() const
{
    const QListWidgetItem* item = list_->currentItem();
    return item ? item->text() : QString();
}

// ---- symbol -------------------------------------------------------------------------

int TGetSymbol::columnsFor(int points)
{
    if (points <= 5)
        return 1;
    const int limits[] = {10, 20, 30, 40, 50, 60, 72};
    const int columns[] = {14, 10, 8, 6, 4, 3, 2};
    for (int i = 0; i < 7; ++i)
        if (points <= limits[i])
            return columns[i];
    return 1;
}

TGetSymbol::TGetSymbol(const QFont& font, QChar current, QWidget* parent) : QDialog(parent), font_(font)
{
    setWindowTitle(QStringLiteral("Symbol Selector"));
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("&Font"), this));
    fontButton_ = new QPushButton(this);
    row->addWidget(fontButton_, 1);
    layout->addLayout(row);
    list_ = new QListWidget(this);
    list_->setViewMode(QListView::IconMode);
    list_->setFlow(QListView::LeftToRight);
    list_->setWrapping(true);
    list_->setResizeMode(QListView::Adjust);
    list_->setMovement(QListView::Static);
    layout->addWidget(list_);
    connect(fontButton_, &QPushButton::clicked, this, [this] {
        bool ok = false;
        const QFont f = QFontDialog::getFont(&ok, font_, this);
        if (ok) {
            const int chosen = list_->currentRow();
            font_ = f;
            fill();
            list_->setCurrentRow(chosen);
        }
    });
    fill();
    const int code = current.unicode();
    list_->setCurrentRow(code >= 32 && code <= 255 ? code - 32 : 0);
    addDialogButtons(this, layout, 40005);
}

void TGetSymbol::fill()
{
    QString caption = font_.family() + QStringLiteral(", ") + QString::number(font_.pointSize()) + QStringLiteral("pt ");
    if (font_.italic())
        caption += QStringLiteral("Italic ");
    else if (font_.bold())
        caption += QStringLiteral("Bold ");
    fontButton_->setText(caption);
    list_->clear();
    QFont shown = drawingFont(font_);
    list_->setFont(shown);
    const bool mapped = needsSymbolMap(font_);
    for (int c = 32; c <= 255; ++c) {
        const QString s{QChar(char16_t(c))};
        list_->addItem(mapped ? symbolText(s) : s);
    }
    const int cell = std::max(16, QFontMetrics(shown).height() + 6);
    list_->setGridSize(QSize(cell, cell));
    list_->setMinimumWidth(columnsFor(font_.pointSize()) * cell + 24);
}

QChar TGetSymbol::symbol() const { return QChar(char16_t(std::max(0, list_->currentRow()) + 32)); }

// ---- 3D effects ---------------------------------------------------------------------

namespace {
QPushButton* colourButton(QWidget* parent, QColor* colour, const std::function<void()>& changed)
{
    auto* b = new QPushButton(parent);
    const auto paint = [b, colour] { b->setStyleSheet(QStringLiteral("background-color: %1").arg(colour->name())); };
    paint();
    QObject::connect(b, &QPushButton::clicked, parent, [=] {
        const QColor c = QColorDialog::getColor(*colour, parent);
        if (c.isValid()) {
            *colour = c;
            paint();
            changed();
        }
    });
    return b;
}
} // namespace

TKFont3DEffects::TKFont3DEffects(const Effects3D& e, const QFont& font, QWidget* parent) : QDialog(parent), effects_(e)
{
    setWindowTitle(QStringLiteral("Text 3D Effects"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    auto* shadowDir = new QComboBox(this);
    shadowDir->addItems({QStringLiteral("None"), QStringLiteral("Right"), QStringLiteral("Left"),
                         QStringLiteral("Lower Right"), QStringLiteral("Lower Left"), QStringLiteral("Down")});
    shadowDir->setCurrentIndex(qBound(0, e.shadowDirection, 5));
    auto* shadowDepth = new QSpinBox(this);
    shadowDepth->setRange(0, 10);
    shadowDepth->setValue(e.shadowDepth);
    auto* highDir = new QComboBox(this);
    highDir->addItems({QStringLiteral("None"), QStringLiteral("Right"), QStringLiteral("Left"),
                       QStringLiteral("Upper Right"), QStringLiteral("Upper Left"), QStringLiteral("Up")});
    highDir->setCurrentIndex(qBound(0, e.highlightDirection, 5));
    auto* highDepth = new QSpinBox(this);
    highDepth->setRange(0, 10);
    highDepth->setValue(e.highlightDepth);
    const auto changed = [this] { updateSample(); };
    form->addRow(QStringLiteral("Shadow Direction"), shadowDir);
    form->addRow(QStringLiteral("Shadow Depth"), shadowDepth);
    form->addRow(QStringLiteral("Shadow Color"), colourButton(this, &effects_.shadowColour, changed));
    form->addRow(QStringLiteral("Highlight Direction"), highDir);
    form->addRow(QStringLiteral("Highlight Depth"), highDepth);
    form->addRow(QStringLiteral("Highlight Color"), colourButton(this, &effects_.highlightColour, changed));
    form->addRow(QStringLiteral("Font Color"), colourButton(this, &effects_.fontColour, changed));
    layout->addLayout(form);
    connect(shadowDir, &QComboBox::currentIndexChanged, this, [this](int i) { effects_.shadowDirection = i; updateSample(); });
    connect(highDir, &QComboBox::currentIndexChanged, this, [this](int i) { effects_.highlightDirection = i; updateSample(); });
    connect(shadowDepth, &QSpinBox::valueChanged, this, [this](int v) { effects_.shadowDepth = v; updateSample(); });
    connect(highDepth, &QSpinBox::valueChanged, this, [this](int v) { effects_.highlightDepth = v; updateSample(); });

    auto* frame = new QWidget(this);
    frame->setMinimumSize(200, 60);
    sample_ = new TKPLabel(*builtinClassTable(QStringLiteral("TKPLabel")), frame);
    sample_->setBounds(4, 4, 190, 50);
    sample_->setObjectFont(font, e.fontColour);
    layout->addWidget(frame);
    updateSample();
    addDialogButtons(this, layout, 40008);
}

void TKFont3DEffects::updateSample()
{
    sample_->setValue(QStringLiteral("DirectionShadow"), effects_.shadowDirection);
    sample_->setValue(QStringLiteral("DepthShadow"), effects_.shadowDepth);
    sample_->setValue(QStringLiteral("colorShadow"), QVariant::fromValue(storedColour(effects_.shadowColour)));
    sample_->setValue(QStringLiteral("DirectionHighlight"), effects_.highlightDirection);
    sample_->setValue(QStringLiteral("DepthHighlight"), effects_.highlightDepth);
    sample_->setValue(QStringLiteral("colorHighlight"), QVariant::fromValue(storedColour(effects_.highlightColour)));
    sample_->setValue(QStringLiteral("Font.Color"), QVariant::fromValue(storedColour(effects_.fontColour)));
    sample_->update();
}

// ---- multi-line editor --------------------------------------------------------------

TMultiLineTextEditor::TMultiLineTextEditor(const QStringList& lines, const QFont& font, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Multi-line Text Editor"));
    auto* layout = new QVBoxLayout(this);
    edit_ = new QPlainTextEdit(lines.join(QLatin1Char('\n')), this);
    edit_->setFont(font);
    // At most 254 characters, line breaks counted as two as the stored text has them.
    connect(edit_, &QPlainTextEdit::textChanged, this, [this] {
        const QString t = edit_->toPlainText();
        if (t.size() + t.count(QLatin1Char('\n')) > 254) {
            QString cut = t;
            while (!cut.isEmpty() && cut.size() + cut.count(QLatin1Char('\n')) > 254)
                cut.chop(1);
            const QSignalBlocker block(edit_);
            edit_->setPlainText(cut);
            edit_->moveCursor(QTextCursor::End);
        }
    });
    layout->addWidget(edit_);
    addDialogButtons(this, layout, 40001);
}

QStringList TMultiLineTextEditor::lines() const
{
    const QString t = edit_->toPlainText();
    return t.isEmpty() ? QStringList() : t.split(QLatin1Char('\n'));
}

// ---- address layout -----------------------------------------------------------------

TAddressLayout::TAddressLayout(const TKDMultiLineAddressLabel& label, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Address Label Layout"));
    auto* layout = new QVBoxLayout(this);
    const char* captions[] = {"&Name", "&Title", "&Organization", "Address &1", "Address &2", "City + &State",
                              "&Zip/Postal code", "&Phone #1", "&Country", "&Uppercase"};
    const AddressOptions o = label.options();
    const bool values[] = {o.useName,      o.useTitle, o.useCompany, o.useStreet,  o.useStreet2,
                           o.useCityState, o.useZip,   o.usePhone,   o.useCountry, o.upperCase};
    for (int i = 0; i < 10; ++i) {
        use_[i] = new QCheckBox(QLatin1String(captions[i]), this);
        use_[i]->setChecked(values[i]);
        layout->addWidget(use_[i]);
    }
    auto* group = new QGroupBox(this);
    auto* radios = new QVBoxLayout(group);
    const char* zipCaptions[] = {"&After state", "&Before city", "A&fter country", "B&efore country"};
    for (int i = 0; i < 4; ++i) {
        zip_[i] = new QRadioButton(QLatin1String(zipCaptions[i]), group);
        radios->addWidget(zip_[i]);
    }
    zip_[int(o.zip)]->setChecked(true);
    layout->addWidget(group);
    const auto enable = [this] {
        for (QRadioButton* r : zip_)
            r->setEnabled(use_[6]->isChecked());
    };
    connect(use_[6], &QCheckBox::toggled, this, enable);
    enable();
    addDialogButtons(this, layout, 40009);
}

void TAddressLayout::store(TKDMultiLineAddressLabel& label) const
{
    AddressOptions o;
    o.useName = use_[0]->isChecked();
    o.useTitle = use_[1]->isChecked();
    o.useCompany = use_[2]->isChecked();
    o.useStreet = use_[3]->isChecked();
    o.useStreet2 = use_[4]->isChecked();
    o.useCityState = use_[5]->isChecked();
    o.useZip = use_[6]->isChecked();
    o.usePhone = use_[7]->isChecked();
    o.useCountry = use_[8]->isChecked();
    o.upperCase = use_[9]->isChecked();
    for (int i = 0; i < 4; ++i)
        if (zip_[i]->isChecked())
            o.zip = ZipOption(i);
    label.setOptions(o);
}

} // namespace qb::design
