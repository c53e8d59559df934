#include "design/tklabelpanel.h"

#include "design/class_registry.h"
#include "design/tkbaselabel.h"
#include "design/tkgraphiccontrol.h"
#include "design/tkmultilinelabel.h"

namespace qb::design {

TKLabelPanel::TKLabelPanel(QWidget* parent) : TKDataPanel(parent) { registerLabelPanelClasses(); }

void TKLabelPanel::setPanelState(TLPanelState state)
{
    state_ = state;
    setPointing(state == psPointing);
    setCursor(idleCursor());
}

QString TKLabelPanel::toolClass(TLPanelState state)
{
    switch (state) {
    case psPointing: return {};
    case psLabel: return QStringLiteral("TKPLabel");
    case psCounterLabel: return QStringLiteral("TKCounterLabel");
    case psSymbolLabel: return QStringLiteral("TKSymbolLabel");
    case psDataLabel: return QStringLiteral("TKPDLabel");
    case psMultiLineLabel: return QStringLiteral("TKMultiLineLabel");
    case psMultiLineDataLabel: return QStringLiteral("TKDMultiLineLabel");
    case psAddressLabel: return QStringLiteral("TKDMultiLineAddressLabel");
    case psRectangle:
    case psEllipse:
    case psRoundRectangle: return QStringLiteral("TKLabelShapes");
    case psLine: return QStringLiteral("TKLineShape");
    case psImage: return QStringLiteral("TKImage");
    case psPostNetBarCode: return QStringLiteral("TKPostNetBarCode");
    case psIntelligentMailBarCode: return QStringLiteral("TKIntelligentMailBarCode");
    case psFIMBarCode: return QStringLiteral("TKFIMBarCode");
    }
    return {};
}

bool TKLabelPanel::toolEnabled(TLPanelState state)
{
    return state == psPointing || findDesignClass(toolClass(state)) != nullptr;
}

void TKLabelPanel::showDataOnAll()
{
    for (TKGraphicControl* o : designObjects())
        o->showData();
}

void TKLabelPanel::createObject(const QRect& dragged)
{
    const DesignClass* cls = findDesignClass(toolClass(state_));
    if (!cls)
        return;
    QRect r = dragged;
    if (r.width() < 25)
        r.setWidth(50);
    if (r.height() < 15)
        r.setHeight(15);
    TKGraphicControl* o = cls->create(*cls->table);
    o->loaded();
    const auto panelFont = [&] { o->setObjectFont(font(), Qt::black); };
    switch (state_) {
    case psLabel:
        o->setValue(QStringLiteral("Caption"), QStringLiteral("<text>"));
        panelFont();
        break;
    case psCounterLabel:
        o->setValue(QStringLiteral("Startingnumber"), 1000);
        o->setValue(QStringLiteral("TextBefore"), QString());
        o->setValue(QStringLiteral("TextAfter"), QString());
        panelFont();
        break;
    case psDataLabel:
        o->setValue(QStringLiteral("DataFieldName"), QStringLiteral("<field>"));
        panelFont();
        break;
    case psMultiLineLabel:
    case psAddressLabel:
        panelFont();
        break;
    case psMultiLineDataLabel:
        o->setValue(QStringLiteral("DataFieldName"), QStringLiteral("Memo"));
        o->setValue(QStringLiteral("DataFieldDescript"), QStringLiteral("MEMO"));
        panelFont();
        break;
    case psRectangle: o->setValue(QStringLiteral("Shape"), 0); break;
    case psEllipse: o->setValue(QStringLiteral("Shape"), 4); break;
    case psRoundRectangle: o->setValue(QStringLiteral("Shape"), 2); break;
    case psLine: o->setValue(QStringLiteral("LineStyle"), 1); break;
    case psPostNetBarCode:
        o->setValue(QStringLiteral("ZipCodeField"), QStringLiteral("ZIP"));
        o->setValue(QStringLiteral("AddressField"), QStringLiteral("STREET"));
        break;
    case psIntelligentMailBarCode:
        o->setValue(QStringLiteral("BarcodeIdentifier"), QStringLiteral("00"));
        o->setValue(QStringLiteral("ServiceType"), QStringLiteral("040"));
        o->setValue(QStringLiteral("SerialStart"), QStringLiteral("1"));
        o->setValue(QStringLiteral("ZipCodeField"), QStringLiteral("ZIP"));
        o->setValue(QStringLiteral("AddressField"), QStringLiteral("STREET"));
        break;
    default: break;
    }
    addObject(o, r);
    // A text grows to hold what it shows; an address block takes the height of its lines.
    const auto growToFit = [o] {
        if (auto* label = qobject_cast<TKBaseLabel*>(o))
            label->growToFit();
    };
    switch (state_) {
    case psImage:
        setPanelState(psPointing);
        o->placedByTool();
        break;
    case psLabel:
        o->placedByTool();
        growToFit();
        break;
    case psSymbolLabel:
    case psMultiLineLabel:
        o->placedByTool();
        break;
    case psCounterLabel:
        growToFit();
        break;
    case psDataLabel:
        o->placedByTool();
        showDataOnAll();
        growToFit();
        break;
    case psAddressLabel:
        showDataOnAll();
        // Room for every line the chosen parts can give, not just this record's.
        if (auto* block = qobject_cast<TKDMultiLineAddressLabel*>(o))
            block->fitMostLines(height() - block->top() - 5);
        break;
    case psMultiLineDataLabel:
    case psPostNetBarCode:
        showDataOnAll();
        break;
    case psFIMBarCode:
        setPanelState(psPointing);
        break;
    case psIntelligentMailBarCode:
        // The mailer's own identifiers have no sensible default: ask for them.
        showDataOnAll();
        setPanelState(psPointing);
        o->placedByTool();
        break;
    default: break;
    }
}

} // namespace qb::design
