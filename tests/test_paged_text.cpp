// SPDX-License-Identifier: GPL-3.0-or-later
// A file's text read from its pages against the same file read into memory: every answer of the
// model, for random files and at the edges of the 64 KiB blocks; then what the pages do that
// memory does not: a file changed after the open, the capacity by rows, long rows.
#include "text/errors.h"
#include "text/file_handle.h"
#include "text/paged_text.h"
#include "text/text_model.h"

#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <fcntl.h>
#include <fstream>
#include <numeric>
#include <random>
#include <unistd.h>

namespace {

constexpr std::int64_t kBlock = TextScan::kBlock;

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

TextModel Loaded(const std::string& path, bool paged) {
    TextModel model;
    TextLimits limits = model.limits();
    limits.paged = paged;
    model.setLimits(limits);
    model.loadFromFile(path);
    return model;
}

bool IsPaged(const TextModel& model) {
    return dynamic_cast<const PagedText*>(&model.document()) != nullptr;
}

// Pieces that random files are made of: breaks of every kind, NUL, the end-of-file mark, UTF-8
// characters whole and cut, blanks and words.
std::string RandomFile(std::mt19937& random, std::size_t length) {
    static const char* const kPieces[] = {
        "a",    "mot",  " ",    "\t",       "\r",           "\n",
        "\r\n", "\n\r", "\x1A", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
        "\x80", "\xC3", "\xE9", "_9",       "\xE2\x82",
    };
    std::string bytes;
    if (random() % 4 == 0)
        bytes = "\xEF\xBB\xBF";
    while (bytes.size() < length) {
        const std::size_t piece = random() % std::size(kPieces);
        const std::size_t repeat = random() % 8 == 0 ? 1 + random() % 40 : 1;
        for (std::size_t i = 0; i < repeat; ++i)
            bytes += kPieces[piece];
    }
    if (random() % 6 == 0)
        bytes[random() % bytes.size()] = '\0';
    return bytes;
}

// Offsets worth asking about: all of a small text, else those near row starts, block edges and
// random ones.
std::vector<std::int64_t> Probes(const TextModel& model, std::mt19937& random) {
    std::vector<std::int64_t> probes;
    const std::int64_t size = model.size();
    if (size <= 3000) {
        for (std::int64_t at = 0; at <= size; ++at)
            probes.push_back(at);
        return probes;
    }
    for (int i = 0; i < 150; ++i)
        probes.push_back(std::int64_t(random() % std::uint64_t(size + 1)));
    for (std::int64_t edge = kBlock; edge < size + kBlock; edge += kBlock)
        for (std::int64_t d = -3; d <= 3; ++d)
            probes.push_back(std::clamp<std::int64_t>(edge + d, 0, size));
    return probes;
}

// Every answer of paged equals that of memory.
void CompareModels(TextModel& memory, TextModel& paged, std::mt19937& random) {
    QCOMPARE(paged.encoding(), memory.encoding());
    QCOMPARE(paged.size(), memory.size());
    QCOMPARE(paged.rowCount(), memory.rowCount());
    QCOMPARE(paged.lineCount(), memory.lineCount());
    QCOMPARE(paged.longestRow(), memory.longestRow());
    QCOMPARE(paged.text(), memory.text());
    // Rows in order, then in a random order (lookups far from the last one).
    std::vector<int> rows(std::size_t(memory.rowCount()));
    std::iota(rows.begin(), rows.end(), 0);
    for (int pass = 0; pass < 2; ++pass) {
        for (const int row : rows) {
            QCOMPARE(paged.rowStart(row), memory.rowStart(row));
            QCOMPARE(paged.rowLength(row), memory.rowLength(row));
            QCOMPARE(paged.rowText(row).view(), memory.rowText(row).view());
            QCOMPARE(paged.rowOffset(row), memory.rowOffset(row));
        }
        std::shuffle(rows.begin(), rows.end(), random);
        if (rows.size() > 300)
            rows.resize(300);
    }
    const std::int64_t size = memory.size();
    const std::int64_t chars = memory.charOffset(size);
    for (const std::int64_t at : Probes(memory, random)) {
        QCOMPARE(paged.rowOfOffset(at), memory.rowOfOffset(at));
        QCOMPARE(paged.charOffset(at), memory.charOffset(at));
        QCOMPARE(paged.pairAt(at), memory.pairAt(at));
        const std::int64_t c = std::int64_t(random() % std::uint64_t(chars + 2));
        QCOMPARE(paged.byteOffset(c), memory.byteOffset(c));
        if (at < size) {
            QCOMPARE(paged.nextChar(at), memory.nextChar(at));
            QCOMPARE(paged.classAt(at), memory.classAt(at));
        }
        if (at > 0)
            QCOMPARE(paged.previousChar(at), memory.previousChar(at));
        const std::int64_t to = at + std::int64_t(random() % 300);
        const std::int64_t most = std::int64_t(random() % 200);
        QCOMPARE(paged.piece(at, to, most), memory.piece(at, to, most));
    }
    for (int i = 0; i < 20; ++i) {
        const std::int64_t start = std::int64_t(random() % std::uint64_t(chars + 1));
        const std::int64_t length = std::int64_t(random() % 500);
        for (TextModel* model : {&memory, &paged}) {
            model->setSelStart(start);
            model->setSelLength(length);
        }
        QCOMPARE(paged.selStart(), memory.selStart());
        QCOMPARE(paged.selLength(), memory.selLength());
        QCOMPARE(paged.selectedText(), memory.selectedText());
    }
}

} // namespace

class TestPagedText : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

    std::string path(const char* name) const { return FDir.filePath(name).toStdString(); }

    void compareOn(const std::string& bytes, std::mt19937& random) {
        const std::string file = path("file.txt");
        WriteFile(file, bytes);
        TextModel memory = Loaded(file, false);
        TextModel paged = Loaded(file, true);
        QVERIFY(!IsPaged(memory));
        QCOMPARE(IsPaged(paged), !bytes.empty());
        CompareModels(memory, paged, random);
    }

private slots:
    void pagesAnswerAsMemoryDoes() {
        std::mt19937 random(26);
        for (int i = 0; i < 300; ++i) {
            compareOn(RandomFile(random, random() % 600), random);
            if (QTest::currentTestFailed())
                return;
        }
    }

    // Rows, characters and breaks across the edges of the blocks that the scan counts.
    void pagesAnswerAsMemoryDoesAcrossBlocks_data() {
        QTest::addColumn<std::string>("edge"); // the bytes that straddle the first block's end
        QTest::newRow("CR LF split") << std::string("\r\n");
        QTest::newRow("lone CR last") << std::string("\rx");
        QTest::newRow("lone LF first") << std::string("x\n");
        QTest::newRow("CR then lone LF") << std::string("\r\n\n");
        QTest::newRow("UTF-8 split") << std::string("\xE2\x82\xAC");
        QTest::newRow("continuation first") << std::string("\xC3\xA9\x80");
        QTest::newRow("NUL first") << std::string("x\0y", 3);
    }
    void pagesAnswerAsMemoryDoesAcrossBlocks() {
        QFETCH(std::string, edge);
        std::mt19937 random(64);
        for (std::size_t before = 1; before <= 2; ++before) {
            std::string bytes = RandomFile(random, std::size_t(kBlock) + 4000 * before);
            bytes.replace(std::size_t(kBlock) - before, edge.size(), edge);
            compareOn(bytes, random);
            if (QTest::currentTestFailed())
                return;
        }
    }

    // A large file is scanned in two halves on two threads: the same counts as in one pass,
    // whatever straddles the cut (the middle block's start).
    void twoHalvesCountAsOnePass_data() {
        pagesAnswerAsMemoryDoesAcrossBlocks_data();
        QTest::newRow("NUL in the second half") << std::string("\0", 1);
        QTest::newRow("ill-formed in the second half") << std::string("\xFF");
        QTest::newRow("long row across") << std::string(3 * std::size_t(kBlock), 'l');
    }
    void twoHalvesCountAsOnePass() {
        QFETCH(std::string, edge);
        std::mt19937 random(2);
        for (int round = 0; round < 6; ++round) {
            std::string bytes = RandomFile(random, 4 * std::size_t(kBlock));
            if (round % 2 == 1) // UTF-8 only, so that the check of both halves counts
                for (char& c : bytes)
                    c = static_cast<unsigned char>(c) >= 0x80 || c == '\0' ? 'u' : c;
            if (round >= 4)
                bytes.replace(0, 4, "\xC3\xA9\xEF\xBB");
            bytes.replace(2 * std::size_t(kBlock) - std::size_t(round % 3), edge.size(), edge);
            WriteFile(path("halves.txt"), bytes);
            const FileHandle file(open(path("halves.txt").c_str(), O_RDONLY));
            const TextScan one = ScanText(file.fd(), std::int64_t(bytes.size()), INT64_MAX);
            const TextScan two = ScanText(file.fd(), std::int64_t(bytes.size()), 0);
            QCOMPARE(two.encoding, one.encoding);
            QCOMPARE(two.end, one.end);
            QCOMPARE(two.cutAtNul, one.cutAtNul);
            QCOMPARE(two.longest, one.longest);
            QCOMPARE(two.blocks.size(), one.blocks.size());
            for (std::size_t k = 0; k <= one.blocks.size(); ++k) {
                const BlockCounts& a = k < one.blocks.size() ? one.blocks[k] : one.total;
                const BlockCounts& b = k < two.blocks.size() ? two.blocks[k] : two.total;
                QCOMPARE(b.breaks, a.breaks);
                QCOMPARE(b.lone, a.lone);
                QCOMPARE(b.chars, a.chars);
            }
        }
    }

    void aByteOrderMarkAloneOrCutIsNoText() {
        std::mt19937 random(3);
        for (const std::string& bytes :
             {std::string("\xEF\xBB\xBF"), std::string("\xEF\xBB"), std::string("\xEF\xBB\xBF\x80"),
              std::string("\xEF\xBB\xBF\r"), std::string("\0", 1), std::string("\r")})
            compareOn(bytes, random);
    }

    // The file renamed over or deleted: the open descriptor reads the text opened. Rewritten in
    // place: the text never holds a break inside a row nor reads past a row, and says it changed.
    void aFileChangedAfterTheOpen() {
        const std::string file = path("change.txt");
        std::string bytes;
        for (int i = 0; i < 20000; ++i)
            bytes += "ligne " + std::to_string(i) + "\n";
        WriteFile(file, bytes);
        TextModel model = Loaded(file, true);
        const TextModel before = Loaded(file, false);
        QVERIFY(IsPaged(model));
        const int rows = model.rowCount();

        WriteFile(path("other.txt"), "autre\n");
        QCOMPARE(std::rename(path("other.txt").c_str(), file.c_str()), 0);
        QCOMPARE(model.line(rows - 2), before.line(rows - 2));
        QCOMPARE(model.text(), before.text());
        QVERIFY(!model.changedAtSource());

        std::string lines;
        for (int i = 0; i < 30000; ++i)
            lines += "x\r\n";
        WriteFile(file, lines);
        TextModel shown = Loaded(file, true);
        WriteFile(file, std::string(200, 'y') + "\n\n\n"); // shorter, other breaks
        for (int row = 0; row < shown.rowCount(); row += 97) {
            const TextPiece text = shown.rowText(row);
            QVERIFY(text.view().find_first_of("\r\n") == std::string_view::npos);
            QVERIFY(std::int64_t(text.size()) <= shown.longestRow());
            QVERIFY(shown.rowStart(row) <= shown.size());
        }
        for (std::int64_t at = 0; at < shown.size(); at += 4099) {
            QVERIFY(shown.nextChar(at) > at);
            QVERIFY(shown.rowOfOffset(at) < shown.rowCount());
            (void)shown.charOffset(at);
        }
        QVERIFY(shown.changedAtSource());
    }

    void theCapacityCountsRows() {
        const std::string file = path("rows.txt");
        WriteFile(file, "un\ndeux\r\ntrois\r");
        TextModel model;
        model.setRowCapacity(3);
        QCOMPARE(MessageOf(model, file), std::string(kMemoCapacityMessage));
        model.setRowCapacity(4);
        QVERIFY(model.loadFromFile(file));
        QCOMPARE(model.lineCount(), 3);
        QVERIFY(IsPaged(model));
    }

    // A text with a row longer than the pages serve whole is read into memory when it fits there.
    void longRowsAreReadIntoMemory() {
        const std::string file = path("long.txt");
        WriteFile(file, "court\n" + std::string(5000, 'z') + "\nfin");
        TextModel model;
        TextLimits limits = model.limits();
        limits.pagedRow = 4096;
        model.setLimits(limits);
        QVERIFY(model.loadFromFile(file));
        QVERIFY(!IsPaged(model));
        QCOMPARE(model.line(2), std::string("fin"));
    }

    // A text that memory cannot hold is read from its pages with rows of several pages, each
    // copied when read, and answers as in memory; past the long-row limit it is refused at once.
    void longRowsOfATextBeyondMemory() {
        std::mt19937 random(16);
        const std::string file = path("long-beyond.txt");
        std::string longRow = RandomFile(random, std::size_t(3 * kBlock));
        std::replace_if(
            longRow.begin(), longRow.end(),
            [](char c) { return c == '\r' || c == '\n' || c == '\0'; }, 'x');
        WriteFile(file, "d\xC3\xA9"
                        "but\r\nun mot\n" +
                            longRow + "\r\nfin\r\r\n");
        TextModel memory = Loaded(file, false);
        TextModel paged;
        TextLimits limits = paged.limits();
        limits.bytes = 1000;
        limits.pagedRow = 4096;
        limits.longRow = 4 * kBlock;
        paged.setLimits(limits);
        QVERIFY(paged.loadFromFile(file));
        QVERIFY(IsPaged(paged));
        CompareModels(memory, paged, random);
        limits.longRow = 2 * kBlock;
        paged.setLimits(limits);
        QCOMPARE(MessageOf(paged, file), std::string(kMemoCapacityMessage));
    }

    // The open file keeps no reader's share: a save may replace it while it is shown.
    void theShownFileBlocksNoSave() {
        const std::string file = path("shown.txt");
        WriteFile(file, "texte\n");
        TextModel model = Loaded(file, true);
        OpenResult replacing = OpenForReplacing(file);
        QVERIFY(replacing.file.isOpen());
        QCOMPARE(replacing.code, 0);
    }

    void reopeningTheSameFileKeepsTheSelection() {
        const std::string file = path("same.txt");
        WriteFile(file, "un\ndeux\n");
        TextModel model = Loaded(file, true);
        model.setSelection(5, 3);
        QVERIFY(!model.loadFromFile(file));
        QCOMPARE(model.anchor(), 5);
        WriteFile(path("copy.txt"), "un\ndeux\n");
        QVERIFY(!model.loadFromFile(path("copy.txt")));
        WriteFile(file, "un\ndeuX\n");
        QVERIFY(model.loadFromFile(file));
    }

private:
    static std::string MessageOf(TextModel& model, const std::string& file) {
        try {
            model.loadFromFile(file);
        } catch (const EError& error) {
            return error.message();
        }
        return {};
    }
};

QTEST_GUILESS_MAIN(TestPagedText)
#include "test_paged_text.moc"
