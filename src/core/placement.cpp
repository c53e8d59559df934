#include "core/placement.h"

#include "core/preferences.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace qb {

namespace {
QPointer<QWidget> g_mainWindow;

QScreen* screenOf(const QWidget* window)
{
    QScreen* screen = window ? window->screen() : nullptr;
    return screen ? screen : QGuiApplication::primaryScreen();
}

int logicalDpi(const QWidget* window)
{
    const QScreen* screen = screenOf(window);
    return screen ? int(std::lround(screen->logicalDotsPerInch())) : 96;
}

QRect screenRect(const QWidget* window)
{
    const QScreen* screen = screenOf(window);
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}
} // namespace

QString placementSection(const QString& className, int dpi)
{
    QString section = className + ini::placement::sectionSuffix;
    if (dpi > 96)
        section += QString::number(dpi);
    return section;
}

StoredPlacement StoredPlacement::read(const Settings& s, const QString& section, bool maximizedNow)
{
    namespace k = ini::placement;
    StoredPlacement p;
    p.left = s.integer(section, k::left, 0);
    p.top = s.integer(section, k::top, 0);
    p.right = s.integer(section, k::right, 0);
    p.bottom = s.integer(section, k::bottom, 0);
    p.maximized = s.boolean(section, k::maximized, maximizedNow);
    return p;
}

bool StoredPlacement::write(Settings& s, const QString& section) const
{
    namespace k = ini::placement;
    bool ok = s.setInteger(section, k::left, left);
    ok = s.setInteger(section, k::top, top) && ok;
    ok = s.setInteger(section, k::right, right) && ok;
    ok = s.setInteger(section, k::bottom, bottom) && ok;
    return s.setBoolean(section, k::maximized, maximized) && ok;
}

StoredPlacement StoredPlacement::fromRect(const QRect& normal, bool maximized)
{
    return {normal.x(), normal.y(), normal.x() + normal.width(), normal.y() + normal.height(), maximized};
}

std::optional<QRect> restoredRect(const StoredPlacement& p, const QSize& screen)
{
    if (p.bottom == 0 || p.right <= p.left || p.bottom <= p.top)
        return std::nullopt;
    QRect rect(p.left, p.top, p.right - p.left, p.bottom - p.top);
    if (p.right > screen.width())
        rect.moveLeft(rect.left() - (p.right - screen.width()));
    if (p.bottom > screen.height())
        rect.moveTop(rect.top() - (p.bottom - screen.height()));
    return rect;
}

QPoint centredIn(const QSize& window, const QRect& area)
{
    return {area.left() + (area.width() - window.width()) / 2, area.top() + (area.height() - window.height()) / 2};
}

void setMainWindow(QWidget* window) { g_mainWindow = window; }

QWidget* mainWindow() { return g_mainWindow.data(); }

void restorePlacement(QWidget* window, const QString& className, Settings& settings)
{
    const QString section = placementSection(className, logicalDpi(window));
    const StoredPlacement stored = StoredPlacement::read(settings, section, window->isMaximized());
    // Screen edges as a size from the origin, so a screen right of the
    // primary one is measured where it really ends.
    const QRect screen = screenRect(window);
    if (const auto rect = restoredRect(stored, QSize(screen.right() + 1, screen.bottom() + 1)))
        window->setGeometry(*rect);
    else
        centreWindow(window);
    if (stored.maximized)
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
    savePlacement(window, className, settings);
}

void restorePlacement(QWidget* window, const QString& className)
{
    Settings settings = Settings::program();
    restorePlacement(window, className, settings);
}

void savePlacement(const QWidget* window, const QString& className, Settings& settings)
{
    const bool maximized = window->isMaximized();
    const QRect normal = maximized || window->isFullScreen() ? window->normalGeometry() : window->geometry();
    StoredPlacement::fromRect(normal, maximized).write(settings, placementSection(className, logicalDpi(window)));
}

void savePlacement(const QWidget* window, const QString& className)
{
    Settings settings = Settings::program();
    savePlacement(window, className, settings);
}

QPoint keptOnScreen(const QRect& frame, const QRect& screen)
{
    QPoint at = frame.topLeft();
    if (frame.right() > screen.right() && frame.left() > screen.left())
        at.setX(screen.left());
    if (frame.bottom() > screen.bottom() && frame.top() > screen.top())
        at.setY(screen.top());
    return at;
}

void keepOnScreen(QWidget* window)
{
    if (window->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))
        return;
    const QRect frame = window->frameGeometry();
    const QPoint at = keptOnScreen(frame, screenRect(window));
    if (at != frame.topLeft())
        window->move(at);
}

void centreWindow(QWidget* window)
{
    const Qt::WindowFlags flags = window->windowFlags();
    if (flags.testFlag(Qt::WindowMaximizeButtonHint) && !flags.testFlag(Qt::WindowSystemMenuHint))
        window->setWindowFlag(Qt::WindowSystemMenuHint);
    // A dialog not yet shown has no size of its own; it gets the one showing
    // would give it, so that its centre and not its corner is placed.
    if (!window->isVisible() && !window->testAttribute(Qt::WA_Resized))
        window->adjustSize();
    const QWidget* main = mainWindow();
    const QRect area = !main || main == window || main->isMaximized() ? screenRect(window) : main->frameGeometry();
    window->move(centredIn(window->frameGeometry().size(), area));
}

} // namespace qb
