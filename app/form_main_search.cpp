// The search run: every occurrence of the search string in the source file, as result lines.
#include "app/busy_cursor.h"
#include "app/edit.h"
#include "app/form_main.h"
#include "text/errors.h"
#include "text/search.h"
#include "text/strings.h"
#include "text/text_reader.h"
#include "text/word.h"
#include "widgets/prg_status_bar.h"
#include "widgets/qtext.h"
#include "widgets/text_view.h"

#include <QElapsedTimer>
#include <QPushButton>

namespace {

// Gathers the result lines of a run and shows its progress. The window takes no input during a
// run, so the lines reach the result list in one step at the end, and the progress text is only
// formatted when the status bar is repainted to show it, at most every kRepaintMs.
class RunResults : public SearchSink {
public:
    static constexpr qint64 kRepaintMs = 100;

    RunResults(TPrgStatusBar& statusBar, const int64_t& totalLines)
        : FStatusBar(statusBar), FTotalLines(totalLines) {
        FClock.start();
    }

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
        if (FClock.elapsed() < kRepaintMs)
            return;
        showProgress(currentLine);
        FStatusBar.repaint();
        FClock.restart();
    }

    // "Line : n/N" in panel 0, for the line the run has read last.
    void showProgress(int64_t currentLine) {
        FStatusBar.setPanelText(
            0, QStringLiteral("Line : ") + QString::fromStdString(DecimalText(currentLine)) +
                   QLatin1Char('/') + QString::fromStdString(DecimalText(FTotalLines)));
    }

    void appendTo(TextView& view) {
        view.appendLines(FLines);
        FLines.clear();
    }

private:
    TPrgStatusBar& FStatusBar;
    const int64_t& FTotalLines;
    QElapsedTimer FClock;
    std::string FLines; // result lines, each ended by CR LF
};

// "aucun résultat", "1 résultat", "2 résultats".
QString ResultCountText(int count) {
    if (count == 0)
        return QStringLiteral("aucun résultat");
    return QString::number(count) +
           (count == 1 ? QStringLiteral(" résultat") : QStringLiteral(" résultats"));
}

} // namespace

void TFormMain::btnGoClick() {
    btnSave->setVisible(false);
    // Written back only when trimming changes it: a screen reader would read it again.
    if (const QString trimmed = TrimmedText(edtSel->text()); trimmed != edtSel->text())
        edtSel->setText(trimmed);
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
    const BusyCursor busy; // the first repaint of the progress text shows it

    TextReader reader;
    reader.open(edtSrc->text().toStdString());
    RunResults results(*StatusBar, FTotalLines);
    try {
        if (encoding == TextEncoding::Utf8)
            reader.skipByteOrderMark();
        SearchFile(reader, pattern, FResumeStep, FCurrentLine, results, encoding);
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
    // The keyboard finds the first result on coming into the list; the eye sees it as before.
    mmo->placeCaret(0);
    StatusBar->announce(StatusBar->panelText(0) + QStringLiteral(", ") +
                        ResultCountText(mmo->lineCount()));
}
