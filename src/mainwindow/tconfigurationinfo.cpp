#include "mainwindow/tconfigurationinfo.h"

#include "core/messages.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>

namespace qb {

TConfigurationInfo::TConfigurationInfo(const QStringList& report, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TConfigurationInfo"));
    setWindowTitle(QStringLiteral("Configuration Information"));

    auto* explanation = new QLabel(
        QStringLiteral("This report describes Quillbase and this computer. When you ask for support, click "
                       "\"Copy to Clipboard\" and paste the report into your message; it helps us reproduce "
                       "what you see. It holds no names or addresses from your databases."),
        this);
    explanation->setObjectName(QStringLiteral("ExplanationLabel"));
    explanation->setWordWrap(true);

    report_ = new QPlainTextEdit(this);
    report_->setObjectName(QStringLiteral("ReportMemo"));
    report_->setReadOnly(true);
    report_->setLineWrapMode(QPlainTextEdit::NoWrap);
    report_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    report_->setTabStopDistance(report_->fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 14);
    report_->setPlainText(report.join(QLatin1Char('\n')));

    auto* copy = new QPushButton(QStringLiteral("Copy to Clipboard"), this);
    copy->setObjectName(QStringLiteral("CopyButton"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    connect(copy, &QPushButton::clicked, this, &TConfigurationInfo::CopyButtonClick);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(copy);
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addWidget(report_);
    layout->addLayout(buttons);
    // Room for the report's longest usual lines at any font resolution,
    // never more than the screen holds.
    const QFontMetrics fixed = report_->fontMetrics();
    QSize size(qMax(640, fixed.horizontalAdvance(QLatin1Char('M')) * 96), qMax(480, fixed.lineSpacing() * 32));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    resize(size);
}

QString TConfigurationInfo::reportText() const { return report_->toPlainText(); }

void TConfigurationInfo::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    report_->moveCursor(QTextCursor::Start);
    report_->verticalScrollBar()->setValue(0);
}

void TConfigurationInfo::CopyButtonClick()
{
    QGuiApplication::clipboard()->setText(reportText());
    showInformation(QStringLiteral("Information copied to clipboard"), QStringLiteral("Configuration Information"));
}

} // namespace qb
