// SPDX-License-Identifier: GPL-3.0-or-later
// Word characters, the word around an occurrence, and the result line.
#include "text/word.h"

#include <QTest>

using namespace std::string_literals;

Q_DECLARE_METATYPE(std::string)

class TestWord : public QObject {
    Q_OBJECT
private slots:
    void wordCharactersAtEveryBoundary() {
        const std::string words = "09AZaz-_\xE0\xE7\xE9\xF6\xF9\xFC";
        const std::string others =
            "\0 /:@[`{',.\t\r\n\x1A\x7F\x80\x9C\xA0"s + "\xC0\xC9\xDE\xDF\xF7\xF8\xFD\xFE\xFF";
        for (const char c : words)
            QVERIFY2(IsWordChar(static_cast<unsigned char>(c)),
                     std::to_string(int(uint8_t(c))).c_str());
        for (const char c : others)
            QVERIFY2(!IsWordChar(static_cast<unsigned char>(c)),
                     std::to_string(int(uint8_t(c))).c_str());
        int count = 0;
        for (int c = 0; c < 256; ++c)
            count += IsWordChar(static_cast<unsigned char>(c));
        QCOMPARE(count, 10 + 26 + 26 + 23 + 4 + 2);
    }

    void wordAround_data() {
        QTest::addColumn<std::string>("line");
        QTest::addColumn<int>("position");
        QTest::addColumn<std::string>("word");
        QTest::newRow("inside, reaching both ways")
            << std::string("une surprise-partie") << 8 << std::string("surprise-partie");
        QTest::newRow("stops at the first non-word character")
            << std::string("ax yb") << 1 << std::string("ax");
        QTest::newRow("column 1 extends right")
            << std::string("maison bleue") << 1 << std::string("maison");
        QTest::newRow("last column extends left")
            << std::string("la maison") << 9 << std::string("maison");
        QTest::newRow("whole line") << std::string("abc_d-9") << 4 << std::string("abc_d-9");
        QTest::newRow("upper-case accent is not a word character")
            << std::string("\xC9t\xE9") << 2 << std::string("t\xE9");
        QTest::newRow("empty on a non-word character")
            << std::string("\xC9t\xE9") << 1 << std::string();
        QTest::newRow("empty on a blank") << std::string("a b") << 2 << std::string();
        QTest::newRow("NUL bounds a word") << std::string("ab\0cd", 5) << 4 << std::string("cd");
        QTest::newRow("one-character line") << std::string("x") << 1 << std::string("x");
        QTest::newRow("position past the end") << std::string("abc") << 4 << std::string();
        QTest::newRow("position 0") << std::string("abc") << 0 << std::string();
    }
    void wordAround() {
        QFETCH(std::string, line);
        QFETCH(int, position);
        QFETCH(std::string, word);
        QCOMPARE(WordAround(line, size_t(position)), word);
    }

    void resultLines() {
        QCOMPARE(ResultLine(12, 5, "maison"), std::string(">12,5:maison"));
        QCOMPARE(ResultLine(3, 7, ""), std::string(">3,7:"));
        QCOMPARE(ResultLine(1024, 118, "x"), std::string(">1024,118:x"));
        QCOMPARE(ResultLine(2147483647, 1, "\xE9t\xE9"), std::string(">2147483647,1:\xE9t\xE9"));
        std::string out = "kept";
        AppendResultLine(out, 1, 2, "w");
        QCOMPARE(out, std::string("kept>1,2:w"));
    }
};

QTEST_APPLESS_MAIN(TestWord)
#include "test_word.moc"
