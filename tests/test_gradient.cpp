// SPDX-License-Identifier: GPL-3.0-or-later
// The gradient band: its colour table in exact numbers, the rebuild rules (what rebuilds, how
// often, and what never does), the system colours, persistence, events and the painted pixels.
#include "widgets/gradient.h"
#include "widgets/gradient_colors.h"
#include "widgets/mul_div.h"
#include "widgets/system_colors.h"

#include <QApplication>
#include <QPainter>
#include <QStatusTipEvent>
#include <QTest>
#include <stdexcept>

Q_DECLARE_METATYPE(TGradientStyle)

namespace {

constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kWhiteRgb = 0xFFFFFFFF;
constexpr QRgb kSkyBlueRgb = 0xFFA6CAF0;

QRgb Grey(int value) {
    return qRgb(value, value, value);
}

// An entry without its reserved byte, to compare with a QRgb.
QRgb Rgb(uint32_t entry) {
    return qRgb(qRed(entry), qGreen(entry), qBlue(entry));
}

// Counts paint events, to see which changes ask for a repaint.
class PaintCountingGradient : public TGradient {
public:
    using TGradient::TGradient;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override {
        ++paints;
        TGradient::paintEvent(event);
    }
};

// The band rendered into an image first filled with a colour the band never paints.
QImage Painted(TGradient& band) {
    QImage image(band.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    band.render(&image);
    return image;
}

// Hands the events of one type that reach the object it filters to a function.
class EventRecorder : public QObject {
public:
    EventRecorder(QEvent::Type type, std::function<void(QEvent*)> record)
        : FType(type), FRecord(std::move(record)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == FType)
            FRecord(event);
        return false;
    }

private:
    QEvent::Type FType;
    std::function<void(QEvent*)> FRecord;
};

// A palette whose caption colours are known: highlight (10, 20, 30) and base (110, 220, 130).
QPalette CaptionPalette(QColor highlight) {
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Highlight, highlight);
    palette.setColor(QPalette::Base, QColor(110, 220, 130));
    return palette;
}

} // namespace

class TestGradient : public QObject {
    Q_OBJECT
    QPalette FOriginalPalette;

private slots:
    void initTestCase() { FOriginalPalette = QApplication::palette(); }
    void cleanup() { QApplication::setPalette(FOriginalPalette); }

    void mulDivRoundsHalfAwayFromZero_data() {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("p");
        QTest::addColumn<int>("expected");
        QTest::newRow("255 50") << 255 << 50 << 128;
        QTest::newRow("255 -50") << 255 << -50 << -128;
        QTest::newRow("1 50") << 1 << 50 << 1;
        QTest::newRow("1 -50") << 1 << -50 << -1;
        QTest::newRow("255 1") << 255 << 1 << 3;
        QTest::newRow("-255 -50") << -255 << -50 << 128;
        QTest::newRow("1 49") << 1 << 49 << 0;
        QTest::newRow("255 100") << 255 << 100 << 255;
    }
    void mulDivRoundsHalfAwayFromZero() {
        QFETCH(int, x);
        QFETCH(int, p);
        QFETCH(int, expected);
        QCOMPARE(MulDiv(x, p, 100), expected);
    }

    void colourTable_data() {
        QTest::addColumn<QRgb>("start");
        QTest::addColumn<QRgb>("end");
        QTest::addColumn<int>("shift");
        QTest::addColumn<int>("rotation");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QRgb>("expected");
        const auto row = [](QRgb start, QRgb end, int shift, int rotation, int entry,
                            QRgb expected) {
            QTest::addRow("%08x-%08x s%d r%d [%d]", start, end, shift, rotation, entry)
                << start << end << shift << rotation << entry << expected;
        };
        // The main window's band.
        row(kSkyBlueRgb, kWhiteRgb, 0, 0, 0, qRgb(166, 202, 240));
        row(kSkyBlueRgb, kWhiteRgb, 0, 0, 1, qRgb(166, 202, 240));
        row(kSkyBlueRgb, kWhiteRgb, 0, 0, 64, qRgb(188, 215, 243));
        row(kSkyBlueRgb, kWhiteRgb, 0, 0, 128, qRgb(210, 228, 247));
        row(kSkyBlueRgb, kWhiteRgb, 0, 0, 254, qRgb(254, 254, 254));
        row(kSkyBlueRgb, kWhiteRgb, 0, 0, 255, qRgb(255, 255, 255));
        // Division truncates toward zero, downwards and upwards.
        for (const auto& [entry, red] :
             {std::pair{1, 200}, {2, 200}, {3, 199}, {254, 101}, {255, 100}})
            row(qRgb(200, 0, 0), qRgb(100, 0, 0), 0, 0, entry, qRgb(red, 0, 0));
        for (const auto& [entry, red] : {std::pair{1, 100}, {2, 100}, {3, 101}})
            row(qRgb(100, 0, 0), qRgb(200, 0, 0), 0, 0, entry, qRgb(red, 0, 0));
        // Rotation moves the turning point.
        for (const auto& [entry, grey] :
             {std::pair{126, 252}, {127, 255}, {128, 253}, {254, 1}, {255, 0}})
            row(kBlack, kWhiteRgb, 0, 50, entry, Grey(grey));
        for (const auto& [entry, grey] :
             {std::pair{0, 255}, {1, 254}, {127, 2}, {128, 0}, {129, 3}, {255, 255}})
            row(kBlack, kWhiteRgb, 0, -50, entry, Grey(grey));
        for (const auto& [entry, grey] : {std::pair{252, 255}, {253, 170}, {254, 85}, {255, 0}})
            row(kBlack, kWhiteRgb, 0, 1, entry, Grey(grey));
        for (const auto& [entry, grey] :
             {std::pair{0, 255}, {1, 170}, {2, 85}, {3, 0}, {4, 2}, {255, 255}})
            row(kBlack, kWhiteRgb, 0, -1, entry, Grey(grey));
        for (const int rotation : {100, -100})
            for (const auto& [entry, grey] : {std::pair{0, 255}, {1, 254}, {128, 127}, {255, 0}})
                row(kBlack, kWhiteRgb, 0, rotation, entry, Grey(grey));
        row(kBlack, qRgb(100, 0, 0), 0, 100, 1, qRgb(99, 0, 0));
        row(kBlack, qRgb(100, 0, 0), 0, -100, 1, qRgb(100, 0, 0));
        // Shift moves one end toward the other.
        row(kBlack, kWhiteRgb, 50, 0, 0, Grey(128));
        row(kBlack, kWhiteRgb, 50, 0, 255, Grey(255));
        row(kBlack, kWhiteRgb, -50, 0, 0, Grey(0));
        row(kBlack, kWhiteRgb, -50, 0, 255, Grey(127));
        // Shift and rotation together: the shifted ends are the ends the rotation works with.
        row(kBlack, kWhiteRgb, 50, 50, 127, Grey(255));
        row(kBlack, kWhiteRgb, 50, 50, 255, Grey(128));
    }
    void colourTable() {
        QFETCH(QRgb, start);
        QFETCH(QRgb, end);
        QFETCH(int, shift);
        QFETCH(int, rotation);
        QFETCH(int, entry);
        QFETCH(QRgb, expected);
        const TGradientColors colors = GradientColors(start, end, shift, rotation);
        QCOMPARE(Rgb(colors[entry]), expected);
        QCOMPARE(colors[entry] >> 24, 0xFFu);
    }

    void uniformTables_data() {
        QTest::addColumn<QRgb>("start");
        QTest::addColumn<QRgb>("end");
        QTest::addColumn<int>("shift");
        QTest::addColumn<QRgb>("every");
        QTest::newRow("shift 100 gives the end")
            << qRgb(10, 20, 30) << qRgb(200, 100, 0) << 100 << qRgb(200, 100, 0);
        QTest::newRow("shift -100 gives the start")
            << qRgb(10, 20, 30) << qRgb(200, 100, 0) << -100 << qRgb(10, 20, 30);
        QTest::newRow("one step, shift 50") << kBlack << qRgb(1, 1, 1) << 50 << qRgb(1, 1, 1);
        QTest::newRow("one step, shift -50") << kBlack << qRgb(1, 1, 1) << -50 << kBlack;
    }
    void uniformTables() {
        QFETCH(QRgb, start);
        QFETCH(QRgb, end);
        QFETCH(int, shift);
        QFETCH(QRgb, every);
        for (const int rotation : {0, 37, -37})
            for (const uint32_t entry : GradientColors(start, end, shift, rotation))
                QCOMPARE(Rgb(entry), every);
    }

    // Every value lies between the two ends, whatever the shaping: it always fits a byte.
    void everyEntryLiesBetweenTheEnds() {
        for (int rotation = -100; rotation <= 100; rotation += 3)
            for (const int shift : {-100, -33, 0, 33, 100})
                for (const uint32_t entry :
                     GradientColors(qRgb(250, 3, 128), qRgb(5, 251, 128), shift, rotation)) {
                    QVERIFY(qRed(entry) >= 5 && qRed(entry) <= 250);
                    QVERIFY(qGreen(entry) >= 3 && qGreen(entry) <= 251);
                    QCOMPARE(qBlue(entry), 128);
                }
    }

    void newBandHasItsDefaults() {
        TGradient band;
        QCOMPARE(band.size(), QSize(100, 100));
        QCOMPARE(band.ColorBegin(), clWhite);
        QCOMPARE(band.ColorEnd(), clBtnFace);
        QCOMPARE(band.Style(), gsRadialC);
        QCOMPARE(band.BorderColor(), clActiveBorder);
        QCOMPARE(band.BorderWidth(), 0);
        QVERIFY(!band.UseSysColors() && !band.Reverse());
        QVERIFY(band.testAttribute(Qt::WA_OpaquePaintEvent));
        QCOMPARE(band.focusPolicy(), Qt::NoFocus);
        QCOMPARE(band.patternDrawCount(), 1);
        QCOMPARE(band.Pattern().width(), 362);
        QCOMPARE(band.Pattern().height(), 362);
        QCOMPARE(Rgb(band.Pattern().pixel(180, 181)), kWhiteRgb);
        QCOMPARE(Rgb(band.Pattern().pixel(0, 0)), ToQColor(clBtnFace).rgb());
    }

    void systemColoursFollowThePalette() {
        QPalette palette = CaptionPalette(QColor(10, 20, 30));
        palette.setColor(QPalette::Button, QColor(1, 2, 3));
        palette.setColor(QPalette::Mid, QColor(4, 5, 6));
        QApplication::setPalette(palette);
        QCOMPARE(ToQColor(clBtnFace), QColor(1, 2, 3));
        QCOMPARE(ToQColor(clActiveBorder), QColor(4, 5, 6));
        QCOMPARE(ToQColor(SystemColorValue(kColorActiveCaption)), QColor(10, 20, 30));
        QCOMPARE(ToQColor(SystemColorValue(kColorGradientActiveCaption)), QColor(60, 120, 80));
        QCOMPARE(ToQColor(clSkyBlue), QColor(166, 202, 240));
        QCOMPARE(clSkyBlue, TColor(0x00F0CAA6));
        QCOMPARE(clBtnFace, TColor(0xFF00000F));
    }

    // As the main window builds its band: one rebuild at creation, one when loading ends.
    void loadingRebuildsOnceAtItsEnd() {
        TGradient band;
        band.beginLoading();
        band.setColorBegin(clSkyBlue);
        band.setColorEnd(clWhite);
        band.setStyle(gsLinearH);
        band.setShift(10);
        band.setShift(0);
        QCOMPARE(band.patternDrawCount(), 1);
        QVERIFY(band.isRebuildPending());
        band.endLoading();
        QCOMPARE(band.patternDrawCount(), 2);
        QVERIFY(!band.isRebuildPending() && !band.isLoading());
        QCOMPARE(band.Pattern().width(), 256);
        QCOMPARE(band.Pattern().height(), 1);
        QCOMPARE(Rgb(band.Pattern().pixel(0, 0)), kSkyBlueRgb);
        QCOMPARE(Rgb(band.Pattern().pixel(64, 0)), qRgb(188, 215, 243));
        QCOMPARE(Rgb(band.Pattern().pixel(255, 0)), kWhiteRgb);
    }

    void settersRebuildOnlyOnChange_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("rebuilds");
        const auto row = [](const char* name, const char* property, QVariant value, QVariant stored,
                            int rebuilds) {
            QTest::newRow(name) << QByteArray(property) << value << stored << rebuilds;
        };
        row("ColorBegin new", "ColorBegin", clSkyBlue, clSkyBlue, 1);
        row("ColorBegin same", "ColorBegin", clWhite, clWhite, 0);
        row("ColorEnd new", "ColorEnd", clWhite, clWhite, 1);
        row("ColorEnd same", "ColorEnd", clBtnFace, clBtnFace, 0);
        row("Style new", "Style", QVariant::fromValue(gsDiamond), QVariant::fromValue(gsDiamond),
            1);
        row("Style same", "Style", QVariant::fromValue(gsRadialC), QVariant::fromValue(gsRadialC),
            0);
        row("Shift 150 clamps", "Shift", 150, 100, 1);
        row("Shift -120 clamps", "Shift", -120, -100, 1);
        row("Shift same", "Shift", 0, 0, 0);
        row("Rotation 150 clamps", "Rotation", 150, 100, 1);
        row("Rotation -120 clamps", "Rotation", -120, -100, 1);
        row("Rotation same", "Rotation", 0, 0, 0);
        row("Reverse new", "Reverse", true, true, 1);
        row("Reverse same", "Reverse", false, false, 0);
        row("BorderColor repaints only", "BorderColor", clWhite, clWhite, 0);
        row("BorderWidth repaints only", "BorderWidth", 5, 5, 0);
        row("BorderWidth negative", "BorderWidth", -5, 0, 0);
        row("UseSysColors off stays off", "UseSysColors", false, false, 0);
    }
    void settersRebuildOnlyOnChange() {
        QFETCH(QByteArray, property);
        QFETCH(QVariant, value);
        QFETCH(QVariant, stored);
        QFETCH(int, rebuilds);
        TGradient band;
        QVERIFY(band.setProperty(property, value));
        QCOMPARE(band.property(property), stored);
        QCOMPARE(band.patternDrawCount(), 1 + rebuilds);
        QVERIFY(band.setProperty(property, value)); // the same value again
        QCOMPARE(band.patternDrawCount(), 1 + rebuilds);
    }

    void clampedValueEqualToTheCurrentOneDoesNotRebuild() {
        TGradient band;
        band.setRotation(100);
        band.setRotation(250);
        band.setShift(-100);
        band.setShift(-101);
        QCOMPARE(band.patternDrawCount(), 3);
    }

    void resizingAndRepaintingNeverRebuild() {
        PaintCountingGradient band;
        band.show();
        QVERIFY(QTest::qWaitForWindowExposed(&band));
        band.resize(575, 67);
        band.repaint();
        band.resize(3, 900);
        band.repaint();
        Painted(band);
        QCoreApplication::processEvents();
        QVERIFY(band.paints >= 2);
        QCOMPARE(band.patternDrawCount(), 1);
    }

    void deferralBatchesRebuilds() {
        TGradient band;
        band.DeferRebuild();
        band.DeferRebuild();
        band.setColorBegin(clSkyBlue);
        band.setStyle(gsArrowU);
        band.ResumeRebuild();
        QCOMPARE(band.patternDrawCount(), 1);
        band.ResumeRebuild();
        QCOMPARE(band.patternDrawCount(), 2);
        QCOMPARE(band.Pattern().width(), 256);
        band.DeferRebuild();
        band.ResumeRebuild(); // nothing noted: no rebuild
        QCOMPARE(band.patternDrawCount(), 2);
    }

    void customWithoutHandlerDrawsTheCheckerboard() {
        TGradient band;
        band.setColorBegin(RgbColor(10, 20, 30));
        band.setColorEnd(RgbColor(200, 100, 50));
        band.setStyle(gsCustom);
        const auto check = [&band](QRgb start, QRgb end) {
            QCOMPARE(band.Pattern().width(), 2);
            QCOMPARE(band.Pattern().height(), 2);
            QCOMPARE(Rgb(band.Pattern().pixel(0, 0)), start);
            QCOMPARE(Rgb(band.Pattern().pixel(1, 1)), start);
            QCOMPARE(Rgb(band.Pattern().pixel(1, 0)), end);
            QCOMPARE(Rgb(band.Pattern().pixel(0, 1)), end);
        };
        check(qRgb(10, 20, 30), qRgb(200, 100, 50));
        band.setShift(60);
        band.setRotation(-40);
        check(qRgb(10, 20, 30), qRgb(200, 100, 50));
        band.setReverse(true);
        check(qRgb(200, 100, 50), qRgb(10, 20, 30));
    }

    void customHandlerDrawsWithTheTable() {
        TGradient band;
        band.setColorBegin(RgbColor(10, 20, 30));
        band.setReverse(true);
        band.setStyle(gsCustom);
        const int before = band.patternDrawCount();
        int calls = 0;
        band.setOnCustom([&](TGradient* sender, const TGradientColors& colors, TBitmap& pattern) {
            ++calls;
            QCOMPARE(sender, &band);
            QVERIFY(sender->isPatternBusy());
            QCOMPARE(Rgb(colors[0]), ToQColor(clBtnFace).rgb()); // reversed: the end first
            QCOMPARE(Rgb(colors[255]), qRgb(10, 20, 30));
            QCOMPARE(&pattern, &band.Pattern());
            pattern.setWidth(3);
            pattern.setHeight(1);
            for (const int x : {0, 1, 2})
                pattern.setPixel(x, 0, colors[std::min(x * 128, 255)]);
        });
        QCOMPARE(calls, 0); // assigning the handler draws nothing yet
        QCOMPARE(band.patternDrawCount(), before);
        band.RebuildPattern();
        QCOMPARE(calls, 1);
        QVERIFY(!band.isPatternBusy());
        QCOMPARE(band.Pattern().width(), 3);
        // A handler that leaves the pattern alone leaves the previous one in place.
        band.setOnCustom([](TGradient*, const TGradientColors&, TBitmap&) {});
        band.setShift(20);
        QCOMPARE(band.Pattern().width(), 3);
        QCOMPARE(Rgb(band.Pattern().pixel(2, 0)), qRgb(10, 20, 30));
    }

    // A failed drawing clears PatternBusy, passes on, keeps the new setting and asks no repaint.
    void failedDrawingPassesOnWithoutRepaint() {
        PaintCountingGradient band;
        band.setOnCustom([](TGradient*, const TGradientColors&, TBitmap&) {
            throw std::runtime_error("drawing failed");
        });
        band.show();
        QVERIFY(QTest::qWaitForWindowExposed(&band));
        QCoreApplication::processEvents();
        band.paints = 0;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, band.setStyle(gsCustom));
        QCOMPARE(band.Style(), gsCustom);
        QVERIFY(!band.isPatternBusy());
        QCoreApplication::processEvents();
        QCOMPARE(band.paints, 0);
        band.setOnCustom({});
        band.RebuildPattern(); // the checkerboard; this one repaints
        QTRY_VERIFY(band.paints > 0);
    }

    void takingSystemColoursCostsAtMostOneRebuild() {
        QApplication::setPalette(CaptionPalette(QColor(10, 20, 30)));
        TGradient band;
        band.setUseSysColors(true);
        QVERIFY(band.UseSysColors());
        QCOMPARE(band.ColorBegin(), RgbColor(10, 20, 30));
        QCOMPARE(band.ColorEnd(), RgbColor(60, 120, 80));
        QCOMPARE(band.patternDrawCount(), 2);
        band.TakeSystemColors(); // already equal: no rebuild
        QCOMPARE(band.patternDrawCount(), 2);
        QVERIFY(band.UseSysColors());
        // Stored as plain colours, not as references to the system's.
        QVERIFY(!IsSystemColor(band.ColorBegin()) && !IsSystemColor(band.ColorEnd()));
        band.setUseSysColors(false);
        QCOMPARE(band.ColorBegin(), RgbColor(10, 20, 30));
        QCOMPARE(band.patternDrawCount(), 2);
    }

    void systemColoursEqualToTheCurrentOnesCostNoRebuild() {
        QApplication::setPalette(CaptionPalette(QColor(10, 20, 30)));
        TGradient band;
        band.setColorBegin(RgbColor(10, 20, 30));
        band.setColorEnd(RgbColor(60, 120, 80));
        const int before = band.patternDrawCount();
        band.setUseSysColors(true);
        QVERIFY(band.UseSysColors());
        QCOMPARE(band.patternDrawCount(), before);
    }

    // A layout that follows the system colours stores none, and takes them again when loaded.
    void loadingWithSystemColoursRebuildsOnce() {
        QApplication::setPalette(CaptionPalette(QColor(10, 20, 30)));
        TGradient band;
        band.beginLoading();
        band.setUseSysColors(true);
        band.setStyle(gsLinearH);
        QCOMPARE(band.patternDrawCount(), 1);
        band.endLoading();
        QCOMPARE(band.patternDrawCount(), 2);
        QCOMPARE(band.ColorBegin(), RgbColor(10, 20, 30));
        QCOMPARE(Rgb(band.Pattern().pixel(255, 0)), qRgb(60, 120, 80));
    }

    void paletteChangeRetakesTheColours() {
        QApplication::setPalette(CaptionPalette(QColor(10, 20, 30)));
        TGradient following;
        following.setUseSysColors(true);
        TGradient plain;
        const int followingBefore = following.patternDrawCount();
        const int plainBefore = plain.patternDrawCount();
        QApplication::setPalette(CaptionPalette(QColor(30, 40, 50)));
        QCoreApplication::processEvents();
        QCOMPARE(following.ColorBegin(), RgbColor(30, 40, 50));
        QCOMPARE(following.ColorEnd(), RgbColor(70, 130, 90));
        QCOMPARE(following.patternDrawCount(), followingBefore + 1);
        QCOMPARE(plain.patternDrawCount(), plainBefore);
        QCOMPARE(plain.ColorBegin(), clWhite);
    }

    void newColourTurnsSystemColoursOff() {
        TGradient band;
        band.setUseSysColors(true);
        band.setColorEnd(clSkyBlue);
        QVERIFY(!band.UseSysColors());
    }

    void persistenceRules() {
        TGradient band;
        const QList<QByteArray> own = {"ColorBegin",   "ColorEnd",    "UseSysColors", "Style",
                                       "Shift",        "Rotation",    "Reverse",      "BorderColor",
                                       "BorderWidth",  "OnCustom",    "Width",        "Height",
                                       "OnMouseEnter", "OnMouseLeave"};
        for (const QByteArray& name : own)
            QVERIFY2(!band.isStored(name), name);
        band.setColorBegin(clSkyBlue);
        band.setColorEnd(clWhite);
        band.setStyle(gsLinearH);
        band.setBorderWidth(2);
        band.resize(100, 67);
        band.setOnCustom([](TGradient*, const TGradientColors&, TBitmap&) {});
        const QMetaObject::Connection entered =
            connect(&band, &TGradient::OnMouseEnter, this, [](TGradient*) {});
        QVERIFY(band.isStored("ColorBegin") && band.isStored("ColorEnd"));
        QVERIFY(band.isStored("Style") && band.isStored("BorderWidth"));
        QVERIFY(!band.isStored("Shift") && !band.isStored("BorderColor"));
        QVERIFY(band.isStored("Height") && !band.isStored("Width"));
        QVERIFY(band.isStored("OnCustom"));
        QVERIFY(band.isStored("OnMouseEnter") && !band.isStored("OnMouseLeave"));
        disconnect(entered);
        QVERIFY(!band.isStored("OnMouseEnter"));
        band.setUseSysColors(true); // the colours come from the system: not written
        QVERIFY(band.isStored("UseSysColors"));
        QVERIFY(!band.isStored("ColorBegin") && !band.isStored("ColorEnd"));
        QVERIFY(!band.isStored("NoSuchProperty"));
    }

    // The default handling of entering and leaving tells the parent (here: shows and clears the
    // band's status tip there); each event comes after it, the right one, with the band as Sender.
    void mouseEventsAreRaisedAfterTheDefaultHandling() {
        QWidget host;
        auto* band = new TGradient(&host);
        band->setStatusTip(QStringLiteral("bande"));
        QStringList seen;
        EventRecorder tips(QEvent::StatusTip, [&](QEvent* event) {
            seen << "tip " + static_cast<QStatusTipEvent*>(event)->tip();
        });
        host.installEventFilter(&tips);
        connect(band, &TGradient::OnMouseEnter, this,
                [&](TGradient* sender) { seen << (sender == band ? "enter" : "enter?"); });
        connect(band, &TGradient::OnMouseLeave, this,
                [&](TGradient* sender) { seen << (sender == band ? "leave" : "leave?"); });
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QCoreApplication::sendEvent(band, &enter);
        QCOMPARE(seen, QStringList({"tip bande", "enter"}));
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(band, &leave);
        QCOMPARE(seen, QStringList({"tip bande", "enter", "tip ", "leave"}));
    }

    // 100 x 100 with a frame 3 wide: the frame on the outer 3 pixels, the 2 x 2 checkerboard
    // stretched over the 94 x 94 inside, 47 pixels a quarter, and nothing left unpainted.
    void paintsFrameAndStretchedPattern() {
        TGradient band;
        band.setColorBegin(RgbColor(10, 20, 30));
        band.setColorEnd(RgbColor(200, 100, 50));
        band.setStyle(gsCustom);
        band.setBorderColor(RgbColor(1, 2, 3));
        band.setBorderWidth(3);
        const QImage image = Painted(band);
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x) {
                const bool frame = x < 3 || y < 3 || x >= 97 || y >= 97;
                const bool startQuarter = (x < 50) == (y < 50);
                const QRgb expected = frame          ? qRgb(1, 2, 3)
                                      : startQuarter ? qRgb(10, 20, 30)
                                                     : qRgb(200, 100, 50);
                if (image.pixel(x, y) != expected)
                    QFAIL(qPrintable(
                        QString("(%1, %2): %3").arg(x).arg(y).arg(image.pixel(x, y), 8, 16)));
            }
    }

    // The main window's band: every column shows the pattern column under its centre, exactly
    // (column 433, centre 193.002, shows entry 193), and all rows are alike.
    void stretchesByNearestPixel() {
        TGradient band;
        band.setColorBegin(RgbColor(0, 0, 0));
        band.setColorEnd(clWhite);
        band.setStyle(gsLinearH);
        band.resize(575, 67);
        const QImage image = Painted(band);
        for (int x = 0; x < 575; ++x) {
            const double centre = (x + 0.5) * 256 / 575;
            QVERIFY2(image.pixel(x, 0) == Rgb(band.Pattern().pixel(int(centre), 0)),
                     qPrintable(QString::number(x)));
            for (int y = 1; y < 67; ++y)
                QCOMPARE(image.pixel(x, y), image.pixel(x, 0));
        }
        QCOMPARE(image.pixel(433, 0), Grey(193));
    }

    // 2 x 2 over 3 x 3: the centres of the middle column and row lie on the pattern's borders and
    // take the pixel that begins there.
    void aCentreOnABorderTakesThePixelThatBeginsThere() {
        TGradient band;
        band.setColorBegin(RgbColor(10, 20, 30));
        band.setColorEnd(RgbColor(200, 100, 50));
        band.setStyle(gsCustom);
        band.resize(3, 3);
        const QImage image = Painted(band);
        const QRgb s = qRgb(10, 20, 30);
        const QRgb e = qRgb(200, 100, 50);
        const QList<QList<QRgb>> expected = {{s, e, e}, {e, s, s}, {e, s, s}};
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x)
                QCOMPARE(image.pixel(x, y), expected[y][x]);
    }

    void frameWiderThanTheBandCoversIt() {
        TGradient band;
        band.setBorderColor(RgbColor(1, 2, 3));
        band.setBorderWidth(std::numeric_limits<int>::max());
        const QImage image = Painted(band);
        for (const QPoint p : {QPoint(0, 0), QPoint(50, 50), QPoint(99, 99)})
            QCOMPARE(image.pixel(p), qRgb(1, 2, 3));
    }

    void disabledBandPaintsLikeAnEnabledOne() {
        TGradient band;
        band.setBorderWidth(4); // clActiveBorder, a system colour
        const QImage enabled = Painted(band);
        band.setEnabled(false);
        QCOMPARE(Painted(band), enabled);
    }

    void newBandShowsTheRadialPattern() {
        TGradient band;
        const QImage image = Painted(band);
        QCOMPARE(image.pixel(50, 50), kWhiteRgb);
        // The corner pixel shows pattern pixel (1, 1), one step inside the corner: entry 253.
        const TGradientColors colors = GradientColors(kWhiteRgb, ToQColor(clBtnFace).rgb(), 0, 0);
        QCOMPARE(image.pixel(0, 0), Rgb(colors[253]));
        QCOMPARE(image.pixel(99, 99), Rgb(colors[253]));
    }
};

QTEST_MAIN(TestGradient)
#include "test_gradient.moc"
