// SPDX-License-Identifier: GPL-3.0-or-later
// The setup-file writer (regtool/setupfile.h): any setup it accepts is written as valid UTF-8 and reads back
// identical, field for field; a setup it refuses is refused for the first text, in file order, that no
// quoting can carry, and the message names that text's box.
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
#include <cstdint>
#include <span>
#include <string>
#include <vector>

using namespace vtx::setupfile;

namespace {

constexpr int kTextCount = kFieldCount - 1; // every field but the header word

QStringList textsFromInput(const std::uint8_t* data, std::size_t size)
{
    QStringList texts{QString()};
    if (size == 0)
        return texts;
    const bool utf16 = (data[0] & 1) != 0;
    if (!utf16) {
        QByteArray piece;
        for (std::size_t i = 1; i < size; ++i) {
            if (data[i] == 0xFF) {
                texts.back() = QString::fromUtf8(piece);
                piece.clear();
                texts << QString();
            } else {
                piece += static_cast<char>(data[i]);
            }
        }
        texts.back() = QString::fromUtf8(piece);
    } else {
        for (std::size_t i = 1; i + 1 < size; i += 2) {
            const char16_t unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
            if (unit == 0xFFFF)
                texts << QString();
            else
                texts.back() += QChar(unit);
        }
    }
    return texts;
}

// The texts of a setup in file order, each with the box name a refusal uses for it.
struct Text {
    const QString* text;
    QString where;
};

std::vector<Text> textsInFileOrder(const Setup& setup)
{
    std::vector<Text> texts{{&setup.i2cAddress, QStringLiteral("I2C address")}};
    for (int r = 0; r < vtx::kRegisterRowCount; ++r) {
        const Row& row = setup.rows[static_cast<std::size_t>(r)];
        const QString n = QString::number(r);
        texts.push_back({&row.address, QStringLiteral("register address of row ") + n});
        texts.push_back({&row.description, QStringLiteral("description of row ") + n});
        texts.push_back({&row.writeData, QStringLiteral("write data of row ") + n});
        texts.push_back({&row.readData, QStringLiteral("read data of row ") + n});
    }
    return texts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QStringList texts = textsFromInput(data, size);
    while (texts.size() < kTextCount)
        texts << QString();

    Setup setup;
    setup.i2cAddress = texts[0];
    for (std::size_t r = 0; r < setup.rows.size(); ++r) {
        const qsizetype first = 1 + 4 * static_cast<qsizetype>(r);
        setup.rows[r] = Row{texts[first], texts[first + 1], texts[first + 2], texts[first + 3]};
    }
    const std::vector<Text> ordered = textsInFileOrder(setup);

    if (const auto problem = findUnsavableText(setup)) {
        // The first text in file order that cannot go, with its reason; every text before it can go.
        bool found = false;
        for (const Text& t : ordered) {
            const auto reason = unsavableReason(*t.text);
            if (t.where == problem->where) {
                FUZZ_CHECK(reason && *reason == problem->reason,
                           "refusal of " + t.where.toStdString() + " " + vtx::fuzz::describe(*t.text) +
                               " with another reason");
                found = true;
                break;
            }
            FUZZ_CHECK(!reason, t.where.toStdString() + " " + vtx::fuzz::describe(*t.text) +
                                    " is unsavable but a later text was named");
        }
        FUZZ_CHECK(found, "refusal names an unknown box: " + problem->where.toStdString());
        FUZZ_CHECK(refusalMessage(*problem).contains(problem->where), problem->where.toStdString());
        return 0;
    }

    const QByteArray bytes = encode(setup);
    const std::span<const std::uint8_t> written(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                                static_cast<std::size_t>(bytes.size()));
    FUZZ_CHECK(vtx::fuzz::isValidUtf8(written), "the writer wrote bytes that are not valid UTF-8");

    const Decoded decoded = decode(bytes);
    FUZZ_CHECK(decoded.setup.has_value() && decoded.fieldsFound == kFieldCount,
               "a written setup does not load: " + std::to_string(decoded.fieldsFound) + " fields in " +
                   vtx::fuzz::describe(QString::fromUtf8(bytes)));
    const std::vector<Text> loaded = textsInFileOrder(*decoded.setup);
    for (std::size_t i = 0; i < ordered.size(); ++i) {
        FUZZ_CHECK(*loaded[i].text == *ordered[i].text,
                   ordered[i].where.toStdString() + ": wrote " + vtx::fuzz::describe(*ordered[i].text) +
                       ", loaded " + vtx::fuzz::describe(*loaded[i].text) + " from " +
                       vtx::fuzz::describe(QString::fromUtf8(bytes)));
    }
    return 0;
}
