#pragma once
// "Rebuild Indexes": packs the open address database and builds its tags
// afresh, with a gauge while it works.

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace qb {

namespace xbase {
class Table;
}

class TQBReindex : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1040;

    TQBReindex(xbase::Table& table, QWidget* parent = nullptr);

    // Whether the last "Reindex" packed and built every tag.
    bool succeeded() const { return succeeded_; }

signals:
    void helpRequested(int context);

private:
    void ReindexButtonClick();
    void CancelButtonClick();

    xbase::Table& table_;
    bool succeeded_ = false;
    QProgressBar* gauge_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* reindex_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* help_ = nullptr;
    QToolButton* mouseHelp_ = nullptr;
};

} // namespace qb
