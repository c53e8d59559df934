#pragma once
// A report band's design panel: header, detail, memo or footer. Each tool
// makes one kind of object; a band accepts only the objects that make sense
// in it (data fields in the detail band, clip art in the header, date, time
// and page numbers in the header and footer), and a panel told not to accept
// new objects only beeps at a press.

#include "design/tkbasepanel.h"

#include <functional>

namespace qb {

enum TRPanelState {
    psPointing,
    psLabel,
    psDataLabel,
    psMultiLineDataLabel,
    psLine,
    psImage,
    psDateTime,
    psPageNumber,
    psSymbolLabel,
    psRectangle,
    psEllipse,
    psRoundRectangle,
};

enum TRPanelKind { rpkHeader, rpkDetail, rpkMemo, rpkFooter };

class TReportPanel : public design::TKDataPanel {
    Q_OBJECT
public:
    explicit TReportPanel(TRPanelKind kind = rpkDetail, QWidget* parent = nullptr);

    TRPanelState panelState() const { return state_; }
    void setPanelState(TRPanelState state);
    TRPanelKind panelKind() const { return kind_; }
    void setPanelKind(TRPanelKind kind) { kind_ = kind; }
    bool acceptsObjects() const { return accepts_; }
    void setAcceptsObjects(bool on) { accepts_ = on; }

    // Which bands a tool may draw in.
    static bool toolAllowed(TRPanelState state, TRPanelKind kind);
    static QString toolClass(TRPanelState state);
    // The message of an object that may not be in a band; empty when it may.
    static QString bandMessage(const QString& className, TRPanelKind kind);

    void createObject(const QRect& r) override;
    // Pasted objects the band may not hold are taken off again, with the
    // band's message.
    void objectsPasted(const QList<design::TKGraphicControl*>& objects) override;
    // Takes off every object the band may not hold (a file written elsewhere,
    // say) and gives the band's messages, each once.
    QStringList removeMisplacedObjects();

    // The band check failed: beep and tell; replaceable by tests.
    std::function<void(const QString&)> refuse;
    // Fired after an object on the panel was clicked.
    std::function<void(design::TKGraphicControl*)> ControlMouseDownEvent;
    void objectMouseDown(design::TKGraphicControl* object, Qt::MouseButton button, Qt::KeyboardModifiers mods,
                         QPoint panelPos, QPoint globalPos) override;

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void tell(const QString& problem);
    QStringList removeMisplaced(const QList<design::TKGraphicControl*>& objects);

    TRPanelState state_ = psPointing;
    TRPanelKind kind_;
    bool accepts_ = true;
};

} // namespace qb
