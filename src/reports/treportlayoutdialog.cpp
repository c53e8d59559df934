#include "reports/treportlayoutdialog.h"

#include "core/messages.h"
#include "design/design_colour.h"
#include "platform/help/help_viewer.h"
#include "printing/tbasereport.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>

namespace qb {

namespace {

constexpr double kMiniature = 20.0;   // pixels per inch

const char* const kBandTabs[] = {"Header", "Detail", "Memo", "Footer"};

// The page and its bands drawn small: margins, bands with their shade and borders.
class Miniature : public QWidget {
public:
    explicit Miniature(TReportLayoutDialog& dialog) : QWidget(&dialog), dialog_(dialog)
    {
        setObjectName(QStringLiteral("LayoutMiniature"));
        setFixedSize(int(11.7 * kMiniature) + 2, int(11.7 * kMiniature) + 2);
    }

    // Band rectangles in the miniature's pixels (header, detail, memo, footer).
    std::array<QRectF, 4> bandRects() const
    {
        const ReportLayout& l = dialog_.layout();
        const double s = kMiniature / kReportPixelsPerInch;
        const double left = l.marginPixels(l.marginLeft) * s, right = (l.pageWidth - l.marginPixels(l.marginRight)) * s;
        double y = l.marginPixels(l.marginTop) * s;
        std::array<QRectF, 4> r;
        const int heights[] = {l.useHeader ? l.headerHeight : 0, l.useDetail ? l.detailHeight : 0, l.useMemo ? 33 : 0, 0};
        for (int b = 0; b < 3; ++b) {
            r[size_t(b)] = QRectF(left, y, right - left, heights[b] * s);
            y += heights[b] * s;
        }
        const double footer = (l.useFooter ? l.footerHeight : 0) * s;
        r[3] = QRectF(left, (l.pageHeight - l.marginPixels(l.marginBottom)) * s - footer, right - left, footer);
        return r;
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        const ReportLayout& l = dialog_.layout();
        const double s = kMiniature / kReportPixelsPerInch;
        QPainter p(this);
        p.fillRect(rect(), palette().window());
        p.fillRect(QRectF(0, 0, l.pageWidth * s, l.pageHeight * s), Qt::white);
        p.setPen(QPen(Qt::gray, 0, Qt::DotLine));
        const double left = l.marginPixels(l.marginLeft), top = l.marginPixels(l.marginTop);
        p.drawRect(QRectF(left * s, top * s, (l.pageWidth - left - l.marginPixels(l.marginRight)) * s,
                          l.availableHeight() * s));
        const std::array<QRectF, 4> rects = bandRects();
        for (int b = 0; b < 4; ++b) {
            const QRectF r = rects[size_t(b)];
            if (r.height() <= 0)
                continue;
            const BandFrame& f = l.frames[size_t(b)];
            p.fillRect(r, ShadeColor(frameColour(f), std::clamp(f.shadePercent, 0, 100)));
            const double w = std::clamp(f.lineWidth, 1, 3);
            if (f.top)
                p.fillRect(QRectF(r.left(), r.top(), r.width(), w), Qt::black);
            if (f.bottom)
                p.fillRect(QRectF(r.left(), r.bottom() - w, r.width(), w), Qt::black);
            if (f.left)
                p.fillRect(QRectF(r.left(), r.top(), w, r.height()), Qt::black);
            if (f.right)
                p.fillRect(QRectF(r.right() - w, r.top(), w, r.height()), Qt::black);
        }
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        const int hit = dialog_.miniatureHit(e->position().toPoint());
        dialog_.tabs()->setCurrentIndex(hit + 1);
    }

private:
    TReportLayoutDialog& dialog_;
};

} // namespace

TReportLayoutDialog::TReportLayoutDialog(const ReportLayout& layout, QWidget* parent) : QDialog(parent), layout_(layout)
{
    setWindowTitle(QStringLiteral("Report Layout"));
    setObjectName(QStringLiteral("TReportLayoutDialog"));
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("LayoutTabs"));
    // All five tabs in view: the dialog grows to hold them rather than hide
    // the last behind scroll arrows.
    tabs_->setUsesScrollButtons(false);
    tabs_->setElideMode(Qt::ElideNone);

    auto* page = new QWidget(tabs_);
    auto* orientation = new QGroupBox(QStringLiteral("Orientation"), page);
    portrait_ = new QRadioButton(QStringLiteral("Portrait"), orientation);
    portrait_->setObjectName(QStringLiteral("PortraitRadio"));
    landscape_ = new QRadioButton(QStringLiteral("Landscape"), orientation);
    landscape_->setObjectName(QStringLiteral("LandscapeRadio"));
    auto* ol = new QVBoxLayout(orientation);
    ol->addWidget(portrait_);
    ol->addWidget(landscape_);
    auto* size = new QGroupBox(QStringLiteral("Size"), page);
    letter_ = new QRadioButton(QStringLiteral("Letter"), size);
    letter_->setObjectName(QStringLiteral("LetterRadio"));
    a4_ = new QRadioButton(QStringLiteral("A4"), size);
    a4_->setObjectName(QStringLiteral("A4Radio"));
    auto* sl = new QVBoxLayout(size);
    sl->addWidget(letter_);
    sl->addWidget(a4_);
    auto* margins = new QGroupBox(QStringLiteral("Margins (in inches)"), page);
    auto* ml = new QFormLayout(margins);
    const char* const marginNames[] = {"Left", "Top", "Right", "Bottom"};
    for (int i = 0; i < 4; ++i) {
        auto* spin = new QDoubleSpinBox(margins);
        spin->setObjectName(QLatin1String(marginNames[i]) + QStringLiteral("Margin"));
        spin->setDecimals(2);
        spin->setRange(0, 5);
        spin->setSingleStep(0.05);
        margins_[size_t(i)] = spin;
        ml->addRow(QLatin1String(marginNames[i]), spin);
        connect(spin, &QDoubleSpinBox::valueChanged, this, &TReportLayoutDialog::fromControls);
    }
    for (QRadioButton* r : {portrait_, landscape_, letter_, a4_})
        connect(r, &QRadioButton::toggled, this, &TReportLayoutDialog::fromControls);
    auto* pl = new QHBoxLayout(page);
    auto* left = new QVBoxLayout;
    left->addWidget(orientation);
    left->addWidget(size);
    pl->addLayout(left);
    pl->addWidget(margins);
    tabs_->addTab(page, QStringLiteral("Page"));

    for (int b = 0; b < 4; ++b) {
        auto* tab = new QWidget(tabs_);
        tab->setObjectName(QLatin1String(kBandTabs[b]) + QStringLiteral("Tab"));
        BandControls& c = bands_[size_t(b)];
        auto* borders = new QGroupBox(QStringLiteral("Borders"), tab);
        auto* bl = new QVBoxLayout(borders);
        const auto check = [&](const char* caption) {
            auto* box = new QCheckBox(QLatin1String(caption), borders);
            box->setObjectName(QLatin1String(kBandTabs[b]) + QLatin1String(caption));
            bl->addWidget(box);
            connect(box, &QCheckBox::toggled, this, &TReportLayoutDialog::fromControls);
            return box;
        };
        c.top = check("Top");
        c.left = check("Left");
        c.bottom = check("Bottom");
        c.right = check("Right");
        c.width = new QSpinBox(tab);
        c.width->setObjectName(QLatin1String(kBandTabs[b]) + QStringLiteral("LineWidth"));
        c.width->setRange(1, 3);
        connect(c.width, &QSpinBox::valueChanged, this, &TReportLayoutDialog::fromControls);
        c.shade = new QComboBox(tab);
        c.shade->setObjectName(QLatin1String(kBandTabs[b]) + QStringLiteral("Shade"));
        for (int p = 0; p <= 100; p += 20)
            c.shade->addItem(QString::number(p), p);
        connect(c.shade, &QComboBox::currentIndexChanged, this, &TReportLayoutDialog::fromControls);
        c.colour = new QPushButton(QStringLiteral("Shade Color"), tab);
        c.colour->setObjectName(QLatin1String(kBandTabs[b]) + QStringLiteral("ShadeColor"));
        c.colour->setAutoDefault(false);
        connect(c.colour, &QPushButton::clicked, this, [this, b] {
            const QColor chosen =
                QColorDialog::getColor(design::designColour(layout_.frames[size_t(b)].shadeColour), this);
            if (chosen.isValid()) {
                layout_.frames[size_t(b)].shadeColour = design::storedColour(chosen);
                miniature_->update();
            }
        });
        auto* form = new QFormLayout;
        form->addRow(QStringLiteral("Line Width"), c.width);
        form->addRow(QStringLiteral("Shade Percent"), c.shade);
        form->addRow(c.colour);
        auto* tl = new QHBoxLayout(tab);
        tl->addWidget(borders);
        tl->addLayout(form);
        tabs_->addTab(tab, QLatin1String(kBandTabs[b]));
    }

    miniature_ = new Miniature(*this);
    const auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    QPushButton* save = button("SaveButton", QStringLiteral("Save"));
    connect(save, &QPushButton::clicked, this, &TReportLayoutDialog::SaveClick);
    QPushButton* cancel = button("CancelButton", QStringLiteral("Cancel"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    QPushButton* defaults = button("DefaultsButton", QStringLiteral("Defaults"));
    connect(defaults, &QPushButton::clicked, this, &TReportLayoutDialog::DefaultsClick);
    QPushButton* help = button("HelpButton", QStringLiteral("Help"));
    connect(help, &QPushButton::clicked, this, [this] { showHelp(HelpContext, this); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {save, cancel, defaults, help})
        buttons->addWidget(b);
    auto* upper = new QHBoxLayout;
    upper->addWidget(tabs_, 1);
    upper->addWidget(miniature_);
    auto* main = new QVBoxLayout(this);
    main->addLayout(upper);
    main->addLayout(buttons);
    toControls();
}

int TReportLayoutDialog::miniatureHit(QPoint p) const
{
    const std::array<QRectF, 4> rects = static_cast<Miniature*>(miniature_)->bandRects();
    for (int b = 0; b < 4; ++b)
        if (rects[size_t(b)].height() > 0 && rects[size_t(b)].contains(p))
            return b;
    return -1;
}

void TReportLayoutDialog::toControls()
{
    updating_ = true;
    const ReportPaper paper = layout_.paper();
    // A size of neither paper shows as Letter, which any change then sets.
    a4_->setChecked(paper == ReportPaper::A4);
    letter_->setChecked(paper != ReportPaper::A4);
    landscape_->setChecked(layout_.landscape());
    portrait_->setChecked(!layout_.landscape());
    const int m[] = {layout_.marginLeft, layout_.marginTop, layout_.marginRight, layout_.marginBottom};
    for (int i = 0; i < 4; ++i)
        margins_[size_t(i)]->setValue(m[i] / 1000.0);
    for (int b = 0; b < 4; ++b) {
        const BandFrame& f = layout_.frames[size_t(b)];
        BandControls& c = bands_[size_t(b)];
        c.top->setChecked(f.top);
        c.left->setChecked(f.left);
        c.bottom->setChecked(f.bottom);
        c.right->setChecked(f.right);
        c.width->setValue(std::clamp(f.lineWidth, 1, 3));
        c.shade->setCurrentIndex(std::clamp(f.shadePercent, 0, 100) / 20);
    }
    updating_ = false;
    miniature_->update();
}

void TReportLayoutDialog::fromControls()
{
    if (updating_)
        return;
    layout_.setPaper(a4_->isChecked() ? ReportPaper::A4 : ReportPaper::Letter, landscape_->isChecked());
    int* m[] = {&layout_.marginLeft, &layout_.marginTop, &layout_.marginRight, &layout_.marginBottom};
    for (int i = 0; i < 4; ++i)
        *m[i] = int(std::lround(margins_[size_t(i)]->value() * 1000));
    for (int b = 0; b < 4; ++b) {
        BandFrame& f = layout_.frames[size_t(b)];
        const BandControls& c = bands_[size_t(b)];
        f.top = c.top->isChecked();
        f.left = c.left->isChecked();
        f.bottom = c.bottom->isChecked();
        f.right = c.right->isChecked();
        f.lineWidth = c.width->value();
        f.shadePercent = c.shade->currentData().toInt();
    }
    miniature_->update();
}

void TReportLayoutDialog::DefaultsClick()
{
    layout_.resetPage();
    toControls();
}

void TReportLayoutDialog::SaveClick()
{
    if (const QString problem = layout_.marginProblem(); !problem.isEmpty()) {
        showInformation(problem);
        tabs_->setCurrentIndex(0);
        return;
    }
    accept();
}

} // namespace qb
