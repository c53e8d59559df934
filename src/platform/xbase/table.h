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
    std::string indexFileName() const;              // empty without an index in use
    // Why the production index could not be used, when it exists but is
    // unreadable or stale.
    const std::string& indexError() const { return indexError_; }
    // The index is there but not to be trusted: it was being written when a
    // program stopped, or it was made for another number of records. None of
    // its tags is used (no orders, no counts from it) until reindex or pack
    // builds it anew from the tags it names.
    bool indexStale() const { return indexStale_; }
    // Builds every tag anew into a new index file that then replaces the old
    // one; a crash meanwhile leaves the old index. Needs the table exclusively.
    void reindex(const Progress& progress = {});
    // The same with exactly these tags, whatever the old index held.
    void replaceIndex(const std::vector<TagSpec>& tags, const Progress& progress = {});

    // Single-order index files (.IDX) beside the production index. Such an
    // order holds keys only for the records put into it with addKey, so
    // selecting it shows exactly those records; a post keeps the key of a
    // record it holds up to date and adds none. Its number follows the tags'
    // (tagInfo and selectOrder take it) and its name is its file's. A pack or
    // zap closes them; the files stay where they are.
    int createIndexFile(const std::string& path, const std::string& keyExpr);
    int openIndexFile(const std::string& path);
    void addKey(int order);                         // the current record's key
    // The keys of these records as the file holds them; the current record
    // stays. Into an order without keys they go sorted, as whole pages, far
    // faster than one addKey each. A record named twice gets one key.
    void addKeys(int order, std::span<const uint32_t> recnos);
    void closeIndexFile(int order);
    // Closes an index file without writing the pages it holds in memory, for
    // a scratch order whose file is removed next: nothing is written, so
    // nothing can fail.
    void discardIndexFile(int order) noexcept;
    int orderCount() const;                         // tags and index files

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

    // The record numbers of the visible records (filter and skip-deleted
    // honoured) in the current order, as a walk from first() would meet them.
    // When the tags decide the filter exactly and the deleted marks are in a
    // DELETED() tag, no record is read; otherwise only the candidates are.
    // The current record stays current.
    std::vector<uint32_t> visibleRecnos();
    // Whether the last visibleRecnos() came from the index alone.
    bool lastListUsedIndexOnly() const { return lastListUsedIndexOnly_; }

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
    // A post that fails after its record reached the table leaves the record
    // being edited where it is: Save writes it there again (never a second
    // time at the end), Cancel keeps it as it was written.
    void deleteRecord();           // sets the deleted mark
    void recall();
    bool deleted() const;
    // Removes deleted-marked records: the kept records, their memos and a new
    // index go into new files, which replace the old ones only when all are
    // complete. Needs the table exclusively.
    void pack(const Progress& progress = {});
    // The same, building an index of these tags; packing reports to packing,
    // building the tags to indexing (each 0 to 100).
    void pack(const std::vector<TagSpec>& tags, const Progress& packing, const Progress& indexing);
    void zap();
    // The memos the last pack could not read from a damaged memo file: their
    // records were kept with no memo. recno is the record's number after the
    // pack, formerRecno its number before.
    struct LostMemo {
        uint32_t recno = 0;
        uint32_t formerRecno = 0;
        std::string field;
        std::string why;
    };
    const std::vector<LostMemo>& lostMemos() const { return lostMemos_; }
    // Where the table and its memo file end. cutBack(end) takes off every
    // record and memo appended since, so an import that fails part way leaves
    // the table as it found it. Needs the table exclusively, no index open.
    struct End {
        uint32_t records = 0;
        uint32_t memoBlocks = 0;
    };
    End end() const;
    void cutBack(const End& end);

    // Holds the index's in-change mark over many posts, so that a long run of
    // changes (an import, a replace over every record) marks the index, waits
    // for the disk and clears the mark once instead of at every post. A crash
    // during the run leaves the index marked, to be rebuilt. Scopes nest; the
    // outermost one commits. In shared mode each post keeps its own mark.
    class BulkChange {
    public:
        explicit BulkChange(Table& table);
        ~BulkChange();             // commits; an error then leaves the index marked
        BulkChange(const BulkChange&) = delete;
        BulkChange& operator=(const BulkChange&) = delete;
        void commit();             // writes and syncs everything; throws XbaseError
    private:
        Table& table_;
        bool active_ = false;
    };

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
    // Puts bytes as raw gives them back into a character or date field, cut or
    // padded with blanks to its width: a copy between tables of one structure
    // needs no conversion.
    void setRaw(std::string_view name, std::string_view bytes);

    // Every structural fault of the table, memo file and index; empty when sound.
    std::vector<std::string> check();

private:
    struct Tag;
    class Source;
    enum class State { Browse, Edit, Append };
    struct Candidates;

    Table() = default;
    void openIndex(const std::string& cdxPath);
    Tag& orderTag(int number) const;
    int attachFile(std::unique_ptr<CdxFile> file);
    void closeIndexFiles();
    std::string staleness(const CdxFile& cdx) const;
    bool keysCoverRecords();
    void attachTags();
    std::string cdxPath() const;
    std::vector<TagSpec> indexSpecs() const;
    void requireRebuildable(const char* what) const;
    std::unique_ptr<CdxFile> newIndex(const std::vector<TagSpec>& specs, const Progress& progress, int from, int to);
    void installIndex(std::unique_ptr<CdxFile> cdx);
    void rewrite(bool keepNone, const std::vector<TagSpec>& specs, const Progress& packing, const Progress& indexing);
    void beginChange();
    void endChange();
    void indexLost(const std::string& why);
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
    void buildTags(CdxFile& into, const std::vector<TagSpec>& tags, const Progress& progress, int progressFrom, int progressTo);
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
    std::vector<std::unique_ptr<Tag>> files_;   // single-order index files, numbered after tags_
    std::string indexError_;
    bool indexStale_ = false;
    std::vector<TagSpec> staleSpecs_;   // the tags a stale index names
    std::vector<LostMemo> lostMemos_;   // of the last pack
    int changeDepth_ = 0;               // posts and bulk changes under way
    bool memosUnsynced_ = false;        // memos written since the memo file was last synced
    bool readOnly_ = false;
    bool shared_ = false;

    int order_ = 0;
    std::unique_ptr<CdxCursor> cursor_;

    std::string filterText_;
    std::unique_ptr<Expression> filter_;
    std::unique_ptr<std::vector<uint64_t>> filterBits_;   // superset of passing records; null: no plan
    bool lastCountUsedIndex_ = false;
    bool lastListUsedIndexOnly_ = false;
    // Clears the bits of records carrying the deleted mark, from the DELETED()
    // tag; false when there is no such tag.
    bool dropDeletedByTag(std::vector<uint64_t>& bits);

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
