#pragma once
// "Address Browse": the records that pass the filter as a read-only grid whose
// current row is the main window's current record. Columns can be moved and
// resized; a double click or "&Tag" toggles the tag of the current record.

#include "mainwindow/browse_model.h"

#include <QDialog>

#include <functional>

class QSpacerItem;
class QTableView;

namespace qb {

// The designed size, widened on screens above 96 dots per inch by
// resolution / 96 x 0.95, truncated.
QSize browseFormSize(const QSize& designed, int logicalDpi);

class TAddressBrowseForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1034;

    struct Hooks {
        std::function<bool()> toggleTag;   // true when the tag changed
        std::function<bool()> filterSet;   // a tag may take a record out of the filter
        std::function<void()> moved;       // the current record changed
    };

    // columns: the record view's fields in the order FIELDS.LST gives; the
    // grid shows the visible ones.
    TAddressBrowseForm(AddressTable& table, const std::vector<RecordViewField>& columns, Hooks hooks,
                       QWidget* parent = nullptr);

    QTableView* grid() const { return grid_; }
    BrowseModel* model() const { return model_; }
    // The visible fields in the grid's present column order.
    QStringList columnOrder() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void TagButtonClick();
    void FirstButtonClick();
    void PriorButtonClick();
    void NextButtonClick();
    void LastButtonClick();
    void goToRow(int row);
    void RowChanged(int row);
    void showCurrent();

    AddressTable& table_;
    Hooks hooks_;
    BrowseModel* model_;
    QTableView* grid_;
    QSpacerItem* partRow_;
    bool activated_ = false;
    bool placementSaved_ = false;
};

} // namespace qb
