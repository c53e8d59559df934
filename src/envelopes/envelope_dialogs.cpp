#include "envelopes/envelope_dialogs.h"

#include "design/tklabeldialogs.h"
#include "printing/tbasereport.h"
#include "printing/tcanvasreport.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace qb {

QImage feedPicture(const EnvelopeFeed& feed, QSize size)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(QColor(212, 208, 200));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    // The page, as the printer's feeder holds it.
    const QRect page(10, 6, size.width() - 20, size.height() - 12);
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(page);
    // The envelope: lying across when fed portrait, upright when landscape.
    const bool upright = feed.orientation == kLandscape;
    const int ew = upright ? page.width() * 2 / 5 : page.width() - 8;
    const int eh = upright ? page.height() * 3 / 4 : page.height() * 2 / 5;
    const int x = feed.position == kLeft    ? page.left() + 2
                  : feed.position == kRight ? page.right() - ew - 2
                                            : page.left() + page.width() / 2 - ew / 2;
    const QRect env(x, page.top() + 2, ew, eh);
    p.setBrush(feed.facing == kFaceDown ? QColor(235, 225, 190) : QColor(250, 245, 225));
    p.drawRect(env);
    p.save();
    // Draw the face in the envelope's own upright frame, then turn it.
    p.translate(env.center());
    if (upright)
        p.rotate(feed.clockWiseRotation ? 90 : -90);
    const int w = upright ? eh : ew, h = upright ? ew : eh;
    const QRect face(-w / 2, -h / 2, w, h);
    if (feed.facing == kFaceDown) {
        // The back: the flap's two edges.
        p.drawLine(face.topLeft(), QPoint(0, face.top() + h / 2));
        p.drawLine(face.topRight(), QPoint(0, face.top() + h / 2));
    } else {
        // The front: the stamp and the address lines.
        p.setBrush(Qt::red);
        p.drawRect(QRect(face.right() - w / 6, face.top() + 3, w / 8, h / 4));
        p.setPen(QPen(Qt::darkGray, 2));
        for (int i = 0; i < 3; ++i)
            p.drawLine(QPoint(-w / 8, i * h / 8), QPoint(w / 4, i * h / 8));
    }
    p.restore();
    return img;
}

// ---- TChooseEnvelopeLayout ------------------------------------------------------------

TChooseEnvelopeLayout::TChooseEnvelopeLayout(int code, QWidget* parent) : QDialog(parent), given_(code)
{
    setObjectName(QStringLiteral("TChooseEnvelopeLayout"));
    setWindowTitle(QStringLiteral("Envelope Size"));
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("ListOfSizes"));
    int row = 0;
    for (const EnvelopeSize& s : envelopeSizes()) {
        list_->addItem(s.entry);
        if (s.code == code)
            row = list_->count() - 1;
    }
    list_->setCurrentRow(row);
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    design::addDialogButtons(this, layout, HelpContext);
}

int TChooseEnvelopeLayout::code() const
{
    const int row = list_->currentRow();
    return row < 0 ? given_ : envelopeSizes().at(size_t(row)).code;
}

// ---- TEnvelopeFeed ----------------------------------------------------------------------

TEnvelopeFeed::TEnvelopeFeed(const EnvelopeFeed& feed, QWidget* parent) : QDialog(parent), feed_(feed)
{
    setObjectName(QStringLiteral("TEnvelopeFeed"));
    setWindowTitle(QStringLiteral("Paper Feed Method"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Please indicate how you normally feed envelopes into your printer:"), this));
    auto* row = new QHBoxLayout;
    auto* buttons = new QGridLayout;
    struct B {
        const char* name;
        const char* caption;
        int column;
        std::function<void(EnvelopeFeed&)> set;
    };
    const B list[] = {
        {"PortraitButton", "&Portrait", 0, [](EnvelopeFeed& f) { f.orientation = kPortrait; }},
        {"LandscapeButton", "&Landscape", 0, [](EnvelopeFeed& f) { f.orientation = kLandscape; }},
        {"UpButton", "&Up", 1, [](EnvelopeFeed& f) { f.facing = kFaceUp; }},
        {"DownButton", "&Down", 1, [](EnvelopeFeed& f) { f.facing = kFaceDown; }},
        {"LeftButton", "&Left", 2, [](EnvelopeFeed& f) { f.position = kLeft; }},
        {"RightButton", "&Right", 2, [](EnvelopeFeed& f) { f.position = kRight; }},
        {"CenterButton", "&Center", 2, [](EnvelopeFeed& f) { f.position = kCentre; }},
    };
    int rows[3] = {0, 0, 0};
    for (const B& b : list) {
        auto* button = new QPushButton(QString::fromUtf8(b.caption), this);
        button->setObjectName(QLatin1String(b.name));
        button->setAutoDefault(false);
        buttons->addWidget(button, rows[b.column]++, b.column);
        const auto set = b.set;
        connect(button, &QPushButton::clicked, this, [this, set] {
            set(feed_);
            refresh();
        });
    }
    clockwise_ = new QCheckBox(QStringLiteral("Clock&wise Rotation"), this);
    clockwise_->setObjectName(QStringLiteral("ClockWiseRotation"));
    clockwise_->setChecked(feed_.clockWiseRotation);
    connect(clockwise_, &QCheckBox::toggled, this, [this](bool on) {
        feed_.clockWiseRotation = on;
        refresh();
    });
    buttons->addWidget(clockwise_, 3, 0, 1, 3);
    row->addLayout(buttons);
    picture_ = new QLabel(this);
    picture_->setObjectName(QStringLiteral("FeedPicture"));
    row->addWidget(picture_);
    layout->addLayout(row);
    layout->addWidget(new QLabel(
        QStringLiteral("(note: there are many printers and many ways to feed envelopes - this may take some experimenting)"),
        this));
    design::addDialogButtons(this, layout, HelpContext);
    refresh();
}

void TEnvelopeFeed::refresh()
{
    // Rotation is a choice of landscape feeding only.
    clockwise_->setVisible(feed_.orientation == kLandscape);
    picture_->setPixmap(QPixmap::fromImage(feedPicture(feed_)));
}

// ---- TEnvelopePrePrint --------------------------------------------------------------------

TEnvelopePrePrint::TEnvelopePrePrint(TBaseReport& job, const EnvelopeFeed& feed, double width, double height,
                                     QWidget* parent)
    : QDialog(parent), job_(job), feed_(feed), width_(width), height_(height)
{
    setObjectName(QStringLiteral("TEnvelopePrePrint"));
    setWindowTitle(QStringLiteral("Envelope Print"));
    auto* layout = new QVBoxLayout(this);
    auto* setup = new QGroupBox(QStringLiteral("Printer Setup"), this);
    auto* grid = new QGridLayout(setup);
    const auto value = [this, grid](int row, const char* caption, const char* name) {
        grid->addWidget(new QLabel(QLatin1String(caption), this), row, 0);
        auto* l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        grid->addWidget(l, row, 1);
        return l;
    };
    printer_ = value(0, "Printer:", "PrinterName");
    source_ = value(1, "Source:", "PrinterSource");
    paper_ = value(2, "Paper:", "PrinterPaper");
    orientation_ = value(3, "Orientation:", "PrinterOrientation");
    layout->addWidget(setup);
    auto* feedBox = new QGroupBox(QStringLiteral("Paper Feed"), this);
    auto* feedRow = new QHBoxLayout(feedBox);
    picture_ = new QLabel(this);
    picture_->setObjectName(QStringLiteral("FeedPicture"));
    feedText_ = new QLabel(this);
    feedText_->setObjectName(QStringLiteral("FeedText"));
    feedRow->addWidget(picture_);
    feedRow->addWidget(feedText_, 1);
    layout->addWidget(feedBox);
    warning_ = new QLabel(QString(kPaperMismatchWarning).replace(QStringLiteral("\r\n"), QStringLiteral("\n")), this);
    warning_->setObjectName(QStringLiteral("PaperWarning"));
    warning_->setStyleSheet(QStringLiteral("color: red"));
    layout->addWidget(warning_);

    auto* extra = new QHBoxLayout;
    auto* setupButton = new QPushButton(QStringLiteral("Printer Setup"), this);
    setupButton->setObjectName(QStringLiteral("PrinterSetupButton"));
    auto* feedButton = new QPushButton(QStringLiteral("Paper Feed Method"), this);
    feedButton->setObjectName(QStringLiteral("PaperFeedButton"));
    for (QPushButton* b : {setupButton, feedButton}) {
        b->setAutoDefault(false);
        extra->addWidget(b);
    }
    layout->addLayout(extra);
    design::addDialogButtons(this, layout, HelpContext);

    printerSetup = [this](TBaseReport& target) {
        if (auto* printer = dynamic_cast<TReportPrinter*>(&target))
            printer->ShowPrinterSetup(this);
    };
    chooseFeed = [this](const EnvelopeFeed& f) -> std::optional<EnvelopeFeed> {
        TEnvelopeFeed dialog(f, this);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.feed();
    };
    connect(setupButton, &QPushButton::clicked, this, [this] {
        printerSetup(job_);
        refresh();
    });
    connect(feedButton, &QPushButton::clicked, this, [this] {
        if (const std::optional<EnvelopeFeed> f = chooseFeed(feed_)) {
            feed_ = *f;
            job_.setOrientation(feed_.orientation == kPortrait ? Orientation::poPortrait : Orientation::poLandScape);
        }
        refresh();
    });
    refresh();
}

void TEnvelopePrePrint::refresh()
{
    printer_->setText(job_.PrinterNames().value(job_.SelectedPrinter()));
    source_->setText(job_.BinName());
    paper_->setText(job_.PaperName());
    orientation_->setText(job_.orientation() == Orientation::poLandScape ? QStringLiteral("Landscape")
                                                                         : QStringLiteral("Portrait"));
    feedText_->setText(QString(feedText(feed_)).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    picture_->setPixmap(QPixmap::fromImage(feedPicture(feed_)));
    // The page in inches, whatever units the job counts in.
    warning_->setVisible(paperMismatch(width_, height_, job_.PageWidth() / job_.UnitsFactor(),
                                       job_.PageHeight() / job_.UnitsFactor()));
}

bool TEnvelopePrePrint::warningShown() const { return !warning_->isHidden(); }
QString TEnvelopePrePrint::feedTextShown() const { return feedText_->text(); }

} // namespace qb
