#include "labels/tlabeldesignscreen.h"

#include "core/address_table.h"
#include "core/messages.h"
#include "core/placement.h"
#include "core/record_steps.h"
#include "core/preferences.h"
#include "core/settings.h"
#include "core/system_tables.h"
#include "design/intelligent_mail.h"
#include "design/design_screen_parts.h"
#include "design/tkmultilinelabel.h"
#include "design/tkgraphiccontrol.h"
#include "design/tklabelpanel.h"
#include "labels/label_stock_dialogs.h"
#include "platform/help/help_viewer.h"
#include "platform/xbase/table.h"

#include <QAction>
#include <QCoreApplication>
#include <QFontDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace qb {

namespace {

using design::TLPanelState;

struct Tool {
    const char* name;
    const char* caption;   // the tool's hint
    const char* text;      // what its button shows
    TLPanelState state;
};
const Tool kTools[] = {
    {"SelectionTool", "Selection tool", "Select", design::psPointing},
    {"TextTool", "Text tool", "Text", design::psLabel},
    {"MultiLineTextTool", "Multi-line text tool", "Multi-line", design::psMultiLineLabel},
    {"CounterTool", "Counter tool", "Counter", design::psCounterLabel},
    {"SymbolTool", "Symbol tool", "Symbol", design::psSymbolLabel},
    {"RectangleTool", "Rectangle tool", "Rectangle", design::psRectangle},
    {"EllipseTool", "Ellipse tool", "Ellipse", design::psEllipse},
    {"RoundRectangleTool", "Round Rectangle tool", "Round rect.", design::psRoundRectangle},
    {"LineTool", "Line Tool", "Line", design::psLine},
    {"ClipArtTool", "Clip Art Tool", "Clip art", design::psImage},
    {"PostnetBarcodeTool", "Postnet Barcode tool", "Postnet", design::psPostNetBarCode},
    {"IntelligentMailBarcodeTool", "Intelligent Mail Barcode tool", "IMb", design::psIntelligentMailBarCode},
    {"DatabaseFieldTool", "Database Field tool", "Field", design::psDataLabel},
    {"DatabaseMemoFieldTool", "Database Memo Field tool", "Memo field", design::psMultiLineDataLabel},
    {"DatabaseMailingAddressTool", "Database Mailing Address tool", "Address", design::psAddressLabel},
};

} // namespace

QSize labelSurfaceSize(const LabelStock& stock)
{
    return QSize(design::roundHalfEven(design::kDesignPixelsPerInch * stock.labelWidth),
                 design::roundHalfEven(design::kDesignPixelsPerInch * stock.labelHeight));
}

double labelZoomStep(double zoom, int direction)
{
    const double next = std::round((zoom + 0.1 * direction) * 10.0) / 10.0;
    return next < 0.5 - 1e-9 || next > 1.5 + 1e-9 ? zoom : next;
}

QString zoomCaption(double zoom) { return QString::number(design::roundHalfEven(zoom * 100)) + QLatin1Char('%'); }

QString layoutMenuCaption(const LabelStock& stock)
{
    return stock.manufacturer.trimmed().toUpper() == QLatin1String("USER")
               ? QStringLiteral("Layout:  User Defined Label Layout")
               : QStringLiteral("Layout:  ") + stock.templateName;
}

QString defaultFontCaption(const QString& name, int size, bool bold, bool italic)
{
    QString s = QStringLiteral("Default Font: ") + name + QStringLiteral(", ") + QString::number(size) + QStringLiteral(" pt ");
    if (bold)
        s += QStringLiteral(", bold");
    if (italic)
        s += QStringLiteral(", italic");
    return s;
}

QString artResourceName(const QString& art)
{
    return art.trimmed().section(QLatin1Char('.'), 0, 0).toUpper();
}

QImage artBackground(const QImage& picture)
{
    QImage out = picture.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            line[x] = (line[x] & 0xFFFFFF) == 0xFFFFFF ? qRgb(255, 255, 255) : qRgb(192, 192, 192);
    }
    return out;
}

TLabelDesignScreen::TLabelDesignScreen(LabelLayoutRecord& record, design::TKLabelPanel* panel,
                                       AddressTable& addresses, QWidget* parent)
    : QDialog(parent), record_(record), panel_(panel), panelHome_(panel->parentWidget()), addresses_(addresses)
{
    setWindowTitle(QStringLiteral("Label Design Screen"));
    setObjectName(QStringLiteral("TLabelDesignScreen"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);

    auto* menus = new QMenuBar(this);
    QMenu* settings = menus->addMenu(QStringLiteral("Settings"));
    settings->setObjectName(QStringLiteral("SettingsMenu"));
    fontAction_ = settings->addAction(QString(), this, &TLabelDesignScreen::DefaultFontClick);
    fontAction_->setObjectName(QStringLiteral("mnuDefaultFont"));
    layoutAction_ = settings->addAction(QString(), this, &TLabelDesignScreen::LayoutClick);
    layoutAction_->setObjectName(QStringLiteral("mnuLayout"));

    description_ = new QLineEdit(this);
    description_->setObjectName(QStringLiteral("LabelSetupDescription"));
    description_->setMaxLength(60);
    auto* quickTips = new QPushButton(QStringLiteral("Quick Tips"), this);
    quickTips->setObjectName(QStringLiteral("QuickTipsButton"));
    connect(quickTips, &QPushButton::clicked, this, [this] { showHelp(HelpContext, this); });
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Description:"), this));
    top->addWidget(description_, 1);
    top->addWidget(quickTips);

    // The tools stand in a palette beside the surface; the toggles and the
    // zoom in a row above it.
    auto* palette = new QGridLayout;
    auto* tools = new QHBoxLayout;
    int placed = 0;
    for (const Tool& t : kTools) {
        auto* b = new QToolButton(this);
        b->setObjectName(QLatin1String(t.name));
        b->setText(QLatin1String(t.text));
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        palette->addWidget(b, placed / 2, placed % 2);
        ++placed;
        b->setToolTip(QLatin1String(t.caption));
        b->setCheckable(true);
        b->setAutoExclusive(true);
        b->setEnabled(design::TKLabelPanel::toolEnabled(t.state));
        const int state = int(t.state);
        connect(b, &QToolButton::clicked, this, [this, state] { ToolClick(state); });
    }
    palette->setRowStretch(placed / 2 + 1, 1);
    tool("SelectionTool")->setChecked(true);
    const auto toggle = [this, tools](const char* name, const QString& caption) {
        auto* b = new QToolButton(this);
        b->setObjectName(QLatin1String(name));
        b->setText(caption);
        b->setCheckable(true);
        tools->addWidget(b);
        return b;
    };
    QToolButton* grid = toggle("ShowGridButton", QStringLiteral("Show grid"));
    QToolButton* snap = toggle("SnapToGridButton", QStringLiteral("Snap to Grid"));
    showArt_ = toggle("ShowArtButton", QStringLiteral("Show art"));
    QToolButton* names = toggle("FieldNamesButton", QStringLiteral("Field names"));
    connect(grid, &QToolButton::toggled, panel_, &design::TKBasePanel::setShowGrid);
    connect(snap, &QToolButton::toggled, panel_, &design::TKBasePanel::setSnapToGrid);
    connect(showArt_, &QToolButton::toggled, this, &TLabelDesignScreen::drawArt);
    connect(names, &QToolButton::toggled, this, [this](bool down) { panel_->setDisplayDataValues(!down); });
    zoomButton_ = design::addZoomButtons(tools, this, [this](int step) { zoomStep(step); });
    zoomButton_->setText(zoomCaption(zoom_));
    tools->addStretch();

    area_ = design::newDesignArea(this, panel_);

    auto* bottom = new QHBoxLayout;
    const design::DesignScreenButtons buttons = design::addDesignScreenButtons(bottom, this, [this](int move) { moveRecord(move); });
    save_ = buttons.save;
    connect(buttons.cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(save_, &QPushButton::clicked, this, &TLabelDesignScreen::SaveButtonClick);
    connect(buttons.help, &QPushButton::clicked, this, [this] { showHelp(HelpContext, this); });

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menus);
    layout->addLayout(top);
    layout->addLayout(tools);
    auto* middle = new QHBoxLayout;
    middle->addLayout(palette);
    middle->addWidget(area_, 1);
    layout->addLayout(middle, 1);
    layout->addLayout(bottom);
    resize(760, 480);

    description_->setText(record_.isNew ? QStringLiteral("<New Label>") : record_.description);
    panel_->setFont(design::defaultDesignFont(DesignKind::Label));
    connect(panel_, &design::TKBasePanel::labelChanged, this, &TLabelDesignScreen::changed);
    // Placing an object ends its tool.
    connect(panel_, &design::TKBasePanel::droppedObject, this, [this] {
        panel_->setPanelState(design::psPointing);
        tool("SelectionTool")->setChecked(true);
    });
    connect(description_, &QLineEdit::textEdited, this, &TLabelDesignScreen::changed);
    new design::DesignCloseGuard(this, [this] { return saveVisible(); }, [this] { return description_->text(); },
                                 [this] { SaveButtonClick(); });
    chooseStock = [this](const LabelStock& stock, bool& manual) { return chooseStockWithDialogs(stock, manual); };
    updateCaptions();
}

TLabelDesignScreen::~TLabelDesignScreen()
{
    // The panel belongs to the print screen; it only visited.
    if (area_->widget() == panel_)
        area_->takeWidget();
    panel_->setParent(panelHome_);
    panel_->hide();
}

QToolButton* TLabelDesignScreen::tool(const char* name) const { return findChild<QToolButton*>(QLatin1String(name)); }
bool TLabelDesignScreen::saveVisible() const { return !save_->isHidden(); }

void TLabelDesignScreen::changed()
{
    if (tracking_)
        save_->show();
}

void TLabelDesignScreen::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!activated_) {
        activated_ = true;
        // Inside the window's own event loop, so that closing it from the
        // set-up (or from anything the set-up lets run) ends that loop.
        QTimer::singleShot(0, this, &TLabelDesignScreen::FormActivate);
    }
}

void TLabelDesignScreen::FormActivate()
{
    restorePlacement(this, QStringLiteral("TLabelDesignScreen"));
    fitSurface();
    updateCaptions();
    showArt_->setEnabled(!record_.stock.art.trimmed().isEmpty());
    showArt_->setChecked(showArt_->isEnabled());
    drawArt();
    if (record_.isNew) {
        const QSize s = labelSurfaceSize(record_.stock);
        panel_->setPanelState(design::psAddressLabel);
        panel_->createObject(QRect(QPoint(5, 5), QPoint(s.width() - 10, s.height() - 10)));
        panel_->setPanelState(design::psPointing);
        tool("SelectionTool")->setChecked(true);
        panel_->selectInRect(panel_->rect(), false);
        showInformation(kNewLabelNote);
    }
    // Changes count from here; objects re-fitting after the set-up are not the user's.
    QTimer::singleShot(0, this, [this] {
        tracking_ = true;
        if (record_.isNew)
            save_->show();
        ready_ = true;
    });
}

void TLabelDesignScreen::fitSurface()
{
    const QSize size = labelSurfaceSize(record_.stock);
    const QString shape = record_.stock.shape.trimmed().toUpper();
    const design::TLabelShapeType type = shape == QLatin1String("SR")   ? design::lsRectangle
                                         : shape == QLatin1String("EL") ? design::lsEllipse
                                                                        : design::lsRoundRect;
    const float zoom = panel_->zoom();
    if (zoom != 1.0f)
        panel_->setZoom(1.0f);
    if (panel_->size() != size)
        panel_->resize(size);
    panel_->setShape(type);
    panel_->setDrawOutline(true);
    if (zoom != 1.0f)
        panel_->setZoom(zoom);
}

void TLabelDesignScreen::drawArt()
{
    if (showArt_->isChecked() && !record_.stock.art.trimmed().isEmpty())
        panel_->setPicture(artBackground(stockOutline(record_.stock, labelSurfaceSize(record_.stock))));
    else
        panel_->setPicture(QImage());
}

void TLabelDesignScreen::updateCaptions()
{
    layoutAction_->setText(layoutMenuCaption(record_.stock));
    const QFont f = panel_->font();
    fontAction_->setText(defaultFontCaption(f.family(), f.pointSize(), f.bold(), f.italic()));
    zoomButton_->setText(zoomCaption(zoom_));
}

void TLabelDesignScreen::zoomStep(int direction)
{
    const double next = labelZoomStep(zoom_, direction);
    if (next != zoom_)
        setZoom(next);
}

void TLabelDesignScreen::ToolClick(int state)
{
    const auto s = design::TLPanelState(state);
    if (s == design::psPostNetBarCode && record_.stock.labelWidth < 2.85) {
        showInformation(kPostnetTooNarrow);
        tool("SelectionTool")->setChecked(true);
        panel_->setPanelState(design::psPointing);
        return;
    }
    if (s == design::psIntelligentMailBarCode && record_.stock.labelWidth < imb::kMinimumLabelWidth) {
        showInformation(QString::fromLatin1(imb::kLabelTooNarrowWarning));
        tool("SelectionTool")->setChecked(true);
        panel_->setPanelState(design::psPointing);
        return;
    }
    panel_->setPanelState(s);
}

std::optional<LabelStock> TLabelDesignScreen::chooseStockWithDialogs(const LabelStock& stock, bool& manual)
{
    TChooseLabelLayout chooser(this);
    centreWindow(&chooser);
    chooser.exec();
    if (chooser.choice() == TChooseLabelLayout::Choice::Cancelled)
        return std::nullopt;
    manual = chooser.choice() == TChooseLabelLayout::Choice::Manual;
    if (manual) {
        TLabelEdit edit(stock, this);
        centreWindow(&edit);
        if (edit.exec() != QDialog::Accepted)
            return std::nullopt;
        return edit.stock();
    }
    std::unique_ptr<xbase::Table> catalogue = openSystemTable(SystemTable::LabelStock, xbase::OpenMode::ReadOnly);
    if (!catalogue)
        return std::nullopt;
    TSelectLabel select(*catalogue, stock, false, this);
    centreWindow(&select);
    if (select.exec() != QDialog::Accepted)
        return std::nullopt;
    return select.selected();
}

void TLabelDesignScreen::LayoutClick()
{
    bool manual = false;
    const std::optional<LabelStock> chosen = chooseStock ? chooseStock(record_.stock, manual) : std::nullopt;
    if (chosen)
        applyStock(*chosen, manual);
}

void TLabelDesignScreen::applyStock(const LabelStock& stock, bool manual)
{
    const bool artWasDown = showArt_->isChecked();
    record_.stock = stock;
    if (manual)
        record_.stock.makeUserDefined();
    fitSurface();
    if (manual) {
        showArt_->setChecked(false);
        showArt_->setEnabled(false);
    } else {
        showArt_->setEnabled(!record_.stock.art.trimmed().isEmpty());
        showArt_->setChecked(showArt_->isEnabled());
    }
    drawArt();
    save_->show();
    panel_->keepObjectsInside();
    if (artWasDown && showArt_->isEnabled()) {
        showArt_->setChecked(true);
        drawArt();
    }
    updateCaptions();
    if (record_.stock.labelWidth < 2.85) {
        for (design::TKGraphicControl* o : panel_->designObjects())
            if (o->designClassName() == QLatin1String("TKPostNetBarCode")) {
                showInformation(kPostnetRemoved);
                panel_->clearSelection();
                delete o;
                break;
            }
    }
    if (record_.stock.labelWidth < imb::kMinimumLabelWidth) {
        for (design::TKGraphicControl* o : panel_->designObjects())
            if (o->designClassName() == QLatin1String("TKIntelligentMailBarCode")) {
                showInformation(QStringLiteral("Warning: ") + QString::fromLatin1(imb::kLabelTooNarrowWarning));
                panel_->clearSelection();
                delete o;
                break;
            }
    }
}

void TLabelDesignScreen::DefaultFontClick()
{
    showInformation(QStringLiteral("Note: the default font is used for NEW objects only.\rTo change the font of an "
                                   "existing object, click it\rwith the RIGHT MOUSE BUTTON and select FONT"));
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, panel_->font(), this);
    if (!ok)
        return;
    panel_->setFont(chosen);
    DefaultFontPreferences prefs;
    prefs.name = chosen.family();
    prefs.size = chosen.pointSize();
    prefs.bold = chosen.bold();
    prefs.italic = chosen.italic();
    Settings settings = Settings::program();
    prefs.write(settings, DesignKind::Label);
    updateCaptions();
}

void TLabelDesignScreen::moveRecord(int which)
{
    if (!addresses_.isOpen())
        return;
    if (which == 4) {
        if (const QString warning = design::showTallestAddress(*panel_); !warning.isEmpty())
            showInformation(warning);
        return;
    }
    stepRecord(addresses_.table(), RecordStep(which));
    if (which == 0)
        panel_->resetCounters();
    else
        panel_->advanceCounters();
    panel_->refreshData();
}

void TLabelDesignScreen::SaveButtonClick()
{
    // What lies outside is judged in the surface's own pixels.
    setZoom(1.0);
    panel_->deleteObjectsOutside();
    record_.description = description_->text().left(kLayoutDescriptionLength);
    accept();
}

void TLabelDesignScreen::keyPressEvent(QKeyEvent* event)
{
    if (description_->hasFocus() || event->key() == Qt::Key_Escape)
        return QDialog::keyPressEvent(event);
    if (design::designScreenKey(event, area_, [this](int step) { zoomStep(step); }))
        return;
    // A key the panel leaves alone comes back up through its parents to this
    // window: it is not sent down again.
    if (forwardingKey_)
        return QDialog::keyPressEvent(event);
    forwardingKey_ = true;
    QCoreApplication::sendEvent(panel_, event);
    forwardingKey_ = false;
}

void TLabelDesignScreen::done(int result)
{
    if (activated_)
        savePlacement(this, QStringLiteral("TLabelDesignScreen"));
    // The panel goes back to its owner at 100 percent, saved or not.
    setZoom(1.0);
    QDialog::done(result);
}

void TLabelDesignScreen::setZoom(double zoom)
{
    zoom_ = zoom;
    panel_->setZoom(float(zoom_));
    updateCaptions();
}

} // namespace qb
