#pragma once
// An xBase table with its memo file and production compound index: the one face
// the rest of the program uses. Records are numbered from 1. Text in and out is
// UTF-8; the files hold Windows-1252.

#include "platform/xbase/cdx_file.h"
#include "platform/xbase/dbf_file.h"
#include "platform/xbase/error.h"
#include "platform/xbase/field.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qb::xbase {

class DbtFile;
class Expression;
class FptFile;

enum class OpenMode {
    Exclusive,  // no other program may open the table while we have it
    Shared,     // others may open it shared too; edits lock their record
    ReadOnly,   // shared, and nothing is ever written
};

struct TagSpec {
    std::string name;
    std::string keyExpr;
};

class Table {
public:
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    // A new FoxPro 2.x table (with a memo file when a field is 'M'), left open
    // exclusively with no index.
    static std::unique_ptr<Table> create(const std::string& path, const std::vector<FieldDef>& fields);
    // Throws XbaseError naming the file and what was wrong with it.
    static std::unique_ptr<Table> open(const std::string& path, OpenMode mode = OpenMode::Exclusive);

    const std::string& path() const;
    bool readOnly() const { return readOnly_; }
    uint8_t version() const;
    uint8_t codePage() const;

    // Layout
    int fieldCount() const;
    const Field& field(int index) const;
    int fieldIndex(std::string_view name) const;   // any case; -1 when absent
    std::vector<FieldDef> fieldDefs() const;
    uint32_t recordCount() const;                  // every record, deleted-marked ones too
    // The stored count differed from the records present and was corrected on open.
    bool countWasReconciled() const;

    // Orders. Tags are numbered from 1 in creation order; order 0 is record order.
    int tagCount() const;
    TagInfo tagInfo(int number) const;
    int createTag(const std::string& name, const std::string& keyExpr, const Progress& progress = {});
    // Builds several tags over one pass of the table, replacing same-named ones.
    void createTags(const std::vector<TagSpec>& tags, const Progress& progress = {});
    int selectOrder(std::string_view tagName);      // the tag's number, 0 when missing
    int selectOrder(int number);                    // 0 selects record order
    int currentOrder() const { return order_; }
    std::string currentOrderName() const;
    void closeIndexes();
    std::string indexFileName() const;              // empty without an index
    // Why the production index could not be used, when it exists but is unreadable.
    const std::string& indexError() const { return indexError_; }
    void reindex(const Progress& progress = {});

    // Seeks in the current order: true on the first visible record whose key
    // begins with key (equals it, padded, with exact comparison on); otherwise
    // false, and at end of file, or with soft seek on at the next greater key.
    bool seek(std::string_view key);
    bool seek(double key);

    // Query: "" removes the filter. Returns how many records pass it.
    uint32_t setFilter(std::string_view expr);
    const std::string& filter() const { return filterText_; }
    uint32_t countFiltered();
    // The count for an expression without making it the filter.
    uint32_t count(std::string_view expr);
    // Whether the last count could use index tags instead of reading records.
    bool lastCountUsedIndex() const { return lastCountUsedIndex_; }

    // Navigation over visible records (filter and skip-deleted honoured).
    bool first();
    bool last();
    bool next();
    bool prior();
    bool go(uint32_t recno);       // any record, visible or not; false when it does not exist
    uint32_t recno() const { return recno_; }
    bool bof() const { return bof_; }
    bool eof() const { return eof_; }

    // Records
    void appendBlank();            // a blank record, written by post
    void edit();                   // locks the record in shared mode
    void post();
    void cancel();
    bool editing() const { return state_ != State::Browse; }
    void deleteRecord();           // sets the deleted mark
    void recall();
    bool deleted() const;
    void pack(const Progress& progress = {});
    void zap();
    // Where the table and its memo file end. cutBack(end) takes off every
    // record and memo appended since, so an import that fails part way leaves
    // the table as it found it. Needs the table exclusively, no index open.
    struct End {
        uint32_t records = 0;
        uint32_t memoBlocks = 0;
    };
    End end() const;
    void cutBack(const End& end);

    // Fields by name; text without trailing blanks.
    std::string text(std::string_view name) const;
    bool logical(std::string_view name) const;
    double number(std::string_view name) const;
    std::string memo(std::string_view name) const;
    void setText(std::string_view name, std::string_view utf8);
    void setLogical(std::string_view name, bool value);
    void setNumber(std::string_view name, double value);
    void setMemo(std::string_view name, std::string_view utf8);
    // The stored bytes of the field, untrimmed and unconverted.
    std::string raw(std::string_view name) const;

    // Every structural fault of the table, memo file and index; empty when sound.
    std::vector<std::string> check();

private:
    struct Tag;
    class Source;
    enum class State { Browse, Edit, Append };
    struct Candidates;

    Table() = default;
    void openIndex(const std::string& cdxPath);
    void attachTags();
    Expression compile(const std::string& text) const;
    int fieldOrThrow(std::string_view name) const;
    void requireWritable() const;
    void requireEditing() const;
    void readCurrent(uint32_t recno);
    void setEof();
    void setBof();
    bool visible(const char* buffer, uint32_t recno) const;
    bool positionCursor();
    bool land(uint32_t recno);
    bool walk(bool forward, bool fromEnd);
    bool seekKey(std::span<const uint8_t> prefix);
    void updateKeys(const char* before, const char* after, uint32_t recno);
    void buildTags(const std::vector<TagSpec>& tags, const Progress& progress, int progressFrom, int progressTo);
    void rebuildTags(bool freshFile, const Progress& progress, int progressFrom, int progressTo);
    uint32_t memoBlock(const char* buffer, const Field& f) const;
    void setMemoBlock(char* buffer, const Field& f, uint32_t block);
    std::string memoOf(const char* buffer, int fieldIndex) const;
    std::optional<Candidates> plan(const Expression& expr);
    uint32_t countWith(const Expression* expr, const Candidates* candidates);
    void refreshShared();
    void replan();
    void lockRecord(uint32_t recno);
    void unlockRecord();

    std::unique_ptr<DbfFile> dbf_;
    std::unique_ptr<FptFile> fpt_;
    std::unique_ptr<DbtFile> dbt_;   // dBase and Clipper memos, read only
    std::unique_ptr<CdxFile> cdx_;
    std::vector<std::unique_ptr<Tag>> tags_;
    std::string indexError_;
    bool readOnly_ = false;
    bool shared_ = false;

    int order_ = 0;
    std::unique_ptr<CdxCursor> cursor_;

    std::string filterText_;
    std::unique_ptr<Expression> filter_;
    std::unique_ptr<std::vector<uint64_t>> filterBits_;   // superset of passing records; null: no plan
    bool lastCountUsedIndex_ = false;

    uint32_t recno_ = 0;
    bool bof_ = true;
    bool eof_ = true;
    State state_ = State::Browse;
    std::vector<char> buffer_;
    std::vector<char> original_;
    std::map<int, std::string> pendingMemos_;
    uint32_t lockedRecord_ = 0;
    uint32_t recnoBeforeAppend_ = 0;
    std::unique_ptr<Source> source_;
};

} // namespace qb::xbase
