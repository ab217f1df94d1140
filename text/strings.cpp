// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/strings.h"

#include <algorithm>
#include <optional>

namespace {

constexpr char kBlank = ' ';
constexpr uint32_t kDecimalLimitBeforeDigit = 214748364;
constexpr uint32_t kHexLimitBeforeDigit = 0x0FFFFFFF;
constexpr uint64_t kLargestPositive = 2147483647;
constexpr uint64_t kLargestNegated = 2147483648;

bool IsTrimmed(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

std::optional<int> HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return std::nullopt;
}

// Length of the hexadecimal prefix at the start of text, 0 when there is none.
std::size_t HexPrefixLength(std::string_view text) {
    if (text.starts_with('$') || text.starts_with('x') || text.starts_with('X'))
        return 1;
    if (text.starts_with("0x") || text.starts_with("0X"))
        return 2;
    return 0;
}

// The 32 bits of a hexadecimal number of at most 8 significant digits.
std::optional<uint32_t> ParseHex(std::string_view digits) {
    if (digits.empty())
        return std::nullopt;
    uint32_t value = 0;
    for (const char c : digits) {
        const auto digit = HexDigitValue(c);
        if (!digit || value > kHexLimitBeforeDigit)
            return std::nullopt;
        value = value * 16 + static_cast<uint32_t>(*digit);
    }
    return value;
}

// The magnitude of a decimal number, at most 2147483649 when it is returned.
std::optional<uint64_t> ParseDecimal(std::string_view digits) {
    if (digits.empty())
        return std::nullopt;
    uint64_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9' || value > kDecimalLimitBeforeDigit)
            return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return value;
}

} // namespace

long long FindFrom(std::string_view pattern, std::string_view text, long long offset) {
    const std::size_t start = offset < 1 ? 0 : static_cast<std::size_t>(offset - 1);
    if (pattern.empty() || start >= text.size())
        return 0;
    const std::size_t found = text.find(pattern, start);
    return found == std::string_view::npos ? 0 : static_cast<long long>(found) + 1;
}

std::string ReplaceAll(std::string_view text, std::string_view pattern,
                       std::string_view replacement) {
    // A match never reaches past the first NUL, so everything from there on is copied as it is.
    const std::string_view searched = text.substr(0, text.find('\0'));
    const std::string_view tail = text.substr(searched.size());
    if (pattern.empty())
        return std::string(text);
    std::string result;
    result.reserve(text.size());
    std::size_t rest = 0;
    for (std::size_t found = searched.find(pattern); found != std::string_view::npos;
         found = searched.find(pattern, rest)) {
        result.append(searched.substr(rest, found - rest));
        result.append(replacement);
        rest = found + pattern.size();
    }
    result.append(searched.substr(rest));
    result.append(tail);
    return result;
}

std::string TrimText(std::string_view text) {
    std::size_t first = 0;
    while (first < text.size() && IsTrimmed(text[first]))
        ++first;
    std::size_t last = text.size();
    while (last > first && IsTrimmed(text[last - 1]))
        --last;
    return std::string(text.substr(first, last - first));
}

int32_t IntOrDefault(std::string_view text, int32_t def) {
    std::string_view rest = text.substr(std::min(text.find_first_not_of(kBlank), text.size()));
    const bool negative = rest.starts_with('-');
    if (negative || rest.starts_with('+'))
        rest.remove_prefix(1);
    if (const std::size_t prefix = HexPrefixLength(rest); prefix > 0) {
        const auto bits = ParseHex(rest.substr(prefix));
        if (!bits)
            return def;
        // Negated in unsigned arithmetic: "-$80000000" wraps to -2147483648 instead of overflowing.
        return static_cast<int32_t>(negative ? 0u - *bits : *bits);
    }
    const auto magnitude = ParseDecimal(rest);
    if (!magnitude || *magnitude > (negative ? kLargestNegated : kLargestPositive))
        return def;
    return static_cast<int32_t>(negative ? 0u - static_cast<uint32_t>(*magnitude)
                                         : static_cast<uint32_t>(*magnitude));
}

std::string DecimalText(int32_t n) {
    return std::to_string(n);
}

std::string DecimalText(int64_t n) {
    return std::to_string(n);
}

std::string CharText(char c) {
    return std::string(1, c);
}
