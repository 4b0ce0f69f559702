// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Shared by the fuzz targets: a check that stays in every build type, and helpers to show what failed.

#include <QString>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace vtx::fuzz {

// Prints the failed condition and its details, then aborts so that libFuzzer (or the replay driver) stops
// and keeps the input.
[[noreturn]] inline void checkFailed(const char* condition, const char* file, int line, const std::string& detail)
{
    std::fprintf(stderr, "FUZZ CHECK FAILED at %s:%d: %s\n", file, line, condition);
    if (!detail.empty())
        std::fprintf(stderr, "  %s\n", detail.c_str());
    std::fflush(stderr);
    std::abort();
}

// A text as its UTF-16 code units, printable ASCII as is and everything else as \uXXXX, so that blanks,
// control characters and lone surrogates are visible in a report.
inline std::string describe(const QString& text)
{
    std::string out = "\"";
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x20 && u < 0x7F && u != u'\\' && u != u'"') {
            out += static_cast<char>(u);
        } else {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned>(u));
            out += buffer;
        }
    }
    return out + "\"";
}

} // namespace vtx::fuzz

// Unlike assert(), this is not compiled out in release builds.
#define FUZZ_CHECK(condition, detail)                                                                        \
    do {                                                                                                     \
        if (!(condition))                                                                                    \
            ::vtx::fuzz::checkFailed(#condition, __FILE__, __LINE__, (detail));                              \
    } while (false)
