// SPDX-License-Identifier: GPL-3.0-or-later
// From a result line to the text, and from a selection in the text to the search string.
#include "app/edit.h"
#include "app/form_main.h"
#include "app/message_form.h"
#include "text/errors.h"
#include "text/line_list.h"
#include "text/strings.h"
#include "widgets/qtext.h"
#include "widgets/text_view.h"

namespace {

struct Place {
    int32_t line = -1;
    int32_t column = -1;
    bool usable() const { return line > 0 && column > 0; }
};

// ">12,5:maison" gives line 12, column 5; a line with fewer than three fields is not usable.
Place ParseResultLine(const std::string& resultLine) {
    std::string fields = ReplaceAll(TrimText(resultLine), ">", "");
    fields = ReplaceAll(fields, ",", "\r\n");
    fields = ReplaceAll(fields, ":", "\r\n");
    const LineList entries = SplitLines(fields);
    if (entries.count() < 3)
        return {};
    return {IntOrDefault(entries.at(0), -1), IntOrDefault(entries.at(1), -1)};
}

} // namespace

void TFormMain::mmoDblClick() {
    const Place place = ParseResultLine(mmo->line(mmo->caretRow()));
    if (!place.usable()) {
        MessageDialog(QStringLiteral("Erreur de sélection"), mtWarning, {mbOK});
        return;
    }
    // The focus first: a screen reader then says where it went and what is selected there.
    mmoText->setFocus(Qt::OtherFocusReason);
    mmoText->setSelStart(mmoText->rowOffset(place.line - 1) + place.column - 1);
    mmoText->setSelLength(CharCount(edtSel->text()));
}

// The largest selection that becomes the search string: the field lays out its whole text.
constexpr qint64 kMaxPickedUpBytes = qint64(1) << 20;

void TFormMain::mmoTextMouseUp() {
    if (mmoText->model().selectionSize() > kMaxPickedUpBytes)
        throw EInvalidOperation(
            SelectionTooLargeMessage(kMaxPickedUpBytes, "elle ne devient pas la chaîne cherchée"));
    const std::string selected = mmoText->selectedText();
    if (!selected.empty())
        edtSel->setText(ToQString(selected, mmoText->encoding()));
}
