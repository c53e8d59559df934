#pragma once
// The stored reports: rows of REPORT.DBF (description, layout text, the
// report file's name) with their ".R" files in sysdata, listed by
// description. A row is posted only after its report file was written, so a
// failed save leaves no row naming a missing file.

#include <QSet>
#include <QString>

#include <functional>
#include <optional>

namespace qb {

namespace xbase {
class Table;
}

struct ReportRecord {
    QString description = QStringLiteral("<new report>");   // at most 60 characters are kept
    QString layout = QStringLiteral("Letter Size, Portrait");
    QString fileName;   // "BIN00001.R", no folder
    bool isNew = false;
};

inline constexpr int kReportDescriptionLength = 60;
inline const QString kReportFileRemoved =
    QStringLiteral("Report definition file has been removed from the sysdata directory");

class ReportCatalogue {
public:
    // reports: REPORT.DBF, open for writing; the catalogue sets its order and query.
    explicit ReportCatalogue(xbase::Table& reports);

    xbase::Table& table() { return reports_; }
    bool hasCurrent() const;
    ReportRecord read() const;
    static QString folder();   // sysdata, ending in '/'
    // sysdata + the name; empty when the name is not a plain file name there.
    static QString reportPath(const QString& fileName);
    // By description (any case) or file name.
    bool find(const QString& descriptionOrFile);

    std::optional<QString> newFileName();
    // Fills the row, writeReport writes the file, then the row is posted;
    // false after telling the user why not, the row then as it was.
    bool save(ReportRecord& record, const std::function<void(const QString& path)>& writeReport);
    // "Delete "..."?": the row, and the file when it exists.
    bool remove();
    // "Clone "..."?": a copy of the file under a new name and a row "Clone of ...".
    bool clone();

private:
    QSet<QString> referencedFiles();
    xbase::Table& reports_;
};

} // namespace qb
