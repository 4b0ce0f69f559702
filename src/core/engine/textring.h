// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace vtx {

// Texts kept in room taken once, when the ring is made: each is written as UTF-8 after the one before, and
// when the room is full the oldest texts give way. A long run therefore asks the allocator for nothing,
// however many different texts it keeps. Every text carries a tag (its owner's number) so that whoever stores
// a text learns which older texts it pushed out.
class TextRing {
public:
    // Where a stored text lies. Positions count every byte ever written, so a place taken again later is
    // never mistaken for the text that was there before.
    struct Span {
        std::uint64_t start = 0;
        std::uint32_t size = 0;
    };
    using Overwritten = std::function<void(std::uint64_t tag)>;

    explicit TextRing(std::size_t bytes);

    // Stores the text (cut, if it is longer than half the room) and tells `overwritten` the tag of
    // every older text whose room it took, oldest first.
    Span store(QStringView text, std::uint64_t tag, const Overwritten& overwritten);
    // The text, or an empty one if its room has been taken since.
    QString text(Span span) const;
    std::size_t room() const { return m_bytes.size(); }
    // Forgets every text; positions go on counting, so no span from before is taken for a new text.
    void clear() { m_tail = m_head; }

private:
    struct Header {
        std::uint64_t tag;
        std::uint32_t size; // kFiller: the rest of the lap is unused
    };
    static constexpr std::uint32_t kFiller = UINT32_MAX;
    static constexpr std::size_t kHeaderBytes = sizeof(std::uint64_t) + sizeof(std::uint32_t);

    std::size_t place(std::uint64_t position) const
    {
        return static_cast<std::size_t>(position % m_bytes.size());
    }
    std::uint64_t nextLap(std::uint64_t position) const
    {
        return position - place(position) + m_bytes.size();
    }
    Header headerAt(std::uint64_t position) const;
    void writeHeader(std::uint64_t position, Header header);
    // Frees the room up to `end`, oldest text first.
    void freeUpTo(std::uint64_t end, const Overwritten& overwritten);

    std::vector<char> m_bytes;
    std::uint64_t m_head = 0; // where the next text goes
    std::uint64_t m_tail = 0; // the oldest text still kept
};

} // namespace vtx
