#pragma once
// The design panels: TKBasePanel (surface, selection, editing, files, zoom,
// printing), TKDataPanel (binding to the address table). The label panel with
// its tools is in tklabelpanel.h; envelope and report panels derive from
// TKDataPanel in their own subsystems.

#include <QImage>
#include <QList>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

class QKeyEvent;
class QMenu;

namespace qb {
class AddressTable;
}

namespace qb::design {

class DesignPrinter;
class TKGraphicControl;
class TKHandle;

enum TLabelShapeType { lsRectangle, lsRoundRect, lsEllipse };
enum TGridSize { gs4x4, gs8x8 };

// Milliseconds for the click, drag and paste rules; tests set their own clock.
qint64 designClockMs();
void setDesignClockForTesting(std::function<qint64()> clock);

class TKBasePanel : public QWidget {
    Q_OBJECT
public:
    enum ClipboardCode { Cut = 0, Copy = 1, Paste = 2, Delete = 3 };

    explicit TKBasePanel(QWidget* parent = nullptr);
    ~TKBasePanel() override;

    // ---- published properties -------------------------------------------------
    bool pointing() const { return pointing_; }
    void setPointing(bool on) { pointing_ = on; }
    bool drawOutline() const { return drawOutline_; }
    void setDrawOutline(bool on) { drawOutline_ = on; update(); }
    const QImage& picture() const { return picture_; }
    void setPicture(const QImage& image) { picture_ = image; update(); }
    const QImage& colorPicture() const { return colorPicture_; }
    void setColorPicture(const QImage& image) { colorPicture_ = image; update(); }
    bool printing() const { return printing_; }
    void setPrinting(bool on) { printing_ = on; }
    TLabelShapeType shape() const { return shape_; }
    void setShape(TLabelShapeType s) { shape_ = s; update(); }
    TGridSize gridSize() const { return gridSize_; }
    void setGridSize(TGridSize g);
    bool showGrid() const { return showGrid_; }
    void setShowGrid(bool on) { showGrid_ = on; update(); }
    bool snapToGrid() const { return snapToGrid_; }
    void setSnapToGrid(bool on);
    int gridStep() const { return gridSize_ == gs8x8 ? 8 : 4; }

    // ---- the owner's components -----------------------------------------------
    // The window that owns the panel's objects; names are unique within it.
    QWidget* owner() const;
    QList<TKGraphicControl*> designObjects() const;   // child order, bottom-most first
    TKHandle* handle() const { return handle_; }

    // ---- operations -------------------------------------------------------------
    virtual void createObject(const QRect& r) { Q_UNUSED(r); }
    virtual void objectMouseDown(TKGraphicControl* object, Qt::MouseButton button, Qt::KeyboardModifiers mods,
                                 QPoint panelPos, QPoint globalPos);
    virtual void refreshData() {}
    // Whether a layout file's object of this class may come onto the panel.
    virtual bool acceptsKind(const QString& className) const
    {
        Q_UNUSED(className);
        return true;
    }
    virtual void printObjects(DesignPrinter& printer, double x, double y);
    virtual void keepObjectsInside();
    virtual void deleteObjectsOutside();
    // The objects a paste has just added; a panel with rules of its own may
    // take some of them off again.
    virtual void objectsPasted(const QList<TKGraphicControl*>& objects) { Q_UNUSED(objects); }

    void addObject(TKGraphicControl* object, const QRect& r);
    QString uniqueName(const QString& prefix) const;
    float zoom() const { return zoom_; }
    void setZoom(float z);
    bool scaling() const { return scaling_; }
    // The panel's own file operations, the one way designers and print
    // screens store and read a layout, whatever owns the panel.
    // saveToFile writes the objects at zoom 1.0 whatever the panel's zoom
    // (their data values cleared first) to a temporary name renamed into
    // place, and leaves the panel as it was. loadFromFile adds the file's
    // objects (nothing when it does not exist) hooked to the panel, at the
    // panel's zoom, showing their data values. Both throw LayoutError with
    // the writer's or reader's message; after a read error the objects read
    // before the fault stay on the panel, so a caller must clear it rather
    // than let it be saved over the file.
    void saveToFile(const QString& fileName);
    void loadFromFile(const QString& fileName);
    void clearObjects();
    void prepareForSave();
    void advanceCounters();
    void resetCounters();
    void hookObjects();
    // Throws LayoutError when the clipboard file cannot be written or read.
    void clipboardAction(int code, TKGraphicControl* object = nullptr);
    // Ctrl+C, Ctrl+V, Ctrl+X and Delete as ClipboardAction; a clipboard file
    // that cannot be written or read is reported. False for any other key.
    bool clipboardKey(QKeyEvent* event);
    void selectInRect(const QRect& r, bool shift);
    void notifyChanged();

    void refitSelection();
    void clearSelection();
    QString clipboardFile() const { return clipboardFile_; }
    QString tempFile() const { return tempFile_; }
    QMenu* contextMenu() const { return menu_; }
    void openContextMenu(const QPoint& globalPos);
    // Keeps the frame and the drawing overlay above the objects.
    void keepFrameOnTop();

    // The exclusive-or previews of the original are drawn on an overlay.
    void setPreviewRect(std::optional<QRect> r);
    std::optional<QRect> previewRect() const { return preview_; }
    std::optional<QRect> rubberBand() const;

    // Mouse on the empty panel, in panel coordinates (the frame passes presses on).
    void panelPress(QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers mods, QPoint globalPos);
    void panelMove(QPoint pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods);
    void panelRelease(QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers mods);
    // An object's moves, releases and double clicks, in panel coordinates.
    void objectMouseMove(TKGraphicControl* object, QPoint panelPos, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods);
    void objectMouseUp(TKGraphicControl* object, QPoint panelPos, Qt::MouseButton button, Qt::KeyboardModifiers mods,
                       QPoint globalPos);
    void objectDoubleClick(TKGraphicControl* object, QPoint globalPos);
    // The shape shown outside the frame: the arrow when pointing, the drag pointer otherwise.
    QCursor idleCursor() const;

    // The shape's outline region for clipping pictures and the grid.
    QPainterPath outlinePath(bool forClip) const;

signals:
    void droppedObject(const QRect& r);      // DroppedObjectEvent
    void labelChanged(QObject* sender);      // LabelChangedEvent

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void buildContextMenu();
    void fontCommand();

private:
    void alignCommand(int which);
    void runMenuCommand(const std::function<void()>& command);

    bool pointing_ = true;
    bool drawOutline_ = false;
    QImage picture_;
    QImage colorPicture_;
    bool printing_ = false;
    TLabelShapeType shape_ = lsRoundRect;
    TGridSize gridSize_ = gs4x4;
    bool showGrid_ = false;
    bool snapToGrid_ = false;
    float zoom_ = 1.0f;
    bool scaling_ = false;
    TKHandle* handle_ = nullptr;
    QWidget* overlay_ = nullptr;
    QString clipboardFile_;
    QString tempFile_;
    QMenu* menu_ = nullptr;
    bool banding_ = false;
    QPoint bandStart_, bandEnd_;
    std::optional<QRect> preview_;
    qint64 lastPaste_ = 0;
    bool forwardingKey_ = false;
};

// Binding to the address table: data objects show the current record's values
// or their field descriptions in brackets.
class TKDataPanel : public TKBasePanel {
    Q_OBJECT
public:
    explicit TKDataPanel(QWidget* parent = nullptr);

    bool displayDataValues() const { return displayDataValues_; }
    void setDisplayDataValues(bool on);
    AddressTable* dataset() const { return dataset_; }
    void setDataset(AddressTable* table) { dataset_ = table; }

    void refreshData() override;

    // Values shown on a data object: values when DisplayDataValues or Printing.
    bool showsValues() const { return displayDataValues_ || printing(); }
    // The value of the field whose display label is label (case-sensitive, the
    // last match wins); nothing when no field has that label or no table is open.
    std::optional<QString> valueByLabel(const QString& label) const;
    // The value of the field named name, any case; empty when there is none.
    QString valueByName(const QString& name) const;
    // Display labels of the fields, in field order.
    QStringList fieldLabels() const;

private:
    bool displayDataValues_ = true;
    AddressTable* dataset_ = nullptr;
};

} // namespace qb::design
