#include "letters/theaderfooterdlg.h"

#include "letters/letter_units.h"
#include "platform/richtext/rich_text.h"
#include "platform/richtext/rtf_writer.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTextDocument>
#include <QVBoxLayout>

namespace qb {

namespace {

const QString kPageField = QStringLiteral("[Page]");

bool isFooter(const QString& group) { return group.startsWith(QLatin1String("{\\footer")); }
bool isHeaderOrFooter(const QString& group)
{
    return group.startsWith(QLatin1String("{\\header")) || group.startsWith(QLatin1String("{\\footer"));
}

QString groupText(const QString& group)
{
    static const QRegularExpression opening(QStringLiteral("^\\{\\\\(header|footer)[lrf]?"));
    QString rtf = group;
    rtf.replace(opening, QStringLiteral("{\\rtf1"));
    rtf.replace(QStringLiteral("\\chpgn"), QStringLiteral("\\u91?Page\\u93?"));   // "[Page]"
    richtext::RichText part(richtext::RichText::Layout::Editor);
    part.setRtf(rtf);
    return part.document().toPlainText().trimmed().replace(QLatin1Char('\n'), QLatin1Char(' '));
}

QString newGroup(const QString& text, bool footer)
{
    QString body;
    const QStringList parts = text.split(kPageField);
    for (int i = 0; i < parts.size(); ++i) {
        if (i > 0)
            body += QStringLiteral("{\\chpgn}");
        body += richtext::rtfEscaped(parts[i]);
    }
    return QStringLiteral("{\\%1 \\pard\\qc %2\\par}").arg(footer ? QStringLiteral("footer") : QStringLiteral("header"), body);
}

} // namespace

QString headerFooterText(const QStringList& kept, bool footer)
{
    for (const QString& group : kept)
        if (isHeaderOrFooter(group) && isFooter(group) == footer)
            return groupText(group);
    return {};
}

QStringList withHeaderAndFooter(const QStringList& kept, const QString& header, const QString& footer)
{
    QStringList out;
    bool headerDone = false, footerDone = false;
    for (const QString& group : kept) {
        if (!isHeaderOrFooter(group)) {
            out << group;
            continue;
        }
        const bool f = isFooter(group);
        const QString& text = f ? footer : header;
        bool& done = f ? footerDone : headerDone;
        if (groupText(group) == text.trimmed()) {
            out << group;   // unchanged: as it stood, formatting and all
            done = true;
        } else if (!done && !text.trimmed().isEmpty()) {
            out << newGroup(text.trimmed(), f);
            done = true;
        }
    }
    if (!headerDone && !header.trimmed().isEmpty())
        out << newGroup(header.trimmed(), false);
    if (!footerDone && !footer.trimmed().isEmpty())
        out << newGroup(footer.trimmed(), true);
    return out;
}

THeaderFooterDlg::THeaderFooterDlg(const QString& header, const QString& footer, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("THeaderFooterDlg"));
    setWindowTitle(QStringLiteral("Header and Footer"));
    header_ = new QLineEdit(header, this);
    header_->setObjectName(QStringLiteral("HeaderEdit"));
    footer_ = new QLineEdit(footer, this);
    footer_->setObjectName(QStringLiteral("FooterEdit"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Header"), header_);
    form->addRow(QStringLiteral("Footer"), footer_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("[Page] prints the page number."), this));
    layout->addWidget(okCancelButtons(this));
    resize(480, sizeHint().height());
}

QString THeaderFooterDlg::header() const { return header_->text(); }
QString THeaderFooterDlg::footer() const { return footer_->text(); }

} // namespace qb
