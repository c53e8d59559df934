#include "design/tkbaselabel.h"

#include "core/address_table.h"
#include "design/address_block.h"
#include "design/date_formats.h"
#include "design/design_colour.h"
#include "design/design_printer.h"
#include "design/tkbasepanel.h"
#include "design/tklabeldialogs.h"

#include <QActionGroup>
#include <QColorDialog>
#include <QFontDialog>
#include <QMenu>
#include <QPainter>
#include <cmath>

namespace qb::design {

namespace {

const QString kAngle = QStringLiteral("Angle");
const QString kCaption = QStringLiteral("Caption");

// Depths come from layout files; beyond the dialog's range they are cut here.
int effectDepth(const TKGraphicControl& o, const char* path) { return qBound(0, o.intValue(QLatin1String(path)), 10); }

} // namespace

// ---- TKBaseLabel --------------------------------------------------------------------

TKBaseLabel::TKBaseLabel(const ClassTable& table, QWidget* parent) : TKGraphicControl(table, parent)
{
    previousAngle_ = angle();
}

TKDataPanel* TKBaseLabel::dataPanel() const { return qobject_cast<TKDataPanel*>(parentWidget()); }

bool TKBaseLabel::panelPrinting() const
{
    const TKBasePanel* p = panel();
    return printingNow_ || (p && p->printing());
}

QString TKBaseLabel::displayText() const { return stringValue(kCaption); }

QFont TKBaseLabel::drawnFont() const { return drawingFont(objectFont()); }

QString TKBaseLabel::drawnText() const
{
    const QString t = displayText();
    return needsSymbolMap(objectFont()) ? symbolText(t) : t;
}

void TKBaseLabel::propertyChanged(const QString& path)
{
    if (path == kAngle) {
        const int a = angle();
        if (a != 0 && a != 90 && a != 180 && a != 270) {
            setValue(kAngle, previousAngle_);   // other angles are ignored
            return;
        }
        if (a != previousAngle_) {
            previousAngle_ = a;
            if (a != 0)
                setValue(QStringLiteral("Alignment"), 0);
            // The box turns with the text.
            const bool upright = a == 0 || a == 180;
            if (!reading() && ((upright && objectWidth() < objectHeight()) || (!upright && objectHeight() < objectWidth())))
                setBounds(left(), top(), objectHeight(), objectWidth());
        }
    } else if (path == QLatin1String("BorderStyle") || path == QLatin1String("Alignment") ||
               path == QLatin1String("BackColor") || path == QLatin1String("Transparent")) {
        notifyChanged();
    }
    layoutDirty_ = true;
}

void TKBaseLabel::boundsChanged()
{
    if (objectWidth() < 1 || objectHeight() < 1) {
        setBounds(left(), top(), std::max(1, objectWidth()), std::max(1, objectHeight()));
        return;
    }
    TKGraphicControl::boundsChanged();
    if (!laying_)
        layoutDirty_ = true;
}

const LabelLayout& TKBaseLabel::ensureLayout()
{
    if (!layoutDirty_ && !laying_)
        return layout_;
    const QFont font = drawnFont();
    const QFontMetrics fm(font);
    LabelLayoutInput in;
    in.angle = angle();
    in.width = objectWidth();
    in.height = objectHeight();
    in.lineHeight = labelLineHeight(font);
    in.textWidth = fm.horizontalAdvance(drawnText() + QLatin1Char(' '));
    in.shadow = shadowOffset(intValue(QStringLiteral("DirectionShadow")), effectDepth(*this, "DepthShadow"));
    in.highlight = highlightOffset(intValue(QStringLiteral("DirectionHighlight")), effectDepth(*this, "DepthHighlight"));
    in.alignment = intValue(QStringLiteral("Alignment"));
    layout_ = layoutLabel(in);
    layoutDirty_ = false;
    // While a print picture is recorded the box stays as it is.
    if (!printingNow_ && !reading() && (layout_.width != objectWidth() || layout_.height != objectHeight())) {
        laying_ = true;
        fitBounds(layout_.width, layout_.height);
        laying_ = false;
    }
    return layout_;
}

void TKBaseLabel::drawText(QPainter& p, QPoint start, const QRect& clip, const QColor& colour, const QString& text)
{
    const QPointF baseline(0, QFontMetrics(p.font()).ascent());
    p.save();
    // Text whose ink lies inside its box needs no clip; a printed report
    // spares a clip path for every label and record. The right edge keeps a
    // quarter of the font's height to spare, as the device's type may land a
    // little off the screen's.
    const QRectF ink = QFontMetricsF(p.font()).boundingRect(text).translated(start + baseline);
    const double spare = 1 + QFontMetricsF(p.font()).height() / 4;
    if (angle() != 0 || ink.isEmpty() || !QRectF(clip).adjusted(0, 0, -spare, 0).contains(ink))
        p.setClipRect(clip, Qt::IntersectClip);
    p.translate(start);
    p.rotate(-angle());
    p.setPen(colour);
    p.drawText(baseline, text);
    p.restore();
}

void TKBaseLabel::paintObject(QPainter& p)
{
    const LabelLayout& l = ensureLayout();
    const QRect box(0, 0, objectWidth(), objectHeight());
    if (!boolValue(QStringLiteral("Transparent")))
        p.fillRect(box, designColour(value(QStringLiteral("BackColor")).toUInt()));
    p.setFont(drawnFont());
    p.setBrush(Qt::NoBrush);
    const QString text = drawnText();
    if (effectDepth(*this, "DepthShadow") > 0 && intValue(QStringLiteral("DirectionShadow")) != 0)
        drawText(p, l.shadowStart, l.shadow, designColour(value(QStringLiteral("colorShadow")).toUInt()), text);
    if (effectDepth(*this, "DepthHighlight") > 0 && intValue(QStringLiteral("DirectionHighlight")) != 0)
        drawText(p, l.highlightStart, l.highlight, designColour(value(QStringLiteral("colorHighlight")).toUInt()), text);
    drawText(p, l.mainStart, l.main, fontColour(), text);
    if (intValue(QStringLiteral("BorderStyle")) == 1) {
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(box.adjusted(0, 0, -1, -1));
    }
}

void TKBaseLabel::printAt(DesignPrinter& printer, double x, double y)
{
    if (zoom() == 1.0f)
        ensureLayout();
    printingNow_ = true;
    layoutDirty_ = true;
    TKGraphicControl::printAt(printer, x, y);
    printingNow_ = false;
    layoutDirty_ = true;
}

void TKBaseLabel::applyObjectFont(const QFont& font, QColor colour)
{
    setObjectFont(font, colour);
    layoutDirty_ = true;
}

void TKBaseLabel::growToFit()
{
    if (angle() != 0)
        return;
    const LabelLayout& l = ensureLayout();
    const QFontMetrics fm(drawnFont());
    const int x0 = std::max({l.main.left(), l.shadow.left(), l.highlight.left()});
    const int y0 = std::max({l.main.top(), l.shadow.top(), l.highlight.top()});
    const QString text = drawnText();
    int w = objectWidth(), h = objectHeight();
    const int needW = x0 + fm.horizontalAdvance(text + QStringLiteral("     "));
    const int needH = y0 + fm.height();
    if (w < needW)
        w = needW;
    if (h < needH)
        h = needH;
    if (w != objectWidth() || h != objectHeight())
        setBounds(left(), top(), w, h);
    update();
}

void TKBaseLabel::chooseFont()
{
    bool ok = false;
    QFont current = objectFont();
    current.setPointSize(std::max(1, fontPointsFromHeight(intValue(QStringLiteral("Font.Height")))));
    const QFont f = QFontDialog::getFont(&ok, current, this, QStringLiteral("Font"));
    if (!ok)
        return;
    applyObjectFont(f, fontColour());
    update();
}

void TKBaseLabel::editEffects()
{
    Effects3D e;
    e.shadowDirection = intValue(QStringLiteral("DirectionShadow"));
    e.shadowDepth = effectDepth(*this, "DepthShadow");
    e.shadowColour = designColour(value(QStringLiteral("colorShadow")).toUInt());
    e.highlightDirection = intValue(QStringLiteral("DirectionHighlight"));
    e.highlightDepth = effectDepth(*this, "DepthHighlight");
    e.highlightColour = designColour(value(QStringLiteral("colorHighlight")).toUInt());
    e.fontColour = fontColour();
    TKFont3DEffects dialog(e, objectFont(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    e = dialog.effects();
    setValue(QStringLiteral("DirectionShadow"), e.shadowDirection);
    setValue(QStringLiteral("DepthShadow"), e.shadowDepth);
    setValue(QStringLiteral("colorShadow"), QVariant::fromValue(storedColour(e.shadowColour)));
    setValue(QStringLiteral("DirectionHighlight"), e.highlightDirection);
    setValue(QStringLiteral("DepthHighlight"), e.highlightDepth);
    setValue(QStringLiteral("colorHighlight"), QVariant::fromValue(storedColour(e.highlightColour)));
    setValue(QStringLiteral("Font.Color"), QVariant::fromValue(storedColour(e.fontColour)));
    notifyChanged();
    update();
}

void TKBaseLabel::addKindMenuEntries(QMenu* menu)
{
    menu->addSeparator();
    if (hasFontEntries()) {
        connect(menu->addAction(QStringLiteral("Font")), &QAction::triggered, this, [this] {
            chooseFont();
            if (qobject_cast<TKPLabel*>(this))
                growToFit();
        });
    }
    connect(menu->addAction(QStringLiteral("3D Effects")), &QAction::triggered, this, [this] { editEffects(); });
    if (hasFontEntries()) {
        QMenu* align = menu->addMenu(QStringLiteral("Alignment"));
        const int values[] = {0, 2, 1};
        const char* captions[] = {"Left", "Center", "Right"};
        for (int i = 0; i < 3; ++i) {
            QAction* a = align->addAction(QLatin1String(captions[i]));
            a->setCheckable(true);
            const int v = values[i];
            connect(a, &QAction::triggered, this, [this, v] { setValue(QStringLiteral("Alignment"), v); });
            a->setData(v);
            alignmentEntries_ << a;
        }
    }
    transparentEntry_ = menu->addAction(QStringLiteral("Transparent"));
    transparentEntry_->setCheckable(true);
    connect(transparentEntry_, &QAction::triggered, this,
            [this] { setValue(QStringLiteral("Transparent"), !boolValue(QStringLiteral("Transparent"))); });
    connect(menu->addAction(QStringLiteral("Background Color")), &QAction::triggered, this, [this] {
        const QColor c = QColorDialog::getColor(designColour(value(QStringLiteral("BackColor")).toUInt()), this);
        if (!c.isValid())
            return;
        setValue(QStringLiteral("BackColor"), QVariant::fromValue(storedColour(c)));
        setValue(QStringLiteral("Transparent"), false);
    });
    borderEntry_ = menu->addAction(QStringLiteral("Border"));
    borderEntry_->setCheckable(true);
    connect(borderEntry_, &QAction::triggered, this,
            [this] { setValue(QStringLiteral("BorderStyle"), intValue(QStringLiteral("BorderStyle")) == 1 ? 0 : 1); });
}

void TKBaseLabel::addRotationEntries(QMenu* menu)
{
    menu->addSeparator();
    QMenu* rotation = menu->addMenu(QStringLiteral("Rotation"));
    const char* captions[] = {"No Rotation", "90 Degrees", "180 Degrees", "270 Degrees"};
    for (int i = 0; i < 4; ++i) {
        QAction* a = rotation->addAction(QLatin1String(captions[i]));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, i] {
            setAngle(i * 90);
            update();
        });
        rotationEntries_ << a;
    }
}

void TKBaseLabel::updateMenu()
{
    for (QAction* a : alignmentEntries_)
        a->setChecked(a->data().toInt() == intValue(QStringLiteral("Alignment")));
    if (transparentEntry_)
        transparentEntry_->setChecked(boolValue(QStringLiteral("Transparent")));
    if (borderEntry_)
        borderEntry_->setChecked(intValue(QStringLiteral("BorderStyle")) == 1);
    for (int i = 0; i < rotationEntries_.size(); ++i)
        rotationEntries_[i]->setChecked(angle() == i * 90);
}

// ---- TKPLabel -----------------------------------------------------------------------

void TKPLabel::editText()
{
    TGetLabelText dialog(stringValue(kCaption), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    setValue(kCaption, dialog.text());
    growToFit();
    update();
}

void TKPLabel::placedByTool() { editText(); }

void TKPLabel::addKindMenuEntries(QMenu* menu)
{
    TKBaseLabel::addKindMenuEntries(menu);
    menu->addSeparator();
    connect(menu->addAction(QStringLiteral("Text")), &QAction::triggered, this, [this] { editText(); });
    addRotationEntries(menu);
}

// ---- TKPDLabel ----------------------------------------------------------------------

void TKPDLabel::showData()
{
    TKDataPanel* p = dataPanel();
    if (!p)
        return;
    const bool printing = p->printing();
    const QString descript = stringValue(QStringLiteral("DataFieldDescript"));
    const std::optional<QString> v = descript.isEmpty() ? std::nullopt : p->valueByLabel(descript);
    QString caption = stringValue(kCaption);
    if (v) {
        if (p->showsValues()) {
            caption = trimBlanks(*v);
            if (caption.isEmpty() && !printing)
                caption = QStringLiteral("<blank field>");
        } else {
            caption = QLatin1Char('[') + descript + QLatin1Char(']');
        }
    } else if (!printing) {
        caption = QStringLiteral("<undefined field>");
    } else {
        // Neither a placeholder nor the creation text belongs on paper.
        caption.clear();
    }
    setValue(kCaption, rtrimBlanks(caption));
    if (!printing)
        update();
}

void TKPDLabel::clearData() { setValue(kCaption, QString()); }

void TKPDLabel::placedByTool() { selectField(); }

void TKPDLabel::selectField()
{
    // Visible character fields, by their display labels.
    chooseDataField(*this, dataPanel(), [](const RecordViewField& f, const xbase::Table& t) {
        const int i = t.fieldIndex(f.name.toStdString());
        const bool character = f.calculated ? f.name != QLatin1String("Tagged") : (i >= 0 && t.field(i).type == 'C');
        return character && f.visible;
    });
}

void TKPDLabel::addKindMenuEntries(QMenu* menu)
{
    TKBaseLabel::addKindMenuEntries(menu);
    menu->addSeparator();
    connect(menu->addAction(QStringLiteral("Field")), &QAction::triggered, this, [this] { selectField(); });
}

// ---- TKCounterLabel -----------------------------------------------------------------

TKCounterLabel::TKCounterLabel(const ClassTable& table, QWidget* parent) : TKBaseLabel(table, parent)
{
    value_ = intValue(QStringLiteral("Startingnumber"));
}

QString TKCounterLabel::formatNumber(qint64 value, int zeros)
{
    zeros = qBound(0, zeros, 9);
    if (zeros <= 0)
        return QString::number(value);
    // The magnitude as unsigned, so the smallest 64-bit value keeps its digits.
    const quint64 magnitude = value < 0 ? quint64(0) - quint64(value) : quint64(value);
    const QString digits = QString::number(magnitude).rightJustified(zeros, QLatin1Char('0'));
    return value < 0 ? QLatin1Char('-') + digits : digits;
}

QString TKCounterLabel::displayText() const
{
    return stringValue(QStringLiteral("TextBefore")) + formatNumber(value_, intValue(QStringLiteral("LeadingZeros"))) +
           stringValue(QStringLiteral("TextAfter"));
}

void TKCounterLabel::resetCounter()
{
    value_ = intValue(QStringLiteral("Startingnumber"));
    repeat_ = 0;
    invalidateLayout();
    update();
}

void TKCounterLabel::advanceCounter()
{
    ++repeat_;
    if (repeat_ == intValue(QStringLiteral("RepeatEach"))) {
        ++value_;
        repeat_ = 0;
        invalidateLayout();
        update();
    }
}

void TKCounterLabel::propertyChanged(const QString& path)
{
    TKBaseLabel::propertyChanged(path);
    if (path == QLatin1String("Startingnumber"))
        resetCounter();
}

void TKCounterLabel::editSettings()
{
    CounterSettings s;
    s.startingNumber = intValue(QStringLiteral("Startingnumber"));
    s.repeatEach = intValue(QStringLiteral("RepeatEach"));
    s.textBefore = stringValue(QStringLiteral("TextBefore"));
    s.textAfter = stringValue(QStringLiteral("TextAfter"));
    s.leadingZeros = qBound(0, intValue(QStringLiteral("LeadingZeros")), 9);
    TGetCounter dialog(s, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    s = dialog.settings();
    setValue(QStringLiteral("Startingnumber"), int(std::clamp<qint64>(s.startingNumber, INT32_MIN, INT32_MAX)));
    setValue(QStringLiteral("RepeatEach"), s.repeatEach);
    setValue(QStringLiteral("TextBefore"), s.textBefore);
    setValue(QStringLiteral("TextAfter"), s.textAfter);
    setValue(QStringLiteral("LeadingZeros"), s.leadingZeros);
    setValue(kCaption, displayText());
    if (angle() == 0) {
        setBounds(left(), top(), 10, objectHeight());
        growToFit();
    }
    notifyChanged();
}

void TKCounterLabel::addKindMenuEntries(QMenu* menu)
{
    TKBaseLabel::addKindMenuEntries(menu);
    menu->addSeparator();
    connect(menu->addAction(QStringLiteral("Counter Settings")), &QAction::triggered, this, [this] { editSettings(); });
    addRotationEntries(menu);
}

// ---- TKSymbolLabel ------------------------------------------------------------------

QSize TKSymbolLabel::symbolSize()
{
    const LabelLayout& l = ensureLayout();
    const QFontMetrics fm(drawnFont());
    const QString text = drawnText();
    const int x = std::max({l.mainStart.x(), l.shadowStart.x(), l.highlightStart.x()});
    const int y = std::max({l.mainStart.y(), l.shadowStart.y(), l.highlightStart.y()});
    return {int(std::trunc(1.1 * fm.horizontalAdvance(text))) + x, int(std::trunc(1.1 * fm.height())) + y};
}

void TKSymbolLabel::boundsChanged()
{
    TKBaseLabel::boundsChanged();
    if (sizing_ || reading())
        return;
    sizing_ = true;
    try {
        const QSize s = symbolSize();
        if (s.width() > 0 && s.height() > 0 && s != QSize(objectWidth(), objectHeight()))
            fitBounds(s.width(), s.height());
    } catch (...) {
    }
    sizing_ = false;
}

void TKSymbolLabel::chooseSymbol()
{
    const QString caption = stringValue(kCaption);
    QFont f = objectFont();
    f.setPointSize(std::max(1, fontPointsFromHeight(intValue(QStringLiteral("Font.Height")))));
    TGetSymbol dialog(f, caption.isEmpty() ? QLatin1Char(' ') : caption[0], this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    applyObjectFont(dialog.font(), fontColour());
    setValue(kCaption, QString(dialog.symbol()));
    boundsChanged();
    notifyChanged();
}

void TKSymbolLabel::placedByTool() { chooseSymbol(); }

void TKSymbolLabel::addKindMenuEntries(QMenu* menu)
{
    TKBaseLabel::addKindMenuEntries(menu);
    menu->addSeparator();
    connect(menu->addAction(QStringLiteral("Symbol Selector")), &QAction::triggered, this, [this] { chooseSymbol(); });
}

// ---- TKDateTimeLabel ----------------------------------------------------------------

namespace {
std::function<QDateTime()>& dateClock()
{
    static std::function<QDateTime()> clock;
    return clock;
}
} // namespace

void TKDateTimeLabel::setClockForTesting(std::function<QDateTime()> clock) { dateClock() = std::move(clock); }

QString TKDateTimeLabel::displayText() const
{
    const QDateTime now = dateClock() ? dateClock()() : QDateTime::currentDateTime();
    return dateTimeText(intValue(QStringLiteral("DateFormat")), intValue(QStringLiteral("TimeFormat")), now);
}

void TKDateTimeLabel::addKindMenuEntries(QMenu* menu)
{
    TKBaseLabel::addKindMenuEntries(menu);
    menu->addSeparator();
    const auto group = [&](const char* title, const char* path, std::initializer_list<const char*> captions,
                           QList<QAction*>& entries) {
        QMenu* sub = menu->addMenu(QLatin1String(title));
        int v = 0;
        for (const char* c : captions) {
            QAction* a = sub->addAction(QLatin1String(c));
            a->setCheckable(true);
            const QString p = QLatin1String(path);
            connect(a, &QAction::triggered, this, [this, p, v] {
                setValue(p, v);
                invalidateLayout();
                notifyChanged();
                update();
            });
            entries << a;
            ++v;
        }
    };
    group("Date Format", "DateFormat", {"No Date", "Windows Short Date", "Windows Long Date"}, dateEntries_);
    group("Time Format", "TimeFormat", {"No Time", "Windows Short Time", "Windows Long Time"}, timeEntries_);
}

void TKDateTimeLabel::updateMenu()
{
    TKBaseLabel::updateMenu();
    for (int i = 0; i < dateEntries_.size(); ++i)
        dateEntries_[i]->setChecked(intValue(QStringLiteral("DateFormat")) == i);
    for (int i = 0; i < timeEntries_.size(); ++i)
        timeEntries_[i]->setChecked(intValue(QStringLiteral("TimeFormat")) == i);
}

// ---- TKPageNumberLabel --------------------------------------------------------------

QString TKPageNumberLabel::displayText() const
{
    return printingNow_ ? QString::number(page_) : QStringLiteral("##");
}

void TKPageNumberLabel::printAt(DesignPrinter& printer, double x, double y)
{
    page_ = printer.pageNumber();
    TKBaseLabel::printAt(printer, x, y);
}

} // namespace qb::design
