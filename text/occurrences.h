// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The occurrences of a search string in one row of text, as the search run finds them: bytes in
// the text's encoding, overlapping ones included, and in UTF-8 whole characters only (a match that
// ends inside a character is none). The text view marks them in the part of a row it paints.

#include "text/encoding.h"

#include <cstddef>
#include <string_view>
#include <vector>

// The byte offsets in row of the occurrences of pattern that share at least one byte with
// [from, to), in increasing order. Only the bytes within pattern.size() of that range are read, so
// the slice of a long row costs its own length. An empty pattern occurs nowhere.
std::vector<std::size_t> OccurrencesIn(std::string_view row, std::size_t from, std::size_t to,
                                       std::string_view pattern, TextEncoding encoding);
