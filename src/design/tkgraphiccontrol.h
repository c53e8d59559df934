#pragma once
// The base of every design object: a child widget of its design panel that
// keeps its position and size in pixels of the design surface at zoom 1.0
// scaled by the panel's zoom, paints itself, prints itself at an offset in
// inches, carries its context menu, and is streamed by the published
// properties of its class (property_table.h).
//
// Kinds derive from it and override the operations of the family, declared
// here in their order: BoundsChanged, UpdateMenu, ApplyObjectFont, ShowData,
// ClearData, AdvanceCounter, ResetCounter, PrintAt.

#include "design/property_table.h"

#include <QPointer>
#include <QRect>
#include <QVariant>
#include <QWidget>
#include <vector>

class QMenu;
class QAction;
class QPicture;

namespace qb::design {

class DesignPrinter;
class TKBasePanel;

// Layouts are measured at this many pixels per inch, whatever the screen.
constexpr int kDesignPixelsPerInch = 96;

// Round half to even, as every zoom and size computation of the designs does;
// clamped to the 32-bit range.
int roundHalfEven(double v);

class TKGraphicControl : public QWidget {
    Q_OBJECT
public:
    explicit TKGraphicControl(const ClassTable& table, QWidget* parent = nullptr);
    ~TKGraphicControl() override;

    const ClassTable& classTable() const { return table_; }
    QString designClassName() const { return table_.className; }

    // ---- published properties ------------------------------------------------
    // Values by path in the types of PropType; unknown paths give an invalid QVariant.
    QVariant value(const QString& path) const;
    // Through the property's setter (with its side effects); false for an unknown path.
    bool setValue(const QString& path, const QVariant& v);
    int intValue(const QString& path) const { return value(path).toInt(); }
    QString stringValue(const QString& path) const { return value(path).toString(); }
    bool boolValue(const QString& path) const { return value(path).toBool(); }

    int left() const { return left_; }
    int top() const { return top_; }
    int objectWidth() const { return width_; }
    int objectHeight() const { return height_; }
    // The bounds as shown, at the panel's zoom.
    QRect bounds() const { return {left_, top_, width_, height_}; }
    // The true bounds in design units (zoom 1.0). The shown bounds are derived
    // from them at every zoom, never the other way, so zooming and saving
    // while zoomed leave them exactly as they were.
    QRect designBounds() const { return {designLeft_, designTop_, designWidth_, designHeight_}; }
    // Sets the shown bounds, as a move or resize at the current zoom does;
    // the widget takes them clamped to 0..32767 in size. Each edge that
    // changed takes its true value from the shown one; the others keep theirs.
    void setBounds(int left, int top, int width, int height);
    void setBounds(const QRect& r) { setBounds(r.x(), r.y(), r.width(), r.height()); }

    bool locked() const { return locked_; }
    void setLocked(bool on);
    bool unselectable() const { return unselectable_; }
    void setUnselectable(bool on);

    // The object's font from Font.Name, Font.Height, Font.Style and Font.Pitch,
    // sized for drawing at the zoom factor (Trunc(points x zoom) when zoomed).
    QFont objectFont() const;
    QColor fontColour() const;
    // Font.* from a chosen font; its pixel or point size becomes Font.Height at 96 ppi.
    void setObjectFont(const QFont& font, QColor colour);

    // ---- life cycle --------------------------------------------------------------
    // Builds the context menu; runs once (screens call it after creating an
    // object, the reader after reading one).
    void loaded();
    bool isLoaded() const { return loaded_; }
    QMenu* contextMenu() const { return menu_; }
    void openContextMenu(const QPoint& globalPos);

    // The reader sets it while the properties are read: no notification, no
    // re-fit, no selection changes.
    void setReading(bool on);
    bool reading() const { return reading_; }

    // ---- the family's operations, in their order -------------------------------
    virtual void boundsChanged();
    virtual void updateMenu() {}
    virtual void applyObjectFont(const QFont& font, QColor colour);
    virtual void showData() {}
    virtual void clearData() {}
    virtual void advanceCounter() {}
    virtual void resetCounter() {}
    virtual void printAt(DesignPrinter& printer, double x, double y);

    // Called by the label panel's tools right after the object was placed (text
    // dialogs, the picture dialog); nothing here.
    virtual void placedByTool() {}

    float zoom() const { return zoom_; }
    void setZoom(float z);
    // The panel's factor without rescaling (HookObjects, AddObject): an object
    // put on a zoomed panel at a shown size takes its true size from it.
    void setZoomFactor(float z);

    void notifyChanged();
    // The parent when it is a design panel.
    TKBasePanel* panel() const;
    bool selected() const;

    // The rectangle on paper in inches for the offsets x, y.
    QRectF printRect(double x, double y) const;
    // The screen drawing at zoom 1.0 as a picture of Width x Height pixels.
    QPicture recordPicture();

    // Context menu commands shared by every kind.
    void bringToFront();
    void sendToBack();
    void centerVertically();
    void centerHorizontally();
    void clone();

protected:
    // Draws the object inside (0, 0, width, height) of the widget at the current
    // zoom. The base draws the caption in a box, or the class name for kinds
    // without a caption, until each kind draws itself.
    virtual void paintObject(QPainter& painter);
    // Text objects print the screen drawing as a picture; the others draw with
    // the printer's operations.
    virtual bool printsAsPicture() const;
    // A size the object fits itself to while it is drawn at the current zoom
    // (its text, its bars, its picture): zoomed, only the shown size follows,
    // since the true size is the one fitted at zoom 1.0.
    void fitBounds(int width, int height);

    // Entries after the common ones (after a separator); nothing here.
    virtual void addKindMenuEntries(QMenu* menu) { Q_UNUSED(menu); }
    // A property changed through setValue; kinds re-lay out here.
    virtual void propertyChanged(const QString& path) { Q_UNUSED(path); }

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void applyGeometry();

    const ClassTable& table_;
    std::vector<QVariant> values_;   // by index in the class table
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    int designLeft_ = 0, designTop_ = 0, designWidth_ = 0, designHeight_ = 0;
    bool locked_ = false;
    bool unselectable_ = false;
    float zoom_ = 1.0f;
    QMenu* menu_ = nullptr;
    QAction* lockedAction_ = nullptr;
    QRect lastBounds_;
    bool haveLastBounds_ = false;
    bool busy_ = false;
    bool reading_ = false;
    bool loaded_ = false;
};

} // namespace qb::design
