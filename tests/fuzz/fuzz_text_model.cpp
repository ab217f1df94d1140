// SPDX-License-Identifier: GPL-3.0-or-later
// TextModel: loading any bytes (break conversion, the cut at NUL, the capacity, the encoding), the
// line count and lines, appending, rows and the selection, each against a reference written from
// its rule; offsets in characters for a UTF-8 text.
#include "fuzz_files.h"
#include "text/errors.h"
#include "text/text_model.h"
#include "utf8_reference.h"

#include <fstream>
#include <iterator>

namespace {

constexpr std::string_view kMark = "\xEF\xBB\xBF";

// A UTF-8 text starts with the byte-order mark, or is well-formed with a byte of 0x80 or above.
bool IsUtf8(const std::string& file) {
    const bool high = std::any_of(file.begin(), file.end(),
                                  [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    return file.starts_with(kMark) || (high && RefWellFormed(file));
}

// The text a load gives: without a UTF-8 byte-order mark, cut at the first NUL; CR LF kept; a
// lone CR or lone LF made CR LF.
std::string Converted(const std::string& file) {
    const std::string unmarked = file.starts_with(kMark) ? file.substr(kMark.size()) : file;
    const std::string data = unmarked.substr(0, unmarked.find('\0'));
    std::string text;
    for (size_t i = 0; i < data.size(); ++i) {
        if (data[i] == '\r' && i + 1 < data.size() && data[i + 1] == '\n') {
            text += "\r\n";
            ++i;
        } else if (data[i] == '\r' || data[i] == '\n') {
            text += "\r\n";
        } else {
            text += data[i];
        }
    }
    return text;
}

// The rows of a text: the pieces between CR LF pairs (any other CR or LF belongs to its row).
std::vector<std::string> Rows(const std::string& text) {
    std::vector<std::string> rows{""};
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            rows.emplace_back();
            ++i;
        } else {
            rows.back() += text[i];
        }
    }
    return rows;
}

// 0 for an empty text; else the CR LF pairs plus one, minus one when the last line is empty.
int LineCount(const std::string& text, const std::vector<std::string>& rows) {
    if (text.empty())
        return 0;
    return int(rows.size()) - (rows.back().empty() ? 1 : 0);
}

std::string Appended(const std::string& text, const std::string& s) {
    const std::string line = s.substr(0, s.find('\0'));
    if (text.empty() || text.ends_with("\r\n"))
        return text + line + "\r\n";
    return text + "\r\n" + line;
}

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Offsets of the text-view operations, by byte offset: characters of a UTF-8 text, bytes of any
// other. Counted once per text, so that checking every row stays linear.
class Chars {
public:
    Chars(const TextModel& model, const std::string& text) : FBefore(text.size() + 1) {
        const bool utf8 = model.encoding() == TextEncoding::Utf8;
        for (std::size_t i = 0; i < text.size(); ++i)
            FBefore[i + 1] = FBefore[i] + (!utf8 || RefStartsAt(text, i));
    }
    std::int64_t operator()(std::size_t offset) const { return FBefore[offset]; }

private:
    std::vector<std::int64_t> FBefore;
};

// A line cut to its first kMaxLineLength characters.
std::string Cut(const TextModel& model, const std::string& line) {
    std::size_t end = 0;
    for (std::size_t chars = 0; end < line.size(); ++end) {
        const bool starts = model.encoding() == TextEncoding::Cp1252 || RefStartsAt(line, end);
        if (starts && chars++ == TextModel::kMaxLineLength)
            break;
    }
    return line.substr(0, end);
}

// Everything the model says of its text agrees with the reference text.
void CheckText(const TextModel& model, const std::string& text, FuzzedDataProvider& data) {
    Expect(model.text() == text, "text");
    Expect(model.size() == std::int64_t(text.size()), "size");
    const Chars chars(model, text);
    const std::vector<std::string> rows = Rows(text);
    const int lines = LineCount(text, rows);
    Expect(model.lineCount() == lines, "line count");
    Expect(model.rowCount() == int(rows.size()), "row count");
    // Rows are visited in order, each operation in a pass of its own, as the view visits them:
    // the index then finds each row from the one before instead of from its last kept row.
    std::vector<std::int64_t> starts{0};
    std::int64_t longest = 0;
    for (int row = 0; row < int(rows.size()); ++row) {
        const std::string& expected = rows[size_t(row)];
        const std::int64_t offset = starts.back();
        Expect(model.rowStart(row) == offset, "row start");
        Expect(model.rowOffset(row) == chars(std::size_t(offset)), "row offset");
        Expect(model.rowText(row).view() == expected, "row text");
        longest = std::max(longest, std::int64_t(expected.size()));
        starts.push_back(offset + std::int64_t(expected.size()) + 2);
    }
    for (int row = 0; row < int(rows.size()); ++row) {
        Expect(model.rowOfOffset(starts[size_t(row)]) == row, "row of its offset");
        if (row < lines)
            Expect(model.line(row) == Cut(model, rows[size_t(row)]), "line");
    }
    Expect(model.rowStart(-1) == 0 && model.rowStart(int(rows.size())) == model.size() &&
               model.rowOffset(int(rows.size())) == chars(text.size()),
           "offsets outside the rows");
    Expect(model.line(-1).empty() && model.line(lines).empty(), "lines outside the text");
    Expect(model.longestRow() == longest, "longest row");
    const std::int64_t probe = data.ConsumeIntegralInRange<std::int64_t>(-2, model.size() + 2);
    const std::int64_t clamped = std::clamp<std::int64_t>(probe, 0, model.size());
    const int row = model.rowOfOffset(probe);
    Expect(model.rowStart(row) <= clamped &&
               (row + 1 == model.rowCount() || clamped < model.rowStart(row + 1)),
           "row of an offset");
}

void CheckSelection(TextModel& model, const std::string& text, FuzzedDataProvider& data) {
    const std::int64_t n = std::int64_t(text.size());
    const std::int64_t anchor = data.ConsumeIntegralInRange<std::int64_t>(-2, n + 2);
    const std::int64_t caret = data.ConsumeIntegralInRange<std::int64_t>(-2, n + 2);
    model.setSelection(anchor, caret);
    const std::int64_t a = std::clamp<std::int64_t>(anchor, 0, n);
    const std::int64_t c = std::clamp<std::int64_t>(caret, 0, n);
    const Chars chars(model, text);
    const std::int64_t first = chars(std::size_t(std::min(a, c)));
    const std::int64_t last = chars(std::size_t(std::max(a, c)));
    Expect(model.selStart() == first && model.selLength() == last - first, "selection");
    Expect(model.selectedText() == text.substr(size_t(std::min(a, c)), size_t(std::abs(a - c))),
           "selected text");
    // The same selection set in characters, from a character's start.
    if (model.encoding() == TextEncoding::Cp1252 ||
        RefStartsAt(text + ' ', std::size_t(std::min(a, c)))) {
        model.setSelStart(first);
        model.setSelLength(last - first);
        Expect(model.anchor() == std::min(a, c), "selection start set in characters");
        Expect(model.selLength() == last - first, "selection length set in characters");
    }
}

// Loads bytes into model, whose text was before; returns the text it holds afterwards.
std::string Load(TextModel& model, const std::string& before, const std::string& bytes) {
    Scratch().write(bytes);
    const std::string after = Converted(bytes);
    const TextEncoding encoding = IsUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Cp1252;
    const bool cut = (bytes.starts_with(kMark) ? bytes.substr(kMark.size()) : bytes).find('\0') !=
                     std::string::npos;
    const bool same = !cut && after == before && encoding == model.encoding();
    const std::int64_t anchor = model.anchor(), caret = model.caret();
    const TextEncoding shown = model.encoding();
    if (!model.limits().paged && std::int64_t(after.size()) > model.capacity() && !same) {
        OpenedText read = TextModel::readFile(Scratch().path(), model.limits());
        Expect(read.encoding == encoding, "the refused file's encoding");
        try {
            model.adopt(std::move(read));
            Expect(false, "a text beyond the capacity is refused");
        } catch (const EInvalidOperation& error) {
            Expect(error.message() == kMemoCapacityMessage, "capacity message");
        }
        Expect(model.text() == before && model.encoding() == shown,
               "a refused load keeps the text and its encoding");
        Expect(model.anchor() == anchor && model.caret() == caret, "and the selection");
        return before;
    }
    Expect(model.loadFromFile(Scratch().path()) == !same, "load reports a change");
    Expect(model.encoding() == encoding, "encoding");
    if (same)
        Expect(model.anchor() == anchor && model.caret() == caret, "same text keeps selection");
    else
        Expect(model.anchor() == 0 && model.caret() == 0, "new text resets selection");
    return after;
}

// Files of up to this many bytes (four times as many once folded onto UTF-8 pieces) hold a few
// strides of the row index; longer ones reach no other code and slow every run.
constexpr std::size_t kFileLength = 600;

// Raw bytes, bytes folded onto line controls, or onto pieces of UTF-8.
std::string TakeBytes(FuzzedDataProvider& data, int fold, std::size_t length) {
    std::string bytes = data.ConsumeRandomLengthString(length);
    return fold == 0 ? bytes : fold == 1 ? FoldOntoLineControls(bytes) : FoldOntoUtf8Pieces(bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const int fold = data.ConsumeIntegralInRange(0, 2);
    const std::int64_t capacity =
        data.ConsumeBool() ? data.ConsumeIntegralInRange(0, 64) : TextModel::kDefaultCapacity;
    TextModel model(capacity);
    // The text read from the file's pages, or kept in memory, where alone a lowered capacity
    // counts (appends to a file's text copy it into memory, up to the capacity).
    TextLimits limits = model.limits();
    limits.paged = capacity == TextModel::kDefaultCapacity && data.ConsumeBool();
    model.setLimits(limits);
    std::string text;

    const std::string first = TakeBytes(data, fold, kFileLength);
    text = Load(model, text, first);
    CheckText(model, text, data);
    CheckSelection(model, text, data);
    // The same file again, or another one.
    text = Load(model, text, data.ConsumeBool() ? first : TakeBytes(data, fold, kFileLength));
    CheckText(model, text, data);

    // Appends, each checked at once for its text and caret; the rows they add, after the last.
    for (int i = data.ConsumeIntegralInRange(0, 4); i > 0; --i) {
        const std::string line = TakeBytes(data, fold, 300);
        model.appendLine(line);
        text = Appended(text, line);
        Expect(model.text() == text, "text after append");
        Expect(model.caret() == model.size() && model.selLength() == 0, "caret after append");
    }
    CheckText(model, text, data);
    CheckSelection(model, text, data);
    if (data.ConsumeBool()) {
        const std::string saved = Scratch().path() + ".saved";
        model.saveToFile(saved);
        Expect(FileBytes(saved) == text, "saved bytes");
        ::unlink(saved.c_str());
    }
    model.clear();
    CheckText(model, "", data);
    return 0;
}
