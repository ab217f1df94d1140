// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/text_reader.h"

#include "text/byte_scan.h"
#include "text/errors.h"
#include "text/system_errors.h"
#include "text/utf8.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

constexpr char kLf = '\n';
constexpr char kCr = '\r';
constexpr char kEndOfFileMark = 26;
constexpr int kNotOpenForReading = 104;
constexpr size_t kFirstHead = AlignedBuffer::kAlignment;
constexpr int kNotOpen = 103;

// The pending I/O error code of this thread: recorded where a failure arises, raised and cleared
// by the operation that met it, so that each failure is raised once.
thread_local int tPendingCode = 0;

void RaisePending() {
    const int code = tPendingCode;
    if (code == 0)
        return;
    tPendingCode = 0;
    throw EInOutError(code);
}

[[noreturn]] void Raise(int code) {
    tPendingCode = code;
    RaisePending();
    throw EInOutError(code); // not reached: code is never 0
}

} // namespace

TextReader::TextReader(size_t bufferSize, SourceLimits limits)
    : FLimits(limits), FBufferSize(std::max<size_t>(bufferSize, 1)) {}

void TextReader::open(const std::string& fileName) {
    if (isOpen())
        FFile.close();
    tPendingCode = 0;
    OpenResult result = OpenForReading(fileName);
    if (result.code != 0)
        Raise(result.code);
    FFileName = fileName;
    FFile = std::move(result.file);
    FSource.emplace(FFile.fd(), FLimits.waitMs,
                    [this](int fd, char* into, size_t count) { return readFile(fd, into, count); });
    FHead = kFirstHead;
    FBuffer = AlignedBuffer(FHead + FBufferSize);
    FPos = FLen = FHead;
    FEndOfData = false;
}

void TextReader::requireOpen() const {
    if (!isOpen())
        Raise(kNotOpenForReading);
}

ssize_t TextReader::readFile(int fd, char* destination, size_t count) {
    return ::read(fd, destination, count);
}

// Reads into the buffer at its head; true when bytes came. At the end of the data (or a broken
// pipe) the reader stays at its end for good; a failure is recorded as pending.
bool TextReader::readAtHead() {
    if (FEndOfData)
        return false;
    const ByteSource::Read got = FSource->read(FBuffer.data() + FHead, FBufferSize);
    if (got.silent)
        throw EInvalidOperation(SilentSourceMessage(FLimits.waitMs));
    if (got.count > 0 && !FSource->regular() && FSource->delivered() > FLimits.maxBytes)
        throw EInvalidOperation(EndlessSourceMessage(FLimits.maxBytes));
    if (got.count > 0) {
        FLen = FHead + got.count;
        return true;
    }
    if (got.error == 0 || got.error == EPIPE)
        FEndOfData = true;
    else
        tPendingCode = PlatformErrorCode(got.error, FFileName);
    return false;
}

bool TextReader::fill() {
    FPos = FLen = FHead;
    const bool filled = readAtHead();
    RaisePending();
    return filled;
}

// Makes the unread bytes end at the head, with room after it for a read. They stay where they are
// when the next read fits right after them; otherwise they move to a page boundary, into a larger
// buffer when needed that leaves them room to double. So a line far longer than a read, kept
// whole while the search goes through it, costs no more than its own length in copies.
void TextReader::keepUnreadBeforeHead() {
    const size_t kept = FLen - FPos;
    if (kept > 0 && FLen + FBufferSize <= FBuffer.size()) {
        FHead = FLen;
        return;
    }
    const size_t head = std::max(kFirstHead, (kept + kFirstHead - 1) / kFirstHead * kFirstHead);
    const size_t size = head + std::max(FBufferSize, kept);
    if (size > FBuffer.size()) {
        AlignedBuffer larger(size);
        std::memcpy(larger.data() + head - kept, FBuffer.data() + FPos, kept);
        FBuffer = std::move(larger);
    } else {
        std::memmove(FBuffer.data() + head - kept, FBuffer.data() + FPos, kept);
    }
    FHead = head;
    FPos = FHead - kept;
    FLen = FHead;
}

bool TextReader::readMore() {
    requireOpen();
    keepUnreadBeforeHead();
    const bool more = readAtHead();
    RaisePending();
    return more;
}

bool TextReader::atEnd() {
    requireOpen();
    if (FPos == FLen && !fill())
        return true;
    return FBuffer.data()[FPos] == kEndOfFileMark;
}

std::string TextReader::readLine() {
    std::string line;
    readLine(line);
    return line;
}

void TextReader::readLine(std::string& line) {
    requireOpen();
    line.clear();
    for (;;) {
        if (FPos == FLen && !fill())
            return;
        const char* begin = FBuffer.data() + FPos;
        const char* end = FBuffer.data() + FLen;
        const char* stop = FindLineControl(begin, end);
        line.append(begin, stop);
        FPos = size_t(stop - FBuffer.data());
        if (stop == end)
            continue;
        ++FPos;
        if (*stop == kLf)
            return;
        if (*stop != kCr) {
            --FPos; // the end-of-file mark stays unread
            return;
        }
        // A CR is dropped: before LF it belongs to the line break, elsewhere it is removed.
        if (FPos < FLen && FBuffer.data()[FPos] == kLf) {
            ++FPos;
            return;
        }
    }
}

void TextReader::skipByteOrderMark() {
    if (atEnd())
        return;
    while (unread().size() < kByteOrderMark.size() && kByteOrderMark.starts_with(unread()) &&
           readMore()) {
    }
    if (unread().starts_with(kByteOrderMark))
        skip(kByteOrderMark.size());
}

void TextReader::close() {
    if (!isOpen())
        Raise(kNotOpen);
    FBuffer = AlignedBuffer();
    FHead = 0;
    FPos = FLen = 0;
    FSource.reset();
    const int err = FFile.close();
    if (err != 0)
        Raise(PlatformErrorCode(err, FFileName));
}
