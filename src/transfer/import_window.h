#pragma once
// What the three import windows share: the chosen file's name, "Select ...
// File", "Match Fields" where there is a match, "Import", "Help", "Cancel" and
// mouse help; while the import runs only a gauge and a status line show, and
// "Cancel" stops the import (but not the index rebuild after it).

#include "transfer/file_choice.h"
#include "transfer/import_run.h"

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace qb {

class AddressTable;

class ImportWindow : public QDialog {
    Q_OBJECT
public:
    struct Captions {
        QString window;       // "ASCII File Import"
        QString fileLabel;    // "ASCII File Name"
        QString select;       // "Select ASCII File"
        bool match = true;    // has "Match Fields"
        int helpContext = 0;
    };

    ImportWindow(const Captions& captions, AddressTable& table, QWidget* parent);

    // The chosen file as shown, "(none)" without one.
    QString fileNameText() const;
    bool importing() const { return importing_; }

protected:
    // "Select ... File" chose path (empty: cancelled); the window takes it or
    // says why not. True when it can be matched or imported.
    virtual bool takeFile(const QString& path) = 0;
    virtual FileQuestion fileQuestion() const = 0;
    // "Match Fields": shows the match window; true when a field is matched.
    virtual bool matchFields() { return false; }
    // "Import": runs the import (through runImport).
    virtual void importFile() = 0;

    // Checks, appends and rebuilds with the gauge, then says how it went and
    // closes; a refusal before anything was appended leaves the window open.
    void runImport(ImportSource& source, const std::vector<ImportField>& fields, ImportRun::Kind kind);
    // Refuses the open database itself as a source, with the user's message.
    bool sameAsDatabase(const QString& path) const;
    void setFileName(const QString& path);
    // Puts a control of the window's own under the file name.
    void addOption(QWidget* option);
    void setMatchEnabled(bool on);
    void setImportEnabled(bool on);

    AddressTable& table_;
    Captions captions_;

    void reject() override;

private:
    void SelectFileButtonClick();
    void MatchFieldsButtonClick();
    void CancelButtonClick();
    void showWorking(bool working);
    bool cancelRequested();

    QLabel* fileName_;
    QPushButton* select_;
    QPushButton* match_ = nullptr;
    QPushButton* import_;
    QPushButton* help_;
    QPushButton* cancel_;
    QToolButton* mouseHelp_;
    QProgressBar* gauge_;
    QLabel* status_;
    bool importing_ = false;
    bool rebuilding_ = false;
    bool cancelled_ = false;
    QElapsedTimer sinceEvents_;
};

} // namespace qb
