// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whether the vector paths of byte_scan.cpp and pattern_finder.cpp may run on this processor.

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define TROUVE_HAVE_AVX2_PATH 1
#include <immintrin.h>
#define TROUVE_AVX2 __attribute__((target("avx2,bmi,popcnt")))
#else
#define TROUVE_HAVE_AVX2_PATH 0
#endif

// True when the processor runs AVX2 code (checked once).
bool HasAvx2();
