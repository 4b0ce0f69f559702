// SPDX-License-Identifier: GPL-3.0-or-later
#include "inputlines.h"

#include "common/stopsignals.h"

#include <array>
#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace vtx::cli {

bool InputLines::next(QByteArray& line)
{
    for (;;) {
        const qsizetype lineEnd = m_buffer.indexOf('\n', m_start);
        if (lineEnd >= 0 || (m_end && m_start < m_buffer.size())) {
            const qsizetype end = lineEnd >= 0 ? lineEnd : m_buffer.size();
            line = m_buffer.mid(m_start, end - m_start);
            m_start = end + 1;
            if (line.endsWith('\r')) // a script saved with Windows line ends
                line.chop(1);
            return true;
        }
        if (m_end)
            return false;
        m_buffer.remove(0, m_start);
        m_start = 0;
        switch (fill()) {
        case Fill::Read:
            break;
        case Fill::End:
            m_end = true;
            break;
        case Fill::Stopped:
            return false;
        }
    }
}

InputLines::Fill InputLines::fill()
{
    // A signal that came before the wait has been noted; one that comes during it makes the descriptor
    // readable (or, on this thread, ends poll(), which no handler restarts).
    if (StopSignals::received() != 0)
        return Fill::Stopped;
    std::array<pollfd, 2> waits{pollfd{m_descriptor, POLLIN, 0},
                                pollfd{StopSignals::wakeDescriptor(), POLLIN, 0}};
    if (::poll(waits.data(), waits.size(), -1) < 0 && errno != EINTR)
        return Fill::End;
    if (StopSignals::received() != 0)
        return Fill::Stopped;
    if (waits[0].revents == 0)
        return Fill::Read; // woken for nothing: wait again
    std::array<char, 65536> chunk{};
    const ssize_t count = ::read(m_descriptor, chunk.data(), chunk.size());
    if (count > 0) {
        m_buffer.append(chunk.data(), count);
        return Fill::Read;
    }
    return count < 0 && errno == EINTR ? Fill::Read : Fill::End;
}

} // namespace vtx::cli
