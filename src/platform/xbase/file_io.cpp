#include "platform/xbase/file_io.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csetjmp>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <strings.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace qb::xbase {

namespace {

std::string systemError() { return std::strerror(errno); }

// ---- faults a test asks for ------------------------------------------------

struct Faults {
    std::atomic<uint64_t> writes{0}, syncs{0};
    std::atomic<uint64_t> failWrite{0}, failSync{0};
    std::atomic<int> error{ENOSPC};
    std::atomic<uint64_t> operations{0}, renames{0};
    std::atomic<uint64_t> killAt{0}, killAtRename{0};
};

Faults& faults()
{
    static Faults f;
    return f;
}

// A rename is counted once as a rename here and once more, as a write, by writeFails.
void killHereIfAsked(bool rename)
{
    Faults& f = faults();
    if (rename ? (f.killAtRename != 0 && ++f.renames == f.killAtRename) : (f.killAt != 0 && ++f.operations == f.killAt))
        ::raise(SIGKILL);
}

// Counts one write; true (with errno set) when the test wants this one to fail.
bool writeFails()
{
    killHereIfAsked(false);
    Faults& f = faults();
    const uint64_t n = ++f.writes;
    if (f.failWrite != 0 && n == f.failWrite) {
        errno = f.error;
        return true;
    }
    return false;
}

bool syncFails()
{
    killHereIfAsked(false);
    Faults& f = faults();
    const uint64_t n = ++f.syncs;
    if (f.failSync != 0 && n == f.failSync) {
        errno = f.error;
        return true;
    }
    return false;
}

} // namespace

void injectIoFaults(uint64_t failWrite, uint64_t failSync, int error)
{
    Faults& f = faults();
    f.writes = 0;
    f.syncs = 0;
    f.failWrite = failWrite;
    f.failSync = failSync;
    f.error = error;
}

IoCounts ioCounts() { return {faults().writes.load(), faults().syncs.load()}; }

void injectKill(uint64_t nthOperation, uint64_t nthRename)
{
    Faults& f = faults();
    f.operations = 0;
    f.renames = 0;
    f.killAt = nthOperation;
    f.killAtRename = nthRename;
}

File::File(const std::string& path, Mode mode) : path_(path)
{
    int flags = O_CLOEXEC;
    switch (mode) {
    case Mode::ReadOnly: flags |= O_RDONLY; break;
    case Mode::ReadWrite: flags |= O_RDWR; break;
    case Mode::Create: flags |= O_RDWR | O_CREAT; break;
    }
    fd_ = ::open(path.c_str(), flags, 0666);
    if (fd_ < 0)
        throw XbaseError(path, "cannot open: " + systemError());
    writable_ = mode != Mode::ReadOnly;
}

File File::nameless(const std::string& target)
{
    File f;
    f.path_ = target;
    f.writable_ = true;
    // The new file takes the permissions of the one it replaces.
    struct stat st {};
    const mode_t mode = ::stat(target.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0666;
    f.fd_ = ::open(folderOf(target).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    if (f.fd_ >= 0) {
        f.unnamed_ = true;
    } else {
        const std::string staged = target + ".qbnew";
        ::unlink(staged.c_str());
        f.fd_ = ::open(staged.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (f.fd_ < 0)
            throw XbaseError(target, "cannot create a new file beside it: " + systemError());
    }
    if (mode != 0666)
        ::fchmod(f.fd_, mode);
    return f;
}

File File::scratch(const std::string& besides)
{
    File f;
    f.path_ = besides + " (sort file)";
    f.writable_ = true;
    f.fd_ = ::open(folderOf(besides).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (f.fd_ < 0) {
        std::string name = besides + ".sortXXXXXX";
        f.fd_ = ::mkstemp(name.data());
        if (f.fd_ < 0)
            throw XbaseError(besides, "cannot create a sort file beside it: " + systemError());
        ::unlink(name.c_str());
        ::fcntl(f.fd_, F_SETFD, FD_CLOEXEC);
    }
    return f;
}

void File::link(const std::string& path)
{
    if (!unnamed_)
        return;
    ::unlink(path.c_str());
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    if (writeFails() || ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) != 0)
        throw XbaseError(path, "cannot name the new file: " + systemError());
    unnamed_ = false;
    path_ = path;
}

File::File(File&& other) noexcept
    : fd_(other.fd_), writable_(other.writable_), unnamed_(other.unnamed_), path_(std::move(other.path_))
{
    other.fd_ = -1;
}

File& File::operator=(File&& other) noexcept
{
    if (this != &other) {
        close();
        fd_ = other.fd_;
        writable_ = other.writable_;
        unnamed_ = other.unnamed_;
        path_ = std::move(other.path_);
        other.fd_ = -1;
    }
    return *this;
}

File::~File() { close(); }

void File::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

size_t File::readSome(uint64_t offset, void* buffer, size_t size) const
{
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd_, static_cast<char*>(buffer) + done, size - done, off_t(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw XbaseError(path_, "read error: " + systemError());
        }
        if (n == 0)
            break;
        done += size_t(n);
    }
    return done;
}

void File::readAt(uint64_t offset, void* buffer, size_t size, const char* what) const
{
    if (readSome(offset, buffer, size) != size)
        throw XbaseError(path_, std::string("file ends inside ") + what + " at offset " + std::to_string(offset));
}

void File::writeAt(uint64_t offset, const void* buffer, size_t size)
{
    if (!writable_)
        throw XbaseError(path_, "file is open read-only");
    if (writeFails()) {
        const int error = errno;
        // A full disk takes part of a write that makes the file longer before
        // it refuses the rest; bytes already there are rewritten whole or not.
        struct stat st {};
        if (size > 1 && ::fstat(fd_, &st) == 0 && offset + size > uint64_t(st.st_size))
            (void)!::pwrite(fd_, buffer, size / 2, off_t(offset));
        throw XbaseError(path_, "write error: " + std::string(std::strerror(error)));
    }
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd_, static_cast<const char*>(buffer) + done, size - done, off_t(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw XbaseError(path_, "write error: " + systemError());
        }
        done += size_t(n);
    }
}

uint64_t File::size() const
{
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        throw XbaseError(path_, "cannot read file size: " + systemError());
    return uint64_t(st.st_size);
}

void File::truncate(uint64_t size)
{
    if (writeFails() || ::ftruncate(fd_, off_t(size)) != 0)
        throw XbaseError(path_, "cannot truncate: " + systemError());
}

void File::sync()
{
    if (syncFails() || ::fdatasync(fd_) != 0)
        throw XbaseError(path_, "cannot write to the disk: " + systemError());
}

bool File::lockFile(bool exclusive)
{
    return ::flock(fd_, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0;
}

bool File::lockRegion(uint64_t offset, uint64_t length, int timeoutSeconds)
{
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = off_t(offset);
    fl.l_len = off_t(length);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    for (;;) {
#ifdef F_OFD_SETLK
        if (::fcntl(fd_, F_OFD_SETLK, &fl) == 0)
            return true;
#else
        if (::fcntl(fd_, F_SETLK, &fl) == 0)
            return true;
#endif
        if (errno != EAGAIN && errno != EACCES && errno != EINTR)
            return false;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void File::unlockRegion(uint64_t offset, uint64_t length)
{
    struct flock fl {};
    fl.l_type = F_UNLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = off_t(offset);
    fl.l_len = off_t(length);
#ifdef F_OFD_SETLK
    ::fcntl(fd_, F_OFD_SETLK, &fl);
#else
    ::fcntl(fd_, F_SETLK, &fl);
#endif
}

// A file cut short by another program while mapped raises SIGBUS on the
// first read past its new end. Reads through a mapping run under a guard: the
// handler jumps back to the reader, which then reads through the descriptor
// and reports the short file as an error. Faults outside a guarded read go to
// whatever handled SIGBUS before.
namespace {

thread_local sigjmp_buf* volatile guardedRead = nullptr;
struct sigaction previousBusHandler {};

void onBusError(int signal, siginfo_t* info, void* context)
{
    if (guardedRead)
        siglongjmp(*guardedRead, 1);
    if (previousBusHandler.sa_flags & SA_SIGINFO) {
        if (previousBusHandler.sa_sigaction) {
            previousBusHandler.sa_sigaction(signal, info, context);
            return;
        }
    } else if (previousBusHandler.sa_handler != SIG_DFL && previousBusHandler.sa_handler != SIG_IGN) {
        previousBusHandler.sa_handler(signal);
        return;
    }
    // Nothing of ours: fault again with the default action.
    ::signal(SIGBUS, SIG_DFL);
}

void guardBusErrors()
{
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction sa {};
        sa.sa_sigaction = onBusError;
        sa.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&sa.sa_mask);
        ::sigaction(SIGBUS, &sa, &previousBusHandler);
    });
}

} // namespace

bool FileMapping::copy(uint64_t offset, void* out, size_t size) const
{
    sigjmp_buf here;
    sigjmp_buf* const outer = guardedRead;
    if (sigsetjmp(here, 0)) {
        guardedRead = outer;
        return false;
    }
    guardedRead = &here;
    // The handler reads guardedRead: neither store may move past the copy.
    std::atomic_signal_fence(std::memory_order_seq_cst);
    std::memcpy(out, data_ + offset, size);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    guardedRead = outer;
    return true;
}

FileMapping::FileMapping(const File& file, uint64_t size)
{
    if (!file.isOpen() || size == 0)
        return;
    guardBusErrors();
    void* p = ::mmap(nullptr, size_t(size), PROT_READ, MAP_SHARED, file.descriptor(), 0);
    if (p == MAP_FAILED)
        return;
    // Records are visited in index order, not file order: read-ahead would only evict.
    ::madvise(p, size_t(size), MADV_RANDOM);
    data_ = static_cast<const char*>(p);
    size_ = size;
}

FileMapping::FileMapping(FileMapping&& other) noexcept : data_(other.data_), size_(other.size_)
{
    other.data_ = nullptr;
    other.size_ = 0;
}

FileMapping& FileMapping::operator=(FileMapping&& other) noexcept
{
    if (this != &other) {
        release();
        data_ = other.data_;
        size_ = other.size_;
        other.data_ = nullptr;
        other.size_ = 0;
    }
    return *this;
}

FileMapping::~FileMapping() { release(); }

void FileMapping::release()
{
    if (data_)
        ::munmap(const_cast<char*>(data_), size_t(size_));
    data_ = nullptr;
    size_ = 0;
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

void syncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        throw XbaseError(folder, "cannot open the folder: " + systemError());
    const bool failed = syncFails() || ::fsync(fd) != 0;
    const int error = errno;
    ::close(fd);
    // Some file systems cannot sync a folder at all; that is no fault of ours.
    if (failed && error != EINVAL && error != EROFS)
        throw XbaseError(folder, "cannot write to the disk: " + std::string(std::strerror(error)));
}

void renameFile(const std::string& from, const std::string& to)
{
    killHereIfAsked(true);
    if (writeFails() || ::rename(from.c_str(), to.c_str()) != 0)
        throw XbaseError(to, "cannot put the new file in place: " + systemError());
}

bool fileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string resolveCaseInsensitive(const std::string& path)
{
    if (fileExists(path))
        return path;
    const auto slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return path;
    std::string found;
    while (dirent* e = ::readdir(d)) {
        if (::strcasecmp(e->d_name, name.c_str()) == 0) {
            found = e->d_name;
            break;
        }
    }
    ::closedir(d);
    if (found.empty())
        return path;
    return slash == std::string::npos ? found : path.substr(0, slash + 1) + found;
}

std::string replaceExtension(const std::string& path, const std::string& extension)
{
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path + extension;
    return path.substr(0, dot) + extension;
}

} // namespace qb::xbase
