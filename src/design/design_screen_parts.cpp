#include "design/design_screen_parts.h"

#include "core/settings.h"
#include "design/tkbasepanel.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
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

} // namespace qb::design
