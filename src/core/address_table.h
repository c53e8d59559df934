#pragma once
// The address database: one table per contact list with its 23 stored fields,
// the 26 tags of its production index, the values calculated from each row,
// and the steps that create and open such a table.

#include "core/field_lengths.h"
#include "platform/xbase/table.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace qb {

// ---- layout ----------------------------------------------------------------

struct AddressField {
    const char* name;
    char type;           // 'C', 'L' or 'M'
    int width;           // 0: taken from FieldLengths
    const char* label;   // empty for TAG and MEMO, which are never shown
};

// The stored fields in the order a new table is created.
const std::vector<AddressField>& addressFields();
std::vector<xbase::FieldDef> addressFieldDefs(const FieldLengths& lengths);

// The tags in the order they are built, "NAME" first and "NOTISDEL" last. A
// database is usable only with all of them.
const std::vector<xbase::TagSpec>& addressTags();

// ---- calculated values -----------------------------------------------------
// The inputs are field texts as read, trailing blanks already gone. Only the
// blank counts as white space, and each result is cut to its size.

constexpr int kDisplayDateSize = 12;
constexpr int kNameSize = 35;   // FullName, FullNameWithPrefix, CityStateZip

QString fullNameOf(const QString& fname, const QString& middle, const QString& lname);
QString fullNameWithPrefixOf(const QString& prefix, const QString& fname, const QString& middle, const QString& lname);
QString cityStateZipOf(const QString& city, const QString& state, const QString& zip);

// A short date pattern ("mm/dd/yy", "d.M.yyyy" ...) widened to show the year
// with four digits, in lower case.
QString displayDatePattern(const QString& shortDatePattern);
// The pattern this run shows dates in: the system locale's short date pattern
// widened as above, or "mm/dd/yyyy" when the locale is the plain C one.
QString runDisplayDatePattern();
// DATE ("yyyymmdd") in pattern; empty when it is not a valid date.
QString formatDisplayDate(const QString& date, const QString& pattern);

// ---- record view -----------------------------------------------------------

struct RecordViewField {
    QString name;
    QString label;
    int displayWidth;    // characters
    bool visible;        // shown as a browse column
    bool calculated;
};

// The 28 fields of the main window's record view in their default column
// order; stored fields not given a display width show their width in table.
std::vector<RecordViewField> recordViewFields(const xbase::Table& table);

// ---- the table component ---------------------------------------------------

// An address table opened the way every window expects it: exclusively, with
// all 23 fields present. Its calculated values read the current record.
class AddressTable {
public:
    enum class Messages { Show, Quiet };

    AddressTable();
    ~AddressTable();
    AddressTable(const AddressTable&) = delete;
    AddressTable& operator=(const AddressTable&) = delete;

    // Opens any address table file; on failure tells the user why (unless
    // quiet) and leaves nothing open. A table may open without its tags.
    bool open(const QString& path, Messages messages = Messages::Show);
    void close();
    bool isOpen() const { return table_ != nullptr; }
    // The path as given to open; empty when closed.
    const QString& path() const { return path_; }
    xbase::Table& table() { return *table_; }
    const xbase::Table& table() const { return *table_; }

    // All 26 tags exist and can be used as orders.
    bool checkValidIndex();

    // The identifier a record's TAG must equal to count as tagged.
    void setTagId(const QString& id) { tagId_ = id; }
    const QString& tagId() const { return tagId_; }
    // The name and address values are computed only while printing needs them.
    void setExtraFieldsEnabled(bool on) { extraFields_ = on; }
    bool extraFieldsEnabled() const { return extraFields_; }
    void setDisplayDatePattern(const QString& pattern) { datePattern_ = pattern; }

    // Calculated values of the current record.
    bool tagged() const;
    QString displayDate() const;
    QString fullName() const;
    QString fullNameWithPrefix() const;
    QString cityStateZip() const;
    // Any field of the record view as text; Tagged reads "Yes" or "No".
    QString text(const QString& field) const;

private:
    QString stored(const char* field) const;

    std::unique_ptr<xbase::Table> table_;
    QString path_;
    QString tagId_;
    QString datePattern_;
    bool extraFields_ = false;
};

// ---- creating and opening --------------------------------------------------

// A new empty address table at path with every tag built, left closed. Tells
// the user "Create failed" or "File creation failed" when it cannot be made.
bool createAddressTable(const QString& path, const FieldLengths& lengths);

struct DatabaseOpening {
    bool fileOpened = false;   // the file opened, even if it was closed again for want of tags
    bool usable = false;       // the table is open with all its tags
};

QString rebuildQuestion(const QString& path);

// Opens a database for the main window. When its tags are incomplete the user
// is asked whether to rebuild them; on Yes rebuild runs the "Rebuild Indexes"
// dialog on the open table. A table still without all tags is closed.
DatabaseOpening openAddressDatabase(AddressTable& table, const QString& path, const std::function<void()>& rebuild);

// ---- naming a new database -------------------------------------------------

// "ADD" and the first number 0001..9999 without a table in the DATA folder.
QString proposeDatabaseName();
// Program folder + "DATA/" + name + ".DBF", spelled as on disk when it exists.
QString databasePath(const QString& name);
// An ASCII letter or "_", then letters, digits or "_".
bool isValidDatabaseName(const QString& name);

} // namespace qb
