// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/encoding.h"

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
