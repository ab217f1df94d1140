// SPDX-License-Identifier: GPL-3.0-or-later
// UTF-8 sources: the character rules and their fast counts against a plain walk, the validator
// against a reference built on the decoder, the detection of a file's encoding, words beyond
// Windows-1252, occurrences of whole characters, and the search of a UTF-8 file against the same
// text in Windows-1252.
#include "text/cp1252.h"
#include "text/encoding.h"
#include "text/search.h"
#include "text/text_reader.h"
#include "text/utf8.h"
#include "text/word.h"

#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <random>

using namespace std::string_literals;

namespace {

// Well-formed as the decoder sees it: every character is.
bool ReferenceValid(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const DecodedChar c = DecodeChar(bytes, i);
        if (!c.wellFormed)
            return false;
        i += c.length;
    }
    return true;
}

// The character starts of bytes, walked one character at a time.
std::vector<std::size_t> Starts(std::string_view bytes) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < bytes.size(); i = NextCharStart(bytes, i))
        starts.push_back(i);
    return starts;
}

// Bytes that mix ASCII, well-formed sequences and their broken pieces.
std::string RandomBytes(std::mt19937& random, std::size_t size) {
    static const std::string pieces[] = {"a",
                                         " ",
                                         "\n",
                                         "\xC3\xA9",
                                         "\xE2\x82\xAC",
                                         "\xF0\x9F\x98\x80",
                                         "\xCE\xB1",
                                         "\xC3",
                                         "\xA9",
                                         "\xE2\x82",
                                         "\xED\xA0\x80",
                                         "\xC0\xAF",
                                         "\xF4\x90\x80\x80",
                                         "\xFF",
                                         "\xE0\x9F\xBF",
                                         "\xEF\xBB\xBF",
                                         "\xF0\x90\x80\x80",
                                         "\xF4\x8F\xBF\xBF",
                                         "\xDF\xBF",
                                         "\xEE\x80\x80"};
    std::string bytes;
    while (bytes.size() < size)
        bytes += pieces[random() % std::size(pieces)];
    return bytes;
}

bool ValidInPieces(std::string_view bytes, std::mt19937& random, std::size_t longest = 70) {
    Utf8Validator validator;
    while (!bytes.empty()) {
        const std::size_t piece = std::min<std::size_t>(bytes.size(), 1 + random() % longest);
        validator.feed(bytes.substr(0, piece));
        bytes.remove_prefix(piece);
    }
    return validator.finish();
}

TextEncoding Detect(std::string_view bytes) {
    EncodingDetector detector;
    detector.feed(bytes);
    return detector.finish();
}

class Lines : public SearchSink {
public:
    std::string text;
    void found(int64_t line, int64_t column, std::string_view word) override {
        AppendResultLine(text, line, column, word);
        text += "\r\n";
    }
    void progress(int64_t) override {}
};

// A French-like text that Windows-1252 holds whole, in Windows-1252 bytes.
std::string FrenchCp1252(std::mt19937& random, int lines) {
    static const char* const words[] = {"\xE9t\xE9",
                                        "\xC9t\xE9",
                                        "caf\xE9",
                                        "\x9C"
                                        "uvre",
                                        "l'\xE9l\xE8ve",
                                        "na\xEF"
                                        "f",
                                        "\x80",
                                        "\xAB",
                                        "\xBB",
                                        "surprise-partie",
                                        "\x85",
                                        "de",
                                        "la",
                                        "\xE0",
                                        "t\xE9t\xE9"};
    std::string text;
    for (int l = 0; l < lines; ++l) {
        for (int w = 0, count = 1 + int(random() % 9); w < count; ++w)
            text += words[random() % std::size(words)] + " "s;
        text += random() % 5 == 0 ? "\r" : "";
        text += random() % 2 == 0 ? "\r\n" : "\n";
    }
    return text;
}

std::string ToUtf8(std::string_view cp1252) {
    std::string utf8;
    for (const char c : cp1252)
        AppendUtf8(utf8, Cp1252ToUnicode(static_cast<unsigned char>(c)));
    return utf8;
}

} // namespace

class TestUtf8 : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

    std::string search(const std::string& bytes, const std::string& pattern, TextEncoding encoding,
                       std::size_t bufferSize = 64) {
        const std::string path = FDir.filePath("source.txt").toStdString();
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        TextReader reader(bufferSize);
        reader.open(path);
        if (encoding == TextEncoding::Utf8)
            reader.skipByteOrderMark();
        Lines lines;
        int64_t current = 0;
        SearchFile(reader, pattern, ResumeStep(pattern), current, lines, encoding);
        reader.close();
        return lines.text;
    }

private slots:
    void charactersAndCounts() {
        // A lead byte takes the continuation bytes after it; a continuation byte after ASCII
        // stands alone; ASCII is always a character of its own.
        const std::string bytes = "a\xC3\xA9\xA9"
                                  "b\x80\x80\n\xE2\x82\xAC";
        QCOMPARE(Starts(bytes), (std::vector<std::size_t>{0, 1, 4, 5, 7, 8}));
        QCOMPARE(DecodeChar(bytes, 8).code, char32_t(0x20AC));
        QVERIFY(!DecodeChar(bytes, 1).wellFormed);
        QCOMPARE(PreviousCharStart(bytes, 7), std::size_t(5));

        std::mt19937 random(7);
        for (int round = 0; round < 300; ++round) {
            const std::string text = RandomBytes(random, random() % 300);
            const std::vector<std::size_t> starts = Starts(text);
            const char* begin = text.data();
            QCOMPARE(CountChars(begin, begin + text.size()), int64_t(starts.size()));
            for (std::size_t k = 0; k <= starts.size(); k += 1 + random() % 7) {
                const std::size_t expected = k < starts.size() ? starts[k] : text.size();
                QCOMPARE(std::size_t(AdvanceChars(begin, begin + text.size(), int64_t(k)) - begin),
                         expected);
            }
        }
    }

    void validatorAgreesWithTheDecoder() {
        for (const std::string& edge :
             {"\xC2\x80"s, "\xC1\xBF"s, "\xE0\xA0\x80"s, "\xE0\x9F\xBF"s, "\xED\x9F\xBF"s,
              "\xED\xA0\x80"s, "\xF0\x90\x80\x80"s, "\xF0\x8F\xBF\xBF"s, "\xF4\x8F\xBF\xBF"s,
              "\xF4\x90\x80\x80"s, "\xF5\x80\x80\x80"s, "\xC3"s, "\xE2\x82"s, "\x80"s}) {
            // At every place of the first blocks that the check takes together, with ASCII or
            // an accent after it.
            for (std::size_t at = 0; at < 260; ++at)
                for (const std::string& after : {""s, "a"s, "\xC3\xA9"s}) {
                    const std::string text = std::string(at, 'a') + edge + after;
                    Utf8Validator validator;
                    validator.feed(text);
                    QCOMPARE(validator.finish(), ReferenceValid(text));
                }
        }
        std::mt19937 random(11);
        for (int round = 0; round < 3000; ++round) {
            std::string text = RandomBytes(random, random() % 200);
            if (round % 2 == 0) // mostly well-formed texts, broken in one place or none
                text = ToUtf8(FrenchCp1252(random, 3)) + (round % 4 == 0 ? text.substr(0, 3) : "");
            QCOMPARE(ValidInPieces(text, random), ReferenceValid(text));
        }
        // Long pieces, checked 128 bytes at a time: ASCII runs after a cut sequence, accents
        // in every part, one break anywhere.
        for (int round = 0; round < 1000; ++round) {
            std::string text = ToUtf8(FrenchCp1252(random, 1 + random() % 40));
            if (round % 3 == 0)
                text.insert(random() % (text.size() + 1), std::string(1 + random() % 300, 'a'));
            if (round % 2 == 0)
                text.insert(random() % (text.size() + 1), RandomBytes(random, 1 + random() % 3));
            QCOMPARE(ValidInPieces(text, random, 1000), ReferenceValid(text));
        }
        // A sequence cut at the end of any 128 bytes, ASCII after it.
        for (std::size_t before = 0; before < 260; ++before)
            for (const std::string& cut : {"\xC3"s, "\xE2\x82"s, "\xF0\x9F\x98"s}) {
                const std::string text =
                    std::string(before, 'a') + "\xC3\xA9" + cut + std::string(300, 'a');
                QVERIFY(!ValidInPieces(text, random, text.size()));
            }
    }

    void detection() {
        QCOMPARE(Detect("ascii only\r\n"), TextEncoding::Cp1252);
        QCOMPARE(Detect("\xC3\xA9t\xC3\xA9"), TextEncoding::Utf8);
        QCOMPARE(Detect("\xE9t\xE9"), TextEncoding::Cp1252);
        QCOMPARE(Detect("\xEF\xBB\xBF"
                        "abc"),
                 TextEncoding::Utf8);
        QCOMPARE(Detect("\xEF\xBB\xBF"
                        "\xE9t\xE9"),
                 TextEncoding::Utf8);                                // the mark decides
        QCOMPARE(Detect("\xC3\xA9\0\xC3\xA9"s), TextEncoding::Utf8); // NUL is well-formed
        QCOMPARE(Detect("\xC3\xA9\xC3"), TextEncoding::Cp1252);      // cut sequence
    }

    void wordsBeyondTheCodePage() {
        QVERIFY(IsWordCodePoint(U'é') && IsWordCodePoint(U'α') && IsWordCodePoint(U'中'));
        QVERIFY(IsWordCodePoint(U'\u0301')); // a combining mark
        QVERIFY(!IsWordCodePoint(U'É') && !IsWordCodePoint(U'œ') && !IsWordCodePoint(U'€'));
        QVERIFY(!IsWordCodePoint(U'\U0001F600') && !IsWordCodePoint(U'«'));
        const std::string line = "\xC2\xAB"
                                 "\xCE\xB1\xCE\xB2-\xE4\xB8\xAD"
                                 "\xC2\xBB \xC3\x89t\xC3\xA9";
        QCOMPARE(Utf8WordViewAround(line, 4), std::string_view("\xCE\xB1\xCE\xB2-\xE4\xB8\xAD"));
        QCOMPARE(Utf8WordViewAround(line, 15), std::string_view("t\xC3\xA9")); // É is none
        QCOMPARE(Utf8WordViewAround(line, 13), std::string_view());
        QCOMPARE(Utf8WordViewAround(line, 0), std::string_view());
    }

    void aTextThatWindows1252HoldsGivesTheSameResultsInBothEncodings() {
        std::mt19937 random(3);
        for (int round = 0; round < 40; ++round) {
            const std::string cp1252 = FrenchCp1252(random, 30);
            const std::string utf8 = ToUtf8(cp1252);
            for (const std::string& pattern :
                 {"\xE9"s, "t\xE9"s, "\xE9t\xE9"s, "e"s, " "s, "\x80"s, "\xE9 "s}) {
                const std::size_t buffer = 1 + random() % 100;
                const std::string expected = search(cp1252, pattern, TextEncoding::Cp1252, buffer);
                QCOMPARE(search(utf8, ToUtf8(pattern), TextEncoding::Utf8, buffer),
                         ToUtf8(expected));
            }
        }
    }

    // An occurrence is whole characters: "é" is no occurrence in the malformed character
    // C3 A9 A9, nor "€" in E2 82 AC 80, while an ASCII byte stays a character of its own before
    // a stray continuation byte. The second line takes the exact path (a lone CR).
    void anOccurrenceIsWholeCharacters() {
        const std::string line = "\xC3\xA9\xA9 \xE2\x82\xAC\x80 a\x80 \xC3\xA9";
        const std::string text = line + "\n" + "x\r" + line;
        for (const std::size_t buffer : {std::size_t(3), std::size_t(64)}) {
            QCOMPARE(search(text, "\xC3\xA9", TextEncoding::Utf8, buffer),
                     ">1,8:\xC3\xA9\r\n>2,9:\xC3\xA9\r\n"s);
            QCOMPARE(search(text, "\xE2\x82\xAC", TextEncoding::Utf8, buffer), ""s);
            QCOMPARE(search(text, "a", TextEncoding::Utf8, buffer), ">1,5:a\r\n>2,6:a\r\n"s);
        }
    }

    void columnsCountCharactersAfterTheByteOrderMark() {
        const std::string text = "\xEF\xBB\xBF\xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80 \xCE\xB1x\r\n"
                                 "\xE4\xB8\xADx\rx\n";
        QCOMPARE(search(text, "x", TextEncoding::Utf8),
                 ">1,8:\xCE\xB1x\r\n>2,2:\xE4\xB8\xADxx\r\n>2,3:\xE4\xB8\xADxx\r\n"s);
        QCOMPARE(search(text, "\xEF\xBB\xBF", TextEncoding::Utf8), ""s);
    }
};

QTEST_APPLESS_MAIN(TestUtf8)
#include "test_utf8.moc"
