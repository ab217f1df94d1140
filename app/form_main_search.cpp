// The search run: every occurrence of the search string in the source file, as result lines.
#include "app/busy_cursor.h"
#include "app/edit.h"
#include "app/form_main.h"
#include "text/errors.h"
#include "text/occurrence_map.h"
#include "text/result_lines.h"
#include "text/search.h"
#include "text/search_run.h"
#include "text/strings.h"
#include "text/text_reader.h"
#include "widgets/prg_status_bar.h"
#include "widgets/qtext.h"
#include "widgets/text_view.h"

#include <QElapsedTimer>
#include <QPushButton>

namespace {

// Shows the progress of a run: "Line : n/N" in panel 0 for the line the run has read last. The
// window takes no input during a run, so the text is only formatted when the status bar is
// repainted to show it, at most every kRepaintMs. Gathers the map of the lines that hold an
// occurrence on the way.
class RunProgress : public SearchSink {
public:
    static constexpr qint64 kRepaintMs = 100;
    static constexpr unsigned kCallsPerLook = 64;

    RunProgress(ResultLines& lines, TPrgStatusBar& statusBar, const int64_t& totalLines)
        : FLines(lines), FStatusBar(statusBar), FTotalLines(totalLines), FMap(totalLines) {
        FClock.start();
    }

    void found(int64_t line, int64_t column, std::string_view word) override {
        FLines.found(line, column, word);
        FMap.add(line);
    }

    void progress(int64_t currentLine) override {
        FLines.progress(currentLine);
        // The clock is read once every kCallsPerLook calls: a run may make millions of them.
        if (++FCalls % kCallsPerLook != 0 || FClock.elapsed() < kRepaintMs)
            return;
        show(currentLine);
        FStatusBar.repaint();
        FClock.restart();
    }

    const OccurrenceMap& map() const noexcept { return FMap; }

    void show(int64_t currentLine) {
        FStatusBar.setPanelText(
            0, QStringLiteral("Line : ") + QString::fromStdString(DecimalText(currentLine)) +
                   QLatin1Char('/') + QString::fromStdString(DecimalText(FTotalLines)));
    }

private:
    ResultLines& FLines;
    TPrgStatusBar& FStatusBar;
    const int64_t& FTotalLines;
    QElapsedTimer FClock;
    unsigned FCalls = 0;
    OccurrenceMap FMap;
};

} // namespace

// The lines found reach the result list in one step, also those found before a failure; the
// progress text shows the last line read. The text marks the occurrences of those lines.
void TFormMain::listResults(ResultLines& lines, const std::string& pattern,
                            const OccurrenceMap& map) {
    mmo->appendLines(lines.take());
    if (mmo->lineCount() > 0) {
        mmoText->setMarkedPattern(pattern);
        mmoText->setOccurrenceMap(map);
    }
    if (FCurrentLine > 0)
        RunProgress(lines, *StatusBar, FTotalLines).show(FCurrentLine);
    StatusBar->announcePanelText(0);
}

void TFormMain::btnGoClick() {
    btnSave->setVisible(false);
    edtSel->setText(TrimmedText(edtSel->text()));
    const QString searchString = edtSel->text();
    if (searchString.isEmpty())
        return; // emptying the field has already cleared the results and disabled btnGo
    // The source is read in the encoding its load decided, also when the view refused its text;
    // a string that this encoding cannot hold occurs nowhere in it, searched as the empty pattern.
    const TextEncoding encoding = mmoText->model().fileEncoding();
    const std::string pattern = FromQString(searchString, encoding).value_or(std::string());
    FResumeStep = ResumeStep(pattern);
    FCurrentLine = 0;
    mmo->clear(encoding);
    mmoText->clearMarks();
    const BusyCursor busy; // the first repaint of the progress text shows it

    ResultLines lines;
    RunProgress progress(lines, *StatusBar, FTotalLines);
    TextReader reader;
    try {
        RunSearch({edtSrc->text().toStdString(), pattern, FResumeStep, encoding}, reader,
                  FCurrentLine, progress);
    } catch (...) {
        listResults(lines, pattern, progress.map());
        throw;
    }
    listResults(lines, pattern, progress.map());
    btnSave->setVisible(true);
}
