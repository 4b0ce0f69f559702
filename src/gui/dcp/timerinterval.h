// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringView>
#include <optional>

namespace vtx::dcp {

// The interval of the transfer timer, in milliseconds, as typed into the interval box.
constexpr int kMinimumIntervalMs = 0;
constexpr int kMaximumIntervalMs = 65535;

enum class IntervalTextKind {
    Accepted,   // a usable interval (0 means no ticks)
    OutOfRange, // a number the timer cannot take; the interval in use stays
};

struct IntervalReading {
    IntervalTextKind kind;
    int intervalMs; // meaningful only when accepted
};

// Reads the number at the start of the text: leading blanks skipped, an optional sign, digits with an
// optional fraction and exponent; a text that does not start with a number gives 0. The number is rounded
// to the nearest integer, halves to the even neighbour. Values outside 0..65535 are refused rather than
// clamped: a typed 100000 that silently ran at 65535 would be a period nobody asked for.
IntervalReading readIntervalText(QStringView text);

// True when the whole text (blanks around it aside) is one number; only then does leaving the box change
// the interval.
bool isWholeNumber(QStringView text);

} // namespace vtx::dcp
