// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Shared by the fuzz targets: a check that stays in every build type, helpers to show what failed, and the
// two ways targets cut their input into texts.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace vtx::fuzz {

// Prints the failed condition and its details, then aborts so that libFuzzer (or the replay driver) stops
// and keeps the input.
[[noreturn]] inline void checkFailed(const char* condition, const char* file, int line,
                                     const std::string& detail)
{
    std::fprintf(stderr, "FUZZ CHECK FAILED at %s:%d: %s\n  %s\n", file, line, condition, detail.c_str());
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

inline std::string describe(const QStringList& texts)
{
    std::string out;
    for (const QString& text : texts)
        out += describe(text) + " ";
    return out;
}

// Arguments separated by NUL bytes, which argv cannot hold; no bytes are no arguments.
inline QStringList argumentsFromInput(const std::uint8_t* data, std::size_t size)
{
    QStringList arguments;
    if (size == 0)
        return arguments;
    for (const QByteArray& piece :
         QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)).split('\0'))
        arguments << QString::fromLocal8Bit(piece);
    return arguments;
}

// Little-endian UTF-16 code units (an odd last byte is ignored), so that any code unit can occur, lone
// surrogates and full-width digits included.
inline QString utf16FromInput(const std::uint8_t* data, std::size_t size)
{
    QString text;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text += QChar(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    return text;
}

} // namespace vtx::fuzz

// Unlike assert(), this is not compiled out in release builds.
#define FUZZ_CHECK(condition, detail)                                                                        \
    do {                                                                                                     \
        if (!(condition))                                                                                    \
            ::vtx::fuzz::checkFailed(#condition, __FILE__, __LINE__, (detail));                              \
    } while (false)
