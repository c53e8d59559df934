#include "reports/treportdesigner.h"

#include "core/address_table.h"
#include "core/memo_text.h"
#include "core/messages.h"
#include "design/design_screen_parts.h"
#include "design/thruler.h"
#include "design/tkgraphiccontrol.h"
#include "labels/tlabeldesignscreen.h"
#include "platform/help/help_viewer.h"
#include "platform/xbase/table.h"
#include "reports/treportlayoutdialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFontDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace qb {

using design::TKGraphicControl;

namespace {

constexpr int kMemoBandHeight = 33;

struct ToolDef {
    const char* name;
    const char* hint;
    TRPanelState state;
};

const ToolDef kTools[] = {
    {"SelectionTool", "Selection tool", psPointing},
    {"TextTool", "Text tool", psLabel},
    {"LineTool", "Line Tool", psLine},
    {"ClipArtTool", "Clip Art Tool", psImage},
    {"DatabaseFieldTool", "Database Field tool", psDataLabel},
    {"DateTimeTool", "Date Time Tool", psDateTime},
    {"PageNumberTool", "Page Number Tool", psPageNumber},
    {"SymbolTool", "Symbol tool", psSymbolLabel},
    {"RectangleTool", "Rectangle tool", psRectangle},
    {"EllipseTool", "Ellipse tool", psEllipse},
    {"RoundRectangleTool", "Round Rectangle tool", psRoundRectangle},
};

const char* const kBandNames[] = {"Header", "Detail", "Memo", "Footer"};

int* heightOf(ReportLayout& l, ReportBand band)
{
    switch (band) {
    case kHeaderBand: return &l.headerHeight;
    case kDetailBand: return &l.detailHeight;
    case kFooterBand: return &l.footerHeight;
    case kMemoBand: break;
    }
    return nullptr;
}

bool* useOf(ReportLayout& l, ReportBand band)
{
    switch (band) {
    case kHeaderBand: return &l.useHeader;
    case kDetailBand: return &l.useDetail;
    case kMemoBand: return &l.useMemo;
    case kFooterBand: return &l.useFooter;
    }
    return nullptr;
}

QFont fontOf(const ReportFont& f)
{
    QFont font(f.name);
    font.setPointSize(std::max(1, f.size));
    font.setBold(f.bold);
    font.setItalic(f.italic);
    return font;
}

} // namespace

TReportDesigner::TReportDesigner(ReportRecord& record, ReportLayout& layout, const ReportBands& bands,
                                 AddressTable& addresses, QWidget* parent)
    : QDialog(parent), record_(record), result_(layout), layout_(layout), bands_(bands), addresses_(addresses)
{
    setWindowTitle(QStringLiteral("Report Designer"));
    setObjectName(QStringLiteral("TReportDesigner"));
    auto* menuBar = new QMenuBar(this);
    QMenu* settings = menuBar->addMenu(QStringLiteral("Settings"));
    settings->setObjectName(QStringLiteral("SettingsMenu"));
    fontAction_ = settings->addAction(QString(), this, &TReportDesigner::DefaultFontClick);
    fontAction_->setObjectName(QStringLiteral("mnuDefaultFont"));
    layoutAction_ = settings->addAction(QString(), this, &TReportDesigner::LayoutClick);
    layoutAction_->setObjectName(QStringLiteral("mnuLayout"));

    description_ = new QLineEdit(record.description, this);
    description_->setObjectName(QStringLiteral("DescriptionEdit"));
    description_->setMaxLength(kReportDescriptionLength);
    auto* tips = new QPushButton(QStringLiteral("Quick Tips"), this);
    tips->setObjectName(QStringLiteral("QuickTipsButton"));
    tips->setAutoDefault(false);
    connect(tips, &QPushButton::clicked, this, [this] { showHelp(HelpContext, this); });

    auto* toolBar = new QToolBar(this);
    auto* group = new QButtonGroup(this);
    for (const ToolDef& t : kTools) {
        auto* b = new QToolButton(toolBar);
        b->setObjectName(QLatin1String(t.name));
        b->setText(QLatin1String(t.hint));
        b->setToolTip(QLatin1String(t.hint));
        b->setCheckable(true);
        group->addButton(b);
        toolBar->addWidget(b);
        const TRPanelState state = t.state;
        connect(b, &QToolButton::clicked, this, [this, state] { ToolClick(state); });
    }
    tool("SelectionTool")->setChecked(true);
    const auto toggle = [this, toolBar](const char* name, const QString& hint, bool on, auto apply) {
        auto* b = new QToolButton(toolBar);
        b->setObjectName(QLatin1String(name));
        b->setText(hint);
        b->setToolTip(hint);
        b->setCheckable(true);
        b->setChecked(on);
        toolBar->addWidget(b);
        connect(b, &QToolButton::toggled, this, apply);
    };
    toggle("ShowGridButton", QStringLiteral("Show grid"), false, [this](bool on) {
        for (TReportPanel* p : bands_)
            p->setShowGrid(on);
    });
    toggle("SnapToGridButton", QStringLiteral("Snap to Grid"), false, [this](bool on) {
        for (TReportPanel* p : bands_)
            p->setSnapToGrid(on);
    });
    toggle("FieldNamesButton", QStringLiteral("Toggle display of field names or field values"), false,
           [this](bool on) { bands_[1]->setDisplayDataValues(!on); });
    auto* zoomIn = new QToolButton(toolBar);
    zoomIn->setObjectName(QStringLiteral("ZoomInButton"));
    zoomIn->setText(QStringLiteral("Zoom In"));
    toolBar->addWidget(zoomIn);
    connect(zoomIn, &QToolButton::clicked, this, [this] { setZoom(zoom_ + 0.2); });
    auto* zoomOut = new QToolButton(toolBar);
    zoomOut->setObjectName(QStringLiteral("ZoomOutButton"));
    zoomOut->setText(QStringLiteral("Zoom Out"));
    toolBar->addWidget(zoomOut);
    connect(zoomOut, &QToolButton::clicked, this, [this] { setZoom(zoom_ - 0.2); });

    // The page: ruler, then each band's caption bar, panel and sizer.
    page_ = new QWidget(this);
    page_->setObjectName(QStringLiteral("ReportPage"));
    auto* pageLayout = new QVBoxLayout(page_);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(0);
    auto* ruler = new design::THRuler(page_);
    ruler->setObjectName(QStringLiteral("HRuler"));
    ruler->setFixedHeight(20);
    ruler_ = ruler;
    pageLayout->addWidget(ruler);
    memoBand_ = new QWidget(page_);
    memoBand_->setObjectName(QStringLiteral("MemoBand"));
    memo_ = new QPlainTextEdit(memoBand_);
    memo_->setObjectName(QStringLiteral("MemoBox"));
    memo_->setReadOnly(true);
    auto* properties = new QPushButton(QStringLiteral("Properties"), memoBand_);
    properties->setObjectName(QStringLiteral("MemoPropertiesButton"));
    properties->setAutoDefault(false);
    auto* memoMenu = new QMenu(properties);
    memoMenu->setObjectName(QStringLiteral("MemoPropertiesMenu"));
    memoMenu->addAction(QStringLiteral("Font"), this, &TReportDesigner::MemoFontClick)->setObjectName("mnuMemoFont");
    const char* const alignNames[] = {"Left Aligned", "Right Aligned", "Centered"};
    for (int a : {0, 2, 1}) {
        QAction* act = memoMenu->addAction(QLatin1String(alignNames[a]), this, [this, a] { setMemoAlignment(a); });
        act->setCheckable(true);
        alignActions_[size_t(a)] = act;
    }
    properties->setMenu(memoMenu);
    auto* memoLayout = new QHBoxLayout(memoBand_);
    memoLayout->setContentsMargins(0, 0, 0, 0);
    memoLayout->addWidget(memo_, 1);
    memoLayout->addWidget(properties);

    for (int b = 0; b < 4; ++b) {
        const auto band = ReportBand(b);
        auto* caption = new QFrame(page_);
        caption->setFrameShape(QFrame::StyledPanel);
        caption->setFixedHeight(20);
        auto* check = new QCheckBox(QLatin1String(kBandNames[b]), caption);
        check->setObjectName(QLatin1String(kBandNames[b]) + QStringLiteral("Check"));
        check->setChecked(*useOf(layout_, band));
        auto* captionLayout = new QHBoxLayout(caption);
        captionLayout->setContentsMargins(4, 0, 4, 0);
        captionLayout->addWidget(check);
        captionLayout->addStretch();
        checks_[size_t(b)] = check;
        connect(check, &QCheckBox::clicked, this, [this, band](bool on) { setBandUsed(band, on); });
        pageLayout->addWidget(caption);
        if (band == kMemoBand) {
            pageLayout->addWidget(memoBand_, 0, Qt::AlignLeft);
            continue;
        }
        TReportPanel* panel = this->band(band);
        homes_[size_t(b == 3 ? 2 : b)] = panel->parentWidget();
        panel->setParent(page_);
        panel->setDataset(&addresses_);
        panel->refuse = [](const QString& text) { showInformation(text); };
        connect(panel, &design::TKBasePanel::droppedObject, this,
                [this] { QTimer::singleShot(0, this, [this] { ToolClick(psPointing); tool("SelectionTool")->setChecked(true); }); });
        pageLayout->addWidget(panel, 0, Qt::AlignLeft);
        auto* sizer = new QFrame(page_);
        sizer->setObjectName(QLatin1String(kBandNames[b]) + QStringLiteral("Sizer"));
        sizer->setFrameShape(QFrame::HLine);
        sizer->setFixedHeight(5);
        sizer->setCursor(Qt::SizeVerCursor);
        sizer->installEventFilter(this);
        sizers_[size_t(b)] = sizer;
        pageLayout->addWidget(sizer);
    }
    pageLayout->addStretch();
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("PageArea"));
    scroll->setWidget(page_);
    scroll->setWidgetResizable(true);

    const auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    QPushButton* cancel = button("CancelButton", QStringLiteral("Cancel"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    QPushButton* save = button("SaveButton", QStringLiteral("Save"));
    connect(save, &QPushButton::clicked, this, &TReportDesigner::SaveButtonClick);
    QPushButton* help = button("HelpButton", QStringLiteral("Help"));
    connect(help, &QPushButton::clicked, this, [this] { showHelp(HelpContext, this); });
    auto* bottom = new QHBoxLayout;
    static const char* const moves[] = {"FirstButton", "PriorButton", "NextButton", "LastButton"};
    static const char* const arrows[] = {"|<", "<", ">", ">|"};
    for (int i = 0; i < 4; ++i) {
        QPushButton* b = button(moves[i], QLatin1String(arrows[i]));
        connect(b, &QPushButton::clicked, this, [this, i] { moveRecord(i); });
        bottom->addWidget(b);
    }
    bottom->addStretch();
    for (QPushButton* b : {cancel, save, help})
        bottom->addWidget(b);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Description:"), this));
    top->addWidget(description_, 1);
    top->addWidget(tips);
    auto* layoutBox = new QVBoxLayout(this);
    layoutBox->setMenuBar(menuBar);
    layoutBox->addLayout(top);
    layoutBox->addWidget(toolBar);
    layoutBox->addWidget(scroll, 1);
    layoutBox->addLayout(bottom);

    chooseLayout = [this](ReportLayout& l) {
        TReportLayoutDialog dialog(l, this);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        l = dialog.layout();
        return true;
    };
    chooseFont = [this](ReportFont& f) {
        bool ok = false;
        const QFont chosen = QFontDialog::getFont(&ok, fontOf(f), this);
        if (!ok)
            return false;
        f = {chosen.family(), chosen.pointSize(), chosen.bold(), chosen.italic()};
        return true;
    };
    applyDefaultFont();
    for (TReportPanel* p : bands_)
        p->refreshData();
    relayout();
    showMemo();
    updateCaptions();
    resize(900, 700);
    auto* guard = new design::DesignCloseGuard(
        this, [this, opened = layout_] { return description_->text() != record_.description || layout_ != opened; },
        [this] { return description_->text(); }, [this] { SaveButtonClick(); });
    for (TReportPanel* p : bands_)
        guard->watch(p);
}

TReportDesigner::~TReportDesigner() = default;

QToolButton* TReportDesigner::tool(const char* name) const { return findChild<QToolButton*>(QLatin1String(name)); }

TReportPanel* TReportDesigner::band(ReportBand b) const
{
    switch (b) {
    case kHeaderBand: return bands_[0];
    case kDetailBand: return bands_[1];
    case kFooterBand: return bands_[2];
    case kMemoBand: break;
    }
    return nullptr;
}

int TReportDesigner::bandHeight(ReportBand b) const
{
    if (b == kMemoBand)
        return layout_.useMemo ? kMemoBandHeight : 0;
    return *heightOf(const_cast<ReportLayout&>(layout_), b);
}

int TReportDesigner::available() const { return layout_.availableHeight(); }

int TReportDesigner::usedHeights() const
{
    // A band switched off takes no room, whatever height it last had.
    return (layout_.useHeader ? layout_.headerHeight : 0) + (layout_.useDetail ? layout_.detailHeight : 0) +
           (layout_.useFooter ? layout_.footerHeight : 0);
}

void TReportDesigner::setBandHeight(ReportBand b, int height)
{
    int* h = heightOf(layout_, b);
    if (!h)
        return;
    *h = std::max(0, height);
    const int excess = usedHeights() - available();
    if (excess > 0)
        *h = std::max(0, *h - excess);
    relayout();
    keepObjectsIn(band(b));
}

void TReportDesigner::keepObjectsIn(TReportPanel* panel)
{
    const int h = panel->height(), w = panel->width();   // both zoomed, as the objects' bounds
    for (TKGraphicControl* o : panel->designObjects()) {
        QRect r = o->bounds();
        const QRect before = r;
        if (r.top() > h)
            r.moveTop(h);
        if (r.left() > w)
            r.moveLeft(w);
        if (r != before)
            o->setBounds(r.left(), r.top(), r.width(), r.height());
    }
}

void TReportDesigner::setBandUsed(ReportBand b, bool on)
{
    *useOf(layout_, b) = on;
    checks_[size_t(b)]->setChecked(on);
    if (int* h = heightOf(layout_, b)) {
        if (!on)
            *h = 0;
        else if (*h == 0)
            *h = 20;
        // A band switched on with the height it had keeps to the page too.
        const int excess = usedHeights() - available();
        if (on && excess > 0)
            *h = std::max(0, *h - excess);
    }
    relayout();
    if (on && b != kMemoBand)
        keepObjectsIn(band(b));
}

void TReportDesigner::fitBandsToPage()
{
    // A smaller page (landscape, wider margins) takes the excess from the
    // footer first, then the detail band, then the header.
    for (const ReportBand b : {kFooterBand, kDetailBand, kHeaderBand}) {
        const int excess = usedHeights() - available();
        if (excess <= 0)
            break;
        if (!*useOf(layout_, b))
            continue;
        int* h = heightOf(layout_, b);
        *h = std::max(0, *h - excess);
    }
}

void TReportDesigner::relayout()
{
    const int width = std::max(1, layout_.bandWidth());
    const auto scaled = [this](int v) { return int(std::lround(v * zoom_)); };
    for (int b : {0, 1, 3}) {
        const auto rb = ReportBand(b);
        TReportPanel* p = band(rb);
        const bool used = *useOf(layout_, rb);
        const int h = used ? *heightOf(layout_, rb) : 0;
        p->setFixedSize(scaled(width), scaled(h));
        p->setVisible(h > 0);
        sizers_[size_t(b)]->setEnabled(used);
    }
    memoBand_->setFixedSize(scaled(width), layout_.useMemo ? kMemoBandHeight : 0);
    memoBand_->setVisible(layout_.useMemo);
    ruler_->setFixedWidth(scaled(width));
    page_->adjustSize();
}

void TReportDesigner::setZoom(double zoom)
{
    zoom = std::round(zoom * 10) / 10;
    if (zoom < 0.6 - 1e-9 || zoom > 1.4 + 1e-9 || zoom == zoom_)
        return;
    zoom_ = zoom;
    for (TReportPanel* p : bands_) {
        p->setMinimumSize(0, 0);
        p->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        p->setZoom(float(zoom));
    }
    relayout();
}

void TReportDesigner::ToolClick(TRPanelState state)
{
    for (TReportPanel* p : bands_) {
        p->setPanelState(state);
        p->setAcceptsObjects(state == psPointing || TReportPanel::toolAllowed(state, p->panelKind()));
    }
}

QString TReportDesigner::layoutCaption() const { return QStringLiteral("Layout: ") + layout_.layoutText(); }

QString TReportDesigner::defaultFontCaptionText() const
{
    const ReportFont& f = layout_.defaultFont;
    return defaultFontCaption(f.name, f.size, f.bold, f.italic);
}

void TReportDesigner::updateCaptions()
{
    fontAction_->setText(defaultFontCaptionText());
    layoutAction_->setText(layoutCaption());
    for (int a = 0; a < 3; ++a)
        alignActions_[size_t(a)]->setChecked(layout_.memoAlignment == a);
}

void TReportDesigner::applyDefaultFont()
{
    for (TReportPanel* p : bands_)
        p->setFont(fontOf(layout_.defaultFont));
}

void TReportDesigner::LayoutClick()
{
    ReportLayout edited = layout_;
    if (!chooseLayout || !chooseLayout(edited))
        return;
    layout_ = edited;
    fitBandsToPage();
    relayout();
    updateCaptions();
}

void TReportDesigner::DefaultFontClick()
{
    showInformation(QStringLiteral("Note: the default font is used for NEW objects only.\rTo change the font of an "
                                   "existing object, click it\rwith the RIGHT MOUSE BUTTON and select FONT"));
    ReportFont f = layout_.defaultFont;
    if (!chooseFont || !chooseFont(f))
        return;
    layout_.defaultFont = f;
    applyDefaultFont();
    updateCaptions();
}

void TReportDesigner::MemoFontClick()
{
    ReportFont f = layout_.memoFont;
    if (!chooseFont || !chooseFont(f))
        return;
    layout_.memoFont = f;
    showMemo();
}

void TReportDesigner::setMemoAlignment(int alignment)
{
    layout_.memoAlignment = std::clamp(alignment, 0, 2);
    updateCaptions();
    showMemo();
}

void TReportDesigner::showMemo()
{
    QString text;
    if (addresses_.isOpen() && !addresses_.table().eof()) {
        try {
            text = memoForEditor(QString::fromStdString(addresses_.table().memo("MEMO")));
        } catch (const std::exception&) {
            text.clear();
        }
    }
    memo_->setFont(fontOf(layout_.memoFont));
    memo_->setPlainText(text);
    QTextOption option = memo_->document()->defaultTextOption();
    option.setAlignment(layout_.memoAlignment == 1 ? Qt::AlignRight
                                                   : (layout_.memoAlignment == 2 ? Qt::AlignHCenter : Qt::AlignLeft));
    memo_->document()->setDefaultTextOption(option);
}

void TReportDesigner::moveRecord(int which)
{
    if (!addresses_.isOpen())
        return;
    xbase::Table& t = addresses_.table();
    try {
        switch (which) {
        case 0: t.first(); break;
        case 1:
            if (!t.prior())
                t.first();
            break;
        case 2:
            if (!t.next())
                t.last();
            break;
        default: t.last(); break;
        }
    } catch (const std::exception& e) {
        showInformation(QString::fromStdString(e.what()));
    }
    bands_[1]->refreshData();
    showMemo();
}

bool TReportDesigner::eventFilter(QObject* watched, QEvent* event)
{
    for (int b : {0, 1, 3}) {
        if (watched != sizers_[size_t(b)] || !sizers_[size_t(b)]->isEnabled())
            continue;
        auto* me = static_cast<QMouseEvent*>(event);
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (me->button() == Qt::LeftButton) {
                dragBand_ = b;
                dragStartHeight_ = *heightOf(layout_, ReportBand(b));
                dragStartY_ = int(me->globalPosition().y());
                return true;
            }
            break;
        case QEvent::MouseMove:
            if (dragBand_ == b) {
                const int dy = int(me->globalPosition().y()) - dragStartY_;
                int* h = heightOf(layout_, ReportBand(b));
                *h = std::max(0, dragStartHeight_ + int(std::lround(dy / zoom_)));
                const int excess = usedHeights() - available();
                if (excess > 0)
                    *h = std::max(0, *h - excess);
                relayout();
                return true;
            }
            break;
        case QEvent::MouseButtonRelease:
            if (dragBand_ == b) {
                dragBand_ = -1;
                keepObjectsIn(band(ReportBand(b)));
                return true;
            }
            break;
        default: break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TReportDesigner::SaveButtonClick()
{
    setZoom(1.0);
    for (int b : {0, 1, 3})
        if (*heightOf(layout_, ReportBand(b)) == 0)
            *useOf(layout_, ReportBand(b)) = false;
    if (!layout_.useHeader && !layout_.useDetail && !layout_.useMemo && !layout_.useFooter) {
        for (int b = 0; b < 4; ++b)
            checks_[size_t(b)]->setChecked(false);
        showInformation(QStringLiteral("No report bands are selected. Please select at least one"));
        return;
    }
    // Objects beyond their band's edges are dropped, but never unasked.
    const int width = layout_.bandWidth();
    std::vector<TKGraphicControl*> outside;
    for (int b : {0, 1, 3}) {
        const auto rb = ReportBand(b);
        if (!*useOf(layout_, rb))
            continue;
        const int h = *heightOf(layout_, rb);
        for (TKGraphicControl* o : band(rb)->designObjects()) {
            const QRect r = o->bounds();
            if (r.top() > h + 10 || r.left() > width + 10)
                outside.push_back(o);
        }
    }
    if (!outside.empty() &&
        !askQuestion(QStringLiteral("%1 object(s) lie outside their bands and will be deleted.\r\nSave anyway?")
                         .arg(outside.size()),
                     QStringLiteral("Report Designer")))
        return;
    for (int b : {0, 1, 3}) {
        const auto rb = ReportBand(b);
        band(rb)->clearSelection();
        if (!*useOf(layout_, rb))
            band(rb)->clearObjects();
    }
    for (TKGraphicControl* o : outside)
        delete o;
    record_.description = description_->text();
    record_.layout = layout_.layoutText();
    result_ = layout_;
    accept();
}

void TReportDesigner::done(int result)
{
    // The bands go back to their owner, at zoom 1.0, as they came.
    setZoom(1.0);
    for (int i = 0; i < 3; ++i) {
        bands_[size_t(i)]->setPanelState(psPointing);
        bands_[size_t(i)]->setAcceptsObjects(true);
        bands_[size_t(i)]->setMinimumSize(0, 0);
        bands_[size_t(i)]->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        bands_[size_t(i)]->setParent(homes_[size_t(i)]);
    }
    QDialog::done(result);
}

} // namespace qb
