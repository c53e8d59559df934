#pragma once
// A disk that fills up while a file is written: while a DiskFull lives, no
// file of the process may grow beyond a few bytes. The limit binds root too,
// so the tests fail the way a user's full disk would, whoever runs them.
// Writes past it fail (EFBIG) instead of raising the signal.

#include <csignal>
#include <sys/resource.h>

namespace qb::test {

class DiskFull {
public:
    explicit DiskFull(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~DiskFull()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    DiskFull(const DiskFull&) = delete;
    DiskFull& operator=(const DiskFull&) = delete;

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

} // namespace qb::test
