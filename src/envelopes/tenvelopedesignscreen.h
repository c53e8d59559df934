#pragma once
// "Envelope Design Screen": one envelope's design surface, sized from the
// envelope at the design resolution, with the envelope panel's tools, grid,
// snap, field names or values, the printer's margins and the automation
// template, zoom, the default font and the size ("Layout"), and the address
// table's records to look at. Save hands the description, size and objects
// back to the envelope screen.

#include "envelopes/envelope_catalogue.h"

#include <QDialog>

#include <functional>
#include <optional>

class QAction;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QToolButton;

namespace qb {

class AddressTable;
class TEnvelopePanel;

// Zoom one step within 0.6 to 1.4; unchanged when the step would leave the range.
double envelopeZoomStep(double zoom, int direction);
// "Layout: " and the size's layout text ("Unknown" for an unknown code).
QString envelopeLayoutCaption(int code);

class TEnvelopeDesignScreen : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1080;

    // panel: loaded with the layout's objects; the screen shows it and gives
    // it back (reparented) when it closes.
    TEnvelopeDesignScreen(EnvelopeLayoutRecord& record, TEnvelopePanel* panel, AddressTable& addresses,
                          QWidget* parent = nullptr);
    ~TEnvelopeDesignScreen() override;

    TEnvelopePanel* panel() const { return panel_; }
    bool saveVisible() const;
    QToolButton* tool(const char* name) const;
    double zoom() const { return zoom_; }
    bool ready() const { return ready_; }
    void zoomStep(int direction);
    void setZoom(double zoom);
    // The Layout menu's outcome: the new size, objects moved inside it.
    void applySize(int code);

    // Replaceable so tests can answer the Layout menu's dialog.
    std::function<std::optional<int>(int code)> chooseSize;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

private:
    void FormActivate();
    void fitSurface();
    void changed();
    void ToolClick(int state);
    void DefaultFontClick();
    void SaveButtonClick();
    void moveRecord(int which);
    void updateCaptions();

    EnvelopeLayoutRecord& record_;
    TEnvelopePanel* panel_;
    QWidget* panelHome_;
    AddressTable& addresses_;
    QLineEdit* description_;
    QScrollArea* area_;
    QPushButton* save_;
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
