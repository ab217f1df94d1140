// The search run: every occurrence of the search string in the source file, as result lines.
#include "app/busy_work.h"
#include "app/edit.h"
#include "app/form_main.h"
#include "text/errors.h"
#include "text/row_index.h"
#include "text/search.h"
#include "text/strings.h"
#include "text/text_reader.h"
#include "text/word.h"
#include "widgets/prg_status_bar.h"
#include "widgets/qtext.h"
#include "widgets/text_view.h"

#include <QPushButton>
#include <atomic>

namespace {

// Gathers the result lines of a run on the worker thread that runs it, and keeps the number of
// the line read last for the GUI thread, which shows it as the progress text every kProgressMs
// and once at the end. The window takes no input during a run, so the lines reach the result list
// in one step at the end.
class RunResults : public SearchSink {
public:
    static constexpr int kProgressMs = 100;

    RunResults(TPrgStatusBar& statusBar, const int64_t& totalLines)
        : FStatusBar(statusBar), FTotalLines(totalLines) {}

    // A line is gathered whole or not at all: when memory runs out half way, what it had added
    // goes, so that the lines listed after the failure are all complete.
    void found(int64_t line, int64_t column, std::string_view word) override {
        const std::size_t before = FLines.size();
        try {
            AppendResultLine(FLines, line, column, word);
            FLines += "\r\n";
        } catch (...) {
            FLines.resize(before);
            throw;
        }
    }

    void progress(int64_t currentLine) override {
        FLastRead.store(currentLine, std::memory_order_relaxed);
    }

    // On the GUI thread, during the run: the progress text for the line read last, once a line
    // has been read and when it has changed.
    void showProgress() {
        const int64_t lastRead = FLastRead.load(std::memory_order_relaxed);
        if (lastRead > 0 && lastRead != FShown)
            showProgress(lastRead);
    }

    // "Line : n/N" in panel 0, for the line the run has read last.
    void showProgress(int64_t currentLine) {
        FShown = currentLine;
        FStatusBar.setPanelText(
            0, QStringLiteral("Line : ") + QString::fromStdString(DecimalText(currentLine)) +
                   QLatin1Char('/') + QString::fromStdString(DecimalText(FTotalLines)));
    }

    // On the worker, once the run has ended or failed: the rows of the lines gathered are indexed
    // there, so that the GUI thread only takes them. Without the memory for it, the list indexes
    // them itself when they are appended.
    void index() noexcept {
        try {
            RowIndex rows;
            rows.clear();
            rows.extend(FLines, 0);
            FRows = std::move(rows);
            FIndexed = true;
        } catch (const std::bad_alloc&) {
        }
    }

    void appendTo(TextView& view) {
        if (FIndexed)
            view.takeLines(std::move(FLines), std::move(FRows));
        else
            view.appendLines(FLines);
        FLines = std::string();
    }

private:
    TPrgStatusBar& FStatusBar;
    const int64_t& FTotalLines;
    std::atomic<int64_t> FLastRead = 0;
    int64_t FShown = 0;
    RowIndex FRows; // of FLines, once FIndexed
    bool FIndexed = false;
    std::string FLines; // result lines, each ended by CR LF
};

} // namespace

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

    TextReader reader;
    reader.open(edtSrc->text().toStdString());
    RunResults results(*StatusBar, FTotalLines);
    try {
        // The file is read and searched on a worker thread while the window waits without taking
        // input; until the run has ended, FCurrentLine is the worker's.
        RunBusy(
            [&] {
                try {
                    if (encoding == TextEncoding::Utf8)
                        reader.skipByteOrderMark();
                    SearchFile(reader, pattern, FResumeStep, FCurrentLine, results, encoding);
                } catch (...) {
                    results.index();
                    throw;
                }
                results.index();
            },
            [&] { results.showProgress(); }, RunResults::kProgressMs);
    } catch (...) {
        // The lines found so far stay listed; the reader is closed and the read error reported.
        results.appendTo(*mmo);
        if (FCurrentLine > 0)
            results.showProgress(FCurrentLine);
        StatusBar->announcePanelText(0);
        try {
            reader.close();
        } catch (const EError&) {
        }
        throw;
    }
    results.appendTo(*mmo);
    if (FCurrentLine > 0)
        results.showProgress(FCurrentLine);
    StatusBar->announcePanelText(0);
    btnSave->setVisible(true);
    reader.close();
}
