#include "reports/treportpanel.h"

#include "core/messages.h"
#include "design/class_registry.h"
#include "design/tkbaselabel.h"
#include "design/tkgraphiccontrol.h"
#include "design/tkhandle.h"

#include <QApplication>
#include <QMouseEvent>

namespace qb {

using design::TKGraphicControl;

TReportPanel::TReportPanel(TRPanelKind kind, QWidget* parent) : TKDataPanel(parent), kind_(kind)
{
    design::registerReportPanelClasses();
}

void TReportPanel::setPanelState(TRPanelState state)
{
    state_ = state;
    setPointing(state == psPointing);
    setCursor(idleCursor());
}

QString TReportPanel::toolClass(TRPanelState state)
{
    switch (state) {
    case psPointing: return {};
    case psLabel: return QStringLiteral("TKPLabel");
    case psDataLabel: return QStringLiteral("TKPDLabel");
    case psMultiLineDataLabel: return QStringLiteral("TKDMultiLineLabel");
    case psLine: return QStringLiteral("TKLineShape");
    case psImage: return QStringLiteral("TKImage");
    case psDateTime: return QStringLiteral("TKDateTimeLabel");
    case psPageNumber: return QStringLiteral("TKPageNumberLabel");
    case psSymbolLabel: return QStringLiteral("TKSymbolLabel");
    case psRectangle:
    case psEllipse:
    case psRoundRectangle: return QStringLiteral("Trpshapes");
    }
    return {};
}

bool TReportPanel::toolAllowed(TRPanelState state, TRPanelKind kind)
{
    switch (state) {
    case psDataLabel: return kind == rpkDetail;
    case psImage: return kind == rpkHeader;
    case psDateTime:
    case psPageNumber: return kind == rpkHeader || kind == rpkFooter;
    default: return kind != rpkMemo;
    }
}

QString TReportPanel::bandMessage(const QString& cls, TRPanelKind kind)
{
    // Objects that show a record's values, the label and envelope designers'
    // included (the design clipboard is shared), belong to the detail band.
    static const QStringList dataClasses{QStringLiteral("TKPDLabel"), QStringLiteral("TKDMultiLineAddressLabel"),
                                         QStringLiteral("TKPostNetBarCode"),
                                         QStringLiteral("TKIntelligentMailBarCode")};
    if (cls == QLatin1String("TKDMultiLineLabel") && kind != rpkMemo)
        return QStringLiteral("This object may only be used in the memo band");
    if (dataClasses.contains(cls) && kind != rpkDetail)
        return QStringLiteral("This object may only be used in the detail band");
    if ((cls == QLatin1String("TKDateTimeLabel") || cls == QLatin1String("TKPageNumberLabel")) && kind != rpkHeader &&
        kind != rpkFooter)
        return QStringLiteral("This object may only be used in the header or footer bands");
    if (cls == QLatin1String("TKImage") && kind != rpkHeader)
        return QStringLiteral("This object may only be used in the header band");
    return {};
}

void TReportPanel::mousePressEvent(QMouseEvent* event)
{
    if (state_ != psPointing && !accepts_ && event->button() == Qt::LeftButton) {
        // The tool's object may not be in this band: say which band it serves.
        tell(bandMessage(toolClass(state_), kind_));
        event->accept();
        return;
    }
    TKDataPanel::mousePressEvent(event);
}

void TReportPanel::objectMouseDown(TKGraphicControl* object, Qt::MouseButton button, Qt::KeyboardModifiers mods,
                                   QPoint panelPos, QPoint globalPos)
{
    TKDataPanel::objectMouseDown(object, button, mods, panelPos, globalPos);
    if (ControlMouseDownEvent)
        ControlMouseDownEvent(object);
}

void TReportPanel::createObject(const QRect& dragged)
{
    const QString clsName = toolClass(state_);
    const design::DesignClass* cls = design::findDesignClass(clsName);
    if (!cls)
        return;
    const QString problem = bandMessage(clsName, kind_);
    if (!problem.isEmpty() || !accepts_) {
        tell(problem);
        return;
    }
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
    case psDataLabel:
        o->setValue(QStringLiteral("DataFieldName"), QStringLiteral("<field>"));
        panelFont();
        break;
    case psMultiLineDataLabel:
        o->setValue(QStringLiteral("DataFieldName"), QStringLiteral("Memo"));
        o->setValue(QStringLiteral("DataFieldDescript"), QStringLiteral("MEMO"));
        break;
    case psRectangle: o->setValue(QStringLiteral("Shape"), 0); break;
    case psEllipse: o->setValue(QStringLiteral("Shape"), 4); break;
    case psRoundRectangle: o->setValue(QStringLiteral("Shape"), 2); break;
    case psLine: o->setValue(QStringLiteral("LineStyle"), 0); break;
    default: break;
    }
    addObject(o, r);
    switch (state_) {
    case psLabel:
    case psSymbolLabel:
    case psDataLabel:
    case psImage:
        o->placedByTool();
        break;
    default: break;
    }
    if (state_ == psDataLabel)
        for (TKGraphicControl* each : designObjects())
            each->showData();
}

void TReportPanel::tell(const QString& problem)
{
    QApplication::beep();
    if (problem.isEmpty())
        return;
    if (refuse)
        refuse(problem);
    else
        showInformation(problem);
}

QStringList TReportPanel::removeMisplaced(const QList<TKGraphicControl*>& objects)
{
    QStringList problems;
    for (TKGraphicControl* o : objects) {
        const QString problem = bandMessage(o->designClassName(), kind_);
        if (problem.isEmpty())
            continue;
        if (!problems.contains(problem))
            problems << problem;
        handle()->remove(o);
        delete o;   // just read: nothing of it is under way
    }
    if (!problems.isEmpty())
        notifyChanged();
    return problems;
}

void TReportPanel::objectsPasted(const QList<TKGraphicControl*>& objects)
{
    for (const QString& problem : removeMisplaced(objects))
        tell(problem);
}

QStringList TReportPanel::removeMisplacedObjects() { return removeMisplaced(designObjects()); }

} // namespace qb
