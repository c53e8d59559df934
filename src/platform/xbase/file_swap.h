#pragma once
// New versions of a table's files put in place of the old ones, so that a
// crash at any moment leaves either the old set or the new one, never some of
// each.
//
// Each new file is written without a name (File::nameless), so a crash while
// it is written leaves nothing behind. To commit, every new file is synced and
// linked as target + ".qbnew"; with more than one file, the list of their
// names, table + ".qbswap", is then written and synced: from that moment the
// new set is the table, and the open files answer to their targets' names.
// The ".qbnew" files are renamed over their targets, the folder synced, the
// list removed and the folder synced again. A single file needs no list: its
// rename is the commit. The list is plain text, one file name (without folder) a
// line, ended by a line "end"; a list without it was cut short by the crash
// and counts as absent.
//
// On the next open, recover() finishes a committed swap whose list it finds,
// and otherwise removes ".qbnew" files a crash before the commit left.

#include "platform/xbase/file_io.h"

#include <string>
#include <vector>

namespace qb::xbase {

class FileSwap {
public:
    explicit FileSwap(std::string tablePath) : table_(std::move(tablePath)) {}

    // file (from File::nameless) is to replace target; it stays open and
    // carries target's name once commit() is done.
    void add(File& file, const std::string& target);
    // Throws XbaseError. An error before the list was written leaves the old
    // files in place; committed() says whether the new ones count already
    // (the next open then finishes the renames).
    void commit();
    bool committed() const { return committed_; }

    // Whether a committed swap of the table awaits its renames.
    static bool pending(const std::string& tablePath);
    // Finishes a committed swap, or removes what an unfinished one left
    // beside the given files of the table.
    static void recover(const std::string& tablePath, const std::vector<std::string>& files);

private:
    struct Entry {
        File* file;
        std::string target;
    };
    void stage(Entry& e);
    void removeList(const std::string& folder);

    std::string table_;
    std::vector<Entry> entries_;
    bool committed_ = false;
};

} // namespace qb::xbase
