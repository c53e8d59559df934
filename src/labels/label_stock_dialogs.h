#pragma once
// The label stock dialogs of the label designer: the chooser between the
// catalogue and typed values, the catalogue of templates, and the editor of a
// user-defined stock. None of them writes a table; callers copy the result.

#include "labels/label_stock.h"

#include <QDialog>

#include <memory>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableView;

namespace qb {

namespace xbase {
class Table;
}

class TChooseLabelLayout : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1049;
    enum class Choice { Template, Manual, Cancelled };

    explicit TChooseLabelLayout(QWidget* parent = nullptr);
    Choice choice() const;

private:
    QRadioButton* fromTemplates_;
    QRadioButton* manual_;
};

class DescriptionListModel;

class TSelectLabel : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1048;

    // catalogue: LBLTPL.DBF, ordered by its DESCRIPT tag; the dialog sets its query.
    TSelectLabel(xbase::Table& catalogue, const LabelStock& stock, bool startFresh, QWidget* parent = nullptr);
    ~TSelectLabel() override;

    // The highlighted template after Ok.
    LabelStock selected() const { return selected_; }
    QString filterText() const { return filter_; }
    int rowCount() const;
    QTableView* grid() const { return grid_; }

private:
    void FilterChange();
    void RowChange();
    void OkButtonClick();

    xbase::Table& catalogue_;
    QComboBox* manufacturer_;
    QComboBox* productType_;
    QCheckBox* european_;
    QTableView* grid_;
    QLabel* details_;
    QLabel* picture_;
    QPushButton* ok_;
    std::unique_ptr<DescriptionListModel> model_;
    LabelStock selected_;
    QString filter_;
};

class TLabelEdit : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1050;

    TLabelEdit(const LabelStock& stock, QWidget* parent = nullptr);

    // After Ok: the stock with the typed numbers, paper code and shape.
    const LabelStock& stock() const { return stock_; }
    bool millimetres() const;
    QLineEdit* lengthBox(const char* name) const;

private:
    void UnitChange();
    void PaperChange(int index);
    void WidthExit();
    void HeightExit();
    void OkButtonClick();
    void showLengths(const std::array<double, 8>& inches);
    std::array<double, 8> typedLengths() const;   // in inches, as typed

    LabelStock stock_;
    std::array<QLineEdit*, 8> lengths_{};
    QSpinBox* across_;
    QSpinBox* down_;
    QComboBox* paper_;
    QComboBox* shape_;
    QRadioButton* inches_;
    QRadioButton* mm_;
    bool shownInMm_ = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace qb
