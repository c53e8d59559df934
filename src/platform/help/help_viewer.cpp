#include "platform/help/help_viewer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPointer>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <QWhatsThis>

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
