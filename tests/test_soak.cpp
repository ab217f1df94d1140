// SPDX-License-Identifier: GPL-3.0-or-later
// Many cycles of what a person does, on varied files: open, search, double-click a result, save.
// Every saved file holds the result list; the process's memory does not grow from one cycle to
// the next (in the sanitizer build, where freed memory is held back, LeakSanitizer checks instead
// that nothing is lost).
#include "app/application.h"
#include "form_fixture.h"

#include <fstream>
#include <random>
#include <unistd.h>

namespace {

constexpr int kCycles = 200;
constexpr int kWarmUp = 40;
constexpr long kAllowedGrowthKiB = 4096;

long ResidentKiB() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Varied sources: Windows-1252 with CR LF, UTF-8 with a mark and LF, lone CR, NUL, the
// end-of-file mark, an empty file, and a larger text.
std::vector<std::string> Sources() {
    std::string large;
    for (int i = 0; i < 3000; ++i)
        large += "ligne " + std::to_string(i) + " de la maison \xE9t\xE9\r\n";
    return {"une maison\r\nla maison bleue\r\n",
            "\xEF\xBB\xBF\xC3\xA9t\xC3\xA9 \xCE\xB1\xCE\xB2 maison\n\xE4\xB8\xAD maison\n",
            "ma\rison maison\rmaison",
            std::string("maison\0maison\r\nmaison", 21),
            "maison\x1A maison",
            "",
            large};
}

} // namespace

class TestSoak : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

private slots:
    void manyCyclesKeepTheirMemory() {
        const std::vector<std::string> sources = Sources();
        const QStringList patterns = {QStringLiteral("maison"), QStringLiteral("é"),
                                      QStringLiteral("a"), QStringLiteral("αβ"),
                                      QStringLiteral("ison m")};
        std::mt19937 random(23);
        ShownForm w;
        BoxWatcher watcher; // the warning of an unusable line, should one come
        [[maybe_unused]] long settled = 0;
        for (int cycle = 0; cycle < kCycles; ++cycle) {
            const std::string& source = sources[random() % sources.size()];
            w.open(WriteFile(FDir, QStringLiteral("source%1.txt").arg(cycle % 3), source));
            w.form.edtSel->setText(patterns[int(random() % patterns.size())]);
            QTest::mouseClick(w.form.btnGo, Qt::LeftButton);
            if (w.form.mmo->lineCount() > 0)
                QTest::mouseDClick(w.form.mmo->viewport(), Qt::LeftButton, {}, QPoint(10, 5));
            const QString saved = FDir.filePath(QStringLiteral("results.txt"));
            w.dialogs->saveAnswers.push_back(saved);
            QTest::mouseClick(w.form.btnSave, Qt::LeftButton);
            if (w.form.mmo->lineCount() > 0)
                QVERIFY(ReadFile(saved) == w.form.mmo->model().text());
            QCoreApplication::processEvents();
            if (cycle + 1 == kWarmUp)
                settled = ResidentKiB();
        }
#if !defined(__SANITIZE_ADDRESS__)
        const long growth = ResidentKiB() - settled;
        QVERIFY2(growth <= kAllowedGrowthKiB,
                 qPrintable(QStringLiteral("grew by %1 KiB").arg(growth)));
#endif
    }
};

QTEST_MAIN(TestSoak)
#include "test_soak.moc"
