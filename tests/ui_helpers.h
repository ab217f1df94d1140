// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers for tests that drive the real window: answers for the file dialogs, and a watcher that
// reads and closes the modal boxes the window opens.

#include "app/file_dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <deque>
#include <fstream>
#include <functional>
#include <string>

// File dialogs that answer from a queue: a path, or nothing for "cancel".
class ScriptedDialogs : public FileDialogs {
public:
    std::deque<std::optional<QString>> openAnswers;
    std::deque<std::optional<QString>> saveAnswers;
    int openRuns = 0;
    int saveRuns = 0;

    std::optional<QString> runOpen(QWidget*) override {
        ++openRuns;
        return next(openAnswers);
    }
    std::optional<QString> runSave(QWidget*) override {
        ++saveRuns;
        return next(saveAnswers);
    }

private:
    static std::optional<QString> next(std::deque<std::optional<QString>>& answers) {
        std::optional<QString> answer;
        if (!answers.empty()) {
            answer.swap(answers.front());
            answers.pop_front();
        }
        return answer;
    }
};

// What a modal box showed when the watcher closed it.
struct SeenBox {
    QString caption;
    QString text;
    QStringList buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString className;
};

// Closes every modal box that opens while it lives, recording what each showed.
class BoxWatcher : public QObject {
public:
    std::vector<SeenBox> seen;

    BoxWatcher() {
        connect(&FTimer, &QTimer::timeout, this, [this] { closeModal(); });
        FTimer.start(10);
    }

private:
    void closeModal() {
        QWidget* modal = QApplication::activeModalWidget();
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (!dialog || !dialog->isVisible())
            return;
        SeenBox box;
        box.caption = dialog->windowTitle();
        box.className = QString::fromLatin1(dialog->metaObject()->className());
        if (auto* message = qobject_cast<QMessageBox*>(dialog)) {
            box.text = message->text();
            box.icon = message->icon();
            for (QAbstractButton* button : message->buttons())
                box.buttons << button->text();
        } else if (auto* label = dialog->findChild<QLabel*>(QStringLiteral("Message"))) {
            box.text = label->text();
        }
        seen.push_back(box);
        dialog->done(1);
    }

    QTimer FTimer;
};

// A file in a temporary folder, holding the given bytes.
inline QString WriteFile(const QTemporaryDir& dir, const QString& name, const std::string& bytes) {
    const QString path = dir.filePath(name);
    std::ofstream(path.toStdString(), std::ios::binary) << bytes;
    return path;
}

inline std::string ReadFile(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
