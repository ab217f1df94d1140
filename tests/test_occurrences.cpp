// SPDX-License-Identifier: GPL-3.0-or-later
// The occurrences that the text view marks in a row slice: the same as the run finds in the row,
// whatever the slice, in both encodings and in malformed UTF-8. The map of the lines that hold one.
#include "text/occurrence_map.h"
#include "text/occurrences.h"
#include "text/search.h"
#include "text/utf8.h"

#include <QTest>

#include <random>

using namespace std::string_literals;

namespace {

using Places = std::vector<std::size_t>;

// The byte offsets of the occurrences that the run reports for row as one line.
class ByteOffsets : public SearchSink {
public:
    ByteOffsets(std::string_view row, TextEncoding encoding) : FRow(row), FEncoding(encoding) {}
    void found(int64_t, int64_t column, std::string_view) override {
        const char* begin = FRow.data();
        const char* at = FEncoding == TextEncoding::Utf8
                             ? AdvanceChars(begin, begin + FRow.size(), column - 1)
                             : begin + column - 1;
        places.push_back(std::size_t(at - begin));
    }
    void progress(int64_t) override {}
    Places places;

private:
    std::string_view FRow;
    TextEncoding FEncoding;
};

Places RunFinds(std::string_view row, std::string_view pattern, TextEncoding encoding) {
    ByteOffsets sink(row, encoding);
    SearchLine(row, pattern, ResumeStep(pattern), 1, sink, encoding);
    return sink.places;
}

} // namespace

class TestOccurrences : public QObject {
    Q_OBJECT
private slots:
    void cases_data() {
        QTest::addColumn<QByteArray>("row");
        QTest::addColumn<QByteArray>("pattern");
        QTest::addColumn<bool>("utf8");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QList<int>>("places");
        QTest::newRow("overlapping")
            << QByteArray("aaaa") << QByteArray("aa") << false << 0 << 4 << QList<int>{0, 1, 2};
        // An occurrence that only its last byte brings into the slice is one; one that ends at
        // the slice's start is none.
        QTest::newRow("widened left")
            << QByteArray("abcXabc") << QByteArray("abc") << false << 3 << 5 << QList<int>{4};
        QTest::newRow("widened both")
            << QByteArray("abcabc") << QByteArray("abc") << false << 2 << 4 << QList<int>{0, 3};
        QTest::newRow("end outside")
            << QByteArray("xxabc") << QByteArray("abc") << false << 0 << 2 << QList<int>{};
        QTest::newRow("to past the row")
            << QByteArray("abc") << QByteArray("bc") << false << 0 << 99 << QList<int>{1};
        QTest::newRow("empty pattern")
            << QByteArray("abc") << QByteArray() << false << 0 << 3 << QList<int>{};
        QTest::newRow("pattern longer than row")
            << QByteArray("ab") << QByteArray("abc") << false << 0 << 2 << QList<int>{};
        // "é" ends inside the malformed character C3 A9 A9; "€" inside E2 82 AC 80.
        QTest::newRow("inside a malformed character")
            << QByteArray("\xC3\xA9\xA9 \xC3\xA9") << QByteArray("\xC3\xA9") << true << 0 << 6
            << QList<int>{4};
        QTest::newRow("euro in a longer sequence")
            << QByteArray("\xE2\x82\xAC\x80\xE2\x82\xAC") << QByteArray("\xE2\x82\xAC") << true << 0
            << 7 << QList<int>{4};
        // The same bytes in Windows-1252 are characters of their own.
        QTest::newRow("same bytes in cp1252")
            << QByteArray("\xC3\xA9\xA9") << QByteArray("\xC3\xA9") << false << 0 << 3
            << QList<int>{0};
    }
    void cases() {
        QFETCH(QByteArray, row);
        QFETCH(QByteArray, pattern);
        QFETCH(bool, utf8);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QList<int>, places);
        const Places found =
            OccurrencesIn(std::string_view(row.constData(), size_t(row.size())), size_t(from),
                          size_t(to), std::string_view(pattern.constData(), size_t(pattern.size())),
                          utf8 ? TextEncoding::Utf8 : TextEncoding::Cp1252);
        QCOMPARE(found, Places(places.begin(), places.end()));
    }

    // Random rows of a few letters and UTF-8 pieces (some malformed), random patterns and slices:
    // a slice's occurrences are those of the run that share a byte with it.
    void agreesWithTheRun() {
        std::mt19937 random(28);
        const std::string pieces[] = {"a", "b", "\xC3\xA9", "\xA9", "\xE2\x82\xAC", "\x80", " "};
        const auto text = [&](int most) {
            std::string s;
            for (int n = int(random() % unsigned(most)) + 1; n > 0; --n)
                s += pieces[random() % std::size(pieces)];
            return s;
        };
        for (int round = 0; round < 3000; ++round) {
            const std::string row = text(40);
            std::string pattern = text(3);
            const bool utf8 = round % 2 == 0;
            // The run's pattern in UTF-8 is well-formed: it never begins with a continuation byte.
            if (utf8 && IsContinuationByte(static_cast<unsigned char>(pattern[0])))
                pattern = "a"s + pattern;
            const TextEncoding encoding = utf8 ? TextEncoding::Utf8 : TextEncoding::Cp1252;
            const Places all = RunFinds(row, pattern, encoding);
            QCOMPARE(OccurrencesIn(row, 0, row.size(), pattern, encoding), all);
            const std::size_t from = random() % row.size();
            const std::size_t to = from + 1 + random() % (row.size() - from);
            Places inSlice;
            for (const std::size_t at : all)
                if (at < to && at + pattern.size() > from)
                    inSlice.push_back(at);
            QCOMPARE(OccurrencesIn(row, from, to, pattern, encoding), inSlice);
        }
    }

    // 5000 lines take parts of 8 lines (4999 >> 3 < 1024): 625 parts. A line past the last one
    // counts in the last part; a map of no lines stays empty.
    void theMapOfTheLines() {
        OccurrenceMap map(5000);
        QCOMPARE(map.parts(), 625);
        QCOMPARE(map.partLines(), 8);
        QVERIFY(map.empty());
        for (const int64_t line : {1, 8, 9, 5000, 9999})
            map.add(line);
        QList<int> set;
        for (int part = 0; part < OccurrenceMap::kParts; ++part)
            if (map.holds(part))
                set << part;
        QCOMPARE(set, (QList<int>{0, 1, 624}));
        QCOMPARE(map.firstLine(624), 4992);

        OccurrenceMap none;
        none.add(1);
        QVERIFY(none.empty());
        QCOMPARE(none.parts(), 0);
        QCOMPARE(OccurrenceMap(1024).partLines(), 1);
        QCOMPARE(OccurrenceMap(1025).partLines(), 2);
    }
};

QTEST_APPLESS_MAIN(TestOccurrences)
#include "test_occurrences.moc"
