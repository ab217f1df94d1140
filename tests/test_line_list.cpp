// SPDX-License-Identifier: GPL-3.0-or-later
// Splitting a string into lines, and checked access to the list.
#include "text/errors.h"
#include "text/line_list.h"

#include <QTest>

#include <vector>

using namespace std::string_literals;
using Lines = std::vector<std::string>;

Q_DECLARE_METATYPE(std::string)
Q_DECLARE_METATYPE(Lines)

namespace {

Lines ToVector(const LineList& list) {
    return Lines(list.begin(), list.end());
}

} // namespace

class TestLineList : public QObject {
    Q_OBJECT
private slots:
    void splitLines_data() {
        QTest::addColumn<std::string>("text");
        QTest::addColumn<Lines>("expected");
        QTest::newRow("three lines") << "12\r\n5\r\nmaison"s << Lines{"12", "5", "maison"};
        QTest::newRow("final break adds nothing") << "3\r\n7\r\n"s << Lines{"3", "7"};
        QTest::newRow("empty") << ""s << Lines{};
        QTest::newRow("CR LF alone") << "\r\n"s << Lines{""};
        QTest::newRow("LF CR") << "\n\r"s << Lines{"", ""};
        QTest::newRow("lone CR") << "a\rb"s << Lines{"a", "b"};
        QTest::newRow("lone LF") << "a\nb"s << Lines{"a", "b"};
        QTest::newRow("LF CR between") << "a\n\rb"s << Lines{"a", "", "b"};
        QTest::newRow("CR CR LF") << "a\r\r\nb"s << Lines{"a", "", "b"};
        QTest::newRow("leading break") << "\r\na"s << Lines{"", "a"};
        QTest::newRow("NUL ends the text") << "ab\0cd\r\nef"s << Lines{"ab"};
        QTest::newRow("NUL after a break") << "ab\r\n\0cd"s << Lines{"ab"};
        QTest::newRow("NUL first") << "\0ab"s << Lines{};
        QTest::newRow("end-of-file mark is ordinary") << "a\x1A"
                                                         "b"s
                                                      << Lines{"a\x1A"
                                                               "b"};
        QTest::newRow("blank lines") << "\r\n\r\n\r\n"s << Lines{"", "", ""};
    }
    void splitLines() {
        QFETCH(std::string, text);
        QFETCH(Lines, expected);
        const LineList lines = SplitLines(text);
        QCOMPARE(lines.count(), static_cast<long long>(expected.size()));
        QCOMPARE(ToVector(lines), expected);
    }

    void badIndexRaises_data() {
        QTest::addColumn<long long>("index");
        QTest::addColumn<QString>("message");
        QTest::newRow("one past the end") << 2LL << "Indice de liste hors limites (2)";
        QTest::newRow("negative") << -1LL << "Indice de liste hors limites (-1)";
        QTest::newRow("far") << 5000000000LL << "Indice de liste hors limites (5000000000)";
    }
    void badIndexRaises() {
        QFETCH(long long, index);
        QFETCH(QString, message);
        const LineList lines = SplitLines("a\r\nb");
        QCOMPARE(lines[1], "b"s);
        try {
            (void)lines[index];
            QFAIL("no error raised");
        } catch (const EStringListError& error) {
            QCOMPARE(QString::fromStdString(error.message()), message);
        }
    }
    void emptyListHasNoEntry() {
        QVERIFY_THROWS_EXCEPTION(EStringListError, (void)SplitLines("").at(0));
    }
};

QTEST_APPLESS_MAIN(TestLineList)
#include "test_line_list.moc"
