#pragma once
// "Label Design Screen": one label's design surface, sized from the stock at
// the design resolution, with the tools of the label panel, grid, snap, art,
// field names or values, zoom, the default font and the stock ("Layout"), and
// the address table's records to look at. Save hands the description, stock
// and objects back to the print screen.

#include "labels/label_catalogue.h"

#include <QDialog>
#include <QSize>

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QToolButton;

namespace qb {

class AddressTable;

namespace design {
class TKLabelPanel;
}

// The design surface of a stock: Round(96 x inches) each way.
QSize labelSurfaceSize(const LabelStock& stock);
// Zoom one step up or down within 0.5 to 1.5; unchanged when the step would leave the range.
double labelZoomStep(double zoom, int direction);
QString zoomCaption(double zoom);
QString layoutMenuCaption(const LabelStock& stock);
QString defaultFontCaption(const QString& name, int size, bool bold, bool italic);
// The program's picture named by ART ("av5160.bmp" -> "AV5160"); empty when none.
QString artResourceName(const QString& art);
// A picture as the designer shows it behind the objects: white stays white,
// every other pixel light grey.
QImage artBackground(const QImage& picture);

inline const QString kPostnetTooNarrow = QStringLiteral(
    "This label is not wide enough for a \rpostnet barcode. At least 2.85 inches are needed");
inline const QString kPostnetRemoved = QStringLiteral(
    "Warning: This label is not wide enough for a \rpostnet barcode. At least 2.85 inches are needed");
inline const QString kNewLabelNote = QStringLiteral(
    "A new label has been created using the Avery 5160\rformat. To change to another label format, click on\rthe "
    "Change Layout button.\r\rA Database Mailing Address object has already been \radded to the label.\r\rFor "
    "additional assistance, click the Help button");

class TLabelDesignScreen : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1073;

    // panel: the design panel, already loaded with the layout's objects; the
    // screen shows it and gives it back (reparented) when it closes.
    TLabelDesignScreen(LabelLayoutRecord& record, design::TKLabelPanel* panel, AddressTable& addresses,
                       QWidget* parent = nullptr);
    ~TLabelDesignScreen() override;

    design::TKLabelPanel* panel() const { return panel_; }
    const LabelLayoutRecord& record() const { return record_; }
    bool saveVisible() const;
    QToolButton* tool(const char* name) const;
    double zoom() const { return zoom_; }
    // The first activation's set-up has run (it runs once the window's own
    // event loop does).
    bool ready() const { return ready_; }
    void zoomStep(int direction);
    // The panel and the zoom caption at zoom (0.5 to 1.5).
    void setZoom(double zoom);
    // Applies a new stock (the Layout menu's outcome).
    void applyStock(const LabelStock& stock, bool manual);

    // Replaceable so tests can answer the Layout menu's dialogs.
    std::function<std::optional<LabelStock>(const LabelStock&, bool& manual)> chooseStock;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

private:
    void FormActivate();
    void fitSurface();
    void drawArt();
    void changed();
    void ToolClick(int state);
    void LayoutClick();
    void DefaultFontClick();
    void SaveButtonClick();
    void moveRecord(int which);
    void updateCaptions();
    std::optional<LabelStock> chooseStockWithDialogs(const LabelStock& stock, bool& manual);

    LabelLayoutRecord& record_;
    design::TKLabelPanel* panel_;
    QWidget* panelHome_;
    AddressTable& addresses_;
    QLineEdit* description_;
    QScrollArea* area_;
    QPushButton* save_;
    QToolButton* showArt_;
    QToolButton* zoomButton_;
    QAction* layoutAction_;
    QAction* fontAction_;
    double zoom_ = 1.0;
    bool activated_ = false;
    bool tracking_ = false;
    bool ready_ = false;
    bool forwardingKey_ = false;
};

} // namespace qb
