#pragma once
// The label panel: a data panel with the label designer's drawing tools.

#include "design/tkbasepanel.h"

namespace qb::design {

enum TLPanelState {
    psPointing,
    psLabel,
    psCounterLabel,
    psSymbolLabel,
    psDataLabel,
    psMultiLineLabel,
    psMultiLineDataLabel,
    psAddressLabel,
    psRectangle,
    psEllipse,
    psRoundRectangle,
    psLine,
    psImage,
    psPostNetBarCode,
    psIntelligentMailBarCode,
    psFIMBarCode,
};

class TKLabelPanel : public TKDataPanel {
    Q_OBJECT
public:
    explicit TKLabelPanel(QWidget* parent = nullptr);

    TLPanelState panelState() const { return state_; }
    void setPanelState(TLPanelState state);

    // The class a tool creates; a tool whose class no panel registered is disabled.
    static QString toolClass(TLPanelState state);
    static bool toolEnabled(TLPanelState state);

    void createObject(const QRect& r) override;

private:
    void showDataOnAll();

    TLPanelState state_ = psPointing;
};

} // namespace qb::design
