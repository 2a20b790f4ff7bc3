#pragma once

#include <csignal>
#include <sys/resource.h>

// Lowers the process's file-size limit while it lives, so that a write past `bytes` fails with EFBIG.
// Unlike permission bits, this stops root too: it is how tests make a save fail half-way. SIGXFSZ is
// ignored meanwhile, so that the write fails instead of the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old {};
    struct sigaction m_oldAction { };
};
