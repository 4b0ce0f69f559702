// SPDX-License-Identifier: GPL-3.0-or-later
#include "textring.h"

#include <algorithm>
#include <cstring>

namespace vtx {

TextRing::TextRing(std::size_t bytes) : m_bytes(std::max(bytes, 4 * kHeaderBytes)) {}

TextRing::Header TextRing::headerAt(std::uint64_t position) const
{
    Header header{};
    const char* at = m_bytes.data() + place(position);
    std::memcpy(&header.tag, at, sizeof header.tag);
    std::memcpy(&header.size, at + sizeof header.tag, sizeof header.size);
    return header;
}

void TextRing::writeHeader(std::uint64_t position, Header header)
{
    char* at = m_bytes.data() + place(position);
    std::memcpy(at, &header.tag, sizeof header.tag);
    std::memcpy(at + sizeof header.tag, &header.size, sizeof header.size);
}

void TextRing::freeUpTo(std::uint64_t end, const Overwritten& overwritten)
{
    // Never past the newest text: an empty ring has nothing more to give.
    while (m_tail < m_head && end - m_tail > m_bytes.size()) {
        if (m_bytes.size() - place(m_tail) < kHeaderBytes) {
            m_tail = nextLap(m_tail);
            continue;
        }
        const Header oldest = headerAt(m_tail);
        if (oldest.size == kFiller) {
            m_tail = nextLap(m_tail);
            continue;
        }
        m_tail += kHeaderBytes + oldest.size;
        overwritten(oldest.tag);
    }
}

TextRing::Span TextRing::store(QStringView text, std::uint64_t tag, const Overwritten& overwritten)
{
    const QByteArray utf8 = text.toUtf8();
    // Half the room at most: the text and the unused end of the lap before it then always fit.
    const auto size = static_cast<std::uint32_t>(
        std::min<std::size_t>(static_cast<std::size_t>(utf8.size()), m_bytes.size() / 2 - kHeaderBytes));
    // A text never runs over the end of the room: it would not be one piece for QString::fromUtf8.
    std::uint64_t start = m_head;
    if (m_bytes.size() - place(start) < kHeaderBytes + size)
        start = nextLap(start);
    const std::uint64_t end = start + kHeaderBytes + size;
    freeUpTo(end, overwritten);
    if (start != m_head && m_bytes.size() - place(m_head) >= kHeaderBytes)
        writeHeader(m_head, {0, kFiller});
    writeHeader(start, {tag, size});
    std::memcpy(m_bytes.data() + place(start) + kHeaderBytes, utf8.constData(), size);
    m_head = end;
    return {start + kHeaderBytes, size};
}

QString TextRing::text(Span span) const
{
    if (span.size == 0 || span.start < m_tail + kHeaderBytes || span.start + span.size > m_head)
        return {};
    return QString::fromUtf8(m_bytes.data() + place(span.start), span.size);
}

} // namespace vtx
