// SPDX-License-Identifier: GPL-3.0-or-later
// A file manager's part in the real-window test: a small window titled "source" that, when the
// mouse is pressed in it, drags the files named on its command line, offering them for copy, move
// or link with a move proposed (a file manager's choice within one disk). Once the drag ends it
// prints the action the drop target took ("copy", "move", "link" or "ignore"), and it stays a
// while longer: the target asks for the dropped data after the drag has ended.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <cstdio>

namespace {

constexpr int kServeMs = 20000;

const char* ActionName(Qt::DropAction action) {
    switch (action) {
    case Qt::CopyAction:
        return "copy";
    case Qt::MoveAction:
        return "move";
    case Qt::LinkAction:
        return "link";
    default:
        return "ignore";
    }
}

class DragSource : public QWidget {
public:
    explicit DragSource(QList<QUrl> urls) : FUrls(std::move(urls)) {
        setWindowTitle(QStringLiteral("source"));
        resize(200, 120);
    }

protected:
    void mousePressEvent(QMouseEvent*) override {
        auto* data = new QMimeData;
        data->setUrls(FUrls);
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        const Qt::DropAction action =
            drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::MoveAction);
        std::printf("%s\n", ActionName(action));
        std::fflush(stdout);
        QTimer::singleShot(kServeMs, qApp, &QApplication::quit);
    }

private:
    QList<QUrl> FUrls;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QList<QUrl> urls;
    for (int i = 1; i < argc; ++i)
        urls << QUrl::fromLocalFile(QString::fromLocal8Bit(argv[i]));
    DragSource source(urls);
    source.show();
    return app.exec();
}
