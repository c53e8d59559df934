#include "platform/xbase/file_io.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace qb::xbase {

namespace {
std::string systemError() { return std::strerror(errno); }
} // namespace

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

File::File(File&& other) noexcept
    : fd_(other.fd_), writable_(other.writable_), path_(std::move(other.path_))
{
    other.fd_ = -1;
}

File& File::operator=(File&& other) noexcept
{
    if (this != &other) {
        close();
        fd_ = other.fd_;
        writable_ = other.writable_;
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
    if (::ftruncate(fd_, off_t(size)) != 0)
        throw XbaseError(path_, "cannot truncate: " + systemError());
}

void File::sync() { ::fsync(fd_); }

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

FileMapping::FileMapping(const File& file, uint64_t size)
{
    if (!file.isOpen() || size == 0)
        return;
    const int fd = ::open(file.path().c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    void* p = ::mmap(nullptr, size_t(size), PROT_READ, MAP_SHARED, fd, 0);
    ::close(fd);
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
