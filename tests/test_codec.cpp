// SPDX-License-Identifier: GPL-3.0-or-later
// The edge between bytes and QString: every Windows-1252 byte survives the round trip, one QChar
// each; UTF-8 goes by character; nothing is ever substituted for a character an encoding lacks.
#include "text/cp1252.h"
#include "widgets/qtext.h"

#include <QTest>

using Bytes = std::optional<std::string>;

class TestCodec : public QObject {
    Q_OBJECT
private slots:
    void everyByteRoundTrips() {
        std::string all;
        for (int b = 0; b < 256; ++b)
            all += char(b);
        const QString text = ToQString(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(FromQString(text), Bytes(all));
    }
    void knownCharacters() {
        QCOMPARE(ToQString("\x80"), QString(QChar(0x20AC)));
        QCOMPARE(ToQString("\xE9t\xE9"), QStringLiteral("été"));
        QCOMPARE(ToQString("\x9C"), QStringLiteral("œ"));
        for (const char16_t unassigned : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
            QCOMPARE(Cp1252ToUnicode(static_cast<unsigned char>(unassigned)), unassigned);
    }
    void charactersOutsideTheCodePageAreRefused() {
        QVERIFY(!UnicodeToCp1252(0x0080).has_value()); // U+0080 has no byte: 0x80 is the euro
        QVERIFY(!UnicodeToCp1252(0x4E2D).has_value());
        QCOMPARE(FromQString(QStringLiteral("a€b")), Bytes("a\x80"
                                                           "b"));
        QCOMPARE(FromQString(QStringLiteral("a\u0100b")), Bytes());
        QCOMPARE(FromQString(QStringLiteral("\U0001F600")), Bytes());
    }
    void utf8GoesByCharacter() {
        const std::string text =
            "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xCE\xB1 \xE4\xB8\xAD \xF0\x9F\x98\x80";
        const QString shown = QStringLiteral("été € α 中 \U0001F600");
        QCOMPARE(ToQString(text, TextEncoding::Utf8), shown);
        QCOMPARE(FromQString(shown, TextEncoding::Utf8), Bytes(text));
        QCOMPARE(CharCount(shown), 11);
        // A malformed character shows as one U+FFFD: a lead byte with its continuation bytes,
        // a stray continuation byte after ASCII.
        QCOMPARE(ToQString("a\xC3\xA9\xA9"
                           "b\x80"
                           "c\xF0\x9F",
                           TextEncoding::Utf8),
                 QStringLiteral("a\uFFFDb\uFFFDc\uFFFD"));
        QCOMPARE(FromQString(QString(QChar(0xD800)), TextEncoding::Utf8), Bytes());
    }
    void trimming() {
        QCOMPARE(TrimmedText(QStringLiteral("\t mot \u00A0\r\n")), QStringLiteral("mot \u00A0"));
        QCOMPARE(TrimmedText(QStringLiteral("   ")), QString());
    }
};

QTEST_APPLESS_MAIN(TestCodec)
#include "test_codec.moc"
