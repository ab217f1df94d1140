// SPDX-License-Identifier: GPL-3.0-or-later
// A small screen at scale 2: the offscreen screen of 800 x 800 device pixels is 400 x 400 here,
// smaller than the window.
#include "app/application.h"
#include "app/form_main.h"
#include "app/show_state.h"

#include <QPushButton>
#include <QScreen>
#include <QTest>

class TestScreenFit : public QObject {
    Q_OBJECT

private slots:
    // The whole window, frame included, lies within the available area: sized down to it, no more.
    void theWindowLiesWithinTheScreen() {
        TFormMain form;
        ShowMainWindow(form, TShowState::Normal);
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QRect area = form.screen()->availableGeometry();
        QVERIFY(area.width() < FormLayout::kMinClientWidth);
        QTRY_VERIFY(area.contains(form.frameGeometry()));
        QCOMPARE(form.frameGeometry().size(), area.size());
    }

    // Each pixel of a 16 x 16 glyph becomes 2 x 2 device pixels of its colour, never a blend.
    void glyphsAreDoubledPixelForPixel() {
        TFormMain form;
        for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled}) {
            const QImage glyph = form.btnGo->icon().pixmap(QSize(16, 16), 1.0, mode).toImage();
            const QImage doubled = form.btnGo->icon().pixmap(QSize(16, 16), 2.0, mode).toImage();
            QCOMPARE(doubled.size(), QSize(32, 32));
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 32; ++x)
                    QCOMPARE(doubled.pixel(x, y), glyph.pixel(x / 2, y / 2));
        }
    }
};

int main(int argc, char** argv) {
    qputenv("QT_SCALE_FACTOR", "2");
    TApplication app(argc, argv);
    TestScreenFit test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_screen_fit.moc"
