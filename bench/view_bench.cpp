// SPDX-License-Identifier: GPL-3.0-or-later
// Times the text view on a file: view_bench load FILE (load and line count, one run, so that the
// caller can measure the peak memory of the process), view_bench paint FILE [PATTERN] (a full view
// rendered at the top, in the middle and at the end of the text, best of several runs, with the
// occurrences of PATTERN marked), view_bench append COUNT.
#include "widgets/text_view.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

namespace {

constexpr int kRuns = 5;
constexpr QSize kViewSize(575, 443);

double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Best(const std::function<void()>& work) {
    double best = 1e9;
    for (int i = 0; i < kRuns; ++i)
        best = std::min(best, Seconds(work));
    return best;
}

// Renders the whole view into an image, as a screen update would paint it.
double PaintMs(TextView& view) {
    QImage image(kViewSize, QImage::Format_RGB32);
    return 1000 * Best([&] {
               QPainter painter(&image);
               view.render(&painter);
           });
}

int Load(const char* path) {
    TextView view;
    int lines = 0;
    const double seconds = Seconds([&] {
        view.loadFromFile(path);
        lines = view.lineCount();
    });
    std::printf("load %.3f s, %d lines\n", seconds, lines);
    return 0;
}

int Paint(const char* path, const char* pattern) {
    TextView view;
    view.resize(kViewSize);
    view.setFocus();
    view.loadFromFile(path);
    view.setMarkedPattern(pattern);
    QCoreApplication::processEvents();
    view.setSelStart(0);
    view.setSelLength(40);
    const double top = PaintMs(view);
    view.setSelStart(view.model().size() / 2);
    QCoreApplication::processEvents();
    const double middle = PaintMs(view);
    view.setSelStart(view.model().size());
    QCoreApplication::processEvents();
    const double end = PaintMs(view);
    std::printf("paint top %.2f ms, middle %.2f ms, end %.2f ms\n", top, middle, end);
    return 0;
}

int Append(long count) {
    TextView view;
    view.resize(kViewSize);
    const double seconds = Seconds([&] {
        for (long i = 0; i < count; ++i)
            view.appendLine(">" + std::to_string(i + 1) + ",17:maison");
        QCoreApplication::processEvents();
    });
    std::printf("append %ld lines %.3f s (%d lines)\n", count, seconds, view.lineCount());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 && !(argc == 4 && std::strcmp(argv[1], "paint") == 0)) {
        std::fprintf(stderr, "usage: view_bench load FILE | view_bench paint FILE [PATTERN] | "
                             "view_bench append COUNT\n");
        return 2;
    }
    QApplication app(argc, argv);
    try {
        if (std::strcmp(argv[1], "load") == 0)
            return Load(argv[2]);
        if (std::strcmp(argv[1], "paint") == 0)
            return Paint(argv[2], argc == 4 ? argv[3] : "");
        if (std::strcmp(argv[1], "append") == 0)
            return Append(std::atol(argv[2]));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 2;
}
