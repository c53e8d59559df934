#pragma once
// "Copy Records Out": the records that pass the main window's filter, in its
// order, into a new table with the address structure, into comma-delimited
// text or into a vCard file that phones and mail programs read.

#include "transfer/export_run.h"
#include "transfer/file_choice.h"

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace qb {

class AddressTable;

class TCopyRecordsOut : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1506;
    explicit TCopyRecordsOut(AddressTable& table, QWidget* parent = nullptr);

    bool copying() const { return copying_; }
    // The folder the next "Save As" starts in: the last one used, at first the
    // program's folder.
    static QString startFolder();

    void reject() override;

private:
    void SaveAsButtonClick();
    void copy(RecordExport::Format format, const QString& target);

    AddressTable& table_;
    QRadioButton* dbfChoice_;
    QRadioButton* asciiChoice_;
    QRadioButton* vcardChoice_;
    QPushButton* saveAs_;
    QPushButton* help_;
    QPushButton* cancel_;
    QToolButton* mouseHelp_;
    QWidget* progress_;
    QLabel* status_;
    QProgressBar* gauge_;
    bool copying_ = false;
    bool cancelled_ = false;
    QElapsedTimer sinceEvents_;
};

} // namespace qb
