#pragma once
// "New Record": the names and the zip code asked before a record is added,
// when duplicate checking ("AutoDupCheck") or filling in city and state
// ("PlugCityState") is on.

#include "mainwindow/record_editor.h"

#include <QDialog>
#include <optional>

class QLabel;
class QLineEdit;

namespace qb {

namespace xbase {
class Table;
}

// How much each box takes: the address table's LNAME, FNAME and ZIP widths.
struct NewRecordWidths {
    int lastName = 30;
    int firstName = 30;
    int zip = 10;
};
// The widths of table's fields; a field the table lacks keeps its default.
NewRecordWidths newRecordWidths(const xbase::Table& table);

class TGetFirstLastZip : public QDialog {
    Q_OBJECT
public:
    // The boxes shown: the two names with askNames, the zip with askZip (in
    // the last name's place when the names are not asked).
    TGetFirstLastZip(bool askNames, bool askZip, const NewRecordWidths& widths = {}, QWidget* parent = nullptr);

    // What was typed, trailing blanks removed; boxes not shown give empty texts.
    NewRecordEntry entry() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OkButtonClick();

    bool askNames_;
    bool askZip_;
    QLabel* lastNameLabel_ = nullptr;
    QLabel* firstNameLabel_ = nullptr;
    QLabel* zipLabel_ = nullptr;
    QLineEdit* lastName_ = nullptr;
    QLineEdit* firstName_ = nullptr;
    QLineEdit* zip_ = nullptr;
};

// The dialog centred over the main window, for RecordEditor::Hooks::askNewRecord;
// nullopt on "Cancel".
std::optional<NewRecordEntry> askNewRecordEntry(bool askNames, bool askZip, QWidget* parent,
                                                const NewRecordWidths& widths = {});

} // namespace qb
