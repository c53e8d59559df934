#pragma once
// Single-line text objects: TKBaseLabel lays one line out in its box, draws
// the shadow and highlight copies, turns the text by 0, 90, 180 or 270
// degrees, fills a background and draws a border. The six kinds differ in
// where the text comes from: TKPLabel (typed), TKPDLabel (a field of the
// current record), TKCounterLabel (a running number), TKSymbolLabel (one
// character of a symbol font), TKDateTimeLabel (today), TKPageNumberLabel.

#include "design/text_layout.h"
#include "design/tkgraphiccontrol.h"

#include <QDateTime>
#include <functional>

class QActionGroup;

namespace qb::design {

class TKDataPanel;

class TKBaseLabel : public TKGraphicControl {
    Q_OBJECT
public:
    explicit TKBaseLabel(const ClassTable& table, QWidget* parent = nullptr);

    void boundsChanged() override;
    void updateMenu() override;
    void applyObjectFont(const QFont& font, QColor colour) override;
    void printAt(DesignPrinter& printer, double x, double y) override;

    // The text as drawn now (counters and dates build theirs).
    virtual QString displayText() const;
    // Lays the text out if a setter asked for it; may fit the box.
    const LabelLayout& ensureLayout();
    void invalidateLayout() { layoutDirty_ = true; }
    // Widens and heightens the box to hold the text (angle 0 only).
    void growToFit();
    void chooseFont();
    void editEffects();

    int angle() const { return intValue(QStringLiteral("Angle")); }
    void setAngle(int a) { setValue(QStringLiteral("Angle"), a); }

protected:
    void paintObject(QPainter& painter) override;
    bool printsAsPicture() const override { return true; }
    void addKindMenuEntries(QMenu* menu) override;
    void propertyChanged(const QString& path) override;

    // The base entries ("Font", "3D Effects", "Alignment", ...); symbols drop some.
    virtual bool hasFontEntries() const { return true; }
    void addRotationEntries(QMenu* menu);
    TKDataPanel* dataPanel() const;
    bool panelPrinting() const;
    // The font as drawn and the text mapped for it.
    QFont drawnFont() const;
    QString drawnText() const;

    bool printingNow_ = false;

private:
    void drawText(QPainter& p, QPoint start, const QRect& clip, const QColor& colour, const QString& text);

    bool layoutDirty_ = true;
    bool laying_ = false;
    int previousAngle_ = 0;
    LabelLayout layout_;
    QList<QAction*> alignmentEntries_;
    QAction* transparentEntry_ = nullptr;
    QAction* borderEntry_ = nullptr;
    QList<QAction*> rotationEntries_;
};

class TKPLabel : public TKBaseLabel {
    Q_OBJECT
public:
    using TKBaseLabel::TKBaseLabel;
    void placedByTool() override;
    void editText();

protected:
    void addKindMenuEntries(QMenu* menu) override;
};

class TKPDLabel : public TKBaseLabel {
    Q_OBJECT
public:
    using TKBaseLabel::TKBaseLabel;
    void showData() override;
    void clearData() override;
    void placedByTool() override;
    void selectField();

protected:
    void addKindMenuEntries(QMenu* menu) override;
};

class TKCounterLabel : public TKBaseLabel {
    Q_OBJECT
public:
    explicit TKCounterLabel(const ClassTable& table, QWidget* parent = nullptr);
    void advanceCounter() override;
    void resetCounter() override;
    QString displayText() const override;
    qint64 currentValue() const { return value_; }
    void editSettings();
    // The number with at least zeros digits (0 to 9), the sign in front.
    static QString formatNumber(qint64 value, int zeros);

protected:
    void addKindMenuEntries(QMenu* menu) override;
    void propertyChanged(const QString& path) override;

private:
    qint64 value_ = 1;
    int repeat_ = 0;
};

class TKSymbolLabel : public TKBaseLabel {
    Q_OBJECT
public:
    using TKBaseLabel::TKBaseLabel;
    void boundsChanged() override;
    void chooseSymbol();
    void placedByTool() override;
    // The box that wraps the symbol and its effects.
    QSize symbolSize();

protected:
    bool hasFontEntries() const override { return false; }
    void addKindMenuEntries(QMenu* menu) override;

private:
    bool sizing_ = false;
};

class TKDateTimeLabel : public TKBaseLabel {
    Q_OBJECT
public:
    using TKBaseLabel::TKBaseLabel;
    QString displayText() const override;
    void updateMenu() override;
    // The clock the text is built from; tests fix it.
    static void setClockForTesting(std::function<QDateTime()> clock);

protected:
    void addKindMenuEntries(QMenu* menu) override;

private:
    QList<QAction*> dateEntries_, timeEntries_;
};

class TKPageNumberLabel : public TKBaseLabel {
    Q_OBJECT
public:
    using TKBaseLabel::TKBaseLabel;
    QString displayText() const override;
    void printAt(DesignPrinter& printer, double x, double y) override;

private:
    int page_ = 0;
};

} // namespace qb::design
