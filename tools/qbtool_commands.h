#pragma once
// The qbtool commands that draw or print, which need Qt. Each returns -1 when
// the command is not one of its own, else the exit status.

#include <QString>
#include <QStringList>

#include <memory>
#include <string>

class QApplication;

namespace qb {
class AddressTable;
enum class SystemTable;
namespace xbase {
class Table;
}
} // namespace qb

int printCommand(const std::string& command, int argc, char** argv);  // qbtool_print.cpp
int layoutCommand(const std::string& command, int argc, char** argv); // qbtool_layout.cpp
int labelsCommand(const std::string& command, int argc, char** argv); // qbtool_labels.cpp
int transferCommand(const std::string& command, int argc, char** argv); // qbtool_transfer.cpp
int lettersCommand(const std::string& command, int argc, char** argv); // qbtool_letters.cpp
int envelopesCommand(const std::string& command, int argc, char** argv); // qbtool_envelopes.cpp
int dialCommand(const std::string& command, int argc, char** argv);   // qbtool_dial.cpp
int reportCommand(const std::string& command, int argc, char** argv); // qbtool_report.cpp
int utilitiesCommand(const std::string& command, int argc, char** argv); // qbtool_utilities.cpp

// Fonts, pictures and the PDF writer need an application object; without a
// display the offscreen platform serves. Null when one exists already.
std::unique_ptr<QApplication> ensureApplication(int& argc, char** argv); // qbtool_print.cpp

// The commands that print stored designs for the records of a database
// (qbtool_designs.cpp): DATABASE NAME OUT.pdf [--program DIR] [--filter EXPR]
// [--copies N] [--presort] [--feed F] [--paper NAME].
struct DesignPrintArgs {
    QStringList positional;
    QString program, filter, feed, paper;
    int copies = 1;
    bool presort = false;
};
DesignPrintArgs parseDesignPrintArgs(int argc, char** argv);
// "qbtool: " and message on stderr; the exit status 1.
int qbtoolFail(const QString& message);
// The program folder: program, or else the one Quillbase would use from
// where qbtool lives (ProgramFolder::choose).
void useProgramFolder(const QString& program);
// The records of filter that are not deleted, in last-name order, from the
// first; false after saying why not.
bool selectRecords(qb::AddressTable& addresses, const QString& filter);
// A design catalogue of the program folder, opened read-only and never
// created: null after saying on stderr that it is missing or will not open.
// Any message box the opening would show becomes a line on stderr.
std::unique_ptr<qb::xbase::Table> openCatalogueForReading(qb::SystemTable table);
