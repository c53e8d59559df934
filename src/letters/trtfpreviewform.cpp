#include "letters/trtfpreviewform.h"

#include "core/address_table.h"
#include "core/messages.h"
#include "core/placement.h"
#include "letters/letter_merge.h"
#include "platform/help/help_viewer.h"
#include "platform/xbase/table.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace qb {

// The page: white paper at the zoom, the letter's page drawn inside its margins.
class PreviewPagePanel : public QWidget {
public:
    explicit PreviewPagePanel(TRTFPreviewForm* form) : QWidget(nullptr), form_(form)
    {
        setObjectName(QStringLiteral("PagePanel"));
        setCursor(magnifier());
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        p.setPen(Qt::gray);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        const richtext::PageLayout& page = form_->final_.page();
        const double scale = double(width()) / page.width;
        const QRectF area(page.left * scale, page.top * scale, page.contentWidth() * scale,
                          page.contentHeight() * scale);
        try {
            form_->final_.drawHeadersAndFooters(p, form_->final_.pageIndexOf(form_->start_) + 1, QRectF(rect()));
            form_->next_ = form_->final_.drawPage(p, form_->start_, area);
        } catch (const std::exception&) {
            form_->next_ = 0;
            showInformation(QStringLiteral("There was an error drawing the preview"));
        }
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton)
            form_->sbZoomInClick();
        else
            form_->sbZoomOutClick();
    }

private:
    // A magnifying glass, drawn here rather than kept as a cursor file.
    static QCursor magnifier()
    {
        QPixmap glass(24, 24);
        glass.fill(Qt::transparent);
        QPainter p(&glass);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::black, 2));
        p.setBrush(QColor(255, 255, 255, 160));
        p.drawEllipse(QRectF(2, 2, 13, 13));
        p.setPen(QPen(Qt::black, 3));
        p.drawLine(QPointF(13, 13), QPointF(21, 21));
        return QCursor(glass, 8, 8);
    }

    TRTFPreviewForm* form_;
};

TRTFPreviewForm::TRTFPreviewForm(const richtext::RichText& letterTemplate, AddressTable& addresses, QWidget* parent)
    : QDialog(parent), addresses_(addresses)
{
    setObjectName(QStringLiteral("TRTFPreviewForm"));
    setWindowTitle(QStringLiteral("Preview Letters"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
    setFont(QFont(QStringLiteral("Arial"), font().pointSize()));
    template_.assign(letterTemplate);

    box_ = new QScrollArea(this);
    box_->setObjectName(QStringLiteral("ScrollBox"));
    box_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    box_->setBackgroundRole(QPalette::Dark);
    panel_ = new PreviewPagePanel(this);
    box_->setWidget(panel_);

    const auto tool = [this](const char* name, const QString& caption, void (TRTFPreviewForm::*handler)()) {
        auto* b = new QToolButton(this);
        b->setObjectName(QLatin1String(name));
        b->setText(caption);
        connect(b, &QToolButton::clicked, this, handler);
        return b;
    };
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(tool("sbZoomIn", QStringLiteral("Zoom In"), &TRTFPreviewForm::sbZoomInClick));
    buttons->addWidget(tool("sbZoomOut", QStringLiteral("Zoom Out"), &TRTFPreviewForm::sbZoomOutClick));
    buttons->addWidget(tool("sbZoomPageWidth", QStringLiteral("Page Width"), &TRTFPreviewForm::sbZoomPageWidthClick));
    buttons->addWidget(tool("sbZoomPage", QStringLiteral("Whole Page"), &TRTFPreviewForm::sbZoomPageClick));
    buttons->addSpacing(12);
    buttons->addWidget(tool("sbPrevPage", QStringLiteral("Previous Page"), &TRTFPreviewForm::sbPrevPageClick));
    buttons->addWidget(tool("sbNextPage", QStringLiteral("Next Page"), &TRTFPreviewForm::sbNextPageClick));
    buttons->addSpacing(12);
    buttons->addWidget(tool("bFirst", QStringLiteral("|<"), &TRTFPreviewForm::bFirstClick));
    buttons->addWidget(tool("bPrev", QStringLiteral("<"), &TRTFPreviewForm::bPrevClick));
    buttons->addWidget(tool("bNext", QStringLiteral(">"), &TRTFPreviewForm::bNextClick));
    buttons->addWidget(tool("bLast", QStringLiteral(">|"), &TRTFPreviewForm::bLastClick));
    buttons->addStretch();
    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* help = new QPushButton(QStringLiteral("Help"), this);
    help->setObjectName(QStringLiteral("HelpButton"));
    help->setAutoDefault(false);
    connect(help, &QPushButton::clicked, this, [this] { showHelp(HelpContext, this); });
    buttons->addWidget(ok);
    buttons->addWidget(help);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(box_, 1);
    resize(760, 700);

    // The page's width fills the window.
    zoom_ = int(width() / pageWidthPixels() * 100);
}

TRTFPreviewForm::~TRTFPreviewForm() = default;

QWidget* TRTFPreviewForm::pagePanel() const { return panel_; }

double TRTFPreviewForm::pageWidthPixels() const
{
    return double(template_.page().width) * logicalDpiX() / richtext::kTwipsPerInch;
}

double TRTFPreviewForm::pageHeightPixels() const
{
    return double(template_.page().height) * logicalDpiY() / richtext::kTwipsPerInch;
}

void TRTFPreviewForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!activated_)
        FormActivate();
}

void TRTFPreviewForm::FormActivate()
{
    activated_ = true;
    remerge();
    layoutPage();
    restorePlacement(this, QStringLiteral("TRTFPreviewForm"));
}

void TRTFPreviewForm::remerge()
{
    final_.assign(template_);
    mergeLetter(final_.document(), tableFieldReader(addresses_.table()), today);
    next_ = final_.nextPageStart(start_);
    panel_->update();
}

void TRTFPreviewForm::layoutPage()
{
    panel_->resize(int(pageWidthPixels() * zoom_ / 100), int(pageHeightPixels() * zoom_ / 100));
    panel_->update();
}

void TRTFPreviewForm::setZoom(int zoom)
{
    zoom_ = std::max(1, zoom);
    layoutPage();
}

void TRTFPreviewForm::sbZoomInClick()
{
    if (zoom_ < 150)
        setZoom(int(zoom_ * 1.25));
}

void TRTFPreviewForm::sbZoomOutClick()
{
    if (zoom_ > 50)
        setZoom(int(zoom_ * 0.75));
}

void TRTFPreviewForm::sbZoomPageWidthClick() { setZoom(int(box_->viewport()->width() / pageWidthPixels() * 100)); }

void TRTFPreviewForm::sbZoomPageClick() { setZoom(int(box_->viewport()->height() / pageHeightPixels() * 100)); }

void TRTFPreviewForm::setCaption()
{
    setWindowTitle(QStringLiteral("Preview Letters Page ") + QString::number(pageNumber_));
}

void TRTFPreviewForm::sbNextPageClick()
{
    if (next_ <= 0)
        return;
    ++pageNumber_;
    setCaption();
    starts_.push_back(start_);
    start_ = next_;
    next_ = final_.nextPageStart(start_);
    panel_->repaint();
}

void TRTFPreviewForm::sbPrevPageClick()
{
    if (starts_.empty())
        return;
    --pageNumber_;
    setCaption();
    start_ = starts_.back();
    starts_.pop_back();
    next_ = final_.nextPageStart(start_);
    panel_->repaint();
}

void TRTFPreviewForm::recordMoved()
{
    pageNumber_ = 1;
    setCaption();
    start_ = 0;
    starts_.clear();
    remerge();
    panel_->repaint();
}

void TRTFPreviewForm::bFirstClick()
{
    addresses_.table().first();
    recordMoved();
}

void TRTFPreviewForm::bPrevClick()
{
    xbase::Table& t = addresses_.table();
    if (!t.prior())
        t.first();
    recordMoved();
}

void TRTFPreviewForm::bNextClick()
{
    xbase::Table& t = addresses_.table();
    if (!t.next())
        t.last();
    recordMoved();
}

void TRTFPreviewForm::bLastClick()
{
    addresses_.table().last();
    recordMoved();
}

void TRTFPreviewForm::keyPressEvent(QKeyEvent* event)
{
    QScrollBar* bar = box_->verticalScrollBar();
    if (event->key() == Qt::Key_Down)
        bar->setValue(bar->value() + bar->singleStep());
    else if (event->key() == Qt::Key_Up)
        bar->setValue(bar->value() - bar->singleStep());
    else
        QDialog::keyPressEvent(event);
}

void TRTFPreviewForm::done(int result)
{
    starts_.clear();
    savePlacement(this, QStringLiteral("TRTFPreviewForm"));
    QDialog::done(result);
}

} // namespace qb
