#pragma once
// On-line help: HTML topics named by context number ("1040.html") in the
// help folder, shown in one help window, and the "What's this?" popups of
// dialog controls, which Qt's own mechanism shows.

#include <QString>
#include <QWidget>

#include <initializer_list>

class QTextBrowser;

namespace qb {

// The folder of the topics; by default "help" beside the executable.
QString helpFolder();
void setHelpFolder(const QString& folder);

// The topic file for a context number: its own file when there is one,
// otherwise the contents topic. Empty when the folder has neither.
QString helpTopicPath(int context);
inline constexpr QLatin1StringView kHelpContentsTopic{"contents.html"};

// The help window: a browser over the topic files whose links move between
// topics. It is shown without blocking the window it was opened from.
class HelpViewer : public QWidget {
    Q_OBJECT
public:
    explicit HelpViewer(QWidget* parent = nullptr);

    void showTopic(int context);
    // The contents topic, where the help starts.
    void showContents();
    // The topic file shown now (empty when there is none).
    QString topicPath() const;
    QTextBrowser* browser() const { return browser_; }

private:
    void showFile(const QString& path);

    QTextBrowser* browser_ = nullptr;
};

// Opens the topic of context in the help window, creating the window the
// first time; the window stays open above parent's window until closed.
HelpViewer* showHelp(int context, QWidget* parent);
// Opens the contents topic likewise.
HelpViewer* showHelpContents(QWidget* parent);

// The help context of a window or of one of its controls. F1 opens the
// topic of the focused control's nearest context, up to its window's.
void setHelpContext(QWidget* widget, int context);
// The context F1 opens from widget: its own or its nearest parent's within
// its window; 0 when none has one.
int helpContextOf(const QWidget* widget);

// F1 anywhere in the program opens help the way the window's own Help does:
// the focused control's or the window's topic, or, in a window that names
// no context, what its Help button opens. Installed once for the application.
void installHelpKey();

// Puts the help window where it is wholly seen, on the screen of the window
// it was opened from (the window at the root of the parents, which in the
// program is the main window), centred over that window.
void placeHelpWindow(HelpViewer* viewer);

// A right-click on any child of dialog that has a "What's this?" text offers
// "What's this?", which shows that text. Call after the children exist.
void installWhatsThisMenus(QWidget* dialog);

// A control's "What's this?" text, by its object name.
struct WhatsThisText {
    const char* objectName;
    const char* text;
};
// Gives every child of window named in texts its text, then installs the
// right-click menus.
void installWhatsThis(QWidget* window, std::initializer_list<WhatsThisText> texts);

} // namespace qb
