// SPDX-License-Identifier: GPL-3.0-or-later
// The search run: every occurrence of the search string in the source file, as result lines.
#include "app/busy_work.h"
#include "app/edit.h"
#include "app/form_main.h"
#include "text/occurrence_map.h"
#include "text/result_lines.h"
#include "text/search.h"
#include "text/search_run.h"
#include "text/strings.h"
#include "text/text_reader.h"
#include "widgets/prg_status_bar.h"
#include "widgets/qtext.h"
#include "widgets/text_view.h"

#include <QPushButton>

namespace {

// How often the progress text follows the run.
constexpr int kProgressMs = 100;

// "Line : n/N" in panel 0, for the line the run has read last.
QString ProgressText(int64_t currentLine, int64_t totalLines) {
    return QStringLiteral("Line : ") + QString::fromStdString(DecimalText(currentLine)) +
           QLatin1Char('/') + QString::fromStdString(DecimalText(totalLines));
}

// "aucun résultat", "1 résultat", "2 résultats".
QString ResultCountText(int count) {
    if (count == 0)
        return QStringLiteral("aucun résultat");
    return QString::number(count) +
           (count == 1 ? QStringLiteral(" résultat") : QStringLiteral(" résultats"));
}

} // namespace

// The lines found reach the result list in one step, also those found before a failure; the
// progress text shows the last line read. The text marks the occurrences of those lines.
void TFormMain::listResults(ResultLines& lines, const std::string& pattern) {
    mmo->appendLines(lines.take());
    if (mmo->lineCount() > 0) {
        mmoText->setMarkedPattern(pattern);
        mmoText->setOccurrenceMap(lines.map());
    }
    if (FCurrentLine > 0)
        StatusBar->setPanelText(0, ProgressText(FCurrentLine, FTotalLines));
    StatusBar->announcePanelText(0);
}

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
    const TextEncoding encoding = FSourceEncoding;
    const std::string pattern = FromQString(searchString, encoding).value_or(std::string());
    FResumeStep = ResumeStep(pattern);
    FCurrentLine = 0;
    mmo->clear(encoding);
    mmoText->clearMarks();

    // The file is read and searched on a worker thread while the window waits without taking
    // input; until the run has ended, FCurrentLine is the worker's, and the progress text follows
    // the line the result lines were last told of.
    ResultLines lines(FTotalLines);
    TextReader reader;
    const SearchRequest request{edtSrc->text().toStdString(), pattern, FResumeStep, encoding};
    int64_t shown = 0;
    const auto showProgress = [&] {
        if (const int64_t line = lines.currentLine(); line > 0 && line != shown) {
            shown = line;
            StatusBar->setPanelText(0, ProgressText(line, FTotalLines));
        }
    };
    try {
        RunBusy([&] { RunSearch(request, reader, FCurrentLine, lines); }, showProgress,
                kProgressMs);
    } catch (...) {
        listResults(lines, pattern);
        throw;
    }
    listResults(lines, pattern);
    btnSave->setVisible(true);
    // The keyboard finds the first result on coming into the list; the eye sees it as before.
    mmo->placeCaret(0);
    StatusBar->announce(StatusBar->panelText(0) + QStringLiteral(", ") +
                        ResultCountText(mmo->lineCount()));
}
