#pragma once
// "Getting Started": a page of first steps whose links open the help topics,
// shown at start-up until its check box says otherwise, and from the Help menu.

#include <QDialog>
#include <QUrl>
#include <optional>

class QCheckBox;
class QTextBrowser;

namespace qb {

class Settings;

class TGettingStarted : public QDialog {
    Q_OBJECT
public:
    static constexpr int MainWindowTopic = 1029;
    static constexpr int ContentsTopic = 0;   // no topic of its own: the contents

    // The check box starts from "GettingStarted" in settings, which must
    // outlive the dialog; however the dialog closes, its state is written back.
    explicit TGettingStarted(Settings& settings, QWidget* parent = nullptr);

    // The page's links are "help:" followed by a context number.
    static std::optional<int> linkTopic(const QUrl& link);
    // The page shown, with its links.
    static QString pageHtml();

    void done(int result) override;

private:
    void PageAnchorClicked(const QUrl& link);

    Settings& settings_;
    QTextBrowser* page_ = nullptr;
    QCheckBox* doNotShow_ = nullptr;
};

} // namespace qb
