#pragma once
// POSIX: while it lives, no file this process writes may grow past a size, so that a write
// fails part-way as on a full disk.

#if !defined(_WIN32)
#include <csignal>

#include <sys/resource.h>

namespace testsupport {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &before);
        rlimit small = before;
        small.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit before{};
    // A write past the limit fails with an error instead of ending the process.
    void (*previousHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
};

}  // namespace testsupport
#endif
