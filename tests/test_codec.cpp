// The Windows-1252 edge: every byte survives the round trip through QString, one QChar each.
#include "text/cp1252.h"
#include "widgets/qtext.h"

#include <QTest>

class TestCodec : public QObject {
    Q_OBJECT
private slots:
    void everyByteRoundTrips() {
        std::string all;
        for (int b = 0; b < 256; ++b)
            all += char(b);
        const QString text = ToQString(all);
        QCOMPARE(text.size(), 256);
        QVERIFY(IsCp1252Text(text));
        QCOMPARE(FromQString(text), all);
    }
    void knownCharacters() {
        QCOMPARE(ToQString("\x80"), QString(QChar(0x20AC)));
        QCOMPARE(ToQString("\xE9t\xE9"), QStringLiteral("été"));
        QCOMPARE(ToQString("\x9C"), QStringLiteral("œ"));
        for (const char16_t unassigned : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
            QCOMPARE(Cp1252ToUnicode(static_cast<unsigned char>(unassigned)), unassigned);
    }
    void charactersOutsideTheCodePageAreRefused() {
        QVERIFY(!IsCp1252Text(QStringLiteral("a€b\u0100")));
        QVERIFY(!UnicodeToCp1252(0x0080).has_value()); // U+0080 has no byte: 0x80 is the euro
        QVERIFY(!UnicodeToCp1252(0x4E2D).has_value());
        QCOMPARE(FromQString(QStringLiteral("a\u0100b")), std::string("a\0b", 3));
    }
};

QTEST_APPLESS_MAIN(TestCodec)
#include "test_codec.moc"
