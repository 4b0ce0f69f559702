// SPDX-License-Identifier: GPL-3.0-or-later
// HexToInt against a reference reading written from its contract in common/hex.h:
//   - blanks (space, tab) are skipped wherever they stand;
//   - reading stops at the first character that is neither a blank nor a hex digit (0-9, a-f, A-F);
//   - leading zeros are not significant; up to four significant digits give the 16-bit value, 8000 to FFFF
//     read as negative numbers; five or more significant digits do not fit and give nothing;
//   - a text without digits gives 0.
//
// Input: the first byte chooses how the rest becomes a text: even = one character per byte (Latin-1), odd =
// UTF-16 code units, little-endian (so any code unit, lone surrogates and full-width digits included).

#include "common/hex.h"
#include "fuzzcheck.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <string>

namespace {

// The reference: collect the significant digits as a string first, then decide.
std::optional<int> referenceValue(const QString& text)
{
    static const std::string digits = "0123456789abcdef";
    std::string significant;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u' ' || u == u'\t')
            continue;
        if (u > 0x7F)
            break;
        const char lower = static_cast<char>(u >= u'A' && u <= u'Z' ? u + (u'a' - u'A') : u);
        const std::size_t digit = digits.find(lower);
        if (digit == std::string::npos)
            break;
        if (significant.empty() && digit == 0)
            continue;
        significant += lower;
    }
    if (significant.size() > 4)
        return std::nullopt;
    const int value = significant.empty() ? 0 : std::stoi(significant, nullptr, 16);
    return value >= 0x8000 ? value - 0x10000 : value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QString text;
    if (size > 0 && (data[0] & 1) == 0)
        text = QString::fromLatin1(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    else if (size > 0)
        text = vtx::fuzz::utf16FromInput(data + 1, size - 1);

    const std::optional<std::int16_t> actual = vtx::HexToInt(text);
    const std::optional<int> expected = referenceValue(text);
    const auto show = [](const auto& value) {
        return value ? std::to_string(*value) : std::string("nothing");
    };
    FUZZ_CHECK(actual == expected, "text " + vtx::fuzz::describe(text) + ": HexToInt gives " + show(actual) +
                                       ", the contract says " + show(expected));
    return 0;
}
