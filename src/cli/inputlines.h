// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

namespace vtx::cli {

// A session's input, line by line, with plain blocking reads. A stop signal ends the wait for the next line:
// the wait watches StopSignals' descriptor beside the input, so a signal that comes just before it, or lands
// on another thread, is not missed.
class InputLines {
public:
    explicit InputLines(int descriptor) : m_descriptor(descriptor) {}

    // The next line without its line break (nor a Windows carriage return). False at the end of the input,
    // when it cannot be read, or once a stop signal came.
    bool next(QByteArray& line);

private:
    enum class Fill { Read, End, Stopped };
    Fill fill();

    const int m_descriptor;
    QByteArray m_buffer;
    qsizetype m_start = 0; // where the next line starts in m_buffer
    bool m_end = false;
};

} // namespace vtx::cli
