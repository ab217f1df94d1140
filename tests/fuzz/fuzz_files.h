// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared by the fuzz targets that read files: a scratch file per process, a reader that takes its
// bytes from memory in the short pieces the fuzzer chooses and can fail once at a chosen byte,
// and the reader's line rules written plainly.

#include "fuzz_support.h"
#include "text/text_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <unistd.h>
#include <vector>

// One file, rewritten for every input and removed at exit; in the memory-backed /dev/shm where the
// machine has one, so that thousands of inputs a second cost no disk writes.
class ScratchFile {
public:
    ScratchFile() {
        FPath = Folder() + "/trouve-fuzz-XXXXXX";
        FFd = ::mkstemp(FPath.data());
        if (FFd < 0) {
            std::perror("mkstemp");
            std::abort();
        }
    }
    ~ScratchFile() {
        ::close(FFd);
        ::unlink(FPath.c_str());
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::string& path() const noexcept { return FPath; }
    void write(const std::string& bytes) const {
        const bool written =
            ::pwrite(FFd, bytes.data(), bytes.size(), 0) == ssize_t(bytes.size()) &&
            ::ftruncate(FFd, off_t(bytes.size())) == 0;
        Expect(written, "scratch file written");
    }

private:
    static std::string Folder() {
        if (::access("/dev/shm", W_OK) == 0)
            return "/dev/shm";
        const char* folder = std::getenv("TMPDIR");
        return folder && *folder ? folder : "/tmp";
    }

    std::string FPath;
    int FFd = -1;
};

inline const ScratchFile& Scratch() {
    static const ScratchFile file;
    return file;
}

// What a reader is made to meet: the lengths of the successive reads (cycled), an interrupted
// read now and then, and optionally one failure with failErrno when failAt bytes were delivered.
struct ReadPlan {
    std::vector<size_t> pieces{1};
    bool interrupts = false;
    bool fails = false;
    size_t failAt = 0;
    int failErrno = EIO;
};

inline ReadPlan TakeReadPlan(FuzzedDataProvider& data, size_t fileSize, bool mayFail) {
    ReadPlan plan;
    plan.pieces.resize(data.ConsumeIntegralInRange<size_t>(1, 8));
    for (size_t& piece : plan.pieces)
        piece = data.ConsumeBool() ? data.ConsumeIntegralInRange<size_t>(1, 9) : size_t(1) << 30;
    plan.interrupts = data.ConsumeBool();
    plan.fails = mayFail && data.ConsumeBool();
    plan.failAt = data.ConsumeIntegralInRange<size_t>(0, fileSize);
    static constexpr int kErrnos[] = {EIO, EACCES, EPIPE};
    plan.failErrno = data.PickValueInArray(kErrnos);
    return plan;
}

// A buffer size for a reader: a few bytes, so that lines cross buffer boundaries, or more than
// any input, so that one read takes it whole as the default size does a usual file.
inline size_t TakeBufferSize(FuzzedDataProvider& data) {
    return data.ConsumeBool() ? data.ConsumeIntegralInRange<size_t>(1, 17) : size_t(8192);
}

// Reads data, which must outlive it, instead of the file it opens (the scratch file stands for
// it): the file's bytes come from memory without a system call per piece.
class PlannedReader : public TextReader {
public:
    PlannedReader(size_t bufferSize, ReadPlan plan, std::string_view data)
        : TextReader(bufferSize), FPlan(plan), FData(data) {}

    void open() { TextReader::open(Scratch().path()); }

protected:
    ssize_t readFile(int /*fd*/, char* destination, size_t count) override {
        if (FPlan.interrupts && (FCalls++ & 3) == 1) {
            errno = EINTR;
            return -1;
        }
        if (FPlan.fails && FDelivered == FPlan.failAt) {
            FPlan.fails = false;
            errno = FPlan.failErrno;
            return -1;
        }
        size_t limit = std::min(count, FPlan.pieces[FNext++ % FPlan.pieces.size()]);
        if (FPlan.fails)
            limit = std::min(limit, FPlan.failAt - FDelivered);
        limit = std::min(limit, FData.size() - FDelivered);
        std::memcpy(destination, FData.data() + FDelivered, limit);
        FDelivered += limit;
        return ssize_t(limit);
    }

private:
    ReadPlan FPlan;
    std::string_view FData;
    size_t FDelivered = 0;
    size_t FNext = 0;
    unsigned FCalls = 0;
};

// The reader's line rules, one after the other: the data ends at the first byte 26; it is cut
// into pieces at every LF; a last piece that is empty is no line; CR bytes are removed.
inline std::vector<std::string> ReaderLines(std::string data) {
    data = data.substr(0, data.find('\x1A'));
    std::vector<std::string> lines{""};
    for (const char c : data) {
        if (c == '\n')
            lines.emplace_back();
        else
            lines.back() += c;
    }
    if (lines.back().empty())
        lines.pop_back();
    for (std::string& line : lines)
        std::erase(line, '\r');
    return lines;
}

// The bytes of a file that a reader meets before a failure at failAt, and what it makes of them:
// the complete lines before failAt are read, the line under way when the read fails is lost, and
// reading goes on at failAt as at the start of a line. A broken pipe instead ends the data there.
// Unchanged when an end-of-file mark comes before failAt: the reader stops there first.
struct FailureCut {
    bool seen = false;
    std::string before; // bytes whose lines are read before the failure
    std::string after;  // bytes whose lines are read after it (none for a broken pipe)
};

inline FailureCut CutAtFailure(const std::string& data, const ReadPlan& plan) {
    if (!plan.fails || data.substr(0, plan.failAt).find('\x1A') != std::string::npos)
        return {false, data, ""};
    if (plan.failErrno == EPIPE)
        return {false, data.substr(0, plan.failAt), ""};
    const size_t lastLf = plan.failAt == 0 ? std::string::npos : data.rfind('\n', plan.failAt - 1);
    const std::string complete = lastLf == std::string::npos ? "" : data.substr(0, lastLf + 1);
    return {true, complete, data.substr(plan.failAt)};
}

// The code the user is shown for the planned failure.
inline int FailureCode(const ReadPlan& plan) {
    return plan.failErrno == EIO ? 31 : 5;
}

// Bytes folded onto the characters that the line rules care about, so that they meet often.
inline std::string FoldOntoLineControls(std::string text) {
    static constexpr char kAlphabet[] = {'a', 'b', ' ', '\r', '\n', '\x1A', '\0', '\xE9'};
    for (char& c : text)
        c = kAlphabet[static_cast<unsigned char>(c) % sizeof kAlphabet];
    return text;
}
