// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window "Recherche de texte": its controls, its three counters, the state rules that
// keep btnGo, btnSave and the result list consistent with the two fields, and its handlers.
// Handlers live in the form_main_*.cpp file of their task.

#include "app/file_dialogs.h"
#include "text/encoding.h"

#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>

class QLabel;
class QPushButton;
class TEdit;
class TGradient;
class TPrgStatusBar;
class TSplitter;
class TextView;
class ResultLines;

class TFormMain : public QWidget {
    Q_OBJECT
public:
    explicit TFormMain(QWidget* parent = nullptr);
    ~TFormMain() override;

    // Replaces the open and save dialogs (tests drive the window through this seam).
    void setFileDialogs(std::unique_ptr<FileDialogs> dialogs);

    // Controls, named as the handlers and the tests know them. The window owns them all.
    TGradient* Gradient1;
    QLabel* lblSrc;
    TEdit* edtSrc;
    QPushButton* btnOpen;
    QLabel* lblSel;
    TEdit* edtSel;
    QPushButton* btnGo;
    QPushButton* btnSave;
    QWidget* Panel1;
    TextView* mmo;
    TSplitter* Splitter1;
    TextView* mmoText;
    TPrgStatusBar* StatusBar;

    // Counts of lines are 64-bit: a file may hold more lines than 32 bits count.
    int64_t FTotalLines = 0;  // lines of the loaded source text
    int64_t FCurrentLine = 0; // line of the search run, 1-based once a line is read
    int32_t FResumeStep = 0;  // from a match to where the search of the line goes on

    // State rules.
    void FormCreate();
    void FormDestroy();
    void edtSrcChange();
    void edtSelChange();

    // Handlers of the controls.
    void btnOpenClick();
    void btnSaveClick();
    void btnGoClick();
    void mmoDblClick();
    void mmoTextMouseUp();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // A file dropped from a file manager opens as through btnOpen.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildTopStrip();
    void buildPanel();
    void buildStatusBar();
    void connectHandlers();
    // Names for screen readers, the window's role for them, and the keyboard's ways in.
    void setUpAccess();
    void setTabOrder();
    void acceptDroppedFiles();
    // Shows the path in edtSrc, loads the file into mmoText and shows its line count.
    void openSource(const QString& path);
    // Hands the lines of a run to the result list and shows the run's last progress.
    void listResults(ResultLines& lines, const std::string& pattern);

    std::unique_ptr<FileDialogs> FDialogs;
    // The encoding that the last load decided for its file, also when the view refused the text:
    // Exec. reads the file in it.
    TextEncoding FSourceEncoding = TextEncoding::Cp1252;
};

// Where the window's controls stand, in client coordinates.
namespace FormLayout {
inline constexpr int kClientWidth = 575;
inline constexpr int kClientHeight = 443;
inline constexpr int kMinClientWidth = 449;
inline constexpr int kMinClientHeight = 443;
inline constexpr int kLeft = 285;
inline constexpr int kTop = 106;
inline constexpr int kBandHeight = 67;
inline constexpr int kStatusHeight = 19;
inline constexpr int kResultWidth = 120;
} // namespace FormLayout
