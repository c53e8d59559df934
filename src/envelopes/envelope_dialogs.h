#pragma once
// The envelope's small dialogs: "Envelope Size" (TChooseEnvelopeLayout),
// "Paper Feed Method" (TEnvelopeFeed) and "Envelope Print"
// (TEnvelopePrePrint), and the feed picture both feed dialogs draw.

#include "envelopes/envelope_feed.h"

#include <QDialog>
#include <QImage>

#include <functional>
#include <optional>

class QCheckBox;
class QLabel;
class QListWidget;

namespace qb {

class TBaseReport;

// A page with the envelope at the feed's position: its front (stamp corner,
// address lines) facing up, its back (flap) facing down; upright when fed
// landscape, turned the other way with clockwise rotation.
QImage feedPicture(const EnvelopeFeed& feed, QSize size = QSize(120, 150));

class TChooseEnvelopeLayout : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1081;
    explicit TChooseEnvelopeLayout(int code, QWidget* parent = nullptr);
    // The code chosen on Ok (the given code when nothing is selected).
    int code() const;
    QListWidget* list() const { return list_; }

private:
    int given_;
    QListWidget* list_;
};

class TEnvelopeFeed : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1017;
    explicit TEnvelopeFeed(const EnvelopeFeed& feed, QWidget* parent = nullptr);
    const EnvelopeFeed& feed() const { return feed_; }

private:
    void refresh();

    EnvelopeFeed feed_;
    QCheckBox* clockwise_;
    QLabel* picture_;
};

class TEnvelopePrePrint : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1018;
    // job: the printer job, already set to the envelope's paper; width and
    // height: the envelope in inches.
    TEnvelopePrePrint(TBaseReport& job, const EnvelopeFeed& feed, double width, double height, QWidget* parent = nullptr);
    const EnvelopeFeed& feed() const { return feed_; }
    bool warningShown() const;
    QString feedTextShown() const;

    // Replaceable so tests can answer them.
    std::function<void(TBaseReport& job)> printerSetup;
    std::function<std::optional<EnvelopeFeed>(const EnvelopeFeed&)> chooseFeed;

    void refresh();

private:
    TBaseReport& job_;
    EnvelopeFeed feed_;
    double width_, height_;
    QLabel* printer_;
    QLabel* source_;
    QLabel* paper_;
    QLabel* orientation_;
    QLabel* feedText_;
    QLabel* picture_;
    QLabel* warning_;
};

} // namespace qb
