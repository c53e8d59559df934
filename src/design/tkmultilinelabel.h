#pragma once
// Multi-line text objects: a block of lines drawn one under the other, word
// wrapped at the object's width on request. TKMultiLineLabel holds typed
// lines, TKDMultiLineLabel the memo of the current record, and
// TKDMultiLineAddressLabel the address block composed from the record.

#include "design/address_block.h"
#include "design/tkgraphiccontrol.h"

namespace qb::design {

class TKDataPanel;

class TKMultiLineBaseLabel : public TKGraphicControl {
    Q_OBJECT
public:
    explicit TKMultiLineBaseLabel(const ClassTable& table, QWidget* parent = nullptr);

    void boundsChanged() override;
    void applyObjectFont(const QFont& font, QColor colour) override;
    void updateMenu() override;

    QStringList items() const { return value(QStringLiteral("Items.Strings")).toStringList(); }
    void setItems(const QStringList& lines) { setValue(QStringLiteral("Items.Strings"), lines); }
    bool wordWrap() const { return boolValue(QStringLiteral("WordWrap")); }
    const QStringList& wrappedLines() const { return wrapped_; }
    // Recomputes the wrapped lines (only with WordWrap).
    virtual void wrapLines();
    // The lines as drawn, placeholder included ("<blank>", "<blank memo>"),
    // which never reaches paper.
    QStringList drawnLines(bool onPaper) const;
    // Height to the lines, width to at least the widest line.
    void sizeToLines();
    // The height of one line as drawn, and how many whole lines the box shows.
    int lineHeight() const;
    int linesThatFit() const;
    void chooseFont();

protected:
    void paintObject(QPainter& painter) override;
    bool printsAsPicture() const override { return true; }
    void addKindMenuEntries(QMenu* menu) override;
    void propertyChanged(const QString& path) override;
    TKDataPanel* dataPanel() const;
    bool panelPrinting() const;
    QFont drawnFont() const;

    bool memo_ = false;
    QStringList wrapped_;
    QAction* wrapEntry_ = nullptr;

private:
    QList<QAction*> alignmentEntries_;
    bool printingNow_ = false;

public:
    void printAt(DesignPrinter& printer, double x, double y) override;
};

class TKMultiLineLabel : public TKMultiLineBaseLabel {
    Q_OBJECT
public:
    using TKMultiLineBaseLabel::TKMultiLineBaseLabel;
    void placedByTool() override;
    void editText();

protected:
    void addKindMenuEntries(QMenu* menu) override;
};

class TKDMultiLineLabel : public TKMultiLineBaseLabel {
    Q_OBJECT
public:
    explicit TKDMultiLineLabel(const ClassTable& table, QWidget* parent = nullptr);
    void showData() override;
    void clearData() override;
    void wrapLines() override;
    void selectField();

protected:
    void addKindMenuEntries(QMenu* menu) override;
};

class TKDMultiLineAddressLabel : public TKMultiLineBaseLabel {
    Q_OBJECT
public:
    using TKMultiLineBaseLabel::TKMultiLineBaseLabel;
    void showData() override;
    void clearData() override;
    AddressOptions options() const;
    void setOptions(const AddressOptions& o);
    // True when the record's lines (wrapped, with WordWrap) are more than the
    // box shows whole: the lines below are cut off on paper.
    bool blockCut() const { return int(drawnLines(true).size()) > linesThatFit(); }
    // The most lines the chosen parts can give (mostAddressLines).
    int mostLines() const { return mostAddressLines(options()); }
    // Tall enough for the most lines; where that would pass maxHeight the font
    // gets smaller first, down to 6 points. The width as sizeToLines makes it.
    void fitMostLines(int maxHeight);
    void editLayout();

protected:
    void addKindMenuEntries(QMenu* menu) override;
};

// Moves the panel's table, in its order and filter, to the first record whose
// address blocks need the most lines, and shows it. Returns what the user is
// to be told when a block cannot hold that record's lines, else nothing.
QString showTallestAddress(TKDataPanel& panel);

} // namespace qb::design
