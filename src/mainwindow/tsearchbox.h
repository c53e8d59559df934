#pragma once
// "Search": the text to look for and the sort order to look in. The caller
// seeks (keySearch) on "Ok" with a text.

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;

namespace qb {

class TSearchBox : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1026;

    // orders: the sort menu's captions without "&", current: the checked one.
    TSearchBox(const QStringList& orders, const QString& current, QWidget* parent = nullptr);

    QString searchText() const;
    QString chosenOrder() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OrderChange();

    QLabel* searchLabel_;
    QLineEdit* edit_;
    QComboBox* order_;
};

// "Searching": shows what the memo search looks for and lets it be cancelled;
// run() walks the records while the window is up and closes it afterwards.
class TQBWSearching : public QDialog {
    Q_OBJECT
public:
    TQBWSearching(const QString& text, QWidget* parent = nullptr);

    // The walk, given a callback that tells whether to go on (false once
    // "Cancel" was pressed). Returns what the walk returns.
    bool run(const std::function<bool(const std::function<bool()>& keepGoing)>& walk);
    bool cancelled() const { return cancelled_; }

signals:
    void searching();   // after each record, before the window looks at its input

private:
    bool cancelled_ = false;
};

} // namespace qb
