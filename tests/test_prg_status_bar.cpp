// SPDX-License-Identifier: GPL-3.0-or-later
// The progress status bar: its panels, the indicator's activation and host panel, the property
// rules, and the main window's instance.
#include "text/errors.h"
#include "widgets/prg_status_bar.h"

#include <QImage>
#include <QPainter>
#include <QProgressBar>
#include <QTest>
#include <algorithm>
#include <limits>
#include <vector>

namespace {

// Records every owner-drawn panel it paints.
class TRecordingBar : public TPrgStatusBar {
public:
    std::vector<int> drawn;

protected:
    void DrawPanel(QPainter& painter, int index, const QRect& rect) override {
        drawn.push_back(index);
        TPrgStatusBar::DrawPanel(painter, index, rect);
    }
};

// Counts the posted events it receives, to see whether events were processed.
class TEventCounter : public QObject {
public:
    int received = 0;
    bool event(QEvent* event) override {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        ++received;
        return true;
    }
    void post() { QCoreApplication::postEvent(this, new QEvent(QEvent::User)); }
};

// Builds the bar as the main window does.
void SetUpLikeMainWindow(TPrgStatusBar& bar) {
    bar.clearPanels();
    for (const int width : {150, 250, 50})
        bar.addPanel(width);
    bar.setPgActive(false);
    bar.setPgIndex(0);
    bar.setPgMax(100);
    bar.setPgMin(0);
    bar.setPgPosition(0);
    bar.setPgStep(10);
    bar.setGeometry(0, 424, 575, 19);
}

// Whether any pixel inside rect has exactly the colour.
bool HasColour(const QImage& image, const QRect& rect, QColor colour) {
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}

// Collects the regions of the paint events a widget receives.
class TPaintRecorder : public QObject {
public:
    std::vector<QRegion> regions;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            regions.push_back(static_cast<QPaintEvent*>(event)->region());
        return false;
    }
};

void ShowAndWait(QWidget& widget) {
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
}

} // namespace

class TestPrgStatusBar : public QObject {
    Q_OBJECT
private slots:
    void newWidgetHasOnePanelAndAnInactiveIndicator() {
        TPrgStatusBar bar;
        QCOMPARE(bar.panelCount(), 1);
        QCOMPARE(bar.pgIndex(), 0);
        QCOMPARE(bar.pgActive(), false);
        QCOMPARE(bar.pgMin(), 0);
        QCOMPARE(bar.pgMax(), 100);
        QCOMPARE(bar.pgPosition(), 0);
        QCOMPARE(bar.pgStep(), 10);
        QCOMPARE(bar.indicator()->size(), QSize(0, 0));
        QVERIFY(bar.indicator()->isHidden());
        QCOMPARE(bar.indicator()->parentWidget(), &bar);
    }

    void simplePanelIsReadOnlyFalse() {
        TPrgStatusBar bar;
        QCOMPARE(bar.property("SimplePanel").toBool(), false);
        QVERIFY(!bar.setProperty("SimplePanel", true));
        QCOMPARE(bar.property("SimplePanel").toBool(), false);
        // The six settings are stored with a window definition, SimplePanel is not.
        const QMetaObject* meta = bar.metaObject();
        for (const char* name : {"PgActive", "PgIndex", "PgMax", "PgMin", "PgPosition", "PgStep"})
            QVERIFY2(meta->property(meta->indexOfProperty(name)).isWritable(), name);
        QVERIFY(!meta->property(meta->indexOfProperty("SimplePanel")).isWritable());
    }

    void mainWindowInstance() {
        TPrgStatusBar bar;
        SetUpLikeMainWindow(bar);
        QCOMPARE(bar.panelCount(), 3);
        QCOMPARE(bar.panelWidth(0), 150);
        QCOMPARE(bar.panelWidth(1), 250);
        QCOMPARE(bar.panelWidth(2), 50);
        QCOMPARE(bar.pgActive(), false);
        QCOMPARE(bar.pgIndex(), 0);
        QCOMPARE(bar.pgStep(), 10);
        QVERIFY(bar.indicator()->isHidden());
        QCOMPARE(bar.panelRect(0), QRect(0, 2, 150, 17));
        QCOMPARE(bar.panelRect(1), QRect(152, 2, 248, 17));
        QCOMPARE(bar.panelRect(2), QRect(402, 2, 575 - 402, 17)); // the last one takes the rest
        QVERIFY(bar.sizeHint().height() > 0);
    }

    void activationOwnerDrawsTheHostAndPlacesTheIndicatorInside() {
        TRecordingBar bar;
        SetUpLikeMainWindow(bar);
        QPalette palette = bar.palette();
        palette.setColor(QPalette::WindowText, QColor(255, 0, 0));
        bar.setPalette(palette);
        bar.setPanelText(0, QStringLiteral("\u2588\u2588\u2588\u2588"));
        ShowAndWait(bar);
        const QRect host = bar.panelRect(0);
        QVERIFY(HasColour(bar.grab().toImage(), host, Qt::red));

        bar.setPgActive(true); // repaints before returning
        QVERIFY(bar.pgActive());
        QCOMPARE(bar.panelStyle(0), psOwnerDraw);
        QVERIFY(!bar.drawn.empty());
        QVERIFY(std::all_of(bar.drawn.begin(), bar.drawn.end(), [](int i) { return i == 0; }));
        QVERIFY(bar.indicator()->isVisible());
        QCOMPARE(bar.indicator()->geometry(), host.adjusted(1, 1, -1, -1));
        QVERIFY(!HasColour(bar.grab().toImage(), host, Qt::red));

        // A new height moves the indicator with the panel.
        bar.resize(575, 25);
        QTRY_COMPARE(bar.indicator()->geometry(), bar.panelRect(0).adjusted(1, 1, -1, -1));

        bar.setPgActive(false);
        QCOMPARE(bar.panelStyle(0), psText);
        QVERIFY(bar.indicator()->isHidden());
        QCOMPARE(bar.indicator()->size(), QSize(0, 0));
        QVERIFY(HasColour(bar.grab().toImage(), bar.panelRect(0), Qt::red));
    }

    void ownerDrawHookEmitsWhenConnectedOtherwiseFillsWithButtonFace() {
        TPanelStatusBar bar;
        bar.addPanel(100);
        bar.setPanelStyle(0, psOwnerDraw);
        bar.resize(100, 19);
        QPalette palette = bar.palette();
        palette.setColor(QPalette::Button, QColor(1, 2, 3));
        bar.setPalette(palette);
        const QRect rect = bar.panelRect(0);
        QCOMPARE(bar.grab().toImage().pixelColor(rect.center()), QColor(1, 2, 3));

        std::vector<std::pair<int, QRect>> calls;
        QObject::connect(&bar, &TPanelStatusBar::drawPanel,
                         [&calls](QPainter* painter, int index, const QRect& r) {
                             calls.emplace_back(index, r);
                             painter->fillRect(r, QColor(4, 5, 6));
                         });
        QCOMPARE(bar.grab().toImage().pixelColor(rect.center()), QColor(4, 5, 6));
        QCOMPARE(calls.size(), size_t(1));
        QCOMPARE(calls[0].first, 0);
        QCOMPARE(calls[0].second, rect);
    }

    void changingTheHostWhileActive() {
        TPrgStatusBar bar;
        SetUpLikeMainWindow(bar);
        ShowAndWait(bar);
        bar.setPgActive(true);

        bar.setPgIndex(2);
        QCOMPARE(bar.panelStyle(0), psText);
        QCOMPARE(bar.panelStyle(2), psOwnerDraw);
        QVERIFY(bar.pgActive());
        QCOMPARE(bar.indicator()->geometry(), bar.panelRect(2).adjusted(1, 1, -1, -1));

        bar.setPgIndex(2); // the same index gives the host back and takes it again
        QCOMPARE(bar.panelStyle(2), psOwnerDraw);
        QVERIFY(bar.pgActive());

        bar.setPgIndex(5);
        QCOMPARE(bar.pgIndex(), -1);
        QCOMPARE(bar.pgActive(), false);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(bar.panelStyle(i), psText);
        QVERIFY(bar.indicator()->isHidden());
    }

    void theSavedStyleIsRestored() {
        TPrgStatusBar bar;
        SetUpLikeMainWindow(bar);
        bar.setPanelStyle(1, psOwnerDraw);
        bar.setPgIndex(1);
        bar.setPgActive(true);
        bar.setPgIndex(0);
        QCOMPARE(bar.panelStyle(1), psOwnerDraw);
        bar.setPgActive(false);
        QCOMPARE(bar.panelStyle(0), psText);
    }

    void noHostMeansActivationChangesNothing() {
        TPrgStatusBar bar;
        SetUpLikeMainWindow(bar);
        bar.setPgIndex(-1);
        QCOMPARE(bar.pgIndex(), -1);
        bar.setPgActive(true);
        QCOMPARE(bar.pgActive(), false);
        QCOMPARE(bar.panelStyle(0), psText);
        QVERIFY(bar.indicator()->isHidden());
        bar.setPgIndex(1); // a valid index while inactive gives a host and stays inactive
        QCOMPARE(bar.pgIndex(), 1);
        QCOMPARE(bar.pgActive(), false);
    }

    void whenEventsAreProcessed() {
        TPrgStatusBar bar;
        SetUpLikeMainWindow(bar);
        ShowAndWait(bar);
        TEventCounter counter;

        // Writing PgActive processes events even when nothing changes.
        counter.post();
        bar.setPgActive(false);
        QCOMPARE(counter.received, 1);

        // Inactive: the position moves, events wait.
        counter.post();
        bar.setPgPosition(30);
        QCOMPARE(counter.received, 1);

        bar.setPgActive(true);
        QCOMPARE(counter.received, 2);

        counter.post();
        bar.setPgPosition(30); // unchanged: not even event processing
        QCOMPARE(counter.received, 2);
        bar.setPgPosition(40);
        QCOMPARE(counter.received, 3);
        QCOMPARE(bar.indicator()->value(), 40);

        counter.post();
        bar.PgStepIt();
        QCOMPARE(counter.received, 4);
        counter.post();
        bar.PgStepBy(5);
        QCOMPARE(counter.received, 5);
        QCOMPARE(bar.pgPosition(), 55);

        // Max, min and step never process events.
        counter.post();
        bar.setPgMax(200);
        bar.setPgMin(10);
        bar.setPgStep(3);
        QCOMPARE(counter.received, 5);
        QCoreApplication::processEvents();
        QCOMPARE(counter.received, 6);
    }

    void noPanelMeansPgActiveDoesNothingAtAll() {
        TPrgStatusBar bar;
        bar.clearPanels();
        TEventCounter counter;
        counter.post();
        bar.setPgActive(true);
        QCOMPARE(counter.received, 0);
        QCOMPARE(bar.pgActive(), false);
        QCoreApplication::processEvents();
    }

    void boundsOutOfOrderAreRefused_data() {
        QTest::addColumn<bool>("writeMin");
        QTest::addColumn<int>("value");
        QTest::newRow("min above max") << true << 200;
        QTest::newRow("max below min") << false << -1;
    }
    void boundsOutOfOrderAreRefused() {
        QFETCH(bool, writeMin);
        QFETCH(int, value);
        TPrgStatusBar bar;
        bar.setPgPosition(50);
        try {
            writeMin ? bar.setPgMin(value) : bar.setPgMax(value);
            QFAIL("no error");
        } catch (const EInvalidOperation& error) {
            QCOMPARE(QString::fromUtf8(error.what()),
                     QStringLiteral("Propriété TProgressIndicator hors limites"));
        }
        QCOMPARE(bar.pgMin(), 0);
        QCOMPARE(bar.pgMax(), 100);
        QCOMPARE(bar.pgPosition(), 50);
    }

    void indicatorHoldsPlainValuesUntilFirstShown() {
        TPrgStatusBar bar;
        SetUpLikeMainWindow(bar);
        bar.setPgMax(500);
        bar.setPgMin(100);
        bar.setPgPosition(50); // outside the range: held as given
        bar.PgStepIt();
        bar.PgStepBy(7);
        QCOMPARE(bar.pgPosition(), 50);
        bar.setPgMin(20); // lowering the minimum before the first show leaves the position
        QCOMPARE(bar.pgPosition(), 50);
        bar.setPgMin(100);

        ShowAndWait(bar);
        bar.setPgActive(true);
        QCOMPARE(bar.indicator()->minimum(), 100);
        QCOMPARE(bar.indicator()->maximum(), 500);
        QCOMPARE(bar.pgPosition(), 100);
        bar.PgStepIt();
        QCOMPARE(bar.pgPosition(), 110);
        bar.setPgMin(60); // lowering the minimum once shown moves the position to it
        QCOMPARE(bar.pgPosition(), 60);
        bar.setPgMin(80); // raising it keeps the position inside the range
        QCOMPARE(bar.pgPosition(), 80);
        bar.PgStepBy(std::numeric_limits<int>::max());
        QCOMPARE(bar.pgPosition(), 500);
        bar.PgStepBy(std::numeric_limits<int>::min());
        QCOMPARE(bar.pgPosition(), 80);
        QCOMPARE(bar.indicator()->value(), 80);
    }

    void panelTextRepaintsOnlyWhenChanged() {
        TPrgStatusBar bar;
        SetUpLikeMainWindow(bar);
        ShowAndWait(bar);
        TPaintRecorder paints;
        bar.installEventFilter(&paints);
        bar.setPanelText(0, QStringLiteral("Line : 1/120"));
        QCOMPARE(bar.panelText(0), QStringLiteral("Line : 1/120"));
        QTRY_COMPARE(paints.regions.size(), size_t(1));
        QVERIFY(bar.panelRect(0).contains(paints.regions[0].boundingRect()));
        bar.setPanelText(0, QStringLiteral("Line : 1/120"));
        QCoreApplication::processEvents();
        QCOMPARE(paints.regions.size(), size_t(1));
        QCOMPARE(bar.panelText(1), QString());
        QVERIFY_THROWS_EXCEPTION(EStringListError, bar.setPanelText(3, QStringLiteral("x")));
        QVERIFY_THROWS_EXCEPTION(EStringListError, bar.panelWidth(-1));
    }
};

QTEST_MAIN(TestPrgStatusBar)
#include "test_prg_status_bar.moc"
