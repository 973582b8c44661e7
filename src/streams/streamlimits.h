#pragma once

#include <QtGlobal>

// A track longer than this is refused rather than listed: a day of two-second
// fragments is some 43,000, so anything beyond is a mistake or an attack, and
// the list and the resume record stay small.
inline constexpr qsizetype kMaxStreamFragments = 100000;
