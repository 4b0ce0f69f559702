// SPDX-License-Identifier: GPL-3.0-or-later
// The setup-file reader (regtool/setupfile.h) on any bytes:
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
#include <algorithm>
#include <cstdint>
#include <span>
#include <string>

using namespace vtx::setupfile;

namespace {

QStringList fieldsOf(const Setup& setup)
{
    QStringList fields{setup.i2cAddress};
    for (const Row& row : setup.rows)
        fields << row.address << row.description << row.writeData << row.readData;
    return fields;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> input(data, size);
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    const QString text = decodeText(bytes);
    const QString expectedText = vtx::fuzz::referenceText(input);

    FUZZ_CHECK(text == expectedText, "text " + vtx::fuzz::describe(text) + ", expected " +
                                         vtx::fuzz::describe(expectedText));

    const Decoded decoded = decode(bytes);
    const QStringList expectedFields = vtx::fuzz::referenceFields(expectedText);
    const int expectedCount = static_cast<int>(std::min<qsizetype>(expectedFields.size(), kFieldCount));
    FUZZ_CHECK(decoded.fieldsFound == expectedCount, "text " + vtx::fuzz::describe(text) + ": fieldsFound " +
                                                         std::to_string(decoded.fieldsFound) + ", expected " +
                                                         std::to_string(expectedCount));
    FUZZ_CHECK(decoded.setup.has_value() == (expectedCount == kFieldCount),
               "text " + vtx::fuzz::describe(text) + ": setup given with " + std::to_string(expectedCount) +
                   " fields");
    if (!decoded.setup)
        return 0;

    const QStringList fields = fieldsOf(*decoded.setup);
    for (qsizetype i = 0; i < fields.size(); ++i) {
        FUZZ_CHECK(fields[i] == expectedFields[i + 1], "text " + vtx::fuzz::describe(text) + ": field " +
                                                           std::to_string(i + 1) + " " +
                                                           vtx::fuzz::describe(fields[i]) + ", expected " +
                                                           vtx::fuzz::describe(expectedFields[i + 1]));
    }

    // What was read, once written, reads back the same. (Texts the writer refuses are left to the round-trip
    // target, which checks the refusals; decoded texts never hold lone surrogates.)
    if (findUnsavableText(*decoded.setup))
        return 0;
    const Decoded again = decode(encode(*decoded.setup));
    FUZZ_CHECK(again.setup && *again.setup == *decoded.setup,
               "text " + vtx::fuzz::describe(text) + ": the setup read from it does not survive a save");
    return 0;
}
