#include "text/encoding.h"

#include "text/cp1252.h"

#include <algorithm>
#include <cstring>

void EncodingDetector::feed(std::string_view piece) noexcept {
    const std::size_t head = std::min(piece.size(), sizeof FHead - FHeadLength);
    if (head > 0)
        std::memcpy(FHead + FHeadLength, piece.data(), head);
    FHeadLength += head;
    if (!hasByteOrderMark())
        FValidator.feed(piece);
}

bool EncodingDetector::decided() const noexcept {
    return hasByteOrderMark() || !FValidator.validSoFar();
}

bool EncodingDetector::hasByteOrderMark() const noexcept {
    return std::string_view(FHead, FHeadLength) == kByteOrderMark;
}

TextEncoding EncodingDetector::finish() noexcept {
    if (hasByteOrderMark())
        return TextEncoding::Utf8;
    const bool wellFormed = FValidator.finish();
    return wellFormed && FValidator.sawHighByte() ? TextEncoding::Utf8 : TextEncoding::Cp1252;
}

std::optional<std::string> EncodeUtf8As(std::string_view utf8, TextEncoding encoding) {
    Utf8Validator validator;
    validator.feed(utf8);
    if (!validator.finish())
        return std::nullopt;
    if (encoding == TextEncoding::Utf8)
        return std::string(utf8);
    std::string bytes;
    bytes.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const DecodedChar c = DecodeChar(utf8, i);
        const auto byte = c.code <= 0xFFFF ? UnicodeToCp1252(char16_t(c.code)) : std::nullopt;
        if (!byte)
            return std::nullopt;
        bytes.push_back(char(*byte));
        i += c.length;
    }
    return bytes;
}
