#include "design/tkmultilinelabel.h"

#include "core/address_table.h"
#include "design/tkbasepanel.h"
#include "design/text_layout.h"
#include "design/tklabeldialogs.h"
#include "design/property_table.h"
#include "platform/xbase/table.h"

#include <QFontDialog>
#include <QMenu>
#include <QPainter>

namespace qb::design {

namespace {
const QString kItems = QStringLiteral("Items.Strings");
const QString kWordWrap = QStringLiteral("WordWrap");
}

// ---- TKMultiLineBaseLabel -----------------------------------------------------------

TKMultiLineBaseLabel::TKMultiLineBaseLabel(const ClassTable& table, QWidget* parent) : TKGraphicControl(table, parent) {}

TKDataPanel* TKMultiLineBaseLabel::dataPanel() const { return qobject_cast<TKDataPanel*>(parentWidget()); }

bool TKMultiLineBaseLabel::panelPrinting() const
{
    const TKBasePanel* p = panel();
    return printingNow_ || (p && p->printing());
}

QFont TKMultiLineBaseLabel::drawnFont() const { return drawingFont(objectFont()); }

void TKMultiLineBaseLabel::wrapLines()
{
    if (!wordWrap())
        return;
    wrapped_ = qb::design::wrapLines(items(), QFontMetrics(drawnFont()), objectWidth());
    update();
}

void TKMultiLineBaseLabel::boundsChanged()
{
    TKGraphicControl::boundsChanged();
    if (!reading())
        wrapLines();
}

void TKMultiLineBaseLabel::propertyChanged(const QString& path)
{
    if (reading())
        return;
    if (path == kWordWrap || path == kItems || path == QLatin1String("Font") || path.startsWith(QLatin1String("Font.")))
        wrapLines();
}

void TKMultiLineBaseLabel::applyObjectFont(const QFont& font, QColor colour)
{
    setObjectFont(font, colour);
    wrapLines();
}

QStringList TKMultiLineBaseLabel::drawnLines(bool onPaper) const
{
    QStringList lines = wordWrap() ? wrapped_ : items();
    // A placeholder tells the designer the block is empty; paper gets nothing.
    if (onPaper)
        return lines;
    const QString placeholder = memo_ ? QStringLiteral("<blank memo>") : QStringLiteral("<blank>");
    if (lines.isEmpty())
        lines << placeholder;
    else if (lines.size() == 1 && trimBlanks(lines[0]).isEmpty())
        lines << placeholder;
    return lines;
}

void TKMultiLineBaseLabel::paintObject(QPainter& p)
{
    const QFont font = drawnFont();
    const QFontMetrics fm(font);
    p.setFont(font);
    p.setPen(fontColour());
    p.setBrush(Qt::NoBrush);
    const QRect box(0, 0, objectWidth(), objectHeight());
    p.setClipRect(box, Qt::IntersectClip);
    const int lh = fm.boundingRect(QStringLiteral("XXX")).height();
    const int alignment = intValue(QStringLiteral("Alignment"));
    const QStringList lines = drawnLines(panelPrinting());
    for (int i = 0; i < lines.size(); ++i) {
        const int y = i * lh;
        if (y > box.height())
            break;
        const int tw = fm.horizontalAdvance(lines[i]);
        int x = 0;
        if (alignment == 1)
            x = objectWidth() - tw - 1;
        else if (alignment == 2)
            x = objectWidth() / 2 - tw / 2;
        p.drawText(QPointF(x, y + fm.ascent()), lines[i]);
    }
}

void TKMultiLineBaseLabel::printAt(DesignPrinter& printer, double x, double y)
{
    printingNow_ = true;
    TKGraphicControl::printAt(printer, x, y);
    printingNow_ = false;
}

int TKMultiLineBaseLabel::lineHeight() const
{
    return std::max(1, QFontMetrics(drawnFont()).boundingRect(QStringLiteral("XXX")).height());
}

int TKMultiLineBaseLabel::linesThatFit() const { return objectHeight() / lineHeight(); }

void TKMultiLineBaseLabel::sizeToLines()
{
    const QFontMetrics fm(drawnFont());
    const int lh = fm.boundingRect(QStringLiteral("XXX")).height();
    if (wordWrap())
        wrapped_ = qb::design::wrapLines(items(), fm, objectWidth());
    const QStringList lines = wordWrap() ? wrapped_ : items();
    int w = objectWidth();
    for (const QString& l : lines)
        w = std::max(w, fm.horizontalAdvance(l));
    setBounds(left(), top(), w, std::max(1, int(lh * lines.size())));
    update();
}

void TKMultiLineBaseLabel::chooseFont()
{
    bool ok = false;
    QFont current = objectFont();
    current.setPointSize(std::max(1, fontPointsFromHeight(intValue(QStringLiteral("Font.Height")))));
    const QFont f = QFontDialog::getFont(&ok, current, this, QStringLiteral("Font"));
    if (!ok)
        return;
    applyObjectFont(f, fontColour());
    showData();
    wrapLines();
}

void TKMultiLineBaseLabel::addKindMenuEntries(QMenu* menu)
{
    menu->addSeparator();
    connect(menu->addAction(QStringLiteral("Font")), &QAction::triggered, this, [this] { chooseFont(); });
    QMenu* align = menu->addMenu(QStringLiteral("Alignment"));
    const int values[] = {0, 2, 1};
    const char* captions[] = {"Left", "Center", "Right"};
    for (int i = 0; i < 3; ++i) {
        QAction* a = align->addAction(QLatin1String(captions[i]));
        a->setCheckable(true);
        a->setData(values[i]);
        const int v = values[i];
        connect(a, &QAction::triggered, this, [this, v] {
            setValue(QStringLiteral("Alignment"), v);
            notifyChanged();
        });
        alignmentEntries_ << a;
    }
}

void TKMultiLineBaseLabel::updateMenu()
{
    for (QAction* a : alignmentEntries_)
        a->setChecked(a->data().toInt() == intValue(QStringLiteral("Alignment")));
    if (wrapEntry_)
        wrapEntry_->setChecked(wordWrap());
}

namespace {
QAction* addWrapEntry(TKMultiLineBaseLabel* o, QMenu* menu)
{
    QAction* a = menu->addAction(QStringLiteral("Word Wrap"));
    a->setCheckable(true);
    QObject::connect(a, &QAction::triggered, o, [o] {
        o->setValue(QStringLiteral("WordWrap"), !o->wordWrap());
        o->notifyChanged();
    });
    return a;
}
} // namespace

// ---- TKMultiLineLabel ---------------------------------------------------------------

void TKMultiLineLabel::editText()
{
    TMultiLineTextEditor dialog(items(), drawnFont(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    setItems(dialog.lines());
    update();
    wrapLines();
    notifyChanged();
}

void TKMultiLineLabel::placedByTool()
{
    editText();
    sizeToLines();
}

void TKMultiLineLabel::addKindMenuEntries(QMenu* menu)
{
    TKMultiLineBaseLabel::addKindMenuEntries(menu);
    menu->addSeparator();
    connect(menu->addAction(QStringLiteral("Text")), &QAction::triggered, this, [this] { editText(); });
    wrapEntry_ = addWrapEntry(this, menu);
}

// ---- TKDMultiLineLabel --------------------------------------------------------------

TKDMultiLineLabel::TKDMultiLineLabel(const ClassTable& table, QWidget* parent) : TKMultiLineBaseLabel(table, parent)
{
    memo_ = true;
}

void TKDMultiLineLabel::wrapLines()
{
    if (wordWrap() && !reading())
        showData();
}

void TKDMultiLineLabel::showData()
{
    TKDataPanel* p = dataPanel();
    if (!p)
        return;
    const bool printing = p->printing();
    const QString descript = stringValue(QStringLiteral("DataFieldDescript"));
    // The last field with that display label.
    QString fieldName;
    AddressTable* dataset = p->dataset();
    if (!descript.isEmpty() && dataset && dataset->isOpen())
        for (const RecordViewField& f : recordViewFields(dataset->table()))
            if (f.label == descript)
                fieldName = f.name;
    QStringList lines;
    if (!fieldName.isEmpty()) {
        if (p->showsValues()) {
            const xbase::Table& t = dataset->table();
            const int i = t.fieldIndex(fieldName.toStdString());
            QString text;
            if (!t.eof()) {
                if (i >= 0 && t.field(i).type == 'M')
                    text = QString::fromStdString(t.memo(fieldName.toStdString()));
                else
                    text = dataset->text(fieldName);
            }
            if (!text.isEmpty()) {
                text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
                text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
                lines = text.split(QLatin1Char('\n'));
                if (wordWrap())
                    lines = qb::design::wrapLines(lines, QFontMetrics(drawnFont()), objectWidth());
            }
        } else {
            lines << QLatin1Char('[') + descript + QLatin1Char(']');
        }
    } else if (!printing) {
        lines << QStringLiteral("<undefined memo>");
    }
    setValue(QStringLiteral("Items.Strings"), lines);
    wrapped_ = lines;
    if (!printing)
        update();
}

void TKDMultiLineLabel::clearData()
{
    setItems({});
    wrapped_.clear();
}

void TKDMultiLineLabel::selectField()
{
    chooseDataField(*this, dataPanel(), [](const RecordViewField& f, const xbase::Table& t) {
        const int i = t.fieldIndex(f.name.toStdString());
        return i >= 0 && t.field(i).type == 'M';
    });
}

void TKDMultiLineLabel::addKindMenuEntries(QMenu* menu)
{
    TKMultiLineBaseLabel::addKindMenuEntries(menu);
    menu->addSeparator();
    connect(menu->addAction(QStringLiteral("Memo Field")), &QAction::triggered, this, [this] { selectField(); });
    wrapEntry_ = addWrapEntry(this, menu);
}

// ---- TKDMultiLineAddressLabel -------------------------------------------------------

AddressOptions TKDMultiLineAddressLabel::options() const
{
    AddressOptions o;
    o.useName = boolValue(QStringLiteral("UseName"));
    o.useTitle = boolValue(QStringLiteral("UseTitle"));
    o.useCompany = boolValue(QStringLiteral("UseCompany"));
    o.useStreet = boolValue(QStringLiteral("UseStreet"));
    o.useStreet2 = boolValue(QStringLiteral("UseStreet2"));
    o.useCityState = boolValue(QStringLiteral("UseCityState"));
    o.useZip = boolValue(QStringLiteral("UseZip"));
    o.usePhone = boolValue(QStringLiteral("UsePhone"));
    o.useCountry = boolValue(QStringLiteral("UseCountry"));
    o.zip = ZipOption(qBound(0, intValue(QStringLiteral("ZipOptions")), 3));
    o.upperCase = boolValue(QStringLiteral("UpperCase"));
    return o;
}

void TKDMultiLineAddressLabel::setOptions(const AddressOptions& o)
{
    setValue(QStringLiteral("UseName"), o.useName);
    setValue(QStringLiteral("UseTitle"), o.useTitle);
    setValue(QStringLiteral("UseCompany"), o.useCompany);
    setValue(QStringLiteral("UseStreet"), o.useStreet);
    setValue(QStringLiteral("UseStreet2"), o.useStreet2);
    setValue(QStringLiteral("UseCityState"), o.useCityState);
    setValue(QStringLiteral("UseZip"), o.useZip);
    setValue(QStringLiteral("UsePhone"), o.usePhone);
    setValue(QStringLiteral("UseCountry"), o.useCountry);
    setValue(QStringLiteral("ZipOptions"), int(o.zip));
    setValue(QStringLiteral("UpperCase"), o.upperCase);
}

void TKDMultiLineAddressLabel::showData()
{
    TKDataPanel* p = dataPanel();
    if (!p)
        return;
    QStringList lines;
    if (p->showsValues()) {
        AddressTable* dataset = p->dataset();
        if (dataset && dataset->isOpen()) {
            const xbase::Table& t = dataset->table();
            lines = composeAddress(options(), [&](const char* name) -> std::optional<QString> {
                if (t.fieldIndex(name) < 0)
                    return std::nullopt;
                return dataset->text(QLatin1String(name));
            });
        }
    } else {
        lines << QStringLiteral("[Address Label]");
    }
    setItems(lines);
    if (!p->printing())
        update();
}

void TKDMultiLineAddressLabel::fitMostLines(int maxHeight)
{
    const int most = std::max(1, mostLines());
    for (int points = fontPointsFromHeight(intValue(QStringLiteral("Font.Height")));
         points > 6 && most * lineHeight() > maxHeight; --points)
        setValue(QStringLiteral("Font.Height"), fontHeightFromPoints(points - 1));
    sizeToLines();
    setBounds(left(), top(), objectWidth(), std::max(objectHeight(), most * lineHeight()));
}

QString showTallestAddress(TKDataPanel& panel)
{
    AddressTable* dataset = panel.dataset();
    QList<TKDMultiLineAddressLabel*> blocks;
    for (TKGraphicControl* o : panel.designObjects())
        if (auto* b = qobject_cast<TKDMultiLineAddressLabel*>(o))
            blocks << b;
    if (!dataset || !dataset->isOpen() || blocks.isEmpty())
        return {};
    xbase::Table& t = dataset->table();
    const bool wasPrinting = panel.printing();
    // Counted as on paper: the record's values, wrapped lines included.
    panel.setPrinting(true);
    uint32_t tallest = 0;
    int most = -1;
    for (bool more = t.first(); more; more = t.next()) {
        panel.refreshData();
        int lines = 0;
        for (const TKDMultiLineAddressLabel* b : blocks)
            lines = std::max(lines, int(b->drawnLines(true).size()));
        if (lines > most) {
            most = lines;
            tallest = t.recno();
        }
    }
    panel.setPrinting(wasPrinting);
    if (tallest > 0)
        t.go(tallest);
    panel.refreshData();
    for (const TKDMultiLineAddressLabel* b : blocks)
        if (b->linesThatFit() < most)
            return QStringLiteral("The address block holds %1 lines; record %2 (%3) needs %4, and the lines below "
                                  "the last one it holds are cut off on paper.")
                .arg(b->linesThatFit())
                .arg(tallest)
                .arg(dataset->text(QStringLiteral("LNAME")).trimmed())
                .arg(most);
    return {};
}

void TKDMultiLineAddressLabel::clearData()
{
    setItems({});
    wrapped_.clear();
}

void TKDMultiLineAddressLabel::editLayout()
{
    TAddressLayout dialog(*this, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    dialog.store(*this);
    if (TKDataPanel* p = dataPanel())
        p->refreshData();
    notifyChanged();
}

void TKDMultiLineAddressLabel::addKindMenuEntries(QMenu* menu)
{
    TKMultiLineBaseLabel::addKindMenuEntries(menu);
    menu->addSeparator();
    connect(menu->addAction(QStringLiteral("Address Layout")), &QAction::triggered, this, [this] { editLayout(); });
}

} // namespace qb::design
