// SPDX-License-Identifier: GPL-3.0-or-later
// The setup-file reader (setupfile/setupfile.h) on any bytes:
//   - it never crashes, and its text and fields agree with the second reading in setupfilereference.h;
//   - it gives a setup exactly when the file holds all kFieldCount (130) fields, never for fewer, and then
//     the setup carries fields 1 to 129 in order; fieldsFound is the number held, at most 130;
//   - a setup read from any file that the writer accepts is written and read back unchanged.
//
// Input: the bytes of a file.

#include "fuzzcheck.h"
#include "setupfile/setupfile.h"
#include "setupfilereference.h"

#include <QByteArray>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

using namespace vtx::setupfile;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = decodeText(bytes);
    const QString expectedText = vtx::fuzz::referenceText(std::span(data, size));
    FUZZ_CHECK(text == expectedText,
               "text " + vtx::fuzz::describe(text) + ", expected " + vtx::fuzz::describe(expectedText));

    const Decoded decoded = decode(bytes);
    const QStringList fields = vtx::fuzz::referenceFields(expectedText).mid(0, kFieldCount);
    const std::optional<Setup> expected =
        fields.size() == kFieldCount ? std::optional(vtx::fuzz::setupOf(fields.mid(1))) : std::nullopt;
    const std::string where = "text " + vtx::fuzz::describe(text);
    FUZZ_CHECK(decoded.fieldsFound == fields.size() && decoded.setup == expected,
               where + ": " + std::to_string(decoded.fieldsFound) + " fields found, setup " +
                   (decoded.setup ? vtx::fuzz::describe(vtx::fuzz::textsOf(*decoded.setup)) : "none") +
                   "; expected the fields " + vtx::fuzz::describe(fields));

    // What was read, once written, reads back the same. (Texts the writer refuses are left to the round-trip
    // target, which checks the refusals; decoded texts never hold lone surrogates.)
    if (decoded.setup && !findUnsavableText(*decoded.setup))
        FUZZ_CHECK(decode(encode(*decoded.setup)).setup == decoded.setup,
                   where + ": the setup read from it does not survive a save");
    return 0;
}
