#include "platform/xbase/table.h"

#include "platform/xbase/codepage.h"
#include "platform/xbase/dbt_file.h"
#include "platform/xbase/expression.h"
#include "platform/xbase/file_swap.h"
#include "platform/xbase/fpt_file.h"
#include "platform/xbase/settings.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <functional>
#include <sys/stat.h>
#include <thread>

namespace qb::xbase {

// Evaluates expressions over one record buffer: the current record, the record
// as it was before an edit, or a record inside a block read by a scan.
class Table::Source final : public RecordSource {
public:
    explicit Source(const Table& table) : table_(table) {}
    void point(const char* buffer, uint32_t recno)
    {
        buffer_ = buffer;
        recno_ = recno;
    }
    int fieldCount() const override { return int(table_.dbf_->fields().size()); }
    const Field& field(int index) const override { return table_.dbf_->fields()[size_t(index)]; }
    int fieldIndex(std::string_view name) const override { return table_.fieldIndex(name); }
    const char* recordBuffer() const override { return buffer_; }
    uint32_t recordNumber() const override { return recno_; }
    std::string memoBytes(int index) const override { return table_.memoOf(buffer_, index); }

private:
    const Table& table_;
    const char* buffer_ = nullptr;
    uint32_t recno_ = 0;
};

struct Table::Tag {
    std::unique_ptr<CdxFile> file;     // a single-order index file's own
    CdxTag* cdx = nullptr;
    TagInfo info;
    std::unique_ptr<Expression> key;   // null when the stored expression is beyond us
    std::string keyError;
    std::string canonical;
};

// Records that may pass a condition, found from index tags alone. When exact,
// they are precisely the records that pass it (deleted marks aside).
struct Table::Candidates {
    std::vector<uint64_t> bits;
    bool exact = true;
};

namespace {

using Bits = std::vector<uint64_t>;

void setBit(Bits& b, uint32_t recno)
{
    if (recno / 64 < b.size())
        b[recno / 64] |= uint64_t(1) << (recno % 64);
}
bool testBit(const Bits& b, uint32_t recno) { return recno / 64 < b.size() && (b[recno / 64] >> (recno % 64)) & 1; }

// Whether the open file is the one path names now.
bool isFileAt(const File& file, const std::string& path)
{
    struct stat open {}, named {};
    return ::fstat(file.descriptor(), &open) == 0 && ::stat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

// A table's companions share its base name; the extension case follows the table's.
std::string companion(const std::string& dbfPath, const char* upper, const char* lower)
{
    const auto slash = dbfPath.find_last_of('/');
    const auto dot = dbfPath.find_last_of('.');
    const bool lowerCase = dot != std::string::npos && (slash == std::string::npos || dot > slash) && dot + 1 < dbfPath.size() &&
                           std::islower(static_cast<unsigned char>(dbfPath[dot + 1]));
    return resolveCaseInsensitive(replaceExtension(dbfPath, lowerCase ? lower : upper));
}

std::string rtrim(std::string_view s)
{
    size_t n = s.size();
    while (n > 0 && (s[n - 1] == ' ' || s[n - 1] == '\0'))
        --n;
    return std::string(s.substr(0, n));
}

std::string trim(std::string_view s)
{
    size_t b = 0;
    while (b < s.size() && s[b] == ' ')
        ++b;
    return rtrim(s.substr(b));
}

KeyType keyTypeOf(ValueType type)
{
    switch (type) {
    case ValueType::Numeric: return KeyType::Numeric;
    case ValueType::Date: return KeyType::Date;
    case ValueType::Logical: return KeyType::Logical;
    case ValueType::Character: break;
    }
    return KeyType::Character;
}

// Runs side on a second thread (when given) while here runs on this one, and
// rethrows the first error of either once both have stopped; stopOther asks
// the side still running to give up early.
void alongside(const std::function<void()>& side, const std::function<void()>& here, const std::function<void()>& stopOther = {})
{
    std::exception_ptr sideError;
    std::thread worker;
    if (side)
        worker = std::thread([&] {
            try {
                side();
            } catch (...) {
                sideError = std::current_exception();
                if (stopOther)
                    stopOther();
            }
        });
    try {
        here();
    } catch (...) {
        if (stopOther)
            stopOther();
        if (worker.joinable())
            worker.join();
        throw;
    }
    if (worker.joinable())
        worker.join();
    if (sideError)
        std::rethrow_exception(sideError);
}

constexpr uint64_t kRecordLockBase = 0x40000000;  // past any real table, as FoxPro does
constexpr uint32_t kScanBlock = 256 * 1024;
constexpr size_t kMaxKeyLength = 240;
constexpr uint32_t kParallelRecords = 20000;
const std::string kCountDiffers = "the index was made for ";

} // namespace

Table::~Table()
{
    try {
        if (changeDepth_ > 0) {
            changeDepth_ = 1;
            endChange();
        } else if (cdx_) {
            cdx_->flush();
        }
    } catch (const XbaseError&) {
        // The index keeps its in-change mark: the next open rebuilds it.
    }
    unlockRecord();
}

std::unique_ptr<Table> Table::create(const std::string& path, const std::vector<FieldDef>& fields)
{
    std::unique_ptr<Table> t(new Table);
    t->dbf_ = std::make_unique<DbfFile>(DbfFile::create(path, fields));
    // An index left by an earlier table of this name would describe other records.
    const std::string staleIndex = companion(path, ".CDX", ".cdx");
    if (fileExists(staleIndex))
        std::remove(staleIndex.c_str());
    if (t->dbf_->hasMemo())
        t->fpt_ = std::make_unique<FptFile>(FptFile::create(companion(path, ".FPT", ".fpt"), uint32_t(engineSettings().memoBlockSize)));
    t->buffer_.resize(t->dbf_->recordLength());
    t->source_ = std::make_unique<Source>(*t);
    t->setEof();
    return t;
}

std::unique_ptr<Table> Table::open(const std::string& requested, OpenMode mode)
{
    const std::string path = resolveCaseInsensitive(requested);
    if (!fileExists(path))
        throw XbaseError(requested, "file not found");
    std::unique_ptr<Table> t(new Table);
    t->readOnly_ = mode == OpenMode::ReadOnly;
    t->shared_ = mode != OpenMode::Exclusive;
    const std::vector<std::string> companions = {path, companion(path, ".FPT", ".fpt"), companion(path, ".CDX", ".cdx")};
    File file;
    int replaced = 0;
    for (int attempt = 0;; ++attempt) {
        file = File(path, t->readOnly_ ? File::Mode::ReadOnly : File::Mode::ReadWrite);
        if (!file.lockFile(mode == OpenMode::Exclusive))
            throw XbaseError(path, "the table is in use by another program");
        // Another program's pack may have put a new file in place between
        // our open and our lock: the lock must hold the file at the path.
        if (!isFileAt(file, path)) {
            if (++replaced > 3)
                throw XbaseError(path, "the table is being replaced by another program");
            file.close();
            --attempt;
            continue;
        }
        if (!FileSwap::pending(path)) {
            // New files of a pack or rebuild that never got their names.
            if (mode == OpenMode::Exclusive)
                FileSwap::recover(path, companions);
            break;
        }
        // A pack had put all its new files beside the table when it stopped:
        // they are the table now, and only their names are still to change.
        if (t->readOnly_ || attempt > 0)
            throw XbaseError(path, "a pack of the table was interrupted; open it for writing to finish it");
        FileSwap::recover(path, companions);
        file.close();
    }
    t->dbf_ = std::make_unique<DbfFile>(std::move(file));
    if (!t->dbf_->writableLayout())
        t->readOnly_ = true;
    if (t->dbf_->hasMemo()) {
        const std::string fpt = companion(path, ".FPT", ".fpt");
        const std::string dbt = companion(path, ".DBT", ".dbt");
        // dBase and Clipper keep their memos in a .DBT, which we only read.
        const uint8_t v = t->dbf_->version();
        const bool dBase = v == 0x83 || v == 0x8B || v == 0xCB;
        if (fileExists(dbt) && (dBase || !fileExists(fpt))) {
            t->dbt_ = std::make_unique<DbtFile>(File(dbt, File::Mode::ReadOnly), v == 0x8B || v == 0xCB);
            t->readOnly_ = true;
        } else {
            if (!fileExists(fpt))
                throw XbaseError(dBase ? dbt : fpt, "memo file not found");
            t->fpt_ = std::make_unique<FptFile>(File(fpt, t->readOnly_ ? File::Mode::ReadOnly : File::Mode::ReadWrite));
        }
    }
    t->buffer_.resize(t->dbf_->recordLength());
    t->source_ = std::make_unique<Source>(*t);

    const std::string cdx = companion(path, ".CDX", ".cdx");
    if (fileExists(cdx))
        t->openIndex(cdx);

    // Records the header had not counted yet get their keys now, so the index
    // stays whole after an append another program did not finish.
    const int64_t was = t->dbf_->reconciledFrom();
    if (was >= 0 && !t->readOnly_) {
        if (uint32_t(was) < t->dbf_->recordCount() && t->cdx_) {
            t->beginChange();
            std::vector<char> rec(t->dbf_->recordLength());
            Source src(*t);
            for (uint32_t r = uint32_t(was) + 1; r <= t->dbf_->recordCount(); ++r) {
                t->dbf_->readRecord(r, rec.data());
                src.point(rec.data(), r);
                for (const auto& tag : t->tags_) {
                    if (!tag->key)
                        continue;
                    std::vector<uint8_t> key(size_t(tag->info.keyLength));
                    tag->key->evalKey(src, key.data());
                    // The other program may have written the keys already.
                    if (!tag->cdx->cursor()->seekExact(key, r))
                        tag->cdx->insert(key, r);
                }
            }
            t->dbf_->setRecordCount(t->dbf_->recordCount());
            t->endChange();
        } else {
            t->dbf_->setRecordCount(t->dbf_->recordCount());
        }
    } else if (!t->readOnly_ && t->dbf_->file().size() > uint64_t(t->dbf_->headerLength()) +
                                                             uint64_t(t->dbf_->recordCount()) * t->dbf_->recordLength() + 1) {
        // Part of a record that a full disk cut short ends the file: it was
        // never counted, so it goes.
        t->dbf_->setRecordCount(t->dbf_->recordCount());
    }
    t->first();
    return t;
}

// Why the index may not be trusted; empty when it may.
std::string Table::staleness(const CdxFile& cdx) const
{
    if (cdx.markedInChange())
        return "the index was being changed when a program stopped";
    const int64_t now = dbf_->recordCount();
    const int64_t was = dbf_->reconciledFrom();
    if (was > now)
        return "the table holds fewer records than its header counts";
    // Records appended past the header's count by a program that stopped get
    // their keys when the table is opened for writing; read-only, they lack them.
    if (was >= 0 && readOnly_)
        return "the index lacks the last " + std::to_string(now - was) + " records";
    const int64_t atRest = cdx.recordCountAtRest();
    if (atRest >= 0 && atRest != now && atRest != was)
        return kCountDiffers + std::to_string(atRest) + " records but the table holds " + std::to_string(now);
    return {};
}

// Another program that appended records and kept the index up to date leaves
// the count we keep in the index's header behind. Such an index is checked
// before it is called stale: the keys of its narrowest plain tag are counted
// (one a record) and every tag must hold the last record under its key.
bool Table::keysCoverRecords()
{
    const uint32_t records = dbf_->recordCount();
    const Tag* narrowest = nullptr;
    for (const auto& tag : tags_) {
        if (!tag->key)
            return false;
        if (tag->info.forExpr.empty() && !tag->info.unique && (!narrowest || tag->info.keyLength < narrowest->info.keyLength))
            narrowest = tag.get();
    }
    if (!narrowest)
        return false;
    uint32_t keys = 0;
    auto cursor = narrowest->cdx->cursor();
    for (bool ok = cursor->first(); ok; ok = cursor->next())
        if (++keys > records)
            return false;
    if (keys != records)
        return false;
    if (records == 0)
        return true;
    std::vector<char> rec(dbf_->recordLength());
    dbf_->readRecord(records, rec.data());
    Source src(*this);
    src.point(rec.data(), records);
    for (const auto& tag : tags_) {
        if (!tag->info.forExpr.empty())
            continue;
        std::vector<uint8_t> key(size_t(tag->info.keyLength));
        tag->key->evalKey(src, key.data());
        if (!tag->cdx->cursor()->seekExact(key, records))
            return false;
    }
    return true;
}

void Table::openIndex(const std::string& cdxPath)
{
    try {
        auto cdx = CdxFile::open(cdxPath, readOnly_);
        std::string stale = staleness(*cdx);
        if (stale.rfind(kCountDiffers, 0) == 0) {
            cdx_ = std::move(cdx);
            attachTags();
            if (keysCoverRecords())
                return;
            cdx = std::move(cdx_);
            tags_.clear();
            stale += " and its keys do not match the records";
        }
        if (!stale.empty()) {
            staleSpecs_.clear();
            for (int i = 0; i < cdx->tagCount(); ++i)
                staleSpecs_.push_back({cdx->tagAt(i)->info().name, cdx->tagAt(i)->info().keyExpr});
            cdx->abandon();
            indexStale_ = true;
            indexError_ = cdxPath + ": " + stale + "; it must be rebuilt";
            return;
        }
        cdx_ = std::move(cdx);
        attachTags();
    } catch (const XbaseError& e) {
        cdx_.reset();
        tags_.clear();
        indexError_ = e.what();
    }
}

void Table::attachTags()
{
    tags_.clear();
    if (!cdx_)
        return;
    for (int i = 0; i < cdx_->tagCount(); ++i) {
        auto tag = std::make_unique<Tag>();
        tag->cdx = cdx_->tagAt(i);
        tag->info = tag->cdx->info();
        try {
            tag->key = std::make_unique<Expression>(compile(tag->info.keyExpr));
            tag->canonical = tag->key->canonical();
            tag->info.keyType = keyTypeOf(tag->key->type());
            // Another engine's tag only hints at its key type; the expression knows.
            tag->cdx->setKeyType(tag->info.keyType);
            const int width = tag->key->width();
            if (width != tag->info.keyLength) {
                tag->keyError = "key expression is " + std::to_string(width) + " wide but the tag holds " +
                                std::to_string(tag->info.keyLength) + "-byte keys";
                tag->key.reset();
            }
        } catch (const XbaseError& e) {
            tag->keyError = e.what();
            tag->key.reset();
        }
        tags_.push_back(std::move(tag));
    }
}

const std::string& Table::path() const { return dbf_->path(); }
uint8_t Table::version() const { return dbf_->version(); }
uint8_t Table::codePage() const { return dbf_->codePage(); }
int Table::fieldCount() const { return int(dbf_->fields().size()); }
const Field& Table::field(int index) const { return dbf_->fields().at(size_t(index)); }
uint32_t Table::recordCount() const { return dbf_->recordCount(); }
bool Table::countWasReconciled() const { return dbf_->reconciledFrom() >= 0; }

int Table::fieldIndex(std::string_view name) const
{
    const auto& fields = dbf_->fields();
    // Callers mostly spell names as stored, in capitals: the plain comparison first.
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name == name)
            return int(i);
    for (size_t i = 0; i < fields.size(); ++i)
        if (equalsIgnoreCase(fields[i].name, name))
            return int(i);
    return -1;
}

std::vector<FieldDef> Table::fieldDefs() const
{
    std::vector<FieldDef> out;
    for (const Field& f : dbf_->fields())
        out.push_back({f.name, f.type, f.length, f.decimals});
    return out;
}

// Compiled against this table's fields; a fault names the table as well.
Expression Table::compile(const std::string& text) const
{
    try {
        return Expression::compile(text, *source_);
    } catch (const ExprError& e) {
        throw ExprError(e.problem(), e.position(), path());
    }
}

int Table::fieldOrThrow(std::string_view name) const
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw XbaseError(path(), "no field named " + std::string(name));
    return i;
}

void Table::requireWritable() const
{
    if (readOnly_)
        throw XbaseError(path(), "the table is open read-only");
    for (const auto& tag : tags_)
        if (!tag->key)
            throw XbaseError(path(), "index tag " + tag->info.name + " cannot be kept up to date: " + tag->keyError);
}

void Table::requireEditing() const
{
    if (state_ == State::Browse)
        throw XbaseError(path(), "the record is not being edited");
}

// ---- orders ----------------------------------------------------------------

int Table::tagCount() const { return int(tags_.size()); }

int Table::orderCount() const { return int(tags_.size() + files_.size()); }

Table::Tag& Table::orderTag(int number) const
{
    if (number < 1 || number > orderCount())
        throw XbaseError(path(), "no tag number " + std::to_string(number));
    const size_t i = size_t(number - 1);
    return i < tags_.size() ? *tags_[i] : *files_[i - tags_.size()];
}

TagInfo Table::tagInfo(int number) const { return orderTag(number).info; }

std::string Table::currentOrderName() const { return order_ ? orderTag(order_).info.name : std::string(); }

std::string Table::indexFileName() const { return cdx_ ? cdx_->path() : std::string(); }

std::string Table::cdxPath() const { return cdx_ ? cdx_->path() : companion(path(), ".CDX", ".cdx"); }

// The tags a rebuild makes: those in use, or those a stale index names.
std::vector<TagSpec> Table::indexSpecs() const
{
    if (indexStale_)
        return staleSpecs_;
    std::vector<TagSpec> specs;
    for (const auto& t : tags_)
        specs.push_back({t->info.name, t->info.keyExpr});
    return specs;
}

int Table::selectOrder(std::string_view name)
{
    for (int i = 1; i <= orderCount(); ++i)
        if (equalsIgnoreCase(orderTag(i).info.name, name))
            return selectOrder(i);
    return 0;
}

int Table::selectOrder(int number)
{
    if (number < 0 || number > orderCount() || (number > 0 && !orderTag(number).key))
        return 0;
    order_ = number;
    cursor_ = number ? orderTag(number).cdx->cursor() : nullptr;
    if (!eof_ && recno_ > 0 && number > 0)
        positionCursor();
    return number;
}

void Table::closeIndexes()
{
    if (changeDepth_ > 0)
        throw XbaseError(path(), "finish the changes under way before closing the index");
    if (cdx_)
        cdx_->flush();
    cursor_.reset();
    order_ = 0;
    tags_.clear();
    cdx_.reset();
    replan();
}

int Table::attachFile(std::unique_ptr<CdxFile> file)
{
    auto tag = std::make_unique<Tag>();
    tag->cdx = file->tagAt(0);
    tag->info = tag->cdx->info();
    try {
        tag->key = std::make_unique<Expression>(compile(tag->info.keyExpr));
        tag->canonical = tag->key->canonical();
        tag->info.keyType = keyTypeOf(tag->key->type());
        tag->cdx->setKeyType(tag->info.keyType);
        if (tag->key->width() != tag->info.keyLength)
            throw XbaseError(file->path(), "key expression is " + std::to_string(tag->key->width()) +
                                               " wide but the index holds " + std::to_string(tag->info.keyLength) + "-byte keys");
    } catch (const ExprError& e) {
        throw XbaseError(file->path(), e.what());
    }
    for (int i = 1; i <= orderCount(); ++i)
        if (equalsIgnoreCase(orderTag(i).info.name, tag->info.name))
            throw XbaseError(file->path(), "an order named " + tag->info.name + " is open already");
    tag->file = std::move(file);
    files_.push_back(std::move(tag));
    return orderCount();
}

int Table::createIndexFile(const std::string& indexPath, const std::string& keyExpr)
{
    Expression key = compile(utf8ToCp1252(keyExpr));
    TagInfo info;
    info.keyExpr = utf8ToCp1252(keyExpr);
    info.keyType = keyTypeOf(key.type());
    info.keyLength = key.width();
    return attachFile(CdxFile::createSingle(indexPath, info));
}

int Table::openIndexFile(const std::string& indexPath) { return attachFile(CdxFile::openSingle(indexPath, readOnly_)); }

void Table::addKey(int order)
{
    if (order <= tagCount() || order > orderCount())
        throw XbaseError(path(), "keys are added only to an index file's order");
    if (eof_)
        throw XbaseError(path(), "no current record to add a key for");
    Tag& tag = orderTag(order);
    std::vector<uint8_t> key(size_t(tag.info.keyLength));
    Source src(*this);
    src.point(buffer_.data(), recno_);
    tag.key->evalKey(src, key.data());
    tag.cdx->insert(key, recno_);
    if (order == order_)
        positionCursor();
}

void Table::addKeys(int order, std::span<const uint32_t> recnos)
{
    if (order <= tagCount() || order > orderCount())
        throw XbaseError(path(), "keys are added only to an index file's order");
    // In record order the file is read front to back.
    std::vector<uint32_t> sorted(recnos.begin(), recnos.end());
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    if (sorted.empty())
        return;
    Tag& tag = orderTag(order);
    std::unique_ptr<CdxTagBuilder> builder;
    if (!tag.cdx->cursor()->first())
        builder = tag.file->buildTag(tag.info);
    std::vector<char> record(dbf_->recordLength());
    std::vector<uint8_t> key(size_t(tag.info.keyLength));
    Source src(*this);
    for (uint32_t r : sorted) {
        dbf_->readRecord(r, record.data());
        src.point(record.data(), r);
        tag.key->evalKey(src, key.data());
        if (builder)
            builder->add(key, r);
        else
            tag.cdx->insert(key, r);
    }
    if (builder)
        builder->finish();
    if (order == order_) {
        cursor_ = tag.cdx->cursor();
        if (!eof_ && recno_ > 0)
            positionCursor();
    }
}

void Table::closeIndexFile(int order)
{
    if (order <= tagCount() || order > orderCount())
        return;
    if (order_ == order) {
        order_ = 0;
        cursor_.reset();
    } else if (order_ > order) {
        --order_;
    }
    auto& slot = files_[size_t(order - tagCount() - 1)];
    std::unique_ptr<CdxFile> file = std::move(slot->file);
    files_.erase(files_.begin() + (order - tagCount() - 1));
    file->flush();
}

void Table::discardIndexFile(int order) noexcept
{
    if (order <= tagCount() || order > orderCount())
        return;
    // With its cached pages dropped the file has nothing left to write, so
    // closing it writes nothing.
    files_[size_t(order - tagCount() - 1)]->file->abandon();
    try {
        closeIndexFile(order);
    } catch (...) {
    }
}

void Table::closeIndexFiles()
{
    if (order_ > tagCount()) {
        order_ = 0;
        cursor_.reset();
    }
    files_.clear();
}

int Table::createTag(const std::string& name, const std::string& keyExpr, const Progress& progress)
{
    createTags({{name, keyExpr}}, progress);
    return selectOrder(name);
}

void Table::createTags(const std::vector<TagSpec>& specs, const Progress& progress)
{
    requireWritable();
    requireRebuildable("building tags");
    for (const TagSpec& s : specs) {
        if (s.name.empty() || s.name.size() > 10)
            throw XbaseError(path(), "tag name '" + s.name + "' must be 1 to 10 characters");
        compile(s.keyExpr);
    }
    if (!cdx_) {
        // A first index, or one to be built anew: a new file with the tags a
        // stale index named and these, which replace those of the same name.
        std::vector<TagSpec> all;
        for (const TagSpec& old : indexSpecs()) {
            if (std::none_of(specs.begin(), specs.end(), [&](const TagSpec& s) { return equalsIgnoreCase(s.name, old.name); }))
                all.push_back(old);
        }
        all.insert(all.end(), specs.begin(), specs.end());
        replaceIndex(all, progress);
        return;
    }
    // Tags join the index in place, under its in-change mark.
    beginChange();
    try {
        buildTags(*cdx_, specs, progress, 0, 100);
        endChange();
    } catch (const XbaseError&) {
        if (changeDepth_ > 0) {
            --changeDepth_;
            indexLost("building a tag failed");
        }
        throw;
    }
    const std::string current = currentOrderName();
    attachTags();
    order_ = 0;
    cursor_.reset();
    if (!current.empty())
        selectOrder(current);
    replan();
}

void Table::requireRebuildable(const char* what) const
{
    if (readOnly_)
        throw XbaseError(path(), "the table is open read-only");
    if (state_ != State::Browse)
        throw XbaseError(path(), std::string("post or cancel the record before ") + what);
    if (changeDepth_ > 0)
        throw XbaseError(path(), std::string("finish the changes under way before ") + what);
}

// Keys of every record for the tags, written as trees into the index `into`.
void Table::buildTags(CdxFile& into, const std::vector<TagSpec>& specs, const Progress& progress, int from, int to)
{
    struct Build {
        TagSpec spec;
        std::unique_ptr<Expression> key;
        std::unique_ptr<CdxTagBuilder> builder;
        std::vector<uint8_t> buffer;
    };
    std::vector<Build> builds;
    for (const TagSpec& s : specs) {
        Build b;
        b.spec = s;
        b.spec.name = asciiUpper(s.name);
        b.key = std::make_unique<Expression>(compile(s.keyExpr));
        if (b.key->width() < 1 || size_t(b.key->width()) > kMaxKeyLength)
            throw XbaseError(path(), "key of tag " + b.spec.name + " is " + std::to_string(b.key->width()) + " wide; at most 240 is allowed");
        builds.push_back(std::move(b));
    }
    // Every builder holds its keys until the end of the scan, but only the two
    // sorting at any moment need a scratch copy besides (at most a budget each).
    const size_t sorting = std::min<size_t>(builds.size(), 2);
    const size_t budget = std::max<size_t>((80u << 20) / std::max<size_t>(builds.size() + sorting, 1), 1u << 20);
    for (Build& b : builds) {
        TagInfo info;
        info.name = b.spec.name;
        info.keyExpr = b.spec.keyExpr;
        info.keyLength = b.key->width();
        info.keyType = keyTypeOf(b.key->type());
        b.builder = into.buildTag(info, budget);
        b.buffer.resize(size_t(info.keyLength));
    }

    // One pass over the records feeds every builder. On a large table a second
    // thread makes its own pass for half of the tags: evaluating keys and
    // sorting runs is the work, and builders share nothing until they finish.
    const uint32_t count = dbf_->recordCount();
    const uint32_t recLen = dbf_->recordLength();
    const uint32_t perBlock = std::max<uint32_t>(1, kScanBlock / recLen);
    const int scanTo = from + (to - from) / 2;
    auto scanFor = [&](const std::vector<Build*>& group, const Progress& report) {
        std::vector<char> block(size_t(perBlock) * recLen);
        Source scan(*this);
        int reported = -1;
        for (uint32_t r = 1; r <= count;) {
            const uint32_t got = dbf_->readRecords(r, perBlock, block.data());
            if (got == 0)
                throw XbaseError(path(), "cannot read record " + std::to_string(r));
            for (uint32_t i = 0; i < got; ++i) {
                scan.point(block.data() + size_t(i) * recLen, r + i);
                for (Build* b : group) {
                    b->key->evalKey(scan, b->buffer.data());
                    b->builder->add(b->buffer, r + i);
                }
            }
            r += got;
            const int pct = from + int(int64_t(scanTo - from) * (r - 1) / std::max<uint32_t>(count, 1));
            if (report && pct != reported)
                report(reported = pct);
        }
    };
    std::vector<Build*> mine, theirs;
    const bool parallel = builds.size() > 1 && count >= kParallelRecords && std::thread::hardware_concurrency() > 1;
    int widthMine = 0, widthTheirs = 0;
    for (Build& b : builds) {
        // Balance the groups by key width, the best cheap guess of each tag's cost.
        if (parallel && widthTheirs < widthMine) {
            theirs.push_back(&b);
            widthTheirs += b.key->width();
        } else {
            mine.push_back(&b);
            widthMine += b.key->width();
        }
    }
    alongside(theirs.empty() ? std::function<void()>() : [&] { scanFor(theirs, {}); }, [&] { scanFor(mine, progress); });

    // Sorting and writing each tree is the other half of the work. Builders of
    // one index may write their trees at the same time, so both threads take
    // tags from one queue, widest keys first so that neither is left with a big
    // one at the end. The tags then join the index in the order asked for.
    std::vector<Build*> queue;
    for (Build& b : builds)
        queue.push_back(&b);
    std::stable_sort(queue.begin(), queue.end(), [](const Build* a, const Build* b) { return a->key->width() > b->key->width(); });
    std::atomic<size_t> nextBuild{0}, built{0};
    std::atomic<bool> stop{false};
    int reported = scanTo;
    auto buildFrom = [&](bool reports) {
        for (size_t i; !stop.load() && (i = nextBuild++) < queue.size();) {
            queue[i]->builder->build();
            const size_t done = ++built;
            const int pct = scanTo + int((to - 1 - scanTo) * int64_t(done) / int64_t(queue.size()));
            if (reports && progress && pct > reported)
                progress(reported = pct);
        }
    };
    alongside(parallel ? std::function<void()>([&] { buildFrom(false); }) : std::function<void()>(), [&] { buildFrom(true); },
              [&] { stop = true; });
    for (Build& b : builds)
        b.builder->finish();
    if (progress && reported != to)
        progress(to);
}

// A complete index of the tags over the records in a new file without a
// name, ready to be put in place of the old one.
std::unique_ptr<CdxFile> Table::newIndex(const std::vector<TagSpec>& specs, const Progress& progress, int from, int to)
{
    auto cdx = CdxFile::create(File::nameless(cdxPath()));
    buildTags(*cdx, specs, progress, from, to);
    cdx->endChange(dbf_->recordCount(), false);
    return cdx;
}

// Takes an index that has just replaced the old one on the disk.
void Table::installIndex(std::unique_ptr<CdxFile> cdx)
{
    const std::string order = currentOrderName();
    cursor_.reset();
    order_ = 0;
    tags_.clear();
    cdx_ = std::move(cdx);
    indexStale_ = false;
    staleSpecs_.clear();
    indexError_.clear();
    attachTags();
    if (!order.empty())
        selectOrder(order);
    if (!dbf_->hasStructuralIndex())
        dbf_->setStructuralIndex(true);
    replan();
}

void Table::reindex(const Progress& progress)
{
    const std::vector<TagSpec> specs = indexSpecs();
    if (specs.empty())
        return;
    if (shared_)
        throw XbaseError(path(), "rebuilding the index needs the table open exclusively");
    replaceIndex(specs, progress);
    first();
}

void Table::replaceIndex(const std::vector<TagSpec>& specs, const Progress& progress)
{
    // Others sharing the table keep writing to the index they opened: only a
    // first index, where there was none, may be made while they can look.
    if (shared_ && (cdx_ || indexStale_ || fileExists(cdxPath())))
        throw XbaseError(path(), "rebuilding the index needs the table open exclusively");
    requireRebuildable("rebuilding the index");
    if (specs.empty())
        throw XbaseError(path(), "an index needs at least one tag");
    auto cdx = newIndex(specs, progress, 0, 100);
    FileSwap swap(path());
    swap.add(cdx->file(), cdxPath());
    swap.commit();
    installIndex(std::move(cdx));
}

// ---- record access ---------------------------------------------------------

void Table::readCurrent(uint32_t recno)
{
    dbf_->readRecord(recno, buffer_.data());
    recno_ = recno;
    bof_ = eof_ = false;
}

void Table::setEof()
{
    dbf_->blankRecord(buffer_.data());
    recno_ = dbf_->recordCount() + 1;
    eof_ = true;
    bof_ = dbf_->recordCount() == 0;
}

void Table::setBof()
{
    // Before the first record FoxPro stays on the first one with BOF set.
    const bool empty = !first();
    bof_ = true;
    if (empty)
        setEof();
}

bool Table::visible(const char* buffer, uint32_t recno) const
{
    if (engineSettings().skipDeleted && buffer[0] == '*')
        return false;
    if (filter_) {
        if (filterBits_ && !testBit(*filterBits_, recno))
            return false;
        source_->point(buffer, recno);
        if (!filter_->evalLogical(*source_))
            return false;
    }
    return true;
}

bool Table::positionCursor()
{
    Tag& tag = orderTag(order_);
    std::vector<uint8_t> key(size_t(tag.info.keyLength));
    source_->point(buffer_.data(), recno_);
    tag.key->evalKey(*source_, key.data());
    return cursor_->seekExact(key, recno_);
}

// Reads record r into the current buffer and makes it current when it is
// visible. On false the buffer holds whatever was read; callers that give up
// reset it through setEof or setBof.
bool Table::land(uint32_t r)
{
    if (r < 1 || r > dbf_->recordCount() || (filterBits_ && !testBit(*filterBits_, r)))
        return false;
    dbf_->readRecord(r, buffer_.data());
    if (!visible(buffer_.data(), r))
        return false;
    recno_ = r;
    bof_ = eof_ = false;
    return true;
}

// Moves to the next visible record in the current order, from the current one
// or from an end.
bool Table::walk(bool forward, bool fromEnd)
{
    if (state_ != State::Browse)
        throw XbaseError(path(), "post or cancel the record before moving");
    if (order_ == 0) {
        const int64_t count = dbf_->recordCount();
        int64_t r = fromEnd ? (forward ? 1 : count) : int64_t(recno_) + (forward ? 1 : -1);
        if (!fromEnd && eof_ && !forward)
            r = count;
        for (; r >= 1 && r <= count; r += forward ? 1 : -1)
            if (land(uint32_t(r)))
                return true;
        return false;
    }
    bool ok;
    if (fromEnd)
        ok = forward ? cursor_->first() : cursor_->last();
    else if (eof_ && !forward)
        ok = cursor_->last();
    else {
        if (!cursor_->valid() || cursor_->recno() != recno_)
            positionCursor();
        ok = cursor_->valid() && (forward ? cursor_->next() : cursor_->prev());
    }
    for (; ok; ok = forward ? cursor_->next() : cursor_->prev()) {
        // Index order jumps about the file: ask for the record a few steps on
        // now, so its memory arrives while this one is looked at.
        size_t at = 0;
        const auto recnos = cursor_->leafRecnos(at);
        constexpr size_t kAhead = 8;
        if (forward ? at + kAhead < recnos.size() : at >= kAhead)
            dbf_->prefetch(recnos[forward ? at + kAhead : at - kAhead]);
        if (land(cursor_->recno()))
            return true;
    }
    return false;
}

bool Table::first()
{
    if (walk(true, true))
        return true;
    setEof();
    bof_ = true;
    return false;
}

bool Table::last()
{
    if (walk(false, true))
        return true;
    setEof();
    bof_ = true;
    return false;
}

bool Table::next()
{
    if (eof_)
        return false;
    if (walk(true, false))
        return true;
    setEof();
    return false;
}

bool Table::prior()
{
    if (bof_ && !eof_)
        return false;
    if (walk(false, false))
        return true;
    setBof();
    return false;
}

bool Table::go(uint32_t recno)
{
    if (state_ != State::Browse)
        throw XbaseError(path(), "post or cancel the record before moving");
    if (recno < 1 || recno > dbf_->recordCount()) {
        setEof();
        return false;
    }
    readCurrent(recno);
    if (order_)
        positionCursor();
    return true;
}

bool Table::seek(std::string_view utf8Key)
{
    if (order_ == 0)
        throw XbaseError(path(), "seek needs an index order");
    const Tag& tag = orderTag(order_);
    if (tag.info.keyType == KeyType::Numeric || tag.info.keyType == KeyType::Date)
        return seek(std::strtod(std::string(utf8Key).c_str(), nullptr));
    std::string key = utf8ToCp1252(utf8Key);
    if (key.size() > size_t(tag.info.keyLength))
        key.resize(size_t(tag.info.keyLength));
    if (engineSettings().exact)
        key.resize(size_t(tag.info.keyLength), ' ');
    return seekKey({reinterpret_cast<const uint8_t*>(key.data()), key.size()});
}

bool Table::seek(double key)
{
    uint8_t k[8];
    encodeNumericKey(key, k);
    return seekKey({k, 8});
}

bool Table::seekKey(std::span<const uint8_t> prefix)
{
    if (order_ == 0)
        throw XbaseError(path(), "seek needs an index order");
    if (state_ != State::Browse)
        throw XbaseError(path(), "post or cancel the record before moving");
    for (bool ok = cursor_->seek(prefix); ok; ok = cursor_->next()) {
        if (!land(cursor_->recno()))
            continue;
        const bool found = std::equal(prefix.begin(), prefix.end(), cursor_->key().begin());
        if (found || engineSettings().softSeek)
            return found;
        break;
    }
    setEof();
    return false;
}

// ---- query -----------------------------------------------------------------

namespace {

bool startsWith(std::span<const uint8_t> key, const std::string& prefix)
{
    return key.size() >= prefix.size() && std::memcmp(key.data(), prefix.data(), prefix.size()) == 0;
}

int compareKey(std::span<const uint8_t> key, const std::string& bound)
{
    return std::memcmp(key.data(), bound.data(), std::min(key.size(), bound.size()));
}

} // namespace

std::optional<Table::Candidates> Table::plan(const Expression& expr)
{
    const uint32_t count = dbf_->recordCount();
    const size_t words = count / 64 + 1;
    auto all = [&] {
        Bits b(words, ~uint64_t(0));
        b[0] &= ~uint64_t(1);  // record 0 does not exist
        const uint32_t tail = (count + 1) % 64;
        if (tail)
            b[words - 1] &= (uint64_t(1) << tail) - 1;
        return b;
    };

    // The records whose key in tag lies in the range the comparison describes.
    auto range = [&](const Tag& tag, CompareOp op, const Value& c, Bits& out) -> bool {
        std::string bound;
        bool prefixOnly = false;
        switch (tag.info.keyType) {
        case KeyType::Character:
            if (c.type != ValueType::Character || c.text.size() > size_t(tag.info.keyLength))
                return false;
            if ((op == CompareOp::Equal || op == CompareOp::NotEqual) && !engineSettings().exact) {
                // "begins with": blanks at the end of the constant would be
                // compared against a trimmed value, which the key cannot show
                if (!c.text.empty() && c.text.back() == ' ')
                    return false;
                bound = c.text;
                prefixOnly = true;
            } else if (op == CompareOp::ExactEqual) {
                return false;
            } else {
                bound = c.text;
                bound.resize(size_t(tag.info.keyLength), ' ');
            }
            break;
        case KeyType::Numeric:
        case KeyType::Date:
            if ((tag.info.keyType == KeyType::Date) != (c.type == ValueType::Date) || c.type == ValueType::Character ||
                c.type == ValueType::Logical)
                return false;
            bound.resize(8);
            encodeNumericKey(c.number, reinterpret_cast<uint8_t*>(bound.data()));
            break;
        case KeyType::Logical:
            return false;
        }
        auto cur = tag.cdx->cursor();
        auto mark = [&](bool ok, auto&& inRange, bool stopOutside) {
            for (; ok; ok = cur->next()) {
                if (inRange(cur->key()))
                    setBit(out, cur->recno());
                else if (stopOutside)
                    break;
            }
        };
        const std::span<const uint8_t> b(reinterpret_cast<const uint8_t*>(bound.data()), bound.size());
        switch (op) {
        case CompareOp::Equal:
        case CompareOp::ExactEqual:
        case CompareOp::NotEqual:
            if (prefixOnly)
                mark(cur->seek(b), [&](auto k) { return startsWith(k, bound); }, true);
            else
                mark(cur->seek(b), [&](auto k) { return compareKey(k, bound) == 0; }, true);
            if (op == CompareOp::NotEqual) {
                Bits a = all();
                for (size_t i = 0; i < words; ++i)
                    out[i] = a[i] & ~out[i];
            }
            break;
        case CompareOp::Less:
            mark(cur->first(), [&](auto k) { return compareKey(k, bound) < 0; }, true);
            break;
        case CompareOp::LessEqual:
            mark(cur->first(), [&](auto k) { return compareKey(k, bound) <= 0; }, true);
            break;
        case CompareOp::Greater:
            mark(cur->seek(b), [&](auto k) { return compareKey(k, bound) > 0; }, false);
            break;
        case CompareOp::GreaterEqual:
            mark(cur->seek(b), [](auto) { return true; }, false);
            break;
        }
        return true;
    };

    auto findTag = [&](const std::string& canonical) -> const Tag* {
        for (const auto& t : tags_)
            // A unique tag holds one record per key; a tag with a condition, some records only.
            if (t->key && t->canonical == canonical && t->info.forExpr.empty() && !t->info.unique)
                return t.get();
        return nullptr;
    };

    std::function<std::optional<Candidates>(const QueryNode&)> walkPlan = [&](const QueryNode& n) -> std::optional<Candidates> {
        switch (n.kind) {
        case QueryNode::Kind::Compare: {
            const Tag* tag = findTag(n.canonical);
            if (!tag)
                return std::nullopt;
            Candidates c;
            c.bits.assign(words, 0);
            if (!range(*tag, n.op, n.constant, c.bits))
                return std::nullopt;
            return c;
        }
        case QueryNode::Kind::Bool: {
            const Tag* tag = findTag(n.canonical);
            if (!tag || tag->info.keyType != KeyType::Logical)
                return std::nullopt;
            Candidates c;
            c.bits.assign(words, 0);
            auto cur = tag->cdx->cursor();
            const uint8_t t = 'T';
            for (bool ok = cur->seek({&t, 1}); ok && cur->key()[0] == 'T'; ok = cur->next())
                setBit(c.bits, cur->recno());
            return c;
        }
        case QueryNode::Kind::Not: {
            auto inner = walkPlan(n.children.at(0));
            if (!inner || !inner->exact)
                return std::nullopt;
            Bits a = all();
            for (size_t i = 0; i < words; ++i)
                inner->bits[i] = a[i] & ~inner->bits[i];
            return inner;
        }
        case QueryNode::Kind::And: {
            std::optional<Candidates> acc;
            bool exact = true;
            for (const QueryNode& child : n.children) {
                auto c = walkPlan(child);
                if (!c) {
                    exact = false;
                    continue;
                }
                exact = exact && c->exact;
                if (!acc)
                    acc = std::move(c);
                else
                    for (size_t i = 0; i < words; ++i)
                        acc->bits[i] &= c->bits[i];
            }
            if (acc)
                acc->exact = exact;
            return acc;
        }
        case QueryNode::Kind::Or: {
            std::optional<Candidates> acc;
            for (const QueryNode& child : n.children) {
                auto c = walkPlan(child);
                if (!c)
                    return std::nullopt;
                if (!acc)
                    acc = std::move(c);
                else {
                    for (size_t i = 0; i < words; ++i)
                        acc->bits[i] |= c->bits[i];
                    acc->exact = acc->exact && c->exact;
                }
            }
            return acc;
        }
        case QueryNode::Kind::Opaque:
            return std::nullopt;
        }
        return std::nullopt;
    };
    if (tags_.empty())
        return std::nullopt;
    return walkPlan(expr.queryPlan());
}

// Counts visible records passing expr (all visible records without one),
// reading only candidates, or none at all when the index answers exactly.
uint32_t Table::countWith(const Expression* expr, const Candidates* candidates)
{
    const bool skipDeleted = engineSettings().skipDeleted;
    lastCountUsedIndex_ = candidates != nullptr;
    if (candidates && candidates->exact) {
        Bits bits = candidates->bits;
        const bool marksKnown = !skipDeleted || dropDeletedByTag(bits);
        uint32_t n = 0;
        if (marksKnown) {
            for (uint64_t w : bits)
                n += uint32_t(std::popcount(w));
            return n;
        }
        // Without a tag on DELETED() only the candidates' marks need reading.
        char mark;
        for (uint32_t r = 1; r <= dbf_->recordCount(); ++r) {
            if (!testBit(bits, r))
                continue;
            dbf_->file().readAt(uint64_t(dbf_->headerLength()) + uint64_t(r - 1) * dbf_->recordLength(), &mark, 1, "a record");
            if (mark != '*')
                ++n;
        }
        return n;
    }

    const uint32_t count = dbf_->recordCount();
    const uint32_t recLen = dbf_->recordLength();
    Source scan(*this);
    uint32_t n = 0;
    auto passes = [&](const char* rec, uint32_t recno) {
        if (skipDeleted && rec[0] == '*')
            return false;
        if (!expr)
            return true;
        scan.point(rec, recno);
        return expr->evalLogical(scan);
    };

    // Few candidates are read one by one; many, like every record, in blocks.
    if (candidates) {
        uint64_t candidateCount = 0;
        for (uint64_t w : candidates->bits)
            candidateCount += uint64_t(std::popcount(w));
        if (candidateCount * 8 < count) {
            std::vector<char> rec(recLen);
            for (size_t w = 0; w < candidates->bits.size(); ++w) {
                for (uint64_t bits = candidates->bits[w]; bits; bits &= bits - 1) {
                    const uint32_t r = uint32_t(w * 64 + size_t(std::countr_zero(bits)));
                    if (r < 1 || r > count)
                        continue;
                    dbf_->readRecord(r, rec.data());
                    n += passes(rec.data(), r);
                }
            }
            return n;
        }
    }
    const uint32_t perBlock = std::max<uint32_t>(1, kScanBlock / recLen);
    std::vector<char> block(size_t(perBlock) * recLen);
    for (uint32_t r = 1; r <= count;) {
        const uint32_t got = dbf_->readRecords(r, perBlock, block.data());
        if (got == 0)
            break;
        for (uint32_t i = 0; i < got; ++i) {
            if (candidates && !testBit(candidates->bits, r + i))
                continue;
            n += passes(block.data() + size_t(i) * recLen, r + i);
        }
        r += got;
    }
    return n;
}

uint32_t Table::setFilter(std::string_view text)
{
    if (text.size() > 255)
        throw ExprError("Expression too long", 255, path());
    if (trim(text).empty()) {
        filter_.reset();
        filterBits_.reset();
        filterText_.clear();
        return countFiltered();
    }
    auto expr = std::make_unique<Expression>(compile(utf8ToCp1252(text)));
    if (expr->type() != ValueType::Logical)
        throw ExprError("A filter must be a logical expression", 0, path());
    filter_ = std::move(expr);
    filterText_ = std::string(text);
    // The candidates stay with the filter so that walks pass over the records
    // the tags rule out without reading them; posts keep them a superset.
    auto candidates = plan(*filter_);
    const uint32_t n = countWith(filter_.get(), candidates ? &*candidates : nullptr);
    filterBits_ = candidates ? std::make_unique<Bits>(std::move(candidates->bits)) : nullptr;
    return n;
}

// Record numbers or tags changed under the filter: find its candidates anew.
void Table::replan()
{
    filterBits_.reset();
    if (!filter_)
        return;
    if (auto candidates = plan(*filter_))
        filterBits_ = std::make_unique<Bits>(std::move(candidates->bits));
}

bool Table::dropDeletedByTag(Bits& bits)
{
    for (const auto& t : tags_) {
        if (!t->key || t->canonical != "DELETED()" || t->info.keyType != KeyType::Logical || t->info.unique ||
            !t->info.forExpr.empty())
            continue;
        auto cur = t->cdx->cursor();
        const uint8_t yes = 'T';
        for (bool ok = cur->seek({&yes, 1}); ok && cur->key()[0] == 'T'; ok = cur->next()) {
            const uint32_t r = cur->recno();
            if (r / 64 < bits.size())
                bits[r / 64] &= ~(uint64_t(1) << (r % 64));
        }
        return true;
    }
    return false;
}

std::vector<uint32_t> Table::visibleRecnos()
{
    std::vector<uint32_t> out;
    lastListUsedIndexOnly_ = false;
    const uint32_t count = dbf_->recordCount();
    std::optional<Candidates> candidates;
    if (filter_)
        candidates = plan(*filter_);
    else if (!tags_.empty()) {
        candidates.emplace();
        candidates->bits.assign(count / 64 + 1, ~uint64_t(0));
        candidates->bits[0] &= ~uint64_t(1);
    }
    const bool skipDeleted = engineSettings().skipDeleted;
    if (candidates && candidates->exact && (!skipDeleted || dropDeletedByTag(candidates->bits)) &&
        (order_ == 0 || orderTag(order_).cdx)) {
        // Every record the bits name passes: the order's tag gives the sequence.
        const Bits& bits = candidates->bits;
        if (order_ == 0) {
            for (uint32_t r = 1; r <= count; ++r)
                if (testBit(bits, r))
                    out.push_back(r);
        } else {
            auto cur = orderTag(order_).cdx->cursor();
            for (bool ok = cur->first(); ok; ok = cur->next())
                if (const uint32_t r = cur->recno(); r <= count && testBit(bits, r))
                    out.push_back(r);
        }
        lastListUsedIndexOnly_ = true;
        return out;
    }
    // The walk reads each candidate once; the current record comes back.
    const bool atEnd = eof_;
    const uint32_t current = recno_;
    for (bool more = first(); more; more = next())
        out.push_back(recno_);
    if (!atEnd && current > 0)
        go(current);
    return out;
}

uint32_t Table::countFiltered()
{
    if (!filter_)
        return countWith(nullptr, nullptr);
    auto candidates = plan(*filter_);
    return countWith(filter_.get(), candidates ? &*candidates : nullptr);
}

uint32_t Table::count(std::string_view text)
{
    Expression expr = compile(utf8ToCp1252(text));
    if (expr.type() != ValueType::Logical)
        throw ExprError("A condition must be a logical expression", 0, path());
    auto candidates = plan(expr);
    return countWith(&expr, candidates ? &*candidates : nullptr);
}

// ---- editing ---------------------------------------------------------------

void Table::lockRecord(uint32_t recno)
{
    if (!shared_ || lockedRecord_ == recno)
        return;
    unlockRecord();
    if (!dbf_->file().lockRegion(kRecordLockBase + recno, 1, engineSettings().lockTimeoutSeconds))
        throw LockError(path(), "record " + std::to_string(recno) + " is locked by another user");
    lockedRecord_ = recno;
}

void Table::unlockRecord()
{
    if (lockedRecord_ && dbf_) {
        dbf_->file().unlockRegion(kRecordLockBase + lockedRecord_, 1);
        lockedRecord_ = 0;
    }
}

void Table::appendBlank()
{
    requireWritable();
    if (state_ != State::Browse)
        throw XbaseError(path(), "post or cancel the record before appending");
    recnoBeforeAppend_ = eof_ ? 0 : recno_;
    dbf_->blankRecord(buffer_.data());
    original_.clear();
    pendingMemos_.clear();
    recno_ = dbf_->recordCount() + 1;
    bof_ = eof_ = false;
    state_ = State::Append;
}

void Table::edit()
{
    requireWritable();
    if (state_ != State::Browse)
        return;
    if (eof_ || recno_ < 1 || recno_ > dbf_->recordCount())
        throw XbaseError(path(), "there is no current record to edit");
    lockRecord(recno_);
    // Re-read under the lock: another user may have changed it since we moved here.
    dbf_->readRecord(recno_, buffer_.data());
    original_ = buffer_;
    pendingMemos_.clear();
    state_ = State::Edit;
}

void Table::cancel()
{
    if (state_ == State::Edit)
        buffer_ = original_;
    const bool wasAppend = state_ == State::Append;
    state_ = State::Browse;
    pendingMemos_.clear();
    unlockRecord();
    if (wasAppend && !go(recnoBeforeAppend_))
        setEof();
}

// Another program sharing the table may have appended records, memos or keys
// since we last looked: under the table lock, take the files as they are now.
void Table::refreshShared()
{
    dbf_->refreshCount();
    if (fpt_)
        fpt_->refresh();
    if (cdx_) {
        const std::string order = currentOrderName();
        const std::string cdxPath = cdx_->path();
        cursor_.reset();
        tags_.clear();
        cdx_.reset();
        order_ = 0;
        openIndex(cdxPath);
        if (!order.empty())
            selectOrder(order);
    }
    replan();
}

// A change of records and keys is framed by the index's in-change mark. The
// outermost frame (a post, or a bulk change around many) sets the mark before
// anything is written and, at its end, writes the index, waits for the disk
// and clears the mark.
void Table::beginChange()
{
    if (changeDepth_++ > 0)
        return;
    try {
        if (cdx_)
            cdx_->beginChange(engineSettings().syncPosts);
    } catch (...) {
        --changeDepth_;
        throw;
    }
}

void Table::endChange()
{
    if (changeDepth_ == 0 || --changeDepth_ > 0)
        return;
    const bool sync = engineSettings().syncPosts;
    try {
        // The memos first: the records held back and the count that takes
        // them in must not reach the disk before the memos they name.
        if (sync && memosUnsynced_)
            fpt_->sync();
        if (sync)
            memosUnsynced_ = false;
        dbf_->writeHeaderIfBehind();
        if (sync)
            dbf_->sync();
        if (cdx_)
            cdx_->endChange(dbf_->recordCount(), sync);
    } catch (const XbaseError& e) {
        indexLost(e.what());
        throw;
    }
}

// The index could not be brought up to date: it keeps its in-change mark on
// the disk and is left alone for the rest of the session, as the next open
// will find it, stale.
void Table::indexLost(const std::string& why)
{
    if (!cdx_)
        return;
    const std::string file = cdx_->path();
    staleSpecs_ = indexSpecs();
    cdx_->abandon();
    cursor_.reset();
    order_ = 0;
    tags_.clear();
    cdx_.reset();
    indexStale_ = true;
    indexError_ = file + ": the index could not be written (" + why + "); it must be rebuilt";
    replan();
}

Table::BulkChange::BulkChange(Table& table) : table_(table)
{
    if (table.shared_)
        return;
    table.beginChange();
    active_ = true;
}

Table::BulkChange::~BulkChange()
{
    try {
        commit();
    } catch (const XbaseError&) {
    }
}

void Table::BulkChange::commit()
{
    if (!active_)
        return;
    active_ = false;
    table_.endChange();
}

void Table::post()
{
    if (state_ == State::Browse)
        return;
    // Writers sharing the table take turns: one holds the table lock while it
    // adds memo blocks, records and keys.
    struct TableLock {
        File* file = nullptr;
        ~TableLock()
        {
            if (file)
                file->unlockRegion(kRecordLockBase, 1);
        }
    } tableLock;
    if (shared_) {
        if (!dbf_->file().lockRegion(kRecordLockBase, 1, engineSettings().lockTimeoutSeconds))
            throw LockError(path(), "the table is locked by another user");
        tableLock.file = &dbf_->file();
        refreshShared();
        if (state_ == State::Append)
            recno_ = dbf_->recordCount() + 1;
    }
    // Memos go to new blocks first: nothing refers to them until the record
    // does, and the old memo stays whole until then.
    for (auto& [index, text] : pendingMemos_) {
        const Field& f = dbf_->fields()[size_t(index)];
        setMemoBlock(buffer_.data(), f, fpt_->write(text));
        memosUnsynced_ = true;
    }
    // On the disk too, the memos come before the record that names them.
    if (memosUnsynced_ && engineSettings().syncPosts && changeDepth_ == 0) {
        fpt_->sync();
        memosUnsynced_ = false;
    }

    const bool appending = state_ == State::Append;
    const uint32_t countBefore = dbf_->recordCount();
    beginChange();
    try {
        if (appending) {
            // Inside a bulk change the header's count is written when it ends.
            dbf_->appendRecord(buffer_.data(), changeDepth_ == 1 || shared_);
            recno_ = dbf_->recordCount();
        } else {
            dbf_->writeRecord(recno_, buffer_.data());
        }
        updateKeys(appending ? nullptr : original_.data(), buffer_.data(), recno_);
        endChange();
    } catch (const XbaseError&) {
        // The record may be written in part and its keys in part: the index
        // keeps its mark and is rebuilt.
        if (changeDepth_ > 0) {
            --changeDepth_;
            indexLost("a post failed");
        }
        if (appending && dbf_->recordCount() > countBefore) {
            // The record is in the table: from now on it is edited where it
            // is, so Save cannot append it twice and Cancel cannot lose it.
            recno_ = dbf_->recordCount();
            original_ = buffer_;
            pendingMemos_.clear();
            state_ = State::Edit;
            if (filterBits_) {
                filterBits_->resize(std::max(filterBits_->size(), size_t(recno_ / 64 + 1)), 0);
                setBit(*filterBits_, recno_);
            }
            try {
                lockRecord(recno_);
            } catch (const XbaseError&) {
            }
        }
        throw;
    }
    pendingMemos_.clear();
    if (filterBits_) {
        // Grown for an appended record, never cut: the bits of the records
        // after this one must stay for a walk that goes on past it.
        filterBits_->resize(std::max(filterBits_->size(), size_t(recno_ / 64 + 1)), 0);
        setBit(*filterBits_, recno_);
    }
    state_ = State::Browse;
    unlockRecord();
    if (order_)
        positionCursor();
}

void Table::updateKeys(const char* before, const char* after, uint32_t recno)
{
    Source src(*this);
    for (const auto& tag : tags_) {
        if (!tag->key)
            continue;
        const size_t len = size_t(tag->info.keyLength);
        std::vector<uint8_t> oldKey(len), newKey(len);
        src.point(after, recno);
        tag->key->evalKey(src, newKey.data());
        if (before) {
            src.point(before, recno);
            tag->key->evalKey(src, oldKey.data());
            if (oldKey == newKey)
                continue;
            tag->cdx->remove(oldKey, recno);
        }
        tag->cdx->insert(newKey, recno);
    }
    // An index file holds chosen records only: a record it holds keeps its
    // place under its new key, and no other record joins it.
    if (!before)
        return;
    for (const auto& tag : files_) {
        const size_t len = size_t(tag->info.keyLength);
        std::vector<uint8_t> oldKey(len), newKey(len);
        src.point(before, recno);
        tag->key->evalKey(src, oldKey.data());
        src.point(after, recno);
        tag->key->evalKey(src, newKey.data());
        if (oldKey == newKey || !tag->cdx->cursor()->seekExact(oldKey, recno))
            continue;
        tag->cdx->remove(oldKey, recno);
        tag->cdx->insert(newKey, recno);
    }
}

void Table::deleteRecord()
{
    const bool wasBrowsing = state_ == State::Browse;
    if (wasBrowsing)
        edit();
    buffer_[0] = '*';
    if (wasBrowsing)
        post();
}

void Table::recall()
{
    const bool wasBrowsing = state_ == State::Browse;
    if (wasBrowsing)
        edit();
    buffer_[0] = ' ';
    if (wasBrowsing)
        post();
}

bool Table::deleted() const { return !eof_ && buffer_[0] == '*'; }

void Table::pack(const Progress& progress)
{
    const std::vector<TagSpec> specs = indexSpecs();
    const int split = specs.empty() ? 100 : 50;
    int reported = -1;
    auto report = [&](int pct) {
        if (progress && pct != reported)
            progress(reported = pct);
    };
    rewrite(false, specs, [&](int p) { report(p * split / 100); }, [&](int p) { report(split + p * (100 - split) / 100); });
}

void Table::pack(const std::vector<TagSpec>& tags, const Progress& packing, const Progress& indexing)
{
    rewrite(false, tags, packing, indexing);
}

void Table::zap() { rewrite(true, indexSpecs(), {}, {}); }

// Pack and zap: the records kept (none for zap), their memos and an index of
// the tags are written to new files beside the table, which then replace the
// old ones together (FileSwap). Until then the table is untouched; an error
// leaves it as it was.
void Table::rewrite(bool keepNone, const std::vector<TagSpec>& specs, const Progress& packing, const Progress& indexing)
{
    if (shared_)
        throw XbaseError(path(), std::string(keepNone ? "zapping" : "packing") + " needs the table open exclusively");
    requireRebuildable(keepNone ? "zapping" : "packing");
    // Their keys name records by the numbers a pack changes.
    closeIndexFiles();
    for (const TagSpec& s : specs)
        compile(s.keyExpr);
    const std::string dbfPath = path();
    const std::string fptPath = fpt_ ? fpt_->path() : std::string();
    const std::string indexPath = cdxPath();

    auto newDbfFile = File::nameless(dbfPath);
    std::unique_ptr<FptFile> newFpt;
    if (fpt_)
        newFpt = std::make_unique<FptFile>(FptFile::createLike(File::nameless(fptPath), *fpt_));

    std::string header = dbf_->headerBytes();
    newDbfFile.writeAt(0, header.data(), header.size());
    const uint32_t count = keepNone ? 0 : dbf_->recordCount();
    const uint32_t recLen = dbf_->recordLength();
    const uint32_t perBlock = std::max<uint32_t>(1, kScanBlock / recLen);
    std::vector<char> block(size_t(perBlock) * recLen);
    std::vector<int> memoFields;
    for (size_t i = 0; i < dbf_->fields().size(); ++i)
        if (dbf_->fields()[i].type == 'M')
            memoFields.push_back(int(i));
    std::string out;
    uint64_t at = header.size();
    uint32_t kept = 0;
    std::vector<LostMemo> notes;
    int reported = -1;
    if (packing)
        packing(reported = 0);
    for (uint32_t r = 1; r <= count;) {
        const uint32_t got = dbf_->readRecords(r, perBlock, block.data());
        if (got == 0)
            throw XbaseError(dbfPath, "cannot read record " + std::to_string(r));
        for (uint32_t i = 0; i < got; ++i) {
            char* rec = block.data() + size_t(i) * recLen;
            if (rec[0] == '*')
                continue;
            // Each kept memo is copied to the new memo file, so a memo that
            // two records shared (after some other program's pack) becomes two.
            // A memo the damaged file cannot give back leaves its record
            // with none, noted, rather than the pack undone for one memo.
            for (int m : memoFields) {
                const Field& f = dbf_->fields()[size_t(m)];
                uint32_t copied = 0;
                try {
                    copied = newFpt->copyFrom(*fpt_, memoBlock(rec, f));
                } catch (const DamageError& e) {
                    notes.push_back({kept + 1, r + i, f.name, e.what()});
                }
                setMemoBlock(rec, f, copied);
            }
            out.append(rec, recLen);
            ++kept;
        }
        if (out.size() >= (1u << 20)) {
            newDbfFile.writeAt(at, out.data(), out.size());
            at += out.size();
            out.clear();
        }
        r += got;
        const int pct = int(int64_t(100) * (r - 1) / count);
        if (packing && pct != reported)
            packing(reported = pct);
    }
    out += '\x1A';
    newDbfFile.writeAt(at, out.data(), out.size());
    if (newFpt)
        newFpt->finishCopies();
    // The count goes into the header last; DbfFile dates it when it writes it.
    for (int i = 0; i < 4; ++i)
        header[size_t(4 + i)] = char(uint8_t(kept >> (8 * i)));
    newDbfFile.writeAt(0, header.data(), 32);
    auto newDbf = std::make_unique<DbfFile>(std::move(newDbfFile));
    newDbf->writeHeader();
    if (!newDbf->file().lockFile(true))
        throw XbaseError(dbfPath, "cannot lock the new table file");
    if (packing && reported != 100)
        packing(100);

    // The new index reads the new records: the table looks at the new files
    // while it is built, and back at the old ones should that fail.
    std::swap(dbf_, newDbf);
    std::swap(fpt_, newFpt);
    std::unique_ptr<CdxFile> newCdx;
    FileSwap swap(dbfPath);
    try {
        if (!specs.empty())
            newCdx = newIndex(specs, indexing, 0, 100);
        swap.add(dbf_->file(), dbfPath);
        if (fpt_)
            swap.add(fpt_->file(), fptPath);
        if (newCdx)
            swap.add(newCdx->file(), indexPath);
        swap.commit();
    } catch (const XbaseError&) {
        if (!swap.committed()) {
            std::swap(dbf_, newDbf);
            std::swap(fpt_, newFpt);
            for (const std::string& f : {dbfPath, fptPath, indexPath})
                if (!f.empty())
                    std::remove((f + ".qbnew").c_str());
            throw;
        }
        // The new files are the table already; their names follow on the
        // next open if they cannot now.
        try {
            FileSwap::recover(dbfPath, {});
        } catch (const XbaseError&) {
        }
        if (newCdx)
            installIndex(std::move(newCdx));
        lostMemos_ = std::move(notes);
        setEof();
        throw;
    }
    if (newCdx)
        installIndex(std::move(newCdx));
    else
        replan();
    lostMemos_ = std::move(notes);
    if (keepNone) {
        setEof();
        bof_ = true;
    } else {
        first();
    }
}

Table::End Table::end() const { return {dbf_->recordCount(), fpt_ ? fpt_->nextFreeBlock() : 0}; }

void Table::cutBack(const End& end)
{
    requireWritable();
    if (shared_)
        throw XbaseError(path(), "cutting records off needs the table open exclusively");
    if (cdx_)
        throw XbaseError(path(), "close the index before cutting records off");
    if (state_ != State::Browse)
        cancel();
    if (end.records > dbf_->recordCount())
        throw XbaseError(path(), "the table has fewer records than it is to be cut back to");
    dbf_->setRecordCount(end.records);
    if (fpt_)
        fpt_->cutBack(end.memoBlocks);
    replan();
    setEof();
    bof_ = true;
}

// ---- fields ----------------------------------------------------------------

uint32_t Table::memoBlock(const char* buffer, const Field& f) const
{
    const char* p = buffer + f.offset;
    if (f.length == 4) {
        const auto* u = reinterpret_cast<const uint8_t*>(p);
        return u[0] | (u[1] << 8) | (u[2] << 16) | (uint32_t(u[3]) << 24);
    }
    uint64_t block = 0;
    for (int i = 0; i < f.length; ++i) {
        if (p[i] == ' ' || p[i] == '\0')
            continue;
        if (p[i] < '0' || p[i] > '9')
            throw DamageError(path(), "memo field " + f.name + " holds a bad block number");
        block = block * 10 + uint64_t(p[i] - '0');
        if (block > 0xFFFFFFFFu)
            throw DamageError(path(), "memo field " + f.name + " holds a bad block number");
    }
    return uint32_t(block);
}

void Table::setMemoBlock(char* buffer, const Field& f, uint32_t block)
{
    char* p = buffer + f.offset;
    if (f.length == 4) {
        for (int i = 0; i < 4; ++i)
            p[i] = char(uint8_t(block >> (8 * i)));
        return;
    }
    std::memset(p, ' ', f.length);
    if (block == 0)
        return;
    const std::string digits = std::to_string(block);
    if (digits.size() > f.length)
        throw XbaseError(path(), "memo block number does not fit field " + f.name);
    std::memcpy(p + f.length - digits.size(), digits.data(), digits.size());
}

std::string Table::memoOf(const char* buffer, int index) const
{
    const Field& f = dbf_->fields()[size_t(index)];
    if (buffer == buffer_.data()) {
        const auto it = pendingMemos_.find(index);
        if (it != pendingMemos_.end())
            return it->second;
    }
    const uint32_t block = memoBlock(buffer, f);
    if (block == 0)
        return {};
    if (dbt_)
        return dbt_->read(block);
    if (!fpt_)
        throw XbaseError(path(), "memo field " + f.name + " but no memo file");
    return fpt_->read(block);
}

void Table::setRaw(std::string_view name, std::string_view bytes)
{
    requireEditing();
    const Field& f = dbf_->fields()[size_t(fieldOrThrow(name))];
    if (f.type != 'C' && f.type != 'D')
        throw XbaseError(path(), "field " + f.name + " does not take raw text");
    char* p = buffer_.data() + f.offset;
    const size_t n = std::min<size_t>(bytes.size(), f.length);
    std::memcpy(p, bytes.data(), n);
    std::memset(p + n, ' ', f.length - n);
}

std::string Table::raw(std::string_view name) const
{
    const Field& f = dbf_->fields()[size_t(fieldOrThrow(name))];
    return std::string(buffer_.data() + f.offset, f.length);
}

namespace {

template <typename T>
T littleEndian(const char* p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Visual FoxPro keeps some types in binary; they read as numbers and text.
std::optional<double> binaryNumber(const char* p, const Field& f)
{
    switch (f.type) {
    case 'I': return f.length == 4 ? std::optional<double>(littleEndian<int32_t>(p)) : std::nullopt;
    case 'Y': return f.length == 8 ? std::optional<double>(double(littleEndian<int64_t>(p)) / 10000.0) : std::nullopt;
    case 'B': return f.length == 8 ? std::optional<double>(littleEndian<double>(p)) : std::nullopt;
    default: return std::nullopt;
    }
}

} // namespace

std::string Table::text(std::string_view name) const
{
    const int index = fieldOrThrow(name);
    const Field& f = dbf_->fields()[size_t(index)];
    const char* p = buffer_.data() + f.offset;
    if (const auto n = binaryNumber(p, f)) {
        char out[64];
        std::snprintf(out, sizeof out, "%.*f", f.type == 'Y' ? 4 : f.type == 'B' ? int(f.decimals) : 0, *n);
        return out;
    }
    if (f.type == 'T' && f.length == 8) {
        // Julian day, then milliseconds since midnight; shown as yyyymmddhhmmss.
        const int32_t day = littleEndian<int32_t>(p);
        const int32_t ms = littleEndian<int32_t>(p + 4);
        if (day <= 0)
            return {};
        int y, m, d;
        calendarDate(day, y, m, d);
        char out[32];
        const int secs = std::clamp(ms, 0, 86399999) / 1000;
        std::snprintf(out, sizeof out, "%04d%02d%02d%02d%02d%02d", y, m, d, secs / 3600, secs / 60 % 60, secs % 60);
        return out;
    }
    switch (f.type) {
    case 'M':
        return cp1252ToUtf8(memoOf(buffer_.data(), index));
    case 'N':
    case 'F':
        return trim(std::string_view(buffer_.data() + f.offset, f.length));
    case 'C':
    case 'V':
    case 'D':
    case 'L':
        return cp1252ToUtf8(rtrim(std::string_view(buffer_.data() + f.offset, f.length)));
    default:
        return rtrim(std::string_view(buffer_.data() + f.offset, f.length));
    }
}

bool Table::logical(std::string_view name) const
{
    const Field& f = dbf_->fields()[size_t(fieldOrThrow(name))];
    const char c = buffer_[f.offset];
    return c == 'T' || c == 't' || c == 'Y' || c == 'y';
}

double Table::number(std::string_view name) const
{
    const Field& f = dbf_->fields()[size_t(fieldOrThrow(name))];
    if (const auto n = binaryNumber(buffer_.data() + f.offset, f))
        return *n;
    const std::string s = trim(std::string_view(buffer_.data() + f.offset, f.length));
    return s.empty() ? 0.0 : std::strtod(s.c_str(), nullptr);
}

std::string Table::memo(std::string_view name) const
{
    const int index = fieldOrThrow(name);
    if (dbf_->fields()[size_t(index)].type != 'M')
        throw XbaseError(path(), "field " + std::string(name) + " is not a memo");
    return cp1252ToUtf8(memoOf(buffer_.data(), index));
}

void Table::setText(std::string_view name, std::string_view utf8)
{
    requireEditing();
    const int index = fieldOrThrow(name);
    const Field& f = dbf_->fields()[size_t(index)];
    switch (f.type) {
    case 'M':
        setMemo(name, utf8);
        return;
    case 'N':
    case 'F': {
        const std::string s = trim(utf8);
        setNumber(name, s.empty() ? 0.0 : std::strtod(s.c_str(), nullptr));
        if (s.empty())
            std::memset(buffer_.data() + f.offset, ' ', f.length);
        return;
    }
    case 'L':
        setLogical(name, !utf8.empty() && std::strchr("TtYy", utf8[0]));
        return;
    default: {
        std::string bytes = utf8ToCp1252(utf8);
        bytes.resize(f.length, ' ');
        std::memcpy(buffer_.data() + f.offset, bytes.data(), f.length);
    }
    }
}

void Table::setLogical(std::string_view name, bool value)
{
    requireEditing();
    const Field& f = dbf_->fields()[size_t(fieldOrThrow(name))];
    if (f.type != 'L')
        throw XbaseError(path(), "field " + f.name + " is not logical");
    buffer_[f.offset] = value ? 'T' : 'F';
}

void Table::setNumber(std::string_view name, double value)
{
    requireEditing();
    const Field& f = dbf_->fields()[size_t(fieldOrThrow(name))];
    if (f.type != 'N' && f.type != 'F')
        throw XbaseError(path(), "field " + f.name + " is not numeric");
    if (!std::isfinite(value))
        throw XbaseError(path(), "field " + f.name + ": not a number");
    char text[64];
    std::snprintf(text, sizeof text, "%*.*f", int(f.length), int(f.decimals), value);
    if (std::strlen(text) > f.length)
        throw XbaseError(path(), "value " + trim(text) + " does not fit field " + f.name);
    std::memcpy(buffer_.data() + f.offset, text, f.length);
}

void Table::setMemo(std::string_view name, std::string_view utf8)
{
    requireEditing();
    const int index = fieldOrThrow(name);
    if (dbf_->fields()[size_t(index)].type != 'M')
        throw XbaseError(path(), "field " + std::string(name) + " is not a memo");
    if (!fpt_)
        throw XbaseError(path(), "the table has no memo file");
    std::string bytes = utf8ToCp1252(utf8);
    // The text the record holds already is not written again: an edit of
    // another field costs no new memo blocks and no wait for the memo file.
    pendingMemos_.erase(index);
    if (state_ == State::Edit) {
        try {
            if (memoOf(buffer_.data(), index) == bytes)
                return;
        } catch (const DamageError&) {
        }
    }
    pendingMemos_[index] = std::move(bytes);
}

// ---- check -----------------------------------------------------------------

std::vector<std::string> Table::check()
{
    std::vector<std::string> faults;
    if (dbf_->reconciledFrom() >= 0 && readOnly_)
        faults.push_back(path() + ": header counts " + std::to_string(dbf_->reconciledFrom()) + " records but the file holds " +
                         std::to_string(dbf_->recordCount()));
    const uint64_t expected = uint64_t(dbf_->headerLength()) + uint64_t(dbf_->recordCount()) * dbf_->recordLength();
    const uint64_t size = dbf_->file().size();
    if (size != expected && size != expected + 1)
        faults.push_back(path() + ": file is " + std::to_string(size) + " bytes, expected " + std::to_string(expected + 1));
    if (!indexError_.empty())
        faults.push_back(indexError_);
    else if (dbf_->hasStructuralIndex() && tags_.empty())
        // An index without tags, or none, where the header says there is
        // one: what a rebuild cut short can leave.
        faults.push_back(cdxPath() + ": the table has a structural index but " +
                         (cdx_ ? std::string("the index holds no tags") : std::string("the index file is missing")));

    std::vector<char> rec(dbf_->recordLength());
    size_t reported = 0;
    for (uint32_t r = 1; r <= dbf_->recordCount() && reported < 50; ++r) {
        dbf_->readRecord(r, rec.data());
        if (rec[0] != ' ' && rec[0] != '*') {
            faults.push_back(path() + ": record " + std::to_string(r) + " has a bad deleted mark");
            ++reported;
        }
        for (size_t i = 0; i < dbf_->fields().size(); ++i) {
            if (dbf_->fields()[i].type != 'M')
                continue;
            try {
                memoOf(rec.data(), int(i));
            } catch (const XbaseError& e) {
                faults.push_back(std::string(e.what()) + " (record " + std::to_string(r) + ")");
                ++reported;
            }
        }
    }
    if (!cdx_)
        return faults;
    for (const std::string& f : cdx_->check(dbf_->recordCount()))
        faults.push_back(f);
    Source src(*this);
    for (const auto& tag : tags_) {
        if (!tag->key) {
            faults.push_back(cdx_->path() + ": tag " + tag->info.name + ": " + tag->keyError);
            continue;
        }
        std::vector<uint8_t> key(size_t(tag->info.keyLength));
        auto cur = tag->cdx->cursor();
        size_t bad = 0;
        for (bool ok = cur->first(); ok && bad < 10; ok = cur->next()) {
            const uint32_t r = cur->recno();
            if (r < 1 || r > dbf_->recordCount())
                continue;   // reported by the index check
            dbf_->readRecord(r, rec.data());
            src.point(rec.data(), r);
            tag->key->evalKey(src, key.data());
            if (!std::equal(key.begin(), key.end(), cur->key().begin())) {
                faults.push_back(cdx_->path() + ": tag " + tag->info.name + ": key of record " + std::to_string(r) +
                                 " does not match the record");
                ++bad;
            }
        }
    }
    return faults;
}

} // namespace qb::xbase
