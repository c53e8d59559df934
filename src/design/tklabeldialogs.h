#pragma once
// The small modal dialogs of the text objects: the text, counter, field,
// symbol, 3D effects, multi-line editor and address layout dialogs. Each is
// filled by its caller, run with exec(), and read back on Ok.

#include <QColor>
#include <QDialog>
#include <QFont>

#include <functional>

class QBoxLayout;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace qb {
struct RecordViewField;
namespace xbase {
class Table;
}
} // namespace qb

namespace qb::design {

class TKDataPanel;
class TKGraphicControl;
class TKPLabel;

// Ok (default), Cancel and Help along the bottom of a dialog.
void addDialogButtons(QDialog* dialog, QBoxLayout* layout, int helpContext);

class TGetLabelText : public QDialog {
    Q_OBJECT
public:
    explicit TGetLabelText(const QString& text, QWidget* parent = nullptr);
    QString text() const;

private:
    QLineEdit* edit_;
};

struct CounterSettings {
    qint64 startingNumber = 1;
    int repeatEach = 1;
    QString textBefore, textAfter;
    int leadingZeros = 0;
};

class TGetCounter : public QDialog {
    Q_OBJECT
public:
    explicit TGetCounter(const CounterSettings& s, QWidget* parent = nullptr);
    CounterSettings settings() const;

private:
    QLineEdit* start_;
    QSpinBox* repeat_;
    QLineEdit* before_;
    QLineEdit* after_;
    QSpinBox* zeros_;
};

// Offers the fields of the data panel's table that pass `offered`, by their
// display labels, starting on the object's DataFieldDescript; a choice sets
// DataFieldName and DataFieldDescript. The panel's values are refreshed
// either way. Nothing happens without an open table.
void chooseDataField(TKGraphicControl& object, TKDataPanel* panel,
                     const std::function<bool(const RecordViewField& field, const xbase::Table& table)>& offered);

class TFieldSelectionBox : public QDialog {
    Q_OBJECT
public:
    TFieldSelectionBox(const QStringList& entries, const QString& current, QWidget* parent = nullptr);
    QString selected() const;

private:
    QListWidget* list_;
};

class TGetSymbol : public QDialog {
    Q_OBJECT
public:
    TGetSymbol(const QFont& font, QChar current, QWidget* parent = nullptr);
    QFont font() const { return font_; }
    QChar symbol() const;
    // Columns of the character list for a font of the given point size.
    static int columnsFor(int points);

private:
    void fill();

    QFont font_;
    QPushButton* fontButton_;
    QListWidget* list_;
};

struct Effects3D {
    int shadowDirection = 3, shadowDepth = 0;
    QColor shadowColour;
    int highlightDirection = 4, highlightDepth = 0;
    QColor highlightColour;
    QColor fontColour;
};

class TKFont3DEffects : public QDialog {
    Q_OBJECT
public:
    TKFont3DEffects(const Effects3D& e, const QFont& font, QWidget* parent = nullptr);
    Effects3D effects() const { return effects_; }

private:
    void updateSample();

    Effects3D effects_;
    TKPLabel* sample_;
};

class TMultiLineTextEditor : public QDialog {
    Q_OBJECT
public:
    TMultiLineTextEditor(const QStringList& lines, const QFont& font, QWidget* parent = nullptr);
    QStringList lines() const;

private:
    QPlainTextEdit* edit_;
};

class TKDMultiLineAddressLabel;

class TAddressLayout : public QDialog {
    Q_OBJECT
public:
    explicit TAddressLayout(const TKDMultiLineAddressLabel& label, QWidget* parent = nullptr);
    void store(TKDMultiLineAddressLabel& label) const;

private:
    QCheckBox* use_[10];
    QRadioButton* zip_[4];
};

} // namespace qb::design
