// SPDX-License-Identifier: GPL-3.0-or-later
// The string operations: search from an offset, replace-all, trimming, integer parsing.
#include "text/strings.h"

#include <QTest>

#include <climits>

using namespace std::string_literals;

Q_DECLARE_METATYPE(std::string)

class TestStrings : public QObject {
    Q_OBJECT
private slots:
    void findFrom_data() {
        QTest::addColumn<std::string>("pattern");
        QTest::addColumn<std::string>("text");
        QTest::addColumn<long long>("offset");
        QTest::addColumn<long long>("expected");
        QTest::newRow("leftmost") << "aba"s
                                  << "ababa"s << 1LL << 1LL;
        QTest::newRow("overlapping next") << "aba"s
                                          << "ababa"s << 2LL << 3LL;
        QTest::newRow("offset past last start") << "aba"s
                                                << "ababa"s << 4LL << 0LL;
        QTest::newRow("at the very end") << "ba"s
                                         << "ababa"s << 4LL << 4LL;
        QTest::newRow("too few bytes left") << "bc"s
                                            << "abc"s << 3LL << 0LL;
        QTest::newRow("case differs") << "M"s
                                      << "maison"s << 1LL << 0LL;
        QTest::newRow("empty pattern") << ""s
                                       << "abc"s << 1LL << 0LL;
        QTest::newRow("empty text") << "a"s
                                    << ""s << 1LL << 0LL;
        QTest::newRow("pattern longer than text") << "abcd"s
                                                  << "abc"s << 1LL << 0LL;
        QTest::newRow("offset far past the end") << "a"s
                                                 << "aaa"s << 1000LL << 0LL;
        QTest::newRow("NUL in text") << "b"s
                                     << "a\0b"s << 1LL << 3LL;
        QTest::newRow("NUL in pattern") << "\0b"s
                                        << "a\0\0b"s << 2LL << 3LL;
        QTest::newRow("accented byte") << "\xE9"s
                                       << "ete\xE9"s << 1LL << 4LL;
        QTest::newRow("high bytes compare exactly") << "\xC9"s
                                                    << "\xE9"s << 1LL << 0LL;
        QTest::newRow("offset below 1 counts as 1") << "a"s
                                                    << "ab"s << 0LL << 1LL;
    }
    void findFrom() {
        QFETCH(std::string, pattern);
        QFETCH(std::string, text);
        QFETCH(long long, offset);
        QFETCH(long long, expected);
        QCOMPARE(FindFrom(pattern, text, offset), expected);
    }

    void replaceAll_data() {
        QTest::addColumn<std::string>("text");
        QTest::addColumn<std::string>("pattern");
        QTest::addColumn<std::string>("replacement");
        QTest::addColumn<std::string>("expected");
        QTest::newRow("delete marker") << ">12,5:mot"s
                                       << ">"s
                                       << ""s
                                       << "12,5:mot"s;
        QTest::newRow("no overlap") << "aaa"s
                                    << "aa"s
                                    << "b"s
                                    << "ba"s;
        QTest::newRow("every occurrence") << "a,b,c"s
                                          << ","s
                                          << ";;"s
                                          << "a;;b;;c"s;
        QTest::newRow("replacement not searched") << "ab"s
                                                  << "a"s
                                                  << "aa"s
                                                  << "aab"s;
        QTest::newRow("empty pattern") << "abc"s
                                       << ""s
                                       << "x"s
                                       << "abc"s;
        QTest::newRow("empty text") << ""s
                                    << "a"s
                                    << "x"s
                                    << ""s;
        QTest::newRow("stops at NUL") << "a,b\0,c"s
                                      << ","s
                                      << ";"s
                                      << "a;b\0,c"s;
        QTest::newRow("text starts with NUL") << "\0,"s
                                              << ","s
                                              << ";"s
                                              << "\0,"s;
        QTest::newRow("pattern with NUL never found") << "a\0b"s
                                                      << "a\0"s
                                                      << "x"s
                                                      << "a\0b"s;
        QTest::newRow("match ends at NUL") << "ab\0ab"s
                                           << "ab"s
                                           << "x"s
                                           << "x\0ab"s;
        QTest::newRow("whole text") << "abc"s
                                    << "abc"s
                                    << ""s
                                    << ""s;
    }
    void replaceAll() {
        QFETCH(std::string, text);
        QFETCH(std::string, pattern);
        QFETCH(std::string, replacement);
        QFETCH(std::string, expected);
        QCOMPARE(ReplaceAll(text, pattern, replacement), expected);
    }

    void trimText_data() {
        QTest::addColumn<std::string>("text");
        QTest::addColumn<std::string>("expected");
        QTest::newRow("blanks") << "  mot "s
                                << "mot"s;
        QTest::newRow("tab and CR LF") << "\tmot\r\n"s
                                       << "mot"s;
        QTest::newRow("inner blank stays") << "a b"s
                                           << "a b"s;
        QTest::newRow("blanks only") << "   "s
                                     << ""s;
        QTest::newRow("empty") << ""s
                               << ""s;
        QTest::newRow("NUL and code 32 go") << "\0\x1F a\0"s
                                            << "a"s;
        QTest::newRow("no-break space stays") << "\xA0mot"s
                                              << "\xA0mot"s;
        QTest::newRow("DEL stays") << "\x7Fmot\x7F"s
                                   << "\x7Fmot\x7F"s;
        QTest::newRow("inner NUL stays") << " a\0b "s
                                         << "a\0b"s;
    }
    void trimText() {
        QFETCH(std::string, text);
        QFETCH(std::string, expected);
        QCOMPARE(TrimText(text), expected);
    }

    void intOrDefault_data() {
        QTest::addColumn<std::string>("text");
        QTest::addColumn<int>("expected");
        QTest::newRow("plain") << "12"s << 12;
        QTest::newRow("leading blanks") << "  12"s << 12;
        QTest::newRow("leading zero") << "012"s << 12;
        QTest::newRow("trailing blank") << "12 "s << 99;
        QTest::newRow("plus") << "+7"s << 7;
        QTest::newRow("minus zero") << "-0"s << 0;
        QTest::newRow("blanks then sign") << "  -5"s << -5;
        QTest::newRow("blank after sign") << "- 5"s << 99;
        QTest::newRow("two signs") << "+-5"s << 99;
        QTest::newRow("tab") << "\t5"s << 99;
        QTest::newRow("empty") << ""s << 99;
        QTest::newRow("blanks alone") << "   "s << 99;
        QTest::newRow("sign alone") << "-"s << 99;
        QTest::newRow("letter") << "1a"s << 99;
        QTest::newRow("NUL after digits") << "1\0"s << 99;
        QTest::newRow("largest") << "2147483647"s << INT_MAX;
        QTest::newRow("largest plus one") << "2147483648"s << 99;
        QTest::newRow("smallest") << "-2147483648"s << INT_MIN;
        QTest::newRow("smallest minus one") << "-2147483649"s << 99;
        QTest::newRow("eleven digits") << "21474836470"s << 99;
        QTest::newRow("many leading zeros") << "000000000000042"s << 42;
        QTest::newRow("dollar") << "$1F"s << 31;
        QTest::newRow("0x") << "0x1f"s << 31;
        QTest::newRow("0X") << "0X1F"s << 31;
        QTest::newRow("x") << "x1F"s << 31;
        QTest::newRow("X") << "X1f"s << 31;
        QTest::newRow("dollar alone") << "$"s << 99;
        QTest::newRow("0x alone") << "0x"s << 99;
        QTest::newRow("bad hex digit") << "$1G"s << 99;
        QTest::newRow("double prefix") << "0x$1"s << 99;
        QTest::newRow("zero then x after zero") << "00x1"s << 99;
        QTest::newRow("all bits") << "$FFFFFFFF"s << -1;
        QTest::newRow("sign bit") << "$80000000"s << INT_MIN;
        QTest::newRow("nine digits") << "$100000000"s << 99;
        QTest::newRow("leading zeros do not count") << "$000000000FFFFFFFF"s << -1;
        QTest::newRow("minus hex") << "-$1F"s << -31;
        QTest::newRow("minus all bits") << "-$FFFFFFFF"s << 1;
        QTest::newRow("minus sign bit wraps") << "-0x80000000"s << INT_MIN;
        QTest::newRow("blanks sign hex") << "  +x10"s << 16;
    }
    void intOrDefault() {
        QFETCH(std::string, text);
        QFETCH(int, expected);
        QCOMPARE(IntOrDefault(text, 99), expected);
    }

    void decimalText() {
        QCOMPARE(DecimalText(0), "0"s);
        QCOMPARE(DecimalText(-5), "-5"s);
        QCOMPARE(DecimalText(120), "120"s);
        QCOMPARE(DecimalText(INT_MIN), "-2147483648"s);
        QCOMPARE(DecimalText(INT_MAX), "2147483647"s);
    }
    void charText() {
        QCOMPARE(CharText('a'), "a"s);
        QCOMPARE(CharText('\0'), "\0"s);
        QCOMPARE(CharText('\xE9'), "\xE9"s);
    }
};

QTEST_APPLESS_MAIN(TestStrings)
#include "test_strings.moc"
