#pragma once
// The serial numbers of the Intelligent Mail barcodes in one run. The postal
// service wants a mailer's serial used once within 45 days, so the next
// unused serial of each mailer identifier is kept in QUILLB.ini (section
// "Intelligent Mail", the identifier as the key) and every printed run
// carries on from it. A barcode that reads its serial from a record field is
// left alone.

#include <QString>
#include <QStringList>

namespace qb::design {

class TKBasePanel;

inline const QString kIntelligentMailSection = QStringLiteral("Intelligent Mail");

class IntelligentMailSerials {
public:
    // Sets every counting barcode on the panel (its layout just loaded) to
    // start at its mailer's kept serial, or at its own SerialStart when none
    // is kept yet.
    explicit IntelligentMailSerials(TKBasePanel& panel);

    // Keeps, for each mailer, the serial after the last one counted, whether
    // the run completed or was cancelled: what went to the printer is used.
    // Returns a warning for each mailer whose serials ran past the last
    // number and began again at zero.
    QStringList keep();

private:
    TKBasePanel& panel_;
};

} // namespace qb::design
