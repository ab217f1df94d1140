// SPDX-License-Identifier: GPL-3.0-or-later
// Files dropped on the window. One file dropped from a file manager opens as the open dialog's
// choice would; anything else (several files, a folder, text, a remote address) is refused and
// changes nothing.
#include "app/form_main.h"
#include "app/handler.h"

#include <QApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QSysInfo>
#include <QUrl>
#include <optional>

namespace {

// A file:// address names this machine with no host, "localhost" or the machine's own name.
bool IsThisMachine(const QString& host) {
    return host.isEmpty() || host == QLatin1String("localhost") ||
           host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) == 0;
}

// The full path of the one file that the data names, or nothing.
std::optional<QString> DroppedFile(const QMimeData* data) {
    if (!data)
        return std::nullopt;
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1)
        return std::nullopt;
    QUrl url = urls.front();
    if (!url.isLocalFile() || !IsThisMachine(url.host()))
        return std::nullopt;
    url.setHost(QString());
    const QString path = url.toLocalFile();
    if (path.isEmpty() || QFileInfo(path).isDir())
        return std::nullopt;
    return path;
}

// Accepts a drop of one file as a copy and gives its path; refuses any other. A file manager
// deletes the file after a drop taken as a move, so only a copy is taken. While a dialog or a
// message box is open the window takes no drop, as it takes no click.
std::optional<QString> AnswerDrop(QDropEvent& event) {
    std::optional<QString> path;
    if (!QApplication::activeModalWidget() && (event.possibleActions() & Qt::CopyAction))
        path = DroppedFile(event.mimeData());
    if (!path) {
        event.ignore();
        return std::nullopt;
    }
    event.setDropAction(Qt::CopyAction);
    event.accept();
    return path;
}

} // namespace

void TFormMain::acceptDroppedFiles() {
    setAcceptDrops(true);
    // The window alone takes drops: the search field would take a dropped file's name as text.
    for (QWidget* child : findChildren<QWidget*>())
        child->setAcceptDrops(false);
}

void TFormMain::dragEnterEvent(QDragEnterEvent* event) {
    AnswerDrop(*event);
}

// Answered again at every move: the proposed action changes with the keys held.
void TFormMain::dragMoveEvent(QDragMoveEvent* event) {
    AnswerDrop(*event);
}

void TFormMain::dropEvent(QDropEvent* event) {
    const std::optional<QString> path = AnswerDrop(*event);
    if (!path)
        return;
    // The file opens once the drop is answered, so the file manager is not kept waiting while the
    // file loads or while an error box is open.
    QMetaObject::invokeMethod(this, Guarded([this, path = *path] { openSource(path); }),
                              Qt::QueuedConnection);
}
