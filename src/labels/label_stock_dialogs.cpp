#include "labels/label_stock_dialogs.h"

#include "core/description_list_model.h"

#include "core/messages.h"
#include "platform/help/help_viewer.h"
#include "platform/xbase/table.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

#include <cmath>

namespace qb {

namespace {

// The stock editor's length boxes, in the order of its lengths.
const char* const kLengthCaptions[8] = {"Label Width", "Label Height", "Horizontal Pitch", "Vertical Pitch",
                                        "Left Margin", "Top Margin",   "Paper Width",      "Paper Height"};

QHBoxLayout* buttonRow(QDialog* dialog, QPushButton** ok, int helpContext)
{
    auto* okButton = new QPushButton(QStringLiteral("Ok"), dialog);
    okButton->setObjectName(QStringLiteral("OkButton"));
    okButton->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), dialog);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    auto* help = new QPushButton(QStringLiteral("Help"), dialog);
    help->setObjectName(QStringLiteral("HelpButton"));
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    QObject::connect(help, &QPushButton::clicked, dialog, [dialog, helpContext] { showHelp(helpContext, dialog); });
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(okButton);
    row->addWidget(cancel);
    row->addWidget(help);
    *ok = okButton;
    return row;
}

// "#0.0##": at least one decimal, at most three.
QString inchText(double v)
{
    QString s = QString::number(std::round(v * 1000.0) / 1000.0, 'f', 3);
    while (s.endsWith(QLatin1Char('0')) && !s.endsWith(QLatin1String(".0")))
        s.chop(1);
    return s;
}

QString mmText(double v) { return QString::number(std::llround(v)); }

} // namespace

// ---- chooser ---------------------------------------------------------------------

TChooseLabelLayout::TChooseLabelLayout(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Label Layout"));
    setObjectName(QStringLiteral("TChooseLabelLayout"));
    fromTemplates_ = new QRadioButton(QStringLiteral("&Select layout from a list of templates"), this);
    fromTemplates_->setObjectName(QStringLiteral("TemplateRadio"));
    fromTemplates_->setChecked(true);
    manual_ = new QRadioButton(QStringLiteral("&Enter the layout values manually (user defined layout)"), this);
    manual_->setObjectName(QStringLiteral("ManualRadio"));
    QPushButton* ok = nullptr;
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fromTemplates_);
    layout->addWidget(manual_);
    layout->addLayout(buttonRow(this, &ok, HelpContext));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

TChooseLabelLayout::Choice TChooseLabelLayout::choice() const
{
    if (result() != QDialog::Accepted)
        return Choice::Cancelled;
    return fromTemplates_->isChecked() ? Choice::Template : Choice::Manual;
}

// ---- the catalogue ------------------------------------------------------------------

TSelectLabel::TSelectLabel(xbase::Table& catalogue, const LabelStock& stock, bool startFresh, QWidget* parent)
    : QDialog(parent), catalogue_(catalogue), model_(std::make_unique<DescriptionListModel>(catalogue, "DESCRIPT"))
{
    setWindowTitle(QStringLiteral("Select Label Template"));
    setObjectName(QStringLiteral("TSelectLabel"));
    catalogue_.selectOrder("DESCRIPT");

    manufacturer_ = new QComboBox(this);
    manufacturer_->setObjectName(QStringLiteral("eManuFac"));
    manufacturer_->addItems(kManufacturerEntries);
    productType_ = new QComboBox(this);
    productType_->setObjectName(QStringLiteral("eProdType"));
    productType_->addItems(kProductTypes);
    european_ = new QCheckBox(QStringLiteral("European paper sizes only (A4, A5)"), this);
    european_->setObjectName(QStringLiteral("EuropeanPaper"));
    grid_ = newCatalogueGrid(model_.get(), "LabelGrid", this);
    details_ = new QLabel(this);
    details_->setObjectName(QStringLiteral("DetailsLabel"));
    details_->setWordWrap(true);
    // A picture of the product, drawn from its geometry.
    picture_ = new QLabel(this);
    picture_->setObjectName(QStringLiteral("SheetPicture"));
    picture_->setFixedSize(110, 140);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Manufacturer"), manufacturer_);
    form->addRow(QStringLiteral("Product Type"), productType_);
    form->addRow(european_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    auto* middle = new QHBoxLayout;
    middle->addWidget(grid_, 1);
    middle->addWidget(picture_, 0, Qt::AlignTop);
    layout->addLayout(middle, 1);
    layout->addWidget(details_);
    layout->addLayout(buttonRow(this, &ok_, HelpContext));
    connect(ok_, &QPushButton::clicked, this, &TSelectLabel::OkButtonClick);

    const TemplateStart start = templateStart(stock, startFresh);
    int entry = -1;
    for (int i = 0; i < manufacturer_->count(); ++i)
        if (manufacturer_->itemText(i).toUpper() == start.manufacturerEntry)
            entry = i;
    manufacturer_->setCurrentIndex(entry);
    productType_->setCurrentText(start.productType);
    FilterChange();
    if (start.findTemplate)
        if (const int row = model_->rowOf(stock.templateName); row >= 0)
            grid_->selectRow(row);

    connect(manufacturer_, &QComboBox::currentIndexChanged, this, &TSelectLabel::FilterChange);
    connect(productType_, &QComboBox::currentIndexChanged, this, &TSelectLabel::FilterChange);
    connect(european_, &QCheckBox::toggled, this, &TSelectLabel::FilterChange);
    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &TSelectLabel::RowChange);
    RowChange();
}

TSelectLabel::~TSelectLabel() = default;

int TSelectLabel::rowCount() const { return model_->rowCount(); }

void TSelectLabel::FilterChange()
{
    filter_ = catalogueFilter(manufacturer_->currentIndex() < 0 ? QString() : manufacturer_->currentText(),
                              productType_->currentText(), european_->isChecked());
    try {
        catalogue_.setFilter(filter_.toStdString());
    } catch (const std::exception& e) {
        showInformation(QString::fromStdString(e.what()));
    }
    model_->reload();
    const bool any = model_->rowCount() > 0;
    ok_->setEnabled(any);
    grid_->setEnabled(any);
    if (any)
        grid_->selectRow(0);
    RowChange();
}

void TSelectLabel::RowChange()
{
    const uint32_t recno = model_->recnoAt(grid_->currentIndex().row());
    if (recno == 0 || !catalogue_.go(recno)) {
        details_->clear();
        picture_->clear();
        return;
    }
    const LabelStock s = LabelStock::fromCatalogueRow(catalogue_);
    picture_->setPixmap(QPixmap::fromImage(stockPicture(s, picture_->size())));
    details_->setText(QStringLiteral("Label Height %1   Label Width %2   # Across %3   # Down %4   Paper Width %5   "
                                     "Paper Height %6")
                          .arg(inchText(s.labelHeight), inchText(s.labelWidth))
                          .arg(s.across)
                          .arg(s.down)
                          .arg(inchText(s.sheetWidth), inchText(s.sheetDepth)));
}

void TSelectLabel::OkButtonClick()
{
    const uint32_t recno = model_->recnoAt(grid_->currentIndex().row());
    if (recno == 0 || !catalogue_.go(recno))
        return;
    selected_ = LabelStock::fromCatalogueRow(catalogue_);
    accept();
}

// ---- the stock editor ------------------------------------------------------------------

TLabelEdit::TLabelEdit(const LabelStock& stock, QWidget* parent) : QDialog(parent), stock_(stock)
{
    setWindowTitle(QStringLiteral("User Defined Label Layout"));
    setObjectName(QStringLiteral("TLabelEdit"));
    static const char* const names[8] = {"LabelWidth", "LabelHeight", "HorizontalPitch", "VerticalPitch",
                                         "LeftMargin", "TopMargin",   "PaperWidth",      "PaperHeight"};
    for (size_t i = 0; i < lengths_.size(); ++i) {
        lengths_[i] = new QLineEdit(this);
        lengths_[i]->setObjectName(QLatin1String(names[i]) + QStringLiteral("Edit"));
        lengths_[i]->installEventFilter(this);
    }
    across_ = new QSpinBox(this);
    across_->setObjectName(QStringLiteral("AcrossSpin"));
    across_->setRange(1, 10);
    across_->setValue(std::clamp(stock.across, 1, 10));
    down_ = new QSpinBox(this);
    down_->setObjectName(QStringLiteral("DownSpin"));
    down_->setRange(1, 30);
    down_->setValue(std::clamp(stock.down, 1, 30));
    paper_ = new QComboBox(this);
    paper_->setObjectName(QStringLiteral("PaperSizeCombo"));
    for (const PaperEntry& p : paperTable())
        paper_->addItem(QLatin1String(p.caption));
    paper_->setCurrentIndex(-1);
    shape_ = new QComboBox(this);
    shape_->setObjectName(QStringLiteral("ShapeCombo"));
    shape_->addItems({QStringLiteral("Rectangular with Rounded Edges"), QStringLiteral("Rectangular"),
                      QStringLiteral("Round")});
    shape_->setCurrentIndex(stock.shape == QLatin1String("RR") ? 0 : stock.shape == QLatin1String("SR") ? 1 : 2);
    inches_ = new QRadioButton(QStringLiteral("Use &Inches"), this);
    inches_->setObjectName(QStringLiteral("InchesRadio"));
    inches_->setChecked(true);
    mm_ = new QRadioButton(QStringLiteral("Use &Millimeters"), this);
    mm_->setObjectName(QStringLiteral("MillimetersRadio"));

    auto* form = new QFormLayout;
    for (size_t i = 0; i < 4; ++i)
        form->addRow(QLatin1String(kLengthCaptions[i]), lengths_[i]);
    form->addRow(QStringLiteral("# across"), across_);
    form->addRow(QStringLiteral("# down"), down_);
    form->addRow(QLatin1String(kLengthCaptions[4]), lengths_[4]);
    form->addRow(QLatin1String(kLengthCaptions[5]), lengths_[5]);
    form->addRow(QStringLiteral("Paper size"), paper_);
    form->addRow(QLatin1String(kLengthCaptions[6]), lengths_[6]);
    form->addRow(QLatin1String(kLengthCaptions[7]), lengths_[7]);
    form->addRow(QStringLiteral("Label Shape"), shape_);
    auto* units = new QHBoxLayout;
    units->addWidget(inches_);
    units->addWidget(mm_);
    QPushButton* ok = nullptr;
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(units);
    layout->addLayout(buttonRow(this, &ok, HelpContext));
    connect(ok, &QPushButton::clicked, this, &TLabelEdit::OkButtonClick);
    connect(mm_, &QRadioButton::toggled, this, &TLabelEdit::UnitChange);
    connect(paper_, &QComboBox::activated, this, &TLabelEdit::PaperChange);

    QWidget* order[] = {lengths_[0], lengths_[1], lengths_[2], lengths_[3], across_, down_, lengths_[4],
                        lengths_[5], paper_,      lengths_[6], lengths_[7], shape_};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    showLengths({stock.labelWidth, stock.labelHeight, stock.horizontalPitch, stock.verticalPitch, stock.leftMargin,
                 stock.topMargin, stock.sheetWidth, stock.sheetDepth});
}

QLineEdit* TLabelEdit::lengthBox(const char* name) const
{
    return findChild<QLineEdit*>(QLatin1String(name) + QStringLiteral("Edit"));
}

bool TLabelEdit::millimetres() const { return shownInMm_; }

void TLabelEdit::showLengths(const std::array<double, 8>& inches)
{
    for (size_t i = 0; i < lengths_.size(); ++i)
        lengths_[i]->setText(shownInMm_ ? mmText(inches[i] * 25.4) : inchText(inches[i]));
}

std::array<double, 8> TLabelEdit::typedLengths() const
{
    std::array<double, 8> out{};
    for (size_t i = 0; i < lengths_.size(); ++i) {
        const double v = lengths_[i]->text().trimmed().toDouble();
        out[i] = shownInMm_ ? v / 25.4 : v;
    }
    return out;
}

void TLabelEdit::UnitChange()
{
    const std::array<double, 8> inches = typedLengths();
    shownInMm_ = mm_->isChecked();
    showLengths(inches);
}

void TLabelEdit::PaperChange(int index)
{
    if (index < 0 || size_t(index) >= paperTable().size())
        return;
    const PaperEntry& p = paperTable()[size_t(index)];
    if (p.userDefined)
        return;
    lengths_[6]->setText(shownInMm_ ? QString::number(p.widthMm) : inchText(p.widthInches));
    lengths_[7]->setText(shownInMm_ ? QString::number(p.heightMm) : inchText(p.heightInches));
}

// Leaving a size box raises its pitch to it.
void TLabelEdit::WidthExit()
{
    if (lengths_[2]->text().toDouble() < lengths_[0]->text().toDouble())
        lengths_[2]->setText(lengths_[0]->text());
}

void TLabelEdit::HeightExit()
{
    if (lengths_[3]->text().toDouble() < lengths_[1]->text().toDouble())
        lengths_[3]->setText(lengths_[1]->text());
}

bool TLabelEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        if (watched == lengths_[0])
            WidthExit();
        else if (watched == lengths_[1])
            HeightExit();
    }
    return QDialog::eventFilter(watched, event);
}

void TLabelEdit::OkButtonClick()
{
    // A number still being typed is taken over, with its pitch rule.
    if (focusWidget() == lengths_[0])
        WidthExit();
    else if (focusWidget() == lengths_[1])
        HeightExit();
    shape_->setFocus();

    LabelStock s = stock_;
    std::array<double, 8> v{};
    for (size_t i = 0; i < lengths_.size(); ++i) {
        if (const std::optional<QString> problem =
                stockLengthCheck(QLatin1String(kLengthCaptions[i]), lengths_[i]->text(), shownInMm_, v[i])) {
            showInformation(*problem);
            lengths_[i]->setFocus();
            lengths_[i]->selectAll();
            return;
        }
    }
    s.labelWidth = v[0];
    s.labelHeight = v[1];
    s.horizontalPitch = v[2];
    s.verticalPitch = v[3];
    s.leftMargin = v[4];
    s.topMargin = v[5];
    s.sheetWidth = v[6];
    s.sheetDepth = v[7];
    s.across = across_->value();
    s.down = down_->value();
    if (paper_->currentIndex() >= 0)
        s.paperSize = QLatin1String(paperTable()[size_t(paper_->currentIndex())].code);
    s.shape = shape_->currentIndex() == 0 ? QStringLiteral("RR") : shape_->currentIndex() == 1 ? QStringLiteral("SR")
                                                                                               : QStringLiteral("EL");
    if (const std::optional<QString> problem = stockEditorCheck(s)) {
        showInformation(*problem);
        return;
    }
    s.makeUserDefined();
    stock_ = s;
    accept();
}

} // namespace qb
