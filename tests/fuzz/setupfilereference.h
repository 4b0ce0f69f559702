// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A second reading of the setup-file format, written from its description in setupfile/setupfile.h, for the
// setup-file fuzz targets to compare the real reader with:
//
//   - the bytes are UTF-8 when they are valid UTF-8 (a byte order mark at the start is dropped), otherwise
//     Windows-1252;
//   - fields end at a comma or a line end (CR LF, CR or LF); blanks (space, tab) in front of a field are
//     skipped and blanks at its end dropped; a field that begins with a double quote runs to the next double
//     quote (or the end of the text), and whatever follows that quote up to the delimiter is dropped;
//   - a comma always promises one more field, even an empty one at the very end; an empty line is one empty
//     field; after the last line end there is no further field.
//
// It works character by character with an explicit state, unlike the reader, so the two are not one
// algorithm written twice.

#include "setupfile/setupfile.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>

namespace vtx::fuzz {

// Strict UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF, no cut-off sequence) as UTF-16,
// every character kept, a byte order mark too; nothing when the bytes are not valid UTF-8.
inline std::optional<QString> strictUtf8(std::span<const std::uint8_t> bytes)
{
    static constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000}; // by sequence length
    QString text;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::uint8_t b = bytes[i];
        const std::size_t length = b < 0x80             ? 1
                                   : (b & 0xE0) == 0xC0 ? 2
                                   : (b & 0xF0) == 0xE0 ? 3
                                   : (b & 0xF8) == 0xF0 ? 4
                                                        : 0;
        if (length == 0 || i + length > bytes.size())
            return std::nullopt;
        char32_t cp = length == 1 ? b : b & (0x7F >> length); // the lead byte's payload bits
        for (std::size_t k = 1; k < length; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80)
                return std::nullopt;
            cp = (cp << 6) | (bytes[i + k] & 0x3F);
        }
        if (cp < kMinimum[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return std::nullopt;
        if (QChar::requiresSurrogates(cp))
            text.append(QChar(QChar::highSurrogate(cp))).append(QChar(QChar::lowSurrogate(cp)));
        else
            text.append(QChar(static_cast<char16_t>(cp)));
        i += length;
    }
    return text;
}

// Windows-1252; the five codes it leaves unassigned (81, 8D, 8F, 90, 9D) stay the C1 controls of Latin-1.
inline QString windows1252(std::span<const std::uint8_t> bytes)
{
    static constexpr char16_t high[32] = {
        u'€', 0x0081, u'‚',   u'ƒ', u'„',   u'…',   u'†', u'‡',   u'ˆ', u'‰', u'Š',
        u'‹', u'Œ',   0x008D, u'Ž', 0x008F, 0x0090, u'‘', u'’',   u'“', u'”', u'•',
        u'–', u'—',   u'˜',   u'™', u'š',   u'›',   u'œ', 0x009D, u'ž', u'Ÿ',
    };
    QString text;
    for (const std::uint8_t b : bytes)
        text += QChar(b >= 0x80 && b <= 0x9F ? high[b - 0x80] : char16_t(b));
    return text;
}

inline QString referenceText(std::span<const std::uint8_t> bytes)
{
    const bool bom = bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
    if (const std::optional<QString> text = strictUtf8(bytes))
        return bom ? text->mid(1) : *text;
    return windows1252(bytes);
}

// Every field of the text, in order.
inline QStringList referenceFields(const QString& text)
{
    enum class State {
        BeforeField, // at the start of a field: blanks are skipped
        Plain,       // inside an unquoted field
        Quoted,      // between the quotes
        AfterQuote,  // past the closing quote: dropped up to the delimiter
    };
    QStringList fields;
    QString field;
    State state = State::BeforeField;
    bool promised = false; // the last delimiter was a comma
    bool afterCr = false;  // the last character was a CR, so an LF now may belong to it
    const auto finish = [&] {
        while (state == State::Plain && (field.endsWith(u' ') || field.endsWith(u'\t')))
            field.chop(1);
        fields << std::exchange(field, QString());
    };

    for (const QChar c : text) {
        const bool wasCr = std::exchange(afterCr, c == u'\r');
        if (state == State::Quoted) {
            if (c == u'"')
                state = State::AfterQuote;
            else
                field += c;
        } else if (c == u',' || c == u'\r' || c == u'\n') {
            if (state == State::BeforeField && c == u'\n' && wasCr)
                continue; // the LF of a CR LF that ended the previous field
            finish();
            state = State::BeforeField;
            promised = c == u',';
        } else if (state == State::BeforeField) {
            if (c == u'"')
                state = State::Quoted;
            else if (c != u' ' && c != u'\t')
                field += c, state = State::Plain;
        } else if (state == State::Plain) {
            field += c;
        }
    }
    if (state != State::BeforeField || promised)
        finish();
    return fields;
}

// A setup's texts in file order: the address, then each row's four texts.
inline QStringList textsOf(const setupfile::Setup& setup)
{
    QStringList texts{setup.i2cAddress};
    for (const setupfile::Row& row : setup.rows)
        texts << row.address << row.description << row.writeData << row.readData;
    return texts;
}

// The setup that holds the first kFieldCount - 1 texts, in file order.
inline setupfile::Setup setupOf(const QStringList& texts)
{
    setupfile::Setup setup{texts[0], {}};
    for (std::size_t r = 0; r < setup.rows.size(); ++r) {
        const qsizetype first = 1 + 4 * static_cast<qsizetype>(r);
        setup.rows[r] = setupfile::Row{texts[first], texts[first + 1], texts[first + 2], texts[first + 3]};
    }
    return setup;
}

} // namespace vtx::fuzz
