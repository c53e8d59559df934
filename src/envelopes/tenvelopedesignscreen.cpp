#include "envelopes/tenvelopedesignscreen.h"

#include "core/address_table.h"
#include "core/messages.h"
#include "core/placement.h"
#include "core/record_steps.h"
#include "core/preferences.h"
#include "core/settings.h"
#include "design/design_screen_parts.h"
#include "design/tkmultilinelabel.h"
#include "design/tkgraphiccontrol.h"
#include "design/intelligent_mail.h"
#include "envelopes/envelope_dialogs.h"
#include "envelopes/tenvelopepanel.h"
#include "labels/tlabeldesignscreen.h"
#include "platform/help/help_viewer.h"
#include "platform/xbase/table.h"

#include <QAction>
#include <QCoreApplication>
#include <QFontDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace qb {

namespace {

struct Tool {
    const char* name;
    const char* caption;   // the tool's hint
    const char* text;      // what its button shows
    design::TLPanelState state;
};
const Tool kTools[] = {
    {"SelectionTool", "Selection tool", "Select", design::psPointing},
    {"TextTool", "Text tool", "Text", design::psLabel},
    {"MultiLineTextTool", "Multi-line text tool", "Multi-line", design::psMultiLineLabel},
    {"RectangleTool", "Rectangle tool", "Rectangle", design::psRectangle},
    {"EllipseTool", "Ellipse tool", "Ellipse", design::psEllipse},
    {"RoundRectangleTool", "Round Rectangle tool", "Round rect.", design::psRoundRectangle},
    {"LineTool", "Line Tool", "Line", design::psLine},
    {"ClipArtTool", "Clip Art Tool", "Clip art", design::psImage},
    {"PostnetBarcodeTool", "Postnet Barcode tool", "Postnet", design::psPostNetBarCode},
    {"IntelligentMailBarcodeTool", "Intelligent Mail Barcode tool", "IMb", design::psIntelligentMailBarCode},
    {"DatabaseFieldTool", "Database Field tool", "Field", design::psDataLabel},
    {"DatabaseMailingAddressTool", "Database Mailing Address tool", "Address", design::psAddressLabel},
    {"FIMBarcodeTool", "FIM Barcode tool", "FIM", design::psFIMBarCode},
};

} // namespace

double envelopeZoomStep(double zoom, int direction)
{
    const double next = std::round((zoom + 0.1 * direction) * 10.0) / 10.0;
    return next < 0.6 - 1e-9 || next > 1.4 + 1e-9 ? zoom : next;
}

QString envelopeLayoutCaption(int code)
{
    const std::optional<EnvelopeSize> s = envelopeSize(code);
    return QStringLiteral("Layout: ") + (s ? s->layoutText : kUnknownEnvelopeSize);
}

TEnvelopeDesignScreen::TEnvelopeDesignScreen(EnvelopeLayoutRecord& record, TEnvelopePanel* panel,
                                             AddressTable& addresses, QWidget* parent)
    : QDialog(parent), record_(record), panel_(panel), panelHome_(panel->parentWidget()), addresses_(addresses)
{
    setWindowTitle(QStringLiteral("Envelope Design Screen"));
    setObjectName(QStringLiteral("TEnvelopeDesignScreen"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);

    auto* menus = new QMenuBar(this);
    QMenu* settings = menus->addMenu(QStringLiteral("Settings"));
    settings->setObjectName(QStringLiteral("SettingsMenu"));
    fontAction_ = settings->addAction(QString(), this, &TEnvelopeDesignScreen::DefaultFontClick);
    fontAction_->setObjectName(QStringLiteral("mnuDefaultFont"));
    layoutAction_ = settings->addAction(QString(), this, [this] {
        if (const std::optional<int> code = chooseSize(record_.code))
            applySize(*code);
        updateCaptions();
    });
    layoutAction_->setObjectName(QStringLiteral("mnuLayout"));

    description_ = new QLineEdit(this);
    description_->setObjectName(QStringLiteral("LabelSetupDescription"));
    // No more than Save keeps.
    description_->setMaxLength(kEnvelopeDescriptionLength);
    auto* quickTips = new QPushButton(QStringLiteral("Quick Tips"), this);
    quickTips->setObjectName(QStringLiteral("QuickTipsButton"));
    connect(quickTips, &QPushButton::clicked, this, [this] { showHelp(HelpContext, this); });
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Description:"), this));
    top->addWidget(description_, 1);
    top->addWidget(quickTips);

    auto* palette = new QGridLayout;
    int placed = 0;
    for (const Tool& t : kTools) {
        auto* b = new QToolButton(this);
        b->setObjectName(QLatin1String(t.name));
        b->setText(QLatin1String(t.text));
        b->setToolTip(QLatin1String(t.caption));
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        b->setCheckable(true);
        b->setAutoExclusive(true);
        palette->addWidget(b, placed / 2, placed % 2);
        ++placed;
        const int state = int(t.state);
        connect(b, &QToolButton::clicked, this, [this, state] { ToolClick(state); });
    }
    palette->setRowStretch(placed / 2 + 1, 1);
    tool("SelectionTool")->setChecked(true);

    auto* toggles = new QHBoxLayout;
    const auto toggle = [this, toggles](const char* name, const QString& caption, const QString& hint = {}) {
        auto* b = new QToolButton(this);
        b->setObjectName(QLatin1String(name));
        b->setText(caption);
        b->setToolTip(hint.isEmpty() ? caption : hint);
        b->setCheckable(true);
        toggles->addWidget(b);
        return b;
    };
    QToolButton* grid = toggle("ShowGridButton", QStringLiteral("Show grid"));
    QToolButton* snap = toggle("SnapToGridButton", QStringLiteral("Snap to Grid"));
    QToolButton* names = toggle("FieldNamesButton", QStringLiteral("Field names"));
    QToolButton* margins = toggle("ShowPrinterMarginsButton", QStringLiteral("Printer margins"),
                                  QStringLiteral("Show the printer's unprintable areas as a red dotted line"));
    QToolButton* usps = toggle("USPSTemplate", QStringLiteral("USPS template"),
                               QStringLiteral("Show USPS Automation Template"));
    connect(grid, &QToolButton::toggled, panel_, &design::TKBasePanel::setShowGrid);
    connect(snap, &QToolButton::toggled, panel_, &design::TKBasePanel::setSnapToGrid);
    connect(names, &QToolButton::toggled, this, [this](bool down) { panel_->setDisplayDataValues(!down); });
    connect(margins, &QToolButton::toggled, panel_, &TEnvelopePanel::setShowPrinterMargins);
    connect(usps, &QToolButton::toggled, panel_, &TEnvelopePanel::setShowTemplate);
    zoomButton_ = design::addZoomButtons(toggles, this, [this](int step) { zoomStep(step); });
    toggles->addStretch();

    area_ = design::newDesignArea(this, panel_);

    auto* bottom = new QHBoxLayout;
    const design::DesignScreenButtons buttons = design::addDesignScreenButtons(bottom, this, [this](int move) { moveRecord(move); });
    save_ = buttons.save;
    connect(buttons.cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(save_, &QPushButton::clicked, this, &TEnvelopeDesignScreen::SaveButtonClick);
    connect(buttons.help, &QPushButton::clicked, this, [this] { showHelp(HelpContext, this); });

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menus);
    layout->addLayout(top);
    layout->addLayout(toggles);
    auto* middle = new QHBoxLayout;
    middle->addLayout(palette);
    middle->addWidget(area_, 1);
    layout->addLayout(middle, 1);
    layout->addLayout(bottom);
    resize(1100, 560);

    description_->setText(record_.isNew ? QStringLiteral("<New envelope>") : record_.description);
    panel_->setFont(design::defaultDesignFont(DesignKind::Envelope));
    connect(panel_, &design::TKBasePanel::labelChanged, this, &TEnvelopeDesignScreen::changed);
    connect(panel_, &design::TKBasePanel::droppedObject, this, [this] {
        panel_->setPanelState(design::psPointing);
        tool("SelectionTool")->setChecked(true);
    });
    connect(description_, &QLineEdit::textEdited, this, &TEnvelopeDesignScreen::changed);
    new design::DesignCloseGuard(this, [this] { return saveVisible(); }, [this] { return description_->text(); },
                                 [this] { SaveButtonClick(); });
    chooseSize = [this](int code) -> std::optional<int> {
        TChooseEnvelopeLayout dialog(code, this);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.code();
    };
    updateCaptions();
}

TEnvelopeDesignScreen::~TEnvelopeDesignScreen()
{
    // The panel belongs to the envelope screen; it only visited.
    if (area_->widget() == panel_)
        area_->takeWidget();
    panel_->setParent(panelHome_);
    panel_->hide();
}

QToolButton* TEnvelopeDesignScreen::tool(const char* name) const { return findChild<QToolButton*>(QLatin1String(name)); }
bool TEnvelopeDesignScreen::saveVisible() const { return !save_->isHidden(); }

void TEnvelopeDesignScreen::changed()
{
    if (tracking_)
        save_->show();
}

void TEnvelopeDesignScreen::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!activated_) {
        activated_ = true;
        QTimer::singleShot(0, this, &TEnvelopeDesignScreen::FormActivate);
    }
}

void TEnvelopeDesignScreen::FormActivate()
{
    restorePlacement(this, QStringLiteral("TEnvelopeDesignScreen"));
    fitSurface();
    updateCaptions();
    if (!envelopeSize(record_.code))
        showInformation(unknownEnvelopeSizeMessage(record_.code));
    QTimer::singleShot(0, this, [this] {
        tracking_ = true;
        save_->hide();
        ready_ = true;
    });
}

void TEnvelopeDesignScreen::fitSurface()
{
    // An unknown size shows a #10 surface until the user picks the right one.
    const EnvelopeSize s = envelopeSize(record_.code).value_or(*envelopeSize(kDefaultEnvelopeCode));
    const QSize size = TEnvelopePanel::surfaceSize(s.width, s.height);
    const float zoom = panel_->zoom();
    if (zoom != 1.0f)
        panel_->setZoom(1.0f);
    if (panel_->size() != size)
        panel_->resize(size);
    panel_->setShape(design::lsRectangle);
    panel_->setDrawOutline(true);
    if (zoom != 1.0f)
        panel_->setZoom(zoom);
}

void TEnvelopeDesignScreen::updateCaptions()
{
    layoutAction_->setText(envelopeLayoutCaption(record_.code));
    const QFont f = panel_->font();
    fontAction_->setText(defaultFontCaption(f.family(), f.pointSize(), f.bold(), f.italic()));
    zoomButton_->setText(zoomCaption(zoom_));
}

void TEnvelopeDesignScreen::zoomStep(int direction)
{
    const double next = envelopeZoomStep(zoom_, direction);
    if (next != zoom_)
        setZoom(next);
}

void TEnvelopeDesignScreen::setZoom(double zoom)
{
    zoom_ = zoom;
    panel_->setZoom(float(zoom_));
    updateCaptions();
}

void TEnvelopeDesignScreen::ToolClick(int state)
{
    const auto s = design::TLPanelState(state);
    const std::optional<EnvelopeSize> size = envelopeSize(record_.code);
    if (s == design::psIntelligentMailBarCode && size && size->width < imb::kMinimumLabelWidth) {
        showInformation(QString::fromLatin1(imb::kLabelTooNarrowWarning).replace(QStringLiteral("label"),
                                                                                  QStringLiteral("envelope")));
        tool("SelectionTool")->setChecked(true);
        panel_->setPanelState(design::psPointing);
        return;
    }
    panel_->setPanelState(s);
}

void TEnvelopeDesignScreen::applySize(int code)
{
    const double zoom = zoom_;
    setZoom(1.0);
    record_.code = code;
    fitSurface();
    // What now reaches past the new edges comes wholly back inside them, so
    // nothing prints cut off (an object larger than the surface keeps to its
    // top left corner).
    const QSize s = panel_->size();
    for (design::TKGraphicControl* o : panel_->designObjects()) {
        QRect b = o->bounds();
        if (b.left() + b.width() > s.width())
            b.moveLeft(std::max(0, s.width() - b.width()));
        if (b.top() + b.height() > s.height())
            b.moveTop(std::max(0, s.height() - b.height()));
        if (b != o->bounds())
            o->setBounds(b.left(), b.top(), b.width(), b.height());
    }
    setZoom(zoom);
    changed();
    updateCaptions();
}

void TEnvelopeDesignScreen::DefaultFontClick()
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
    prefs.write(settings, DesignKind::Envelope);
    updateCaptions();
}

void TEnvelopeDesignScreen::moveRecord(int which)
{
    if (!addresses_.isOpen())
        return;
    if (which == 4) {
        if (const QString warning = design::showTallestAddress(*panel_); !warning.isEmpty())
            showInformation(warning);
        return;
    }
    const QString error = stepRecord(addresses_.table(), RecordStep(which));
    if (!error.isEmpty())
        showInformation(error);
    panel_->refreshData();
}

void TEnvelopeDesignScreen::SaveButtonClick()
{
    setZoom(1.0);
    // Objects past the edges (or of no size) are not kept.
    panel_->deleteObjectsOutside();
    record_.description = description_->text().left(kEnvelopeDescriptionLength);
    accept();
}

void TEnvelopeDesignScreen::keyPressEvent(QKeyEvent* event)
{
    if (description_->hasFocus() || event->key() == Qt::Key_Escape)
        return QDialog::keyPressEvent(event);
    if (design::designScreenKey(event, area_, [this](int step) { zoomStep(step); }))
        return;
    if (forwardingKey_)
        return QDialog::keyPressEvent(event);
    forwardingKey_ = true;
    QCoreApplication::sendEvent(panel_, event);
    forwardingKey_ = false;
}

void TEnvelopeDesignScreen::done(int result)
{
    if (activated_)
        savePlacement(this, QStringLiteral("TEnvelopeDesignScreen"));
    setZoom(1.0);
    QDialog::done(result);
}

} // namespace qb
