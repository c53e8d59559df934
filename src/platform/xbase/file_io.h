#pragma once
// A file opened by the engine: positioned reads and writes that either complete
// or throw, and the operating-system locks that keep two programs from writing
// one table at once.

#include "platform/xbase/error.h"

#include <cstdint>
#include <string>

namespace qb::xbase {

class File {
public:
    // Create opens or makes the file without emptying it: take the lock first,
    // then truncate, so a table another program holds is never cut short.
    enum class Mode { ReadOnly, ReadWrite, Create };

    File() = default;
    File(const std::string& path, Mode mode);
    // A new file without a name in target's folder, open read-write, which a
    // crash leaves nothing of; FileSwap gives it target's name once complete.
    // Where the file system has no nameless files it is made as
    // target + ".qbnew", which the next open of the table removes.
    static File nameless(const std::string& target);
    // A scratch file in the folder of besides that is gone when closed, and
    // after a crash too (nameless, or removed right after it was made).
    static File scratch(const std::string& besides);
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File();

    bool isOpen() const { return fd_ >= 0; }
    bool writable() const { return writable_; }
    const std::string& path() const { return path_; }
    int descriptor() const { return fd_; }
    // The name the file goes by after a rename put it in place.
    void setPath(std::string path) { path_ = std::move(path); }
    // Whether the file has no name of its own yet (see nameless()).
    bool unnamed() const { return unnamed_; }
    // Gives a nameless file the name path (replacing a file left there).
    void link(const std::string& path);
    void close();

    // Reads exactly size bytes or throws naming what was being read.
    void readAt(uint64_t offset, void* buffer, size_t size, const char* what) const;
    // Reads what is there, up to size bytes; returns the count.
    size_t readSome(uint64_t offset, void* buffer, size_t size) const;
    void writeAt(uint64_t offset, const void* buffer, size_t size);
    uint64_t size() const;
    void truncate(uint64_t size);
    // Waits until what was written is on the disk; throws when the disk says no.
    void sync();

    // Whole-file lock held while the file is open: exclusive keeps every other
    // opener out, shared admits other shared openers. False when another holds it.
    bool lockFile(bool exclusive);
    // Byte-range lock on a region past any real data, so readers are never
    // blocked; retried until the timeout. Locks are per open, not per process.
    bool lockRegion(uint64_t offset, uint64_t length, int timeoutSeconds);
    void unlockRegion(uint64_t offset, uint64_t length);

private:
    int fd_ = -1;
    bool writable_ = false;
    bool unnamed_ = false;
    std::string path_;
};

// A read-only view of a file's first bytes in memory. Random record reads
// through it skip a system call each and can be fetched ahead of use; writes
// still go through File, and the kernel keeps both views of the file the same.
// It maps the open descriptor, so a rename of the path by another program
// changes nothing; a file cut short under it makes copy() return false
// instead of ending the program.
class FileMapping {
public:
    FileMapping() = default;
    FileMapping(const File& file, uint64_t size);   // empty when the system cannot map
    FileMapping(FileMapping&& other) noexcept;
    FileMapping& operator=(FileMapping&& other) noexcept;
    FileMapping(const FileMapping&) = delete;
    FileMapping& operator=(const FileMapping&) = delete;
    ~FileMapping();

    const char* data() const { return data_; }
    uint64_t size() const { return size_; }
    // Copies size bytes from offset (which the caller has checked lie within
    // size()); false when the file no longer holds them.
    bool copy(uint64_t offset, void* out, size_t size) const;

private:
    void release();
    const char* data_ = nullptr;
    uint64_t size_ = 0;
};

bool fileExists(const std::string& path);
// The folder part of path ("." for a bare name).
std::string folderOf(const std::string& path);
// Makes the names in a folder (new, renamed, removed) reach the disk.
void syncFolder(const std::string& folder);
// Renames from over to in one step; throws XbaseError.
void renameFile(const std::string& from, const std::string& to);

// Where a test makes the disk fail: the nth write (or rename) or sync from
// now on fails with error (ENOSPC for a full disk, EIO for a broken one); a
// failing write stores part of its bytes first, as a full disk does. Zero
// switches that kind of fault off. Counts restart on each call.
struct IoCounts {
    uint64_t writes = 0;
    uint64_t syncs = 0;
};
void injectIoFaults(uint64_t failWrite, uint64_t failSync, int error);
IoCounts ioCounts();
// Where a test stops the program dead, as a kill or a power switch would: at
// the nth write, rename or sync from now on (or, with renames, the nth rename)
// the process kills itself with SIGKILL before the operation. Zero switches
// it off.
void injectKill(uint64_t nthOperation, uint64_t nthRename = 0);
// The existing file whose name matches path's last component in any case, or
// path itself when none does: tables come from Windows, where case is ignored.
std::string resolveCaseInsensitive(const std::string& path);
// path with its extension (after the last '.' of the file name) replaced.
std::string replaceExtension(const std::string& path, const std::string& extension);

} // namespace qb::xbase
