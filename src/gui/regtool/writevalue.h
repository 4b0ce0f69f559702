// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace vtx {

// A data box's text made ready for a write: upper-cased, a zero value shown as "00", and judged: a value of
// 0x00 to 0xFF is written, anything else is refused and the box shows "--".
struct WriteValue {
    QString text;                      // what the box shows afterwards
    std::optional<std::uint8_t> value; // nothing: refused
};

WriteValue normaliseWriteText(const QString& typed);

// Told when a data box holds a value we refuse to write.
inline const QString kInvalidWriteValue = QStringLiteral("Invalid Write Value");

} // namespace vtx
