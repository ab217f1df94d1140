// SPDX-License-Identifier: GPL-3.0-or-later
// FindFrom, ReplaceAll, TrimText, IntOrDefault and DecimalText against plain references written
// straight from their rules.
#include "fuzz_support.h"
#include "text/strings.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace {

long long ReferenceFindFrom(const std::string& pattern, const std::string& text, long long offset) {
    const long long m = static_cast<long long>(pattern.size());
    const long long n = static_cast<long long>(text.size());
    if (m == 0 || n == 0)
        return 0;
    for (long long p = offset < 1 ? 1 : offset; p <= n - m + 1; ++p) {
        bool equal = true;
        for (long long k = 0; k < m && equal; ++k)
            equal = text[p - 1 + k] == pattern[k];
        if (equal)
            return p;
    }
    return 0;
}

std::string ReferenceReplaceAll(const std::string& text, const std::string& pattern,
                                const std::string& replacement) {
    std::string result;
    std::string rest = text;
    for (;;) {
        const std::string searched = rest.substr(0, rest.find('\0'));
        const long long at = ReferenceFindFrom(pattern, searched, 1);
        if (at == 0)
            break;
        result += rest.substr(0, at - 1) + replacement;
        rest = rest.substr(at - 1 + pattern.size());
    }
    return result + rest;
}

std::string ReferenceTrim(std::string text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32)
        text.erase(0, 1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32)
        text.pop_back();
    return text;
}

int HexValue(char c) {
    const std::string digits = "0123456789abcdef";
    const char lower = (c >= 'A' && c <= 'F') ? static_cast<char>(c - 'A' + 'a') : c;
    const auto at = digits.find(lower);
    return (lower == '\0' || at == std::string::npos) ? -1 : static_cast<int>(at);
}

// By significant-digit counts and 64-bit arithmetic rather than by the running limits.
std::optional<int32_t> ReferenceInt(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    std::string body = text.substr(i);
    bool hex = false;
    if (!body.empty() && (body[0] == '$' || body[0] == 'x' || body[0] == 'X')) {
        hex = true;
        body.erase(0, 1);
    } else if (body.size() >= 2 && body[0] == '0' && (body[1] == 'x' || body[1] == 'X')) {
        hex = true;
        body.erase(0, 2);
    }
    if (body.empty())
        return std::nullopt;
    const int base = hex ? 16 : 10;
    for (const char c : body)
        if (HexValue(c) < 0 || HexValue(c) >= base)
            return std::nullopt;
    const std::size_t first = body.find_first_not_of('0');
    const std::string significant = first == std::string::npos ? "" : body.substr(first);
    if (significant.size() > (hex ? 8u : 10u))
        return std::nullopt;
    int64_t value = 0;
    for (const char c : significant)
        value = value * base + HexValue(c);
    if (hex) {
        int64_t bits = value >= 0x80000000LL ? value - 0x100000000LL : value;
        if (negative)
            bits = -bits;
        return static_cast<int32_t>(bits == 0x80000000LL ? INT32_MIN : bits);
    }
    if (negative)
        value = -value;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<int32_t>(value);
}

// A text that is nearly a number, built around the range limits, so that the boundaries are hit
// far more often than by random bytes: blanks, a sign, a prefix, leading zeros, then a value near
// a limit in decimal or hexadecimal, sometimes with a stray character.
std::string NearlyNumber(FuzzedDataProvider& data) {
    static constexpr int64_t kLimits[] = {0,          214748364,  2147483647, 2147483648, 0xFFFFFFF,
                                          0x10000000, 0x7FFFFFFF, 0xFFFFFFFF, 0x100000000};
    static constexpr const char* kPrefixes[] = {"", "$", "x", "X", "0x", "0X", "0", "$$"};
    static constexpr const char* kSigns[] = {"", "-", "+", "--", "+-"};
    const int64_t value = data.PickValueInArray(kLimits) + data.ConsumeIntegralInRange(-3, 3);
    const std::string_view prefix = data.PickValueInArray(kPrefixes);
    const bool hex = !prefix.empty() && prefix != "0";
    char digits[32] = {};
    const char* format = hex ? (data.ConsumeBool() ? "%llx" : "%llX") : "%lld";
    std::snprintf(digits, sizeof digits, format,
                  static_cast<long long>(value < 0 ? -value : value));
    std::string text(data.ConsumeIntegralInRange(0, 3), ' ');
    text += data.PickValueInArray(kSigns);
    text += prefix;
    text += std::string(data.ConsumeIntegralInRange(0, 3), '0');
    text += digits;
    if (data.ConsumeIntegralInRange(0, 7) == 0)
        text.insert(data.ConsumeIntegralInRange<std::size_t>(0, text.size()), 1,
                    data.ConsumeIntegral<char>());
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const bool smallSet = data.ConsumeBool();
    const std::string pattern = TakeString(data, 8, smallSet);
    const std::string replacement = TakeString(data, 8, smallSet);
    const long long offset =
        data.ConsumeIntegralInRange<long long>(-1, static_cast<long long>(size) + 2);
    const int32_t fallback = data.ConsumeIntegral<int32_t>();
    const std::string text = TakeString(data, 4096, smallSet);
    const std::string nearlyNumber = NearlyNumber(data);

    Expect(FindFrom(pattern, text, offset) == ReferenceFindFrom(pattern, text, offset), "FindFrom");
    Expect(ReplaceAll(text, pattern, replacement) ==
               ReferenceReplaceAll(text, pattern, replacement),
           "ReplaceAll");
    Expect(TrimText(text) == ReferenceTrim(text), "TrimText");
    for (const std::string& number : {text, pattern, nearlyNumber}) {
        const auto expected = ReferenceInt(number);
        Expect(IntOrDefault(number, fallback) == expected.value_or(fallback), "IntOrDefault");
    }
    Expect(IntOrDefault(DecimalText(fallback), 0) == fallback, "DecimalText round trip");
    Expect(CharText(text.empty() ? '\0' : text[0]).size() == 1, "CharText");
    return 0;
}
