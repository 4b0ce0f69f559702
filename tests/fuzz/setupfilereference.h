// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A second reading of the setup-file format, written from its description in regtool/setupfile.h, for the
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

#include <QString>
#include <QStringList>
#include <cstdint>
#include <span>

namespace vtx::fuzz {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF, no cut-off sequence.
inline bool isValidUtf8(std::span<const std::uint8_t> bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::uint8_t b = bytes[i];
        int length = 0;
        std::uint32_t cp = 0;
        std::uint32_t minimum = 0;
        if (b < 0x80) {
            ++i;
            continue;
        } else if ((b & 0xE0) == 0xC0) {
            length = 2, cp = b & 0x1F, minimum = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            length = 3, cp = b & 0x0F, minimum = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            length = 4, cp = b & 0x07, minimum = 0x10000;
        } else {
            return false;
        }
        if (i + static_cast<std::size_t>(length) > bytes.size())
            return false;
        for (int k = 1; k < length; ++k) {
            const std::uint8_t c = bytes[i + static_cast<std::size_t>(k)];
            if ((c & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += static_cast<std::size_t>(length);
    }
    return true;
}

// Windows-1252; the five codes it leaves unassigned (81, 8D, 8F, 90, 9D) stay the C1 controls of Latin-1.
inline QString windows1252(std::span<const std::uint8_t> bytes)
{
    static constexpr char16_t high[32] = {
        u'€',    0x0081, u'‚', u'ƒ', u'„', u'…', u'†', u'‡', u'ˆ', u'‰', u'Š', u'‹', u'Œ',    0x008D, u'Ž', 0x008F,
        0x0090, u'‘',    u'’', u'“', u'”', u'•', u'–', u'—', u'˜', u'™', u'š', u'›', u'œ', 0x009D, u'ž', u'Ÿ',
    };
    QString text;
    for (const std::uint8_t b : bytes)
        text += QChar(b >= 0x80 && b <= 0x9F ? high[b - 0x80] : char16_t(b));
    return text;
}

// Valid UTF-8 as UTF-16, every character kept (a byte order mark too).
inline QString fromValidUtf8(std::span<const std::uint8_t> bytes)
{
    QString text;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::uint8_t b = bytes[i];
        const std::size_t length = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        char32_t cp = length == 1 ? b : length == 2 ? (b & 0x1F) : length == 3 ? (b & 0x0F) : (b & 0x07);
        for (std::size_t k = 1; k < length; ++k)
            cp = (cp << 6) | (bytes[i + k] & 0x3F);
        if (cp >= 0x10000) {
            text += QChar(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            text += QChar(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            text += QChar(static_cast<char16_t>(cp));
        }
        i += length;
    }
    return text;
}

inline QString referenceText(std::span<const std::uint8_t> bytes)
{
    if (!isValidUtf8(bytes))
        return windows1252(bytes);
    if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        return fromValidUtf8(bytes.subspan(3));
    return fromValidUtf8(bytes);
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
    State state = State::BeforeField;
    bool promised = false; // the last delimiter was a comma
    bool skipLf = false;   // the last character was a CR, so an LF now belongs to it
    QString field;
    const auto finish = [&](bool trim) {
        if (trim) {
            qsizetype end = field.size();
            while (end > 0 && (field[end - 1] == u' ' || field[end - 1] == u'\t'))
                --end;
            field.truncate(end);
        }
        fields << field;
        field.clear();
    };

    for (const QChar c : text) {
        const bool wasCr = skipLf;
        skipLf = false;
        if (state == State::Quoted) {
            if (c == u'"')
                state = State::AfterQuote;
            else
                field += c;
            continue;
        }
        const bool comma = c == u',';
        const bool lineEnd = c == u'\r' || c == u'\n';
        if (state == State::BeforeField && c == u'\n' && wasCr)
            continue; // the LF of a CR LF that ended the previous field
        if (comma || lineEnd) {
            finish(state == State::Plain);
            state = State::BeforeField;
            promised = comma;
            skipLf = c == u'\r';
            continue;
        }
        switch (state) {
        case State::BeforeField:
            if (c == u'"')
                state = State::Quoted;
            else if (c != u' ' && c != u'\t')
                field += c, state = State::Plain;
            break;
        case State::Plain:
            field += c;
            break;
        case State::AfterQuote:
            break;
        case State::Quoted:
            break;
        }
    }
    switch (state) {
    case State::BeforeField:
        if (promised)
            finish(false);
        break;
    case State::Plain:
        finish(true);
        break;
    case State::Quoted:
    case State::AfterQuote:
        finish(false);
        break;
    }
    return fields;
}

} // namespace vtx::fuzz
