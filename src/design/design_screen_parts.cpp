#include "design/design_screen_parts.h"

#include "core/settings.h"
#include "design/tkbasepanel.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

namespace qb::design {

namespace {

QToolButton* toolButton(QWidget* owner, const char* name, const QString& text)
{
    auto* b = new QToolButton(owner);
    b->setObjectName(QLatin1String(name));
    b->setText(text);
    return b;
}

QPushButton* pushButton(QWidget* owner, const char* name, const QString& text)
{
    auto* b = new QPushButton(text, owner);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

QToolButton* addZoomButtons(QHBoxLayout* row, QWidget* owner, std::function<void(int)> step)
{
    auto* zoomOut = toolButton(owner, "ZoomOutButton", QStringLiteral("-"));
    auto* caption = toolButton(owner, "ZoomButton", QString());
    auto* zoomIn = toolButton(owner, "ZoomInButton", QStringLiteral("+"));
    QObject::connect(zoomIn, &QToolButton::clicked, owner, [step] { step(+1); });
    QObject::connect(zoomOut, &QToolButton::clicked, owner, [step] { step(-1); });
    row->addWidget(zoomOut);
    row->addWidget(caption);
    row->addWidget(zoomIn);
    return caption;
}

QScrollArea* newDesignArea(QWidget* owner, TKBasePanel* panel)
{
    auto* area = new QScrollArea(owner);
    area->setObjectName(QStringLiteral("DesignArea"));
    area->setBackgroundRole(QPalette::Dark);
    area->setAlignment(Qt::AlignCenter);
    // The designer opens at 100 percent, whatever zoom the panel was left at.
    panel->setZoom(1.0f);
    area->setWidget(panel);
    area->setWidgetResizable(false);
    panel->show();
    return area;
}

DesignScreenButtons addDesignScreenButtons(QHBoxLayout* bottom, QWidget* owner, std::function<void(int)> move)
{
    const DesignScreenButtons buttons{pushButton(owner, "CancelButton", QStringLiteral("Cancel")),
                                      pushButton(owner, "SaveButton", QStringLiteral("Save")),
                                      pushButton(owner, "HelpButton", QStringLiteral("Help"))};
    buttons.save->hide();
    for (QPushButton* b : {buttons.cancel, buttons.save, buttons.help})
        bottom->addWidget(b);
    bottom->addStretch();
    static const char* const moves[] = {"FirstButton", "PriorButton", "NextButton", "LastButton"};
    static const char* const arrows[] = {"|<", "<", ">", ">|"};
    for (int i = 0; i < 4; ++i) {
        QPushButton* b = pushButton(owner, moves[i], QLatin1String(arrows[i]));
        b->setFocusPolicy(Qt::NoFocus);
        QObject::connect(b, &QPushButton::clicked, owner, [move, i] { move(i); });
        bottom->addWidget(b);
    }
    QPushButton* tallest = pushButton(owner, "TallestAddressButton", QStringLiteral("Tallest Address"));
    tallest->setFocusPolicy(Qt::NoFocus);
    tallest->setToolTip(QStringLiteral("Show the record whose address takes the most lines"));
    QObject::connect(tallest, &QPushButton::clicked, owner, [move] { move(4); });
    bottom->addWidget(tallest);
    return buttons;
}

bool designScreenKey(QKeyEvent* event, QScrollArea* area, const std::function<void(int)>& zoomStep)
{
    QScrollBar* bar = area->verticalScrollBar();
    const bool keypad = event->modifiers() & Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_PageUp: bar->triggerAction(QAbstractSlider::SliderSingleStepSub); return true;
    case Qt::Key_PageDown: bar->triggerAction(QAbstractSlider::SliderSingleStepAdd); return true;
    case Qt::Key_Home: bar->setValue(bar->minimum()); return true;
    case Qt::Key_End: bar->setValue(bar->maximum()); return true;
    case Qt::Key_Plus:
        if (keypad)
            zoomStep(+1);
        return keypad;
    case Qt::Key_Minus:
        if (keypad)
            zoomStep(-1);
        return keypad;
    default: return false;
    }
}

QFont defaultDesignFont(DesignKind kind)
{
    const DefaultFontPreferences font = DefaultFontPreferences::read(Settings::program(), kind);
    QFont f(font.name);
    f.setPointSize(std::max(1, font.size));
    f.setBold(font.bold);
    f.setItalic(font.italic);
    return f;
}

DesignCloseGuard::DesignCloseGuard(QDialog* window, std::function<bool()> unsaved,
                                   std::function<QString()> description, std::function<void()> save)
    : QObject(window), window_(window), unsaved_(std::move(unsaved)), description_(std::move(description)),
      save_(std::move(save))
{
    // The close box's event comes to the window; the one a dialog sends
    // itself when it ends (Save, Cancel) is taken by the dialog's own filter,
    // installed later and so asked first.
    window_->installEventFilter(this);
    // Esc is seen before any control of the window can take it for itself.
    struct EscapeKey : QObject {
        DesignCloseGuard* guard;
        explicit EscapeKey(DesignCloseGuard* g) : QObject(g), guard(g) {}
        bool eventFilter(QObject* watched, QEvent* event) override { return guard->escapeFilter(watched, event); }
    };
    qApp->installEventFilter(new EscapeKey(this));
}

void DesignCloseGuard::watch(TKBasePanel* panel)
{
    connect(panel, &TKBasePanel::labelChanged, this, [this] {
        if (tracking_)
            panelsChanged_ = true;
    });
}

bool DesignCloseGuard::mayDiscard()
{
    // Closing after the answer (the window's own close on Save or No) asks nothing more.
    if (closing_)
        return true;
    if (asking_)
        return false;
    if (!panelsChanged_ && !unsaved_())
        return true;
    asking_ = true;
    const QString description = description_().trimmed();
    QMessageBox box(QMessageBox::Question, window_->windowTitle(),
                    description.isEmpty() ? QStringLiteral("Save changes?")
                                          : QStringLiteral("Save changes to %1?").arg(description),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, window_);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    const int answer = box.exec();
    asking_ = false;
    if (answer == QMessageBox::Yes) {
        closing_ = true;
        save_();
        // A design that cannot be saved as it stands keeps its window open.
        closing_ = false;
        return false;
    }
    return answer == QMessageBox::No;
}

void DesignCloseGuard::discard()
{
    closing_ = true;
    window_->reject();
    closing_ = false;
}

bool DesignCloseGuard::eventFilter(QObject* watched, QEvent* event)
{
    try {
        if (event->type() == QEvent::Show && watched == window_ && !tracking_)
            QTimer::singleShot(0, this, [this] { tracking_ = true; });
        if (event->type() == QEvent::Close && watched == window_ && window_->isVisible()) {
            if (!mayDiscard()) {
                event->ignore();
                return true;
            }
            if (!closing_) {
                discard();
                return true;
            }
        }
    } catch (...) {
        // The window stays open with its work; nothing is thrown away.
        asking_ = false;
        closing_ = false;
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

bool DesignCloseGuard::escapeFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    auto* target = qobject_cast<QWidget*>(watched);
    if (key->key() != Qt::Key_Escape || key->modifiers() != Qt::NoModifier || !target || target->window() != window_
        || !window_->isVisible())
        return false;
    try {
        if (mayDiscard())
            discard();
    } catch (...) {
        // The window stays open with its work; nothing is thrown away.
        asking_ = false;
        closing_ = false;
    }
    return true;
}

} // namespace qb::design
