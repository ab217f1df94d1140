#include "text/word.h"

#include <charconv>

namespace {

void AppendDecimal(std::string& out, int32_t value) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

} // namespace

std::string_view WordViewAround(std::string_view line, size_t p) {
    if (p < 1 || p > line.size())
        return {};
    size_t start = p - 1; // 0-based index of the character at p
    if (!IsWordChar(static_cast<unsigned char>(line[start])))
        return {};
    while (start > 0 && IsWordChar(static_cast<unsigned char>(line[start - 1])))
        --start;
    size_t end = p;
    while (end < line.size() && IsWordChar(static_cast<unsigned char>(line[end])))
        ++end;
    return line.substr(start, end - start);
}

std::string WordAround(std::string_view line, size_t p) {
    return std::string(WordViewAround(line, p));
}

void AppendResultLine(std::string& out, int32_t line, int32_t column, std::string_view word) {
    out += '>';
    AppendDecimal(out, line);
    out += ',';
    AppendDecimal(out, column);
    out += ':';
    out += word;
}

std::string ResultLine(int32_t line, int32_t column, std::string_view word) {
    std::string result;
    result.reserve(24 + word.size());
    AppendResultLine(result, line, column, word);
    return result;
}
