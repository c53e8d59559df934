#include "printing/tpreviewform.h"

#include "core/placement.h"
#include "platform/help/help_viewer.h"
#include "printing/tfileprinter.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWhatsThis>

#include <cmath>

namespace qb {

QString previewCaption(int currentPage, int firstPage, int pageCount, double zoom)
{
    return QStringLiteral("Preview Page %1 of %2 ( %3% )")
        .arg(currentPage - firstPage + 1)
        .arg(pageCount)
        .arg(std::lround(zoom));
}

TPreviewForm::TPreviewForm(const TPageStream* stream, int zoomMode, QWidget* parent)
    : QDialog(parent), zoomMode_(zoomMode)
{
    setObjectName(QStringLiteral("TPreviewForm"));
    setWindowTitle(QStringLiteral("Label Preview"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    setSizeGripEnabled(true);
    resize(760, 720);

    preview_ = new TFilePreview(this, this);
    preview_->setStream(stream);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(preview_->scrollBox(), 1);
    auto* bar = new QHBoxLayout;
    layout->addLayout(bar);

    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("ReturnButton"));
    ok->setDefault(true);
    ok->setWhatsThis(QStringLiteral("Closes the preview."));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* help = new QPushButton(QStringLiteral("Help"), this);
    help->setObjectName(QStringLiteral("Helpbutton"));
    help->setWhatsThis(QStringLiteral("Shows the help topic of the preview."));
    connect(help, &QPushButton::clicked, this, [this] { showHelp(helpContext_, this); });
    auto* mouseHelp = new QToolButton(this);
    mouseHelp->setObjectName(QStringLiteral("MouseHelpButton"));
    mouseHelp->setText(QStringLiteral("?"));
    mouseHelp->setToolTip(QStringLiteral("Click here for mouse help"));
    connect(mouseHelp, &QToolButton::clicked, this, [] { QWhatsThis::enterWhatsThisMode(); });
    bar->addWidget(ok);
    bar->addWidget(help);
    bar->addWidget(mouseHelp);
    bar->addSpacing(12);

    struct Tool {
        const char* name;
        const char* text;
        const char* hint;
        std::function<void()> run;
    };
    const Tool tools[] = {
        {"sbFirstPage", "|<", "First page", [this] { preview_->ShowPage(preview_->streamFirstPage()); }},
        {"sbPrevPage", "<", "Previous page", [this] { preview_->PageBack(); }},
        {"sbNextPage", ">", "Next page", [this] { preview_->PageForward(); }},
        {"sbLastPAge", ">|", "Last page", [this] { preview_->ShowPage(preview_->streamLastPage()); }},
        {"sbZoomIn", "+", "Zoom in", [this] { preview_->ZoomIn(); }},
        {"sbZoomOut", "-", "Zoom out", [this] { preview_->ZoomOut(); }},
        {"sbZoomPageWidth", "Width", "Zoom to the page width", [this] { preview_->setZoomFactor(-2); }},
        {"sbZoomPage", "Page", "Zoom to the whole page", [this] { preview_->setZoomFactor(-1); }},
        {"zbZoom100", "100%", "Actual size", [this] { preview_->setZoomFactor(100); }},
    };
    for (const Tool& t : tools) {
        auto* b = new QToolButton(this);
        b->setObjectName(QLatin1String(t.name));
        b->setText(QLatin1String(t.text));
        b->setToolTip(QLatin1String(t.hint));
        b->setWhatsThis(QLatin1String(t.hint));
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QToolButton::clicked, this, t.run);
        bar->addWidget(b);
    }
    bar->addStretch();

    connect(preview_, &TFilePreview::viewChanged, this, &TPreviewForm::updateCaption);
    connect(preview_, &TFilePreview::pageClicked, this, &TPreviewForm::PageClick);
    preview_->scrollBox()->setFocusPolicy(Qt::NoFocus);
    ok->setFocus();
}

TPreviewForm::~TPreviewForm() = default;

void TPreviewForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (activated_)
        return;
    restorePlacement(this, QStringLiteral("TPreviewForm"));
    FormActivate();
}

void TPreviewForm::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !activated_)
        FormActivate();
}

void TPreviewForm::FormActivate()
{
    activated_ = true;
    // The zoom fits the scroll box as it is laid out now.
    if (layout())
        layout()->activate();
    preview_->StartReplay();
    if (zoomMode_ == 1)
        preview_->setZoomFactor(-1);
    else if (zoomMode_ == 2)
        preview_->setZoomFactor(-2);
    else
        preview_->setZoomFactor(zoomMode_);
    if (preview_->pageCount() < 2)
        for (const char* name : {"sbFirstPage", "sbPrevPage", "sbNextPage", "sbLastPAge"})
            findChild<QToolButton*>(QLatin1String(name))->hide();
    updateCaption();
}

void TPreviewForm::updateCaption()
{
    if (!activated_)
        return;
    setWindowTitle(previewCaption(preview_->currentPage(), preview_->streamFirstPage(), preview_->pageCount(),
                                  preview_->ZoomFactor()));
}

void TPreviewForm::PageClick(Qt::MouseButton button)
{
    if (button == Qt::LeftButton)
        preview_->ZoomIn();
    else
        preview_->ZoomOut();
}

void TPreviewForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        QScrollBar* bar = preview_->scrollBox()->verticalScrollBar();
        // The scroll bar keeps the value between the top and the end.
        bar->setValue(bar->value() + (event->key() == Qt::Key_Up ? -1 : 1) * bar->singleStep());
        return;
    }
    QDialog::keyPressEvent(event);
}

void TPreviewForm::done(int result)
{
    if (preview_->replaying())
        preview_->EndReplay();
    if (activated_ && !placementSaved_) {
        placementSaved_ = true;
        savePlacement(this, QStringLiteral("TPreviewForm"));
    }
    QDialog::done(result);
}

} // namespace qb
