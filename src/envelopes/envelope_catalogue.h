#pragma once
// The stored envelope layouts: rows of ENVELOPE.DBF (description, the
// envelope's paper code, the layout file's name) with their ".E" files in
// sysdata. Rows are listed by description, deleted ones hidden. A row is
// written only after its layout file was, so a failed save leaves no row
// naming a missing file.

#include "envelopes/envelope_feed.h"

#include <QSet>
#include <QString>

#include <functional>
#include <optional>

namespace qb {

namespace xbase {
class Table;
}

struct EnvelopeLayoutRecord {
    QString description = kDefaultEnvelopeDescription;   // at most 50 characters are kept
    int code = kDefaultEnvelopeCode;                      // NUMBER
    QString fileName;                                     // "BIN00001.E", no folder
    bool isNew = false;

    // The size of the code; an unknown code gives -1 by -1 and "Unknown".
    EnvelopeSize size() const;
};

inline constexpr int kEnvelopeDescriptionLength = 50;
inline const QString kEnvelopeFileRemoved =
    QStringLiteral("Envelope definition file has been removed from the sysdata directory");
QString unknownEnvelopeSizeMessage(int code);

class EnvelopeCatalogue {
public:
    // envelopes: ENVELOPE.DBF, open for writing; the catalogue sets its order and query.
    explicit EnvelopeCatalogue(xbase::Table& envelopes);

    xbase::Table& table() { return envelopes_; }
    bool hasCurrent() const;
    // The current row; without one the default #10 layout.
    EnvelopeLayoutRecord read() const;
    static QString folder();   // the program's sysdata folder, ending in '/'
    // sysdata + the name; empty when the name is not a plain file name there.
    QString layoutPath(const QString& fileName) const;
    // Finds a row by description (any case) or file name; false when none.
    bool find(const QString& descriptionOrFile);

    std::optional<QString> newFileName();
    // The row is filled, writeLayout writes the file, then the row is posted;
    // false after telling the user why not, the row then as it was.
    bool save(EnvelopeLayoutRecord& record, const std::function<bool(const QString& path)>& writeLayout);
    bool remove();
    bool clone(const std::function<bool(const QString& from, const QString& to)>& copyLayout);

private:
    QSet<QString> referencedFiles();

    xbase::Table& envelopes_;
};

} // namespace qb
