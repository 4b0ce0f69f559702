// SPDX-License-Identifier: GPL-3.0-or-later
// The setup-file writer (setupfile/setupfile.h): any setup it accepts is written as valid UTF-8 and reads
// back identical, field for field; a setup it refuses is refused for the first text, in file order, that no
// quoting can carry, with that text's reason, and the message names that text's box.
//
// Input: the first byte chooses how the rest is cut into the 129 texts (address text, then address,
// description, write and read text of rows 0 to 31; missing texts are empty, extra ones ignored):
//   even: UTF-8 texts separated by FF bytes (which UTF-8 never uses; invalid bytes become U+FFFD);
//   odd:  UTF-16 little-endian code units, texts separated by U+FFFF; any code unit can occur this way.

#include "fuzzcheck.h"
#include "setupfile/setupfile.h"
#include "setupfilereference.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdint>
#include <span>
#include <string>

using namespace vtx::setupfile;

namespace {

QStringList textsFromInput(const std::uint8_t* data, std::size_t size)
{
    QStringList texts;
    if (size > 0 && (data[0] & 1) != 0) {
        texts = vtx::fuzz::utf16FromInput(data + 1, size - 1).split(QChar(char16_t(0xFFFF)));
    } else if (size > 0) {
        for (const QByteArray& piece :
             QByteArray(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1)).split('\xFF'))
            texts << QString::fromUtf8(piece);
    }
    while (texts.size() < kFieldCount - 1)
        texts << QString();
    return texts;
}

// The box a refusal names for the text at `index` in file order.
QString boxOf(qsizetype index)
{
    static const char* const kRowTexts[] = {"register address", "description", "write data", "read data"};
    if (index == 0)
        return QStringLiteral("I2C address");
    return QStringLiteral("%1 of row %2").arg(QLatin1String(kRowTexts[(index - 1) % 4])).arg((index - 1) / 4);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const Setup setup = vtx::fuzz::setupOf(textsFromInput(data, size));
    const QStringList texts = vtx::fuzz::textsOf(setup);
    const std::string where = "setup " + vtx::fuzz::describe(texts);

    const auto problem = findUnsavableText(setup);
    const auto first = std::find_if(texts.cbegin(), texts.cend(),
                                    [](const QString& text) { return unsavableReason(text).has_value(); });
    FUZZ_CHECK(problem.has_value() == (first != texts.cend()), where);
    if (problem) {
        FUZZ_CHECK(problem->where == boxOf(first - texts.cbegin()) &&
                       problem->reason == unsavableReason(*first),
                   where + ": refused for " + problem->where.toStdString());
        FUZZ_CHECK(refusalMessage(*problem).contains(problem->where), problem->where.toStdString());
        return 0;
    }

    const QByteArray bytes = encode(setup);
    const std::span<const std::uint8_t> written(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                                static_cast<std::size_t>(bytes.size()));
    FUZZ_CHECK(vtx::fuzz::strictUtf8(written), where + ": the writer wrote bytes that are not valid UTF-8");
    FUZZ_CHECK(decode(bytes).setup == setup,
               where + " does not load back from " + vtx::fuzz::describe(QString::fromUtf8(bytes)));
    return 0;
}
