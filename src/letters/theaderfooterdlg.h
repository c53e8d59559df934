#pragma once
// "Header and Footer": one line of text at the top and one at the bottom of
// every page of a letter, "[Page]" standing for the page number. A header or
// footer read from an RTF file keeps its own formatting until its text is
// changed here; a changed one becomes a centred line.

#include <QDialog>
#include <QStringList>

class QLineEdit;

namespace qb {

// The kept RTF groups of a letter with the header and footer texts set:
// text, or the group as it stood when its text is unchanged; an empty text
// removes it.
QStringList withHeaderAndFooter(const QStringList& kept, const QString& header, const QString& footer);
// The plain text of the letter's header (footer: false) or footer, "[Page]"
// for its page number; empty when it has none.
QString headerFooterText(const QStringList& kept, bool footer);

class THeaderFooterDlg : public QDialog {
    Q_OBJECT
public:
    THeaderFooterDlg(const QString& header, const QString& footer, QWidget* parent = nullptr);

    QString header() const;
    QString footer() const;

private:
    QLineEdit* header_;
    QLineEdit* footer_;
};

} // namespace qb
