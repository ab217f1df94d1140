// SPDX-License-Identifier: GPL-3.0-or-later
// The pattern renderers: size per style, the table entry of every pixel against an independent
// formulation of each style, the telling pixels, and that a call leaves nothing of an earlier one.
#include "widgets/gradient_colors.h"
#include "widgets/gradient_renderers.h"

#include <QTest>
#include <functional>

Q_DECLARE_METATYPE(TGradientStyle)

namespace {

// A table whose entry i is recognisable: blue carries i, green and red a tag that tells tables
// apart.
TGradientColors TaggedColors(int tag) {
    TGradientColors colors;
    for (int i = 0; i < 256; ++i)
        colors[i] = GradientEntry(tag, 255 - i, i);
    return colors;
}

int IndexOf(uint32_t pixel) {
    return int(pixel & 0xFF);
}

// The smallest k with d <= k * k + k, which is the nearest integer to the root of d.
int RadialIndex(int dx, int dy) {
    const int d = dx * dx + dy * dy;
    int k = 0;
    while (d > k * k + k)
        ++k;
    return k;
}

// Distance from the focus along a 362-pixel axis made of two mirrored halves.
int Centred(int t) {
    return t <= 180 ? 180 - t : t - 181;
}

// Twice the distance from the middle line between 127 and 128: |2t - 255|.
int Fold2(int t) {
    return std::abs(2 * t - 255);
}

struct Reference {
    int width;
    int height;
    std::function<int(int, int)> index;
};

Reference ReferenceOf(TGradientStyle style) {
    switch (style) {
    case gsRadialC:
        return {362, 362, [](int x, int y) { return RadialIndex(Centred(x), Centred(y)); }};
    case gsRadialT:
        return {362, 181, [](int x, int y) { return RadialIndex(Centred(x), y); }};
    case gsRadialB:
        return {362, 181, [](int x, int y) { return RadialIndex(Centred(x), 180 - y); }};
    case gsRadialL:
        return {181, 362, [](int x, int y) { return RadialIndex(x, Centred(y)); }};
    case gsRadialR:
        return {181, 362, [](int x, int y) { return RadialIndex(180 - x, Centred(y)); }};
    case gsRadialTL:
        return {181, 181, [](int x, int y) { return RadialIndex(x, y); }};
    case gsRadialTR:
        return {181, 181, [](int x, int y) { return RadialIndex(180 - x, y); }};
    case gsRadialBL:
        return {181, 181, [](int x, int y) { return RadialIndex(x, 180 - y); }};
    case gsRadialBR:
        return {181, 181, [](int x, int y) { return RadialIndex(180 - x, 180 - y); }};
    case gsLinearH:
        return {256, 1, [](int x, int) { return x; }};
    case gsLinearV:
        return {1, 256, [](int, int y) { return y; }};
    case gsReflectedH:
        return {1, 512, [](int, int y) { return (std::abs(2 * y - 511) - 1) / 2; }};
    case gsReflectedV:
        return {512, 1, [](int x, int) { return (std::abs(2 * x - 511) - 1) / 2; }};
    case gsDiagonalLF:
        return {128, 129, [](int x, int y) { return x + y; }};
    case gsDiagonalLB:
        return {128, 129, [](int x, int y) { return 127 - x + y; }};
    case gsDiagonalRF:
        return {256, 256, [](int x, int y) { return std::abs(x + y - 255); }};
    case gsDiagonalRB:
        return {256, 256, [](int x, int y) { return std::abs(x - y); }};
    // The folded forms: 127.5 - x + v and so on, doubled to stay in integers.
    case gsArrowL:
        return {129, 256, [](int x, int y) { return (255 - 2 * x + Fold2(y)) / 2; }};
    case gsArrowR:
        return {129, 256, [](int x, int y) { return (2 * x - 1 + Fold2(y)) / 2; }};
    case gsArrowU:
        return {256, 129, [](int x, int y) { return (255 - 2 * y + Fold2(x)) / 2; }};
    case gsArrowD:
        return {256, 129, [](int x, int y) { return (2 * y - 1 + Fold2(x)) / 2; }};
    case gsDiamond:
        return {256, 256, [](int x, int y) { return (Fold2(x) + Fold2(y)) / 2; }};
    case gsButterfly:
        return {256, 256, [](int x, int y) { return 128 + (Fold2(y) - Fold2(x)) / 2; }};
    case gsCustom:
        break;
    }
    return {0, 0, {}};
}

TBitmap Rendered(TGradientStyle style, const TGradientColors& colors) {
    TBitmap pattern;
    kGradientRenderers[style](colors, pattern);
    return pattern;
}

} // namespace

class TestGradientRenderers : public QObject {
    Q_OBJECT
private slots:
    void onlyCustomHasNoRenderer() {
        QVERIFY(kGradientRenderers[gsCustom] == nullptr);
        for (int style = gsRadialC; style < kGradientStyleCount; ++style)
            QVERIFY2(kGradientRenderers[style] != nullptr, qPrintable(QString::number(style)));
    }

    void everyPixel_data() {
        QTest::addColumn<TGradientStyle>("style");
        for (int style = gsRadialC; style < kGradientStyleCount; ++style)
            QTest::addRow("style %d", style) << TGradientStyle(style);
    }
    // Every pixel holds the reference entry. The second call, on the same size, uses another
    // table: a pixel it did not write would still show the first table's tag.
    void everyPixel() {
        QFETCH(TGradientStyle, style);
        const Reference reference = ReferenceOf(style);
        TBitmap pattern;
        kGradientRenderers[style](TaggedColors(1), pattern);
        const TGradientColors colors = TaggedColors(2);
        kGradientRenderers[style](colors, pattern);
        QCOMPARE(pattern.width(), reference.width);
        QCOMPARE(pattern.height(), reference.height);
        QCOMPARE(pattern.image().format(), QImage::Format_RGB32);
        for (int y = 0; y < reference.height; ++y)
            for (int x = 0; x < reference.width; ++x) {
                const int expected = reference.index(x, y);
                if (pattern.pixel(x, y) != colors[expected])
                    QFAIL(qPrintable(QString("(%1, %2): entry %3, expected %4")
                                         .arg(x)
                                         .arg(y)
                                         .arg(IndexOf(pattern.pixel(x, y)))
                                         .arg(expected)));
            }
    }

    void tellingPixels_data() {
        QTest::addColumn<TGradientStyle>("style");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("entry");
        const auto row = [](const char* name, TGradientStyle style, int x, int y, int entry) {
            QTest::newRow(name) << style << x << y << entry;
        };
        for (const int x : {180, 181})
            for (const int y : {180, 181})
                row(qPrintable(QString("RadialC centre %1,%2").arg(x).arg(y)), gsRadialC, x, y, 0);
        row("RadialC edge middle", gsRadialC, 180, 0, 180);
        row("RadialC corner", gsRadialC, 0, 0, 255);
        row("RadialC far corner", gsRadialC, 361, 361, 255);
        row("RadialTL 6,6 is 8", gsRadialTL, 6, 6, 8); // root of 72 = 8.485
        row("RadialTL 8,3 is 9", gsRadialTL, 8, 3, 9); // root of 73 = 8.544
        row("RadialTL 1,1 is 1", gsRadialTL, 1, 1, 1);
        row("RadialTL far", gsRadialTL, 180, 180, 255);
        row("RadialT focus", gsRadialT, 181, 0, 0);
        row("RadialT focus-edge corner", gsRadialT, 0, 0, 180);
        row("RadialT far corner", gsRadialT, 361, 180, 255);
        row("RadialB focus", gsRadialB, 180, 180, 0);
        row("RadialL focus", gsRadialL, 0, 181, 0);
        row("RadialR focus", gsRadialR, 180, 180, 0);
        row("RadialR opposite middle", gsRadialR, 0, 180, 180);
        row("RadialTR focus", gsRadialTR, 180, 0, 0);
        row("RadialBL focus", gsRadialBL, 0, 180, 0);
        row("RadialBR focus", gsRadialBR, 180, 180, 0);
        row("RadialBR neighbour corner", gsRadialBR, 0, 180, 180);
        row("ReflectedH row 255", gsReflectedH, 0, 255, 0);
        row("ReflectedH row 256", gsReflectedH, 0, 256, 0);
        row("ReflectedH row 0", gsReflectedH, 0, 0, 255);
        row("ReflectedH row 511", gsReflectedH, 0, 511, 255);
        row("ReflectedV column 256", gsReflectedV, 256, 0, 0);
        row("DiagonalLF bottom right", gsDiagonalLF, 127, 128, 255);
        row("DiagonalLF top right", gsDiagonalLF, 127, 0, 127);
        row("DiagonalLF bottom left", gsDiagonalLF, 0, 128, 128);
        row("DiagonalLB top right", gsDiagonalLB, 127, 0, 0);
        row("DiagonalLB bottom left", gsDiagonalLB, 0, 128, 255);
        row("DiagonalRF top left", gsDiagonalRF, 0, 0, 255);
        row("DiagonalRF anti-diagonal", gsDiagonalRF, 100, 155, 0);
        row("DiagonalRB top right", gsDiagonalRB, 255, 0, 255);
        row("ArrowL tip", gsArrowL, 128, 127, 0);
        row("ArrowL left corner", gsArrowL, 0, 255, 255);
        row("ArrowL right corner", gsArrowL, 128, 0, 127);
        row("ArrowR tip", gsArrowR, 0, 128, 0);
        row("ArrowR right corner", gsArrowR, 128, 255, 255);
        row("ArrowU tip 127", gsArrowU, 127, 128, 0);
        row("ArrowU tip 128", gsArrowU, 128, 128, 0);
        row("ArrowU top left", gsArrowU, 0, 0, 255);
        row("ArrowU top right", gsArrowU, 255, 0, 255);
        row("ArrowU bottom left", gsArrowU, 0, 128, 127);
        row("ArrowU bottom right", gsArrowU, 255, 128, 127);
        row("ArrowD tip", gsArrowD, 128, 0, 0);
        row("ArrowD bottom corner", gsArrowD, 0, 128, 255);
        row("Diamond middle", gsDiamond, 128, 127, 1);
        row("Diamond edge middle", gsDiamond, 0, 127, 128);
        row("Diamond corner", gsDiamond, 255, 255, 255);
        row("Butterfly corner", gsButterfly, 255, 0, 128);
        row("Butterfly middle", gsButterfly, 127, 128, 128);
        row("Butterfly left middle", gsButterfly, 0, 127, 1);
        row("Butterfly top middle", gsButterfly, 128, 0, 255);
    }
    void tellingPixels() {
        QFETCH(TGradientStyle, style);
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(int, entry);
        const TBitmap pattern = Rendered(style, TaggedColors(0));
        QCOMPARE(IndexOf(pattern.pixel(x, y)), entry);
    }

    void fourFoldNeverUseEntryZeroAndAreSymmetric_data() {
        QTest::addColumn<TGradientStyle>("style");
        QTest::newRow("Diamond") << gsDiamond;
        QTest::newRow("Butterfly") << gsButterfly;
    }
    void fourFoldNeverUseEntryZeroAndAreSymmetric() {
        QFETCH(TGradientStyle, style);
        const TBitmap pattern = Rendered(style, TaggedColors(0));
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x) {
                QVERIFY(IndexOf(pattern.pixel(x, y)) != 0);
                QCOMPARE(pattern.pixel(x, y), pattern.pixel(255 - x, y));
                QCOMPARE(pattern.pixel(x, y), pattern.pixel(x, 255 - y));
            }
    }

    // A pixel is the table entry as one word: what Qt reads as 0xFFRRGGBB.
    void entriesAreRgb32Pixels() {
        TGradientColors colors;
        colors.fill(GradientEntry(0x12, 0x34, 0x56));
        const TBitmap pattern = Rendered(gsLinearH, colors);
        QCOMPARE(pattern.image().pixel(17, 0), qRgb(0x12, 0x34, 0x56));
        const auto* bytes = reinterpret_cast<const uint8_t*>(pattern.scanLine(0));
        QCOMPARE(int(bytes[0]), 0x56); // blue, green, red in memory
        QCOMPARE(int(bytes[1]), 0x34);
        QCOMPARE(int(bytes[2]), 0x12);
    }

    void laterCallLeavesNoTraceOfEarlierOne() {
        TBitmap pattern;
        kGradientRenderers[gsRadialC](TaggedColors(1), pattern);
        const TGradientColors colors = TaggedColors(2);
        kGradientRenderers[gsLinearV](colors, pattern);
        QCOMPARE(pattern.width(), 1);
        QCOMPARE(pattern.height(), 256);
        QCOMPARE(pattern.image().size(), QSize(1, 256));
        for (int y = 0; y < 256; ++y)
            QCOMPARE(pattern.pixel(0, y), colors[y]);
    }

    void bitmapKeepsEachDimensionWhileTheOtherIsZero() {
        TBitmap pattern;
        pattern.setWidth(7);
        QCOMPARE(pattern.width(), 7);
        QCOMPARE(pattern.height(), 0);
        pattern.setHeight(3);
        QCOMPARE(pattern.image().size(), QSize(7, 3));
        pattern.setWidth(-4);
        QCOMPARE(pattern.width(), 0);
        QCOMPARE(pattern.height(), 3);
    }
};

QTEST_APPLESS_MAIN(TestGradientRenderers)
#include "test_gradient_renderers.moc"
