// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "registermap.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

// The setup file: the register tool's I2C address text and the four texts of each of its 32 register rows,
// as a text file of 33 CR LF lines that earlier versions of the tool read and write as well:
//
//   I2C ADDRESS , <address>
//   <register>,<description>,<write data>,<read data>      (32 times)
//
// A reader sees one stream of fields: a field ends at a comma or a line end, blanks in front of it are
// skipped, blanks at its end are dropped, and a field that begins with a double quote runs to the next double
// quote. We write a text in double quotes exactly when it holds a comma or begins or ends with a blank (space
// or tab); every other text goes out unchanged. Texts that no quoting can carry are refused before anything
// is written (see findUnsavableText), so whatever we write reads back as it was.
//
// Characters: we write UTF-8 (no byte order mark). We read UTF-8, and a file that is not valid UTF-8 as
// Windows-1252, the code page the earlier versions wrote. Plain ASCII files are the same either way. A text
// that is not valid UTF-16 (a lone surrogate, which a paste can bring in) has no UTF-8 form and is refused.
namespace vtx::setupfile {

struct Row {
    QString address;
    QString description;
    QString writeData;
    QString readData;
    bool operator==(const Row&) const = default;
};

struct Setup {
    QString i2cAddress;
    std::array<Row, kRegisterRowCount> rows;
    bool operator==(const Setup&) const = default;
};

// The header field and the address, then four fields per row.
inline constexpr int kFieldCount = 2 + 4 * kRegisterRowCount;

enum class Unsavable {
    LineBreak,         // a CR or LF would end the line
    CommaAndQuote,     // a comma needs quotes, and the quote inside would end them
    LeadingQuote,      // a reader takes a leading double quote as the start of a quoted field
    QuoteAndEdgeBlank, // a leading or trailing blank needs quotes, and the quote inside would end them
    BrokenCharacter,   // half of a UTF-16 surrogate pair: no UTF-8 can carry it, it would be written as "?"
};

struct UnsavableText {
    QString where; // "I2C address", "description of row 3", ...
    Unsavable reason;
    bool operator==(const UnsavableText&) const = default;
};

// The first text of the setup that a file cannot carry, in file order; nothing when all of them can go.
std::optional<UnsavableText> findUnsavableText(const Setup& setup);
std::optional<Unsavable> unsavableReason(const QString& text);
// What the user is told when a save is refused.
QString refusalMessage(const UnsavableText& problem);

// How one text is written as a field.
QString fieldText(const QString& text);

// The bytes of the file. Only for a setup that findUnsavableText accepts.
QByteArray encode(const Setup& setup);

struct Decoded {
    std::optional<Setup> setup; // set when the file held all kFieldCount fields
    int fieldsFound = 0;        // how many it held, at most kFieldCount
};

// Whether the bytes can be a setup file at all: text without control characters other than tab and line
// ends, whose first line holds two fields (the header word and the address). A CSV of several columns or an
// image is not; the window's reader would still find 130 fields in some of them.
bool looksLikeSetupFile(const QByteArray& bytes);

// Reads the fields of a file; anything after the last field we need is ignored. The header's first field is
// not examined, so files with another header word still load.
Decoded decode(const QByteArray& bytes);

// The text of a file's bytes: UTF-8, or Windows-1252 when they are not valid UTF-8.
QString decodeText(const QByteArray& bytes);

} // namespace vtx::setupfile
