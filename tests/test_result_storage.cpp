// SPDX-License-Identifier: GPL-3.0-or-later
// Where the result list's text lives: a buffer that grows in place, the result lines written
// straight into it with their rows indexed, the result list taking them whole, and the run that
// produces them from a file.
#include "text/errors.h"
#include "text/result_lines.h"
#include "text/search.h"
#include "text/search_run.h"
#include "text/text_buffer.h"
#include "text/text_model.h"
#include "text/text_reader.h"
#include "text/word.h"

#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <fstream>
#include <iterator>

namespace {

// The memory limit of every buffer, lowered for a test and restored after it.
class MemoryLimit {
public:
    explicit MemoryLimit(std::size_t bytes) : FBefore(TextBuffer::memoryLimit()) {
        TextBuffer::setMemoryLimit(bytes);
    }
    ~MemoryLimit() { TextBuffer::setMemoryLimit(FBefore); }

private:
    std::size_t FBefore;
};

// Records the lines of a run as the result list would show them.
class Lines : public SearchSink {
public:
    std::string text;
    void found(int64_t line, int64_t column, std::string_view word) override {
        text += ResultLine(line, column, word) + "\r\n";
    }
    void progress(int64_t) override {}
};

// A reader that fails with EIO after its first read.
class FailingReader : public TextReader {
public:
    FailingReader() : TextReader(8) {}

protected:
    ssize_t readFile(int fd, char* destination, size_t count) override {
        if (FReads++ == 0)
            return TextReader::readFile(fd, destination, count);
        errno = EIO;
        return -1;
    }

private:
    int FReads = 0;
};

} // namespace

class TestResultStorage : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

    std::string write(const char* name, const std::string& bytes) {
        const std::string file = FDir.filePath(name).toStdString();
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }

private slots:
    // Tens of megabytes, written in pieces of every size: the bytes stay where they were
    // written, also across the steps in which the buffer takes more memory.
    void aBufferGrowsInPlace() {
        TextBuffer buffer;
        buffer.append("x");
        const char* first = buffer.data();
        std::string expected = "x";
        for (std::size_t piece = 1; buffer.size() < (std::size_t(40) << 20);
             piece = piece * 3 + 1) {
            const std::string bytes(piece % 100000, char('a' + piece % 26));
            buffer.expect(bytes.size());
            buffer.append(bytes);
            expected += bytes;
        }
        QCOMPARE(buffer.data(), first);
        QVERIFY(buffer.view() == expected);
        buffer.truncate(3);
        buffer.append("yz");
        QVERIFY(buffer.view() == expected.substr(0, 3) + "yz");
        TextBuffer moved = std::move(buffer);
        QVERIFY(buffer.empty() && moved.view() == expected.substr(0, 3) + "yz");
        moved.clear();
        QVERIFY(moved.empty() && moved.data() == nullptr);
    }

    // Past the memory limit a buffer refuses bytes and keeps those it has.
    void theMemoryLimitRefusesWhatWouldExceedIt() {
        const MemoryLimit limit(std::size_t(1) << 20);
        TextBuffer buffer;
        buffer.append(std::string((std::size_t(1) << 20) - 10, 'a'));
        QVERIFY_THROWS_EXCEPTION(std::bad_alloc, buffer.extend(11));
        QCOMPARE(buffer.size(), (std::size_t(1) << 20) - 10);
        buffer.extend(10);
        QCOMPARE(buffer.size(), std::size_t(1) << 20);
    }

    // The rows that the writer indexes are those the scan of the text finds, and the result list
    // takes the lines without copying them.
    void resultLinesAreIndexedAsWritten() {
        ResultLines lines;
        std::string expected;
        for (int64_t i = 1; i <= 5000; ++i) {
            const std::string word(std::size_t(i % 7 == 0 ? 300 : i % 13), char('a' + i % 26));
            lines.found(i * 3, i % 50 + 1, word);
            expected += ResultLine(i * 3, i % 50 + 1, word) + "\r\n";
        }
        QVERIFY(lines.text() == expected);
        QCOMPARE(lines.count(), std::int64_t(5000));

        TextModel scanned;
        scanned.appendLines(expected);
        TextModel taken;
        IndexedLines handed = lines.take();
        const char* bytes = handed.text.data();
        taken.appendLines(std::move(handed));
        QCOMPARE(taken.text().data(), bytes);
        QCOMPARE(taken.lineCount(), scanned.lineCount());
        QCOMPARE(taken.rowCount(), scanned.rowCount());
        QCOMPARE(taken.longestRow(), scanned.longestRow());
        for (int row = 0; row < taken.rowCount(); row += 37) {
            QCOMPARE(taken.rowStart(row), scanned.rowStart(row));
            QCOMPARE(taken.line(row), scanned.line(row));
        }
        QCOMPARE(taken.rowOfOffset(taken.size() - 3), scanned.rowOfOffset(scanned.size() - 3));
        QCOMPARE(taken.caret(), taken.size());
        QVERIFY(lines.text().empty());
        const std::string saved = FDir.filePath("saved.txt").toStdString();
        taken.saveToFile(saved);
        std::ifstream in(saved, std::ios::binary);
        QVERIFY(std::string(std::istreambuf_iterator<char>(in), {}) == expected);

        // A list that holds lines already appends a copy after them.
        ResultLines more;
        more.found(1, 1, "fin");
        taken.appendLines(more.take());
        QCOMPARE(taken.line(taken.lineCount() - 1), std::string(">1,1:fin"));
    }

    // Memory that runs out in the middle of a line leaves the lines before it, whole and indexed.
    void aLineIsWrittenWholeOrNotAtAll() {
        const MemoryLimit limit(std::size_t(64) << 10);
        ResultLines lines;
        const std::string word(1000, 'm');
        int written = 0;
        try {
            for (;; ++written)
                lines.found(7, 1, word);
        } catch (const std::bad_alloc&) {
        }
        QVERIFY(written > 10);
        QCOMPARE(lines.text().size(), std::size_t(written) * (ResultLine(7, 1, word).size() + 2));
        TextModel model;
        model.appendLines(lines.take());
        QCOMPARE(model.lineCount(), written);
        QCOMPARE(model.line(written - 1), ResultLine(7, 1, word));
    }

    // The run opens the file, skips a UTF-8 byte-order mark only for a UTF-8 source, and closes
    // the file whatever happens.
    void theRunFromOpenToClose() {
        const std::string file = write("bom.txt", "\xEF\xBB\xBF"
                                                  "\xC3\xA9t\xC3\xA9\r\n\xC3\xA9");
        const std::string e = "\xC3\xA9";
        for (const auto& [encoding, expected] :
             {std::pair{TextEncoding::Utf8, ">1,1:" + e + "t" + e + "\r\n>1,3:" + e + "t" + e +
                                                "\r\n>2,1:" + e + "\r\n"},
              std::pair{TextEncoding::Cp1252, std::string(">1,4:\r\n>1,7:\r\n>2,1:\r\n")}}) {
            Lines lines;
            TextReader reader;
            int64_t currentLine = 0;
            RunSearch({file, e, ResumeStep(e), encoding}, reader, currentLine, lines);
            QCOMPARE(lines.text, expected);
            QCOMPARE(currentLine, int64_t(2));
            QVERIFY(!reader.isOpen());
        }

        FailingReader failing;
        Lines lines;
        int64_t currentLine = 0;
        const std::string many = write("many.txt", "ab\nab\nab\nab\nab\nab\n");
        QVERIFY_THROWS_EXCEPTION(EInOutError,
                                 RunSearch({many, "b", 1}, failing, currentLine, lines));
        QVERIFY(!failing.isOpen());
        QCOMPARE(lines.text, std::string(">1,2:ab\r\n>2,2:ab\r\n"));

        TextReader reader;
        try {
            RunSearch({FDir.filePath("absent.txt").toStdString(), "b", 1}, reader, currentLine,
                      lines);
            QFAIL("a missing file is searched");
        } catch (const EInOutError& error) {
            QCOMPARE(error.code(), 2);
        }
        QVERIFY(!reader.isOpen());
    }
};

QTEST_GUILESS_MAIN(TestResultStorage)
#include "test_result_storage.moc"
