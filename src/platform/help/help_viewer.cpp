#include "platform/help/help_viewer.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <QWhatsThis>

#include <algorithm>

namespace qb {
namespace {

QString& folderSetting()
{
    static QString folder;
    return folder;
}

// One help window for the whole program, like the help engine's single window.
QPointer<HelpViewer>& sharedViewer()
{
    static QPointer<HelpViewer> viewer;
    return viewer;
}

} // namespace

QString helpFolder()
{
    if (!folderSetting().isEmpty())
        return folderSetting();
    return QCoreApplication::applicationDirPath() + QStringLiteral("/help");
}

void setHelpFolder(const QString& folder) { folderSetting() = folder; }

QString helpTopicPath(int context)
{
    const QDir dir(helpFolder());
    const QString own = dir.filePath(QString::number(context) + QStringLiteral(".html"));
    if (QFileInfo::exists(own))
        return own;
    const QString contents = dir.filePath(kHelpContentsTopic);
    return QFileInfo::exists(contents) ? contents : QString();
}

HelpViewer::HelpViewer(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(QStringLiteral("Quillbase Help"));
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("HelpBrowser"));
    browser_->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(560, 480);
}

void HelpViewer::showContents()
{
    const QString contents = QDir(helpFolder()).filePath(kHelpContentsTopic);
    showFile(QFileInfo::exists(contents) ? contents : QString());
}

void HelpViewer::showTopic(int context)
{
    showFile(helpTopicPath(context));
}

void HelpViewer::showFile(const QString& path)
{
    if (path.isEmpty()) {
        browser_->setSource(QUrl());
        browser_->setHtml(QStringLiteral("<p>No help is installed (%1).</p>").arg(helpFolder().toHtmlEscaped()));
        return;
    }
    browser_->setSearchPaths({QFileInfo(path).absolutePath()});
    browser_->setSource(QUrl::fromLocalFile(path));
}

QString HelpViewer::topicPath() const
{
    return browser_->source().isLocalFile() ? browser_->source().toLocalFile() : QString();
}

namespace {

HelpViewer* viewerFor(QWidget* parent)
{
    QPointer<HelpViewer>& viewer = sharedViewer();
    // A window parented to the calling dialog stays usable while that modal
    // dialog runs; it goes when the dialog goes, and the next call makes a new one.
    QWidget* owner = parent ? parent->window() : nullptr;
    if (viewer && viewer->parentWidget() != owner) {
        viewer->close();
        viewer->deleteLater();
        viewer = nullptr;
    }
    if (!viewer) {
        viewer = new HelpViewer(owner);
        viewer->setAttribute(Qt::WA_DeleteOnClose);
    }
    return viewer;
}

HelpViewer* raised(HelpViewer* viewer)
{
    if (!viewer->isVisible())
        placeHelpWindow(viewer);
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return viewer;
}

} // namespace

HelpViewer* showHelp(int context, QWidget* parent)
{
    HelpViewer* viewer = viewerFor(parent);
    viewer->showTopic(context);
    return raised(viewer);
}

HelpViewer* showHelpContents(QWidget* parent)
{
    HelpViewer* viewer = viewerFor(parent);
    viewer->showContents();
    return raised(viewer);
}

void placeHelpWindow(HelpViewer* viewer)
{
    QWidget* root = viewer->parentWidget() ? viewer->parentWidget()->window() : nullptr;
    while (root && root->parentWidget())
        root = root->parentWidget()->window();
    QScreen* screen = root ? root->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // The frame the window system adds is known only once a window was shown;
    // before that, the help window's own is taken as the root's.
    const QMargins frame = root ? QMargins(root->geometry().left() - root->frameGeometry().left(),
                                           root->geometry().top() - root->frameGeometry().top(),
                                           root->frameGeometry().right() - root->geometry().right(),
                                           root->frameGeometry().bottom() - root->geometry().bottom())
                                : QMargins();
    const QSize size(std::min(viewer->width(), area.width() - frame.left() - frame.right()),
                     std::min(viewer->height(), area.height() - frame.top() - frame.bottom()));
    viewer->resize(size);
    const QRect over = root && root->isVisible() ? root->frameGeometry() : area;
    QRect box(QPoint(0, 0), size.grownBy(frame));
    box.moveCenter(over.center());
    box.moveLeft(std::clamp(box.left(), area.left(), area.right() + 1 - box.width()));
    box.moveTop(std::clamp(box.top(), area.top(), area.bottom() + 1 - box.height()));
    viewer->move(box.topLeft());
}

namespace {

constexpr const char* kHelpContextProperty = "qbHelpContext";

// What F1 opens: the nearest context within the window, or the window's Help button.
class HelpKeyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier || !widget)
            return false;
        try {
            if (const int context = helpContextOf(widget)) {
                showHelp(context, widget);
                return true;
            }
            QWidget* window = widget->window();
            for (QPushButton* b : window->findChildren<QPushButton*>()) {
                if (b->window() == window && b->isVisible() && b->isEnabled()
                    && b->text().remove(QLatin1Char('&')) == QLatin1String("Help")) {
                    b->click();
                    return true;
                }
            }
        } catch (...) {
            // Help that cannot be shown leaves the window as it was.
        }
        return false;
    }
};

} // namespace

void setHelpContext(QWidget* widget, int context) { widget->setProperty(kHelpContextProperty, context); }

int helpContextOf(const QWidget* widget)
{
    for (const QWidget* w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget())
        if (const int context = w->property(kHelpContextProperty).toInt(); context > 0)
            return context;
    return 0;
}

void installHelpKey()
{
    static QPointer<HelpKeyFilter> filter;
    if (!filter && qApp) {
        filter = new HelpKeyFilter(qApp);
        qApp->installEventFilter(filter);
    }
}

void installWhatsThis(QWidget* window, std::initializer_list<WhatsThisText> texts)
{
    for (const WhatsThisText& t : texts)
        for (QWidget* child : window->findChildren<QWidget*>(QLatin1String(t.objectName)))
            child->setWhatsThis(QString::fromUtf8(t.text));
    installWhatsThisMenus(window);
}

void installWhatsThisMenus(QWidget* dialog)
{
    const auto children = dialog->findChildren<QWidget*>();
    for (QWidget* child : children) {
        if (child->whatsThis().isEmpty())
            continue;
        child->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(child, &QWidget::customContextMenuRequested, child, [child](const QPoint& pos) {
            QMenu menu(child);
            QAction* action = menu.addAction(QStringLiteral("What's this?"));
            if (menu.exec(child->mapToGlobal(pos)) == action)
                QWhatsThis::showText(child->mapToGlobal(pos), child->whatsThis(), child);
        });
    }
}

} // namespace qb
