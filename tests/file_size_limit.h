// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A limit on the size of the files the process writes, while the object lives: a write past it
// fails (EFBIG) as a write to a full disk does (ENOSPC), rather than stopping the process.

#include <csignal>
#include <sys/resource.h>

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &FBefore);
        FSignal = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, FBefore.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &FBefore);
        std::signal(SIGXFSZ, FSignal);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit FBefore{};
    void (*FSignal)(int) = SIG_DFL;
};
