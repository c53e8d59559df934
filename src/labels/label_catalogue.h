#pragma once
// The stored label layouts: rows of LABEL.DBF (description, the complete
// stock, the layout file's name) with their layout files in sysdata. Rows
// are listed by description, deleted ones hidden. A row is written only after
// its layout file was, so a failed save leaves no row naming a missing file.

#include "labels/label_stock.h"

#include <QSet>
#include <QString>

#include <functional>
#include <optional>

namespace qb {

namespace xbase {
class Table;
}

struct LabelLayoutRecord {
    QString description;   // at most 50 characters are kept
    LabelStock stock;
    QString fileName;      // "BIN00001.L", no folder
    bool isNew = false;
};

inline constexpr int kLayoutDescriptionLength = 50;
inline const QString kLabelFileRemoved = QStringLiteral("Label definition file has been removed from the sysdata directory");

// "Sheet Name" of the information panel: the template, or "[User Defined]".
QString sheetName(const LabelStock& stock);

class LabelCatalogue {
public:
    // labels: LABEL.DBF, open for writing; the catalogue sets its order and query.
    explicit LabelCatalogue(xbase::Table& labels);

    xbase::Table& table() { return labels_; }
    bool hasCurrent() const;
    // The current row as a layout record.
    LabelLayoutRecord read() const;
    static QString folder();   // the program's sysdata folder, ending in '/'
    // sysdata + the name; empty when the name is not a plain file name there.
    QString layoutPath(const QString& fileName) const;

    // A file name for a new layout; nullopt after telling the user none is free.
    std::optional<QString> newFileName();

    // The row (appended for a new record) is filled, then writeLayout writes
    // the layout file at the given path, then the row is posted. writeLayout
    // fails by returning false or throwing (its text is shown). A value the
    // row cannot hold stops the save before the file is written. False after
    // telling the user why not; the row is then as it was.
    bool save(LabelLayoutRecord& record, const std::function<bool(const QString& path)>& writeLayout);
    // Delete "description"? On Yes the row goes, and its file when present.
    bool remove();
    // Clone "description"? On Yes a new row "Clone of :" + description with a
    // copy of the layout under a new name; copyLayout(from, to) makes the copy.
    bool clone(const std::function<bool(const QString& from, const QString& to)>& copyLayout);

private:
    QSet<QString> referencedFiles();

    xbase::Table& labels_;
};

} // namespace qb
