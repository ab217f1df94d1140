// SPDX-License-Identifier: GPL-3.0-or-later
// The search run: the step rule, the edge cases of a whole file, and a differential test of the
// block engine against the plain line-by-line loop and an independent byte-level reference (in
// UTF-8, against the plain loop).
#include "text/errors.h"
#include "text/search.h"
#include "text/text_reader.h"
#include "text/word.h"

#include <QTemporaryDir>
#include <QTest>

#include "fifo_writer.h"
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <fstream>
#include <random>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace std::string_literals;

namespace {

struct Hit {
    int64_t line;
    int64_t column;
    std::string word;
    bool operator==(const Hit&) const = default;
};

struct Outcome {
    std::vector<Hit> hits;
    int64_t lines = 0;
    int error = 0; // the code of an EInOutError that ended the run
    bool operator==(const Outcome&) const = default;
};

char* toString(const Outcome& outcome) {
    std::string text =
        "lines " + std::to_string(outcome.lines) + " error " + std::to_string(outcome.error) + ":";
    for (const Hit& hit : outcome.hits)
        text += " " + ResultLine(hit.line, hit.column, hit.word);
    return qstrdup(QByteArray::fromStdString(text).toPercentEncoding(" >,:").constData());
}

// Records what the engine reports and checks the order of its calls.
class Recorder : public SearchSink {
public:
    std::vector<Hit> hits;
    int64_t lastProgress = 0;
    int progressCalls = 0;
    bool inOrder = true;

    void found(int64_t line, int64_t column, std::string_view word) override {
        if (line != lastProgress ||
            (!hits.empty() && (line < hits.back().line ||
                               (line == hits.back().line && column <= hits.back().column))))
            inOrder = false;
        hits.push_back({line, column, std::string(word)});
    }
    void progress(int64_t currentLine) override {
        if (currentLine < lastProgress)
            inOrder = false;
        lastProgress = currentLine;
        ++progressCalls;
    }
};

// Independent reference: the lines are the LF-separated pieces before the first byte 26, the
// last piece only when it holds a byte, each without its CR bytes; every place is tried.
Outcome Reference(const std::string& data, const std::string& pattern, int32_t step) {
    std::vector<std::string> lines;
    std::string current;
    bool pieceHasBytes = false;
    for (const char c : data) {
        if (c == 26)
            break;
        if (c == '\n') {
            lines.push_back(current);
            current.clear();
            pieceHasBytes = false;
            continue;
        }
        pieceHasBytes = true;
        if (c != '\r')
            current += c;
    }
    if (pieceHasBytes)
        lines.push_back(current);
    Outcome outcome;
    outcome.lines = int64_t(lines.size());
    for (size_t l = 0; l < lines.size(); ++l) {
        const std::string& line = lines[l];
        size_t allowed = 0;
        for (size_t p = 0; !pattern.empty() && p + pattern.size() <= line.size(); ++p) {
            if (p < allowed || line.compare(p, pattern.size(), pattern) != 0)
                continue;
            size_t s = p, e = p;
            while (e < line.size() && IsWordChar(static_cast<unsigned char>(line[e])))
                ++e;
            if (e > p)
                while (s > 0 && IsWordChar(static_cast<unsigned char>(line[s - 1])))
                    --s;
            outcome.hits.push_back({int64_t(l + 1), int64_t(p + 1), line.substr(s, e - s)});
            allowed = p + size_t(std::max(step, 1));
        }
    }
    return outcome;
}

// Fails with EIO once `failAfter` bytes were delivered (never, when it is SIZE_MAX).
class FailingReader : public TextReader {
public:
    FailingReader(size_t bufferSize, size_t failAfter) : TextReader(bufferSize), FLeft(failAfter) {}

protected:
    ssize_t readFile(int fd, char* destination, size_t count) override {
        if (FLeft == 0) {
            errno = EIO;
            return -1;
        }
        const ssize_t got = TextReader::readFile(fd, destination, std::min(count, FLeft));
        if (got > 0 && FLeft != SIZE_MAX)
            FLeft -= size_t(got);
        return got;
    }

private:
    size_t FLeft;
};

// After its first read, changes the file under the reader: shortens it, lengthens it, puts
// another file in its place or deletes it; remembers every byte it delivered.
class ChangingReader : public TextReader {
public:
    enum Change { kShorten, kGrow, kReplace, kDelete };
    ChangingReader(size_t bufferSize, std::string path, Change change)
        : TextReader(bufferSize), FPath(std::move(path)), FChange(change) {}
    std::string delivered;

protected:
    ssize_t readFile(int fd, char* destination, size_t count) override {
        const ssize_t got = TextReader::readFile(fd, destination, count);
        if (got > 0)
            delivered.append(destination, size_t(got));
        if (FReads++ == 0)
            change();
        return got;
    }

private:
    void change() {
        switch (FChange) {
        case kShorten:
            QVERIFY(::truncate(FPath.c_str(), off_t(delivered.size() / 2)) == 0);
            break;
        case kGrow:
            std::ofstream(FPath, std::ios::binary | std::ios::app) << "plus de de\n";
            break;
        case kReplace:
            std::ofstream(FPath + ".new", std::ios::binary) << "autre de\n";
            QVERIFY(::rename((FPath + ".new").c_str(), FPath.c_str()) == 0);
            break;
        case kDelete:
            QVERIFY(::unlink(FPath.c_str()) == 0);
            break;
        }
    }
    std::string FPath;
    Change FChange;
    int FReads = 0;
};

template <typename Run> Outcome Capture(TextReader& reader, const std::string& path, Run run) {
    Outcome outcome;
    Recorder recorder;
    reader.open(path);
    try {
        run(reader, outcome.lines, recorder);
        if (!reader.atEnd())
            outcome.error = -1; // the run must leave the reader at its end
    } catch (const EInOutError& error) {
        outcome.error = error.code();
    }
    reader.close();
    outcome.hits = recorder.hits;
    if (!recorder.inOrder || (outcome.lines > 0 && recorder.lastProgress != outcome.lines))
        outcome.error = -2;
    return outcome;
}

Outcome Engine(TextReader& reader, const std::string& path, const std::string& pattern,
               int32_t step, TextEncoding encoding = TextEncoding::Cp1252) {
    return Capture(reader, path, [&](TextReader& r, int64_t& lines, SearchSink& sink) {
        SearchFile(r, pattern, step, lines, sink, encoding);
    });
}

Outcome PlainLoop(TextReader& reader, const std::string& path, const std::string& pattern,
                  int32_t step, TextEncoding encoding = TextEncoding::Cp1252) {
    return Capture(reader, path, [&](TextReader& r, int64_t& lines, SearchSink& sink) {
        while (!r.atEnd()) {
            const std::string line = r.readLine();
            ++lines;
            sink.progress(lines);
            SearchLine(line, pattern, step, lines, sink, encoding);
        }
    });
}

Outcome Engine(const std::string& path, const std::string& pattern, size_t bufferSize = 1 << 20) {
    TextReader reader(bufferSize);
    return Engine(reader, path, pattern, ResumeStep(pattern));
}

void WriteFile(const std::string& path, const std::string& data) {
    std::ofstream(path, std::ios::binary).write(data.data(), std::streamsize(data.size()));
}

// Random text over few bytes, so that patterns recur, overlap and meet every line rule.
class Generator {
public:
    explicit Generator(uint32_t seed) : FRandom(seed) {}

    std::string data(size_t size, bool withMark) {
        static const std::string kBytes = "aaaaaabbbb   -\xE9\xE9\xC9\r\r\n\n\nx\0"s;
        std::string text;
        for (size_t i = 0; i < size; ++i) {
            if (withMark && pick(200) == 0)
                text += '\x1A';
            else
                text += kBytes[pick(kBytes.size())];
        }
        return text;
    }
    std::string pattern(const std::string& data) {
        static const std::vector<std::string> kFixed = {
            "a",  "aa",   "aaa",  "aba", "abab", "b a", "\xE9", "a\xE9", "\r",
            "\n", "a\rb", "\x1A", "\0"s, "a\0"s, "-a",  "xa",   "baab"};
        if (!data.empty() && pick(2) == 0) {
            const size_t at = pick(data.size());
            return data.substr(at, 1 + pick(6));
        }
        return kFixed[pick(kFixed.size())];
    }
    // UTF-8 characters, whole and broken (C3 A9 A9 is one character), over every line rule.
    std::string utf8Data(size_t size) {
        static const std::string kPieces[] = {"a",  "a",        " ",    "\r",           "\n",
                                              "\n", "\xC3\xA9", "\xA9", "\xE2\x82\xAC", "\x80"};
        std::string text;
        while (text.size() < size)
            text += kPieces[pick(std::size(kPieces))];
        return text;
    }
    size_t bufferSize() {
        static const size_t kSizes[] = {1, 2, 3, 4, 5, 7, 8, 13, 16, 31, 32, 33, 64, 100, 4096};
        return kSizes[pick(std::size(kSizes))];
    }
    int32_t step(const std::string& pattern) {
        return pick(4) == 0 ? int32_t(1 + pick(pattern.size() + 3)) : ResumeStep(pattern);
    }
    size_t pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(FRandom); }

private:
    std::mt19937 FRandom;
};

} // namespace

class TestSearch : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;
    std::string path(const char* name) const { return FDir.filePath(name).toStdString(); }
    Outcome searchText(const std::string& data, const std::string& pattern) {
        WriteFile(path("text.txt"), data);
        return Engine(path("text.txt"), pattern);
    }

private slots:
    void resumeStep() {
        QCOMPARE(ResumeStep("aba"), 2);
        QCOMPARE(ResumeStep("aa"), 1);
        QCOMPARE(ResumeStep("abc"), 3);
        QCOMPARE(ResumeStep("a"), 1);
        QCOMPARE(ResumeStep("abcab"), 3);
        QCOMPARE(ResumeStep("\0a\0"s), 2);
    }
    void searchLineFindsOverlappingOccurrences() {
        Recorder recorder;
        recorder.lastProgress = 1;
        SearchLine("ababa", "aba", ResumeStep("aba"), 1, recorder);
        SearchLine("aaaa", "aa", ResumeStep("aa"), 1, recorder);
        SearchLine("Maison", "maison", 6, 1, recorder);
        SearchLine("ab", "abc", 3, 1, recorder);
        QCOMPARE(
            recorder.hits,
            (std::vector<Hit>{
                {1, 1, "ababa"}, {1, 3, "ababa"}, {1, 1, "aaaa"}, {1, 2, "aaaa"}, {1, 3, "aaaa"}}));
    }

    void wholeFiles_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("pattern");
        QTest::addColumn<QString>("expected"); // result lines, then "|" and the line count
        QTest::newRow("empty file") << QByteArray() << QByteArray("a") << "|0";
        QTest::newRow("first and last columns, no final break")
            << QByteArray("mot x\r\nun mot\r\nmot") << QByteArray("mot")
            << ">1,1:mot >2,4:mot >3,1:mot|3";
        QTest::newRow("a final break adds no line")
            << QByteArray("mot\r\n\r\n") << QByteArray("mot") << ">1,1:mot|2";
        QTest::newRow("case differs")
            << QByteArray("Maison maison\r\n") << QByteArray("maison") << ">1,8:maison|1";
        QTest::newRow("only up to the mark") << QByteArray("a mot\r\nmot\x1Amot\r\nmot\r\n")
                                             << QByteArray("mot") << ">1,3:mot >2,1:mot|2";
        QTest::newRow("a lone CR joins an occurrence and shifts columns")
            << QByteArray("ab\rcd bc\r\nbc") << QByteArray("bc") << ">1,2:abcd >1,6:bc >2,1:bc|2";
        QTest::newRow("a pattern with CR never matches")
            << QByteArray("a\rb\r\na\r\n") << QByteArray("a\rb") << "|2";
        QTest::newRow("pattern longer than every line")
            << QByteArray("ab\r\nab") << QByteArray("abc") << "|2";
        QTest::newRow("surprise-partie") << QByteArray("une surprise-partie\r\n")
                                         << QByteArray("pri") << ">1,8:surprise-partie|1";
    }
    void wholeFiles() {
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, pattern);
        QFETCH(QString, expected);
        for (const size_t bufferSize : {size_t(1), size_t(3), size_t(1) << 20}) {
            WriteFile(path("whole.txt"), data.toStdString());
            const Outcome outcome = Engine(path("whole.txt"), pattern.toStdString(), bufferSize);
            QStringList results;
            for (const Hit& hit : outcome.hits)
                results << QString::fromLatin1(ResultLine(hit.line, hit.column, hit.word));
            QCOMPARE(results.join(' ') + "|" + QString::number(outcome.lines), expected);
            QCOMPARE(outcome.error, 0);
        }
    }
    void anEmptyFileReportsNoProgress() {
        WriteFile(path("empty.txt"), "");
        TextReader reader;
        reader.open(path("empty.txt"));
        Recorder recorder;
        int64_t lines = 0;
        SearchFile(reader, "a", 1, lines, recorder);
        QCOMPARE(lines, 0);
        QCOMPARE(recorder.progressCalls, 0);
    }
    void theRunGoesOnWhereTheReaderStands() {
        WriteFile(path("started.txt"), "a\r\nba\r\nca");
        TextReader reader(2);
        reader.open(path("started.txt"));
        QCOMPARE(reader.readLine(), std::string("a"));
        Recorder recorder;
        int64_t lines = 1;
        SearchFile(reader, "a", 1, lines, recorder);
        QCOMPARE(lines, 3);
        QCOMPARE(recorder.hits, (std::vector<Hit>{{2, 2, "ba"}, {3, 2, "ca"}}));
    }
    // Line numbers past 2^31 are written whole: the counters are 64-bit.
    void lineNumbersPastThe32BitRange() {
        WriteFile(path("big.txt"), "a x\nx");
        TextReader reader;
        reader.open(path("big.txt"));
        Recorder recorder;
        int64_t lines = (int64_t(1) << 31) + 1;
        SearchFile(reader, "x", 1, lines, recorder);
        QCOMPARE(lines, int64_t(2147483651));
        QCOMPARE(ResultLine(recorder.hits[1].line, recorder.hits[1].column, recorder.hits[1].word),
                 std::string(">2147483651,1:x"));
        QCOMPARE(ResultLine(recorder.hits[0].line, int64_t(1) << 32, ""),
                 std::string(">2147483650,4294967296:"));
    }

    void aReaderThatIsNotOpenRaises104() {
        TextReader reader;
        Recorder recorder;
        int64_t lines = 0;
        try {
            SearchFile(reader, "a", 1, lines, recorder);
            QFAIL("no error");
        } catch (const EInOutError& error) {
            QCOMPARE(error.code(), 104);
        }
    }

    // Thousands of small files over every line rule, with small blocks so that lines and
    // occurrences cross block boundaries; any step, not only the resume step.
    void engineEqualsPlainLoopAndReference() {
        Generator generate(7);
        const std::string file = path("random.txt");
        for (int round = 0; round < 4000; ++round) {
            const size_t size = round % 100 == 0 ? 20000 : generate.pick(300);
            const std::string data = generate.data(size, round % 3 == 0);
            const std::string pattern = generate.pattern(data);
            const int32_t step = generate.step(pattern);
            WriteFile(file, data);
            const Outcome expected = Reference(data, pattern, step);
            TextReader plainReader(generate.bufferSize());
            QCOMPARE(PlainLoop(plainReader, file, pattern, step), expected);
            TextReader engineReader(generate.bufferSize());
            const Outcome got = Engine(engineReader, file, pattern, step);
            if (!(got == expected))
                qWarning("round %d, pattern %s", round,
                         QByteArray::fromStdString(pattern).toPercentEncoding().constData());
            QCOMPARE(got, expected);
        }
    }
    // The same in UTF-8: both paths leave out a match that ends inside a character.
    void utf8EngineEqualsPlainLoop() {
        Generator generate(17);
        const std::string file = path("random-utf8.txt");
        for (int round = 0; round < 1500; ++round) {
            WriteFile(file, generate.utf8Data(generate.pick(300)));
            for (const std::string pattern : {"\xC3\xA9", "a\xC3\xA9", "\xE2\x82\xAC", "a"}) {
                const int32_t step = generate.step(pattern);
                TextReader plainReader(generate.bufferSize());
                TextReader engineReader(generate.bufferSize());
                QCOMPARE(Engine(engineReader, file, pattern, step, TextEncoding::Utf8),
                         PlainLoop(plainReader, file, pattern, step, TextEncoding::Utf8));
            }
        }
    }
    // Megabytes of text in large blocks: the vector paths, CR LF lines, rare lone CRs.
    void largeFilesInLargeBlocks() {
        Generator generate(11);
        const std::string file = path("large.txt");
        for (int round = 0; round < 6; ++round) {
            std::string data;
            while (data.size() < (size_t(1) << 21)) {
                std::string line = generate.data(generate.pick(200), false);
                std::erase_if(line, [&](char c) {
                    return c == '\n' || (c == '\r' && generate.pick(500) != 0);
                });
                data += line + (generate.pick(4) ? "\r\n" : "\n");
            }
            if (round == 5)
                data[data.size() - 1000] = '\x1A';
            WriteFile(file, data);
            for (const std::string& pattern : std::vector<std::string>{
                     "a", "aa", "aba", "b a", "ab\xE9", "\xE9\xE9"s, generate.pattern(data)}) {
                TextReader reader(round % 2 ? TextReader::kDefaultBufferSize : 100000);
                QCOMPARE(Engine(reader, file, pattern, ResumeStep(pattern)),
                         Reference(data, pattern, ResumeStep(pattern)));
            }
        }
    }
    // A read that fails mid-file: the results and the count of every line before the failing
    // read are kept, as the plain loop keeps them, and the error propagates.
    void aReadFailureKeepsEarlierResults() {
        Generator generate(13);
        const std::string file = path("failing.txt");
        for (int round = 0; round < 500; ++round) {
            const std::string data = generate.data(1 + generate.pick(400), false);
            const std::string pattern = generate.pattern(data);
            const size_t failAfter = generate.pick(data.size() + 1);
            WriteFile(file, data);
            const size_t lastLf = data.rfind('\n', failAfter == 0 ? 0 : failAfter - 1);
            const bool anyLf = failAfter > 0 && lastLf != std::string::npos;
            Outcome expected =
                Reference(anyLf ? data.substr(0, lastLf + 1) : "", pattern, ResumeStep(pattern));
            expected.error = 31; // EIO, as the user is shown it
            FailingReader plain(generate.bufferSize(), failAfter);
            QCOMPARE(PlainLoop(plain, file, pattern, ResumeStep(pattern)), expected);
            FailingReader engine(generate.bufferSize(), failAfter);
            QCOMPARE(Engine(engine, file, pattern, ResumeStep(pattern)), expected);
        }
    }
    // A file that changes between the reader's blocks: the results are those of the bytes read,
    // without a failure.
    void aFileChangingWhileReadGivesTheResultsOfWhatWasRead() {
        Generator generate(17);
        const std::string file = path("changing.txt");
        for (int round = 0; round < 200; ++round) {
            const std::string data = generate.data(200 + generate.pick(2000), false);
            const std::string pattern = generate.pattern(data);
            const auto change = ChangingReader::Change(round % 4);
            WriteFile(file, data);
            ChangingReader reader(1 + generate.pick(300), file, change);
            const Outcome outcome = Engine(reader, file, pattern, ResumeStep(pattern));
            QCOMPARE(outcome, Reference(reader.delivered, pattern, ResumeStep(pattern)));
        }
    }

    // A binary file: every byte value, twice, searched for each single byte and for byte pairs,
    // in small blocks and in one.
    void aFileOfEveryByteValue() {
        std::string data;
        for (int round = 0; round < 2; ++round)
            for (int b = 0; b < 256; ++b)
                data += char(b);
        WriteFile(path("binary.bin"), data);
        for (int b = 0; b < 256; ++b) {
            const std::string single(1, char(b));
            const std::string pair = data.substr(size_t(b), 2);
            for (const std::string& pattern : {single, pair}) {
                const Outcome expected = Reference(data, pattern, ResumeStep(pattern));
                for (const size_t bufferSize : {size_t(7), TextReader::kDefaultBufferSize}) {
                    TextReader reader(bufferSize);
                    QCOMPARE(Engine(reader, path("binary.bin"), pattern, ResumeStep(pattern)),
                             expected);
                }
            }
        }
    }
    // One line of several megabytes, longer than the reader's buffer, with occurrences at both
    // ends, across the buffer's boundaries, and after a lone CR far inside it.
    void aLineLongerThanTheBuffer() {
        std::string line(3 << 20, 'x');
        for (const size_t at : {size_t(0), (size_t(1) << 20) - 8, (size_t(1) << 20) + 100,
                                (size_t(2) << 20) - 9, line.size() - 3})
            line.replace(at, 3, "mot");
        const std::string data = "a mot\r\n" + line + "\r\nfin mot";
        const std::string withCr =
            "a mot\r\n" + line.substr(0, 1500000) + "\r" + line.substr(1500000) + "\nfin mot";
        for (const std::string& text : {data, withCr}) {
            WriteFile(path("long.txt"), text);
            const Outcome expected = Reference(text, "mot", ResumeStep("mot"));
            QCOMPARE(expected.hits.size(), size_t(7));
            QCOMPARE(Engine(path("long.txt"), "mot"), expected);
        }
    }
    // A pipe delivers short pieces of any length.
    void searchesThroughAPipe() {
        Generator generate(17);
        const std::string fifo = path("search.fifo");
        QCOMPARE(mkfifo(fifo.c_str(), 0600), 0);
        std::signal(SIGPIPE, SIG_IGN); // the reader stops at a mark and closes before the writer
        for (int round = 0; round < 10; ++round) {
            const std::string data = generate.data(50000, round % 2 == 0);
            const std::string pattern = generate.pattern(data);
            const FifoWriter pipe(fifo);
            const int fd = pipe.fd();
            std::thread writer([&, fd, pieces = Generator(uint32_t(round))]() mutable {
                for (size_t at = 0; at < data.size();) {
                    const size_t n = std::min(data.size() - at, 1 + pieces.pick(3000));
                    const ssize_t put = ::write(fd, data.data() + at, n);
                    if (put <= 0)
                        break;
                    at += size_t(put);
                }
                ::close(fd);
            });
            TextReader reader(round < 5 ? 4096 : TextReader::kDefaultBufferSize);
            Outcome got = Engine(reader, fifo, pattern, ResumeStep(pattern));
            writer.join();
            QCOMPARE(got, Reference(data, pattern, ResumeStep(pattern)));
        }
    }
};

QTEST_APPLESS_MAIN(TestSearch)
#include "test_search.moc"
