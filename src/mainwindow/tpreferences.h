#pragma once
// "Preferences": the settings of sections "Adding" and "Editing" that govern
// adding and saving records in the main window.

#include "core/preferences.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace qb {

class TPreferences : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1038;

    // Reads every key from settings into the controls; "Ok" writes them all
    // back there. The main window reads its preferences again after exec(),
    // whichever button closed the dialog.
    explicit TPreferences(Settings& settings, QWidget* parent = nullptr);

    // What the controls hold now.
    AddingPreferences adding() const;
    EditingPreferences editing() const;

private:
    void showValues(const AddingPreferences& adding, const EditingPreferences& editing);
    void OkButtonClick();
    void HelpButtonClick();

    // Each check box beside the flag of AddingPreferences it edits.
    struct Flag {
        QCheckBox* box;
        bool AddingPreferences::*plain;
        bool AddingPreferences::Carry::*carry;
        bool AddingPreferences::Skip::*skip;
    };

    Settings& settings_;
    std::vector<Flag> flags_;
    QLineEdit* country_ = nullptr;
    QComboBox* aggressiveSave_ = nullptr;
};

} // namespace qb
