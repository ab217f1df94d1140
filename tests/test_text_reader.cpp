// SPDX-License-Identifier: GPL-3.0-or-later
// The line reader: line breaks, the end-of-file mark, long lines, pipes, and every error code.
#include "text/byte_source.h"
#include "text/errors.h"
#include "text/text_reader.h"

#include <QTemporaryDir>
#include <QTest>

#include "fifo_writer.h"
#include <cerrno>

#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

std::string Bytes(const char* text, size_t size) {
    return std::string(text, size);
}

void WriteFile(const std::string& path, const std::string& data) {
    std::ofstream(path, std::ios::binary).write(data.data(), std::streamsize(data.size()));
}

Lines ReadAll(TextReader& reader) {
    Lines lines;
    while (!reader.atEnd())
        lines.push_back(reader.readLine());
    return lines;
}

int ErrorCode(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const EInOutError& error) {
        return error.code();
    }
    return 0;
}

// Delivers the file as it is, then fails with failErrno once `failAfter` bytes were read.
class FailingReader : public TextReader {
public:
    FailingReader(size_t bufferSize, size_t failAfter, int failErrno)
        : TextReader(bufferSize), FLeft(failAfter), FErrno(failErrno) {}
    bool failing = true;

protected:
    ssize_t readFile(int fd, char* destination, size_t count) override {
        if (failing && FLeft == 0) {
            errno = FErrno;
            return -1;
        }
        const ssize_t got =
            TextReader::readFile(fd, destination, failing ? std::min(count, FLeft) : count);
        if (got > 0 && failing)
            FLeft -= size_t(got);
        return got;
    }

private:
    size_t FLeft;
    int FErrno;
};

} // namespace

Q_DECLARE_METATYPE(std::string)
Q_DECLARE_METATYPE(Lines)

class TestTextReader : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;
    std::string path(const char* name) const { return FDir.filePath(name).toStdString(); }

private slots:
    // What the load and the line reader read through: the size and the reads of a regular file,
    // and a pipe that says nothing, whose read is reported silent after the wait.
    void theByteSourceOfBothReaders() {
        WriteFile(path("small.txt"), "abc");
        const FileHandle small(::open(path("small.txt").c_str(), O_RDONLY));
        ByteSource file(small.fd());
        QVERIFY(file.regular());
        QCOMPARE(file.regularSize(), std::int64_t(3));
        QCOMPARE(file.blockSize(), std::size_t(4096));
        char bytes[8];
        QCOMPARE(file.read(bytes, sizeof bytes).count, std::size_t(3));
        QCOMPARE(file.read(bytes, sizeof bytes).count, std::size_t(0));
        QCOMPARE(file.delivered(), std::int64_t(3));

        int ends[2];
        QVERIFY(pipe2(ends, O_NONBLOCK) == 0);
        const FileHandle readEnd(ends[0]);
        const FileHandle writeEnd(ends[1]);
        ByteSource silent(readEnd.fd(), 50);
        QVERIFY(!silent.regular());
        QCOMPARE(silent.blockSize(), ByteSource::kBlock);
        QVERIFY(silent.read(bytes, sizeof bytes).silent);

        ByteSource failing(small.fd(), 50, [](int, char*, std::size_t) -> ssize_t {
            errno = EIO;
            return -1;
        });
        const ByteSource::Read failed = failing.read(bytes, sizeof bytes);
        QVERIFY(failed.count == 0 && failed.error == EIO && !failed.silent);
    }

    void linesByTheReaderRules_data() {
        QTest::addColumn<std::string>("data");
        QTest::addColumn<Lines>("lines");
        const std::string l255(255, 'x'), l256(256, 'y'), l600(600, 'z');
        QTest::newRow("empty file") << std::string() << Lines{};
        QTest::newRow("no final break") << std::string("abc") << Lines{"abc"};
        QTest::newRow("CR LF") << std::string("abc\r\n") << Lines{"abc"};
        QTest::newRow("CR LF twice") << std::string("abc\r\n\r\n") << Lines{"abc", ""};
        QTest::newRow("LF alone") << std::string("a\nb\n") << Lines{"a", "b"};
        QTest::newRow("lone CR dropped") << std::string("ab\rcd\n") << Lines{"abcd"};
        QTest::newRow("LF CR") << std::string("a\n\rb") << Lines{"a", "b"};
        QTest::newRow("CR CR LF") << std::string("a\r\r\nb") << Lines{"a", "b"};
        QTest::newRow("CR at the end") << std::string("ab\r") << Lines{"ab"};
        QTest::newRow("lone CR makes a last line") << std::string("ab\n\r") << Lines{"ab", ""};
        QTest::newRow("mark inside a line") << std::string("ab\x1A"
                                                           "cd\r\nef")
                                            << Lines{"ab"};
        QTest::newRow("mark at the start") << std::string("\x1A"
                                                          "abc\r\n")
                                           << Lines{};
        QTest::newRow("mark after a break") << std::string("ab\r\n\x1A"
                                                           "cd")
                                            << Lines{"ab"};
        QTest::newRow("CR before the mark") << std::string("ab\r\x1A") << Lines{"ab"};
        QTest::newRow("lone CR then mark") << std::string("ab\n\r\x1A") << Lines{"ab", ""};
        QTest::newRow("NUL is ordinary")
            << Bytes("a\0b\r\n\0", 6) << Lines{Bytes("a\0b", 3), Bytes("\0", 1)};
        QTest::newRow("long lines") << l255 + "\r\n" + l256 + "\n" + l600 + "\r\n"
                                    << Lines{l255, l256, l600};
        QTest::newRow("long line with CRs") << l600 + "\r" + l255 + "\r\n" << Lines{l600 + l255};
    }
    void linesByTheReaderRules() {
        QFETCH(std::string, data);
        QFETCH(Lines, lines);
        WriteFile(path("lines.txt"), data);
        for (const size_t bufferSize :
             {size_t(1), size_t(2), size_t(3), size_t(128), size_t(1) << 20}) {
            TextReader reader(bufferSize);
            reader.open(path("lines.txt"));
            QCOMPARE(ReadAll(reader), lines);
            QVERIFY(reader.atEnd());
            QCOMPARE(reader.readLine(), std::string()); // reading at the end raises nothing
            reader.close();
        }
        TextReader reuse(3); // one string for every line: each read replaces its text
        reuse.open(path("lines.txt"));
        Lines reused;
        std::string line = "stale";
        while (!reuse.atEnd()) {
            reuse.readLine(line);
            reused.push_back(line);
        }
        QCOMPARE(reused, lines);
    }
    void theMarkIsNeverConsumed() {
        WriteFile(path("mark.txt"), "ab\x1A"
                                    "cd\r\nef");
        TextReader reader(2);
        reader.open(path("mark.txt"));
        QCOMPARE(reader.readLine(), std::string("ab"));
        for (int i = 0; i < 3; ++i) {
            QVERIFY(reader.atEnd());
            QCOMPARE(reader.readLine(), std::string());
        }
        reader.close();
    }
    void aLineOfSeveralMegabytes() {
        std::string big(5 << 20, 'm');
        for (size_t i = 0; i < big.size(); i += 4099)
            big[i] = char(i % 200 + 32);
        WriteFile(path("big.txt"), "a\r\n" + big + "\r\nz");
        TextReader reader;
        reader.open(path("big.txt"));
        QCOMPARE(ReadAll(reader), (Lines{"a", big, "z"}));
        reader.close();
    }
    // Block access keeps every unread byte while more is read, as the search does through a line
    // without a break: the kept bytes move only when the buffer doubles, so a line of n reads
    // is copied a few times, not n times. They stay whole and in order.
    void unreadBytesKeptAcrossReadsMoveOnlyWhenTheBufferGrows() {
        std::string line(1 << 20, 'k');
        for (size_t i = 0; i < line.size(); i += 97)
            line[i] = char('a' + i % 26);
        WriteFile(path("kept.txt"), line);
        TextReader reader(4096);
        reader.open(path("kept.txt"));
        int moves = 0;
        const char* start = nullptr;
        while (reader.readMore()) {
            moves += reader.unread().data() != start;
            start = reader.unread().data();
        }
        QVERIFY(reader.unread() == line);
        QVERIFY2(moves <= 12, qPrintable(QString::number(moves)));
        reader.close();
    }

    void readsThroughAPipeInShortPieces() {
        const std::string fifo = path("fifo");
        QCOMPARE(mkfifo(fifo.c_str(), 0600), 0);
        std::string expected;
        Lines lines;
        for (int i = 0; i < 300; ++i) {
            lines.push_back(std::string(size_t(i * 7 % 301), char('a' + i % 26)));
            expected += lines.back() + (i % 3 ? "\r\n" : "\n");
        }
        const FifoWriter pipe(fifo);
        const int fd = pipe.fd();
        std::thread writer([&] {
            for (size_t at = 0; at < expected.size(); at += 97) {
                const size_t n = std::min<size_t>(97, expected.size() - at);
                if (::write(fd, expected.data() + at, n) != ssize_t(n))
                    break;
                if (at % 1000 < 97)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            ::close(fd);
        });
        TextReader reader;
        reader.open(fifo);
        const Lines got = ReadAll(reader);
        reader.close();
        writer.join();
        QCOMPARE(got, lines);
    }

    // A source that is not a regular file is read up to a limit, and waited for a while: past
    // either, the reader stops with a message instead of reading or waiting forever.
    void sourcesThatNeverEndStopWithAMessage() {
        const auto messageOf = [](TextReader& reader) {
            try {
                ReadAll(reader);
            } catch (const EInvalidOperation& error) {
                return std::string(error.what());
            }
            return std::string("(rien levé)");
        };
        TextReader endless(TextReader::kDefaultBufferSize, {1 << 20, 10000});
        endless.open("/dev/zero");
        QCOMPARE(messageOf(endless), std::string("La recherche s'arrête : la source n'est pas un "
                                                 "fichier ordinaire et dépasse 1 Mio"));
        endless.close();

        const std::string fifo = path("muet");
        QCOMPARE(mkfifo(fifo.c_str(), 0600), 0);
        const FifoWriter pipe(fifo);
        QCOMPARE(::write(pipe.fd(), "un\n", 3), ssize_t(3));
        TextReader silent(TextReader::kDefaultBufferSize, {1 << 20, 1000});
        silent.open(fifo);
        QCOMPARE(silent.readLine(), std::string("un"));
        QCOMPARE(messageOf(silent), std::string("La recherche s'arrête : la source n'a rien "
                                                "envoyé pendant 1 s"));
        silent.close();
        ::close(pipe.fd());
    }

    void openFailuresByCode() {
        TextReader reader;
        QCOMPARE(ErrorCode([&] { reader.open(path("missing.txt")); }), 2);
        QCOMPARE(ErrorCode([&] { reader.open(path("no-folder/missing.txt")); }), 3);
        QVERIFY(!reader.isOpen());
        QCOMPARE(ErrorCode([&] { reader.close(); }), 103); // a failed open leaves it closed
        try {
            reader.open(path("missing.txt"));
            QFAIL("no error");
        } catch (const EInOutError& error) {
            QCOMPARE(std::string(error.what()), std::string("Fichier introuvable"));
        }
    }
    void aFileLockedForWritingIsRefused() {
        WriteFile(path("locked.txt"), "abc");
        const int fd = ::open(path("locked.txt").c_str(), O_RDWR);
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        QCOMPARE(fcntl(fd, F_OFD_SETLK, &lock), 0);
        TextReader reader;
        try {
            reader.open(path("locked.txt"));
            QFAIL("no error");
        } catch (const EInOutError& error) {
            QCOMPARE(error.code(), 32);
            QCOMPARE(std::string(error.what()), std::string("Erreur E/S 32"));
        }
        ::close(fd);
        reader.open(path("locked.txt"));
        QCOMPARE(reader.readLine(), std::string("abc"));
    }
    void operationsOnAClosedReader() {
        WriteFile(path("closed.txt"), "abc\r\n");
        TextReader reader;
        QCOMPARE(ErrorCode([&] { reader.atEnd(); }), 104);
        QCOMPARE(ErrorCode([&] { reader.readLine(); }), 104);
        QCOMPARE(ErrorCode([&] { reader.readMore(); }), 104);
        QCOMPARE(ErrorCode([&] { reader.close(); }), 103);
        reader.open(path("closed.txt"));
        QCOMPARE(ErrorCode([&] { reader.close(); }), 0);
        QCOMPARE(ErrorCode([&] { reader.readLine(); }), 104);
        QCOMPARE(ErrorCode([&] { reader.close(); }), 103);
        reader.open(path("closed.txt")); // a closed reader opens again
        QCOMPARE(ReadAll(reader), Lines{"abc"});
    }
    void aReadFailureIsRaisedOnceAndTheReaderStaysOpen() {
        WriteFile(path("fail.txt"), "one\r\ntwo\r\nthree\r\n");
        FailingReader reader(4, 7, EIO);
        reader.open(path("fail.txt"));
        QCOMPARE(reader.readLine(), std::string("one"));
        QCOMPARE(ErrorCode([&] { reader.readLine(); }), 31); // a device error, not "access denied"
        QVERIFY(reader.isOpen());
        reader.failing = false; // reading goes on after the bytes that the failed line took
        QCOMPARE(ReadAll(reader), (Lines{"o", "three"}));
        reader.close();
    }
    void aBrokenPipeIsTheEndOfTheData() {
        WriteFile(path("pipe.txt"), "one\r\ntwo\r\n");
        FailingReader reader(4, 6, EPIPE);
        reader.open(path("pipe.txt"));
        QCOMPARE(ReadAll(reader), (Lines{"one", "t"}));
        reader.failing = false; // the end of the data is for good
        QVERIFY(reader.atEnd());
        reader.close();
    }
};

QTEST_APPLESS_MAIN(TestTextReader)
#include "test_text_reader.moc"
