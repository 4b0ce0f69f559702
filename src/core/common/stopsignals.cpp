// SPDX-License-Identifier: GPL-3.0-or-later
#include "stopsignals.h"

#include <QSocketNotifier>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace vtx {

namespace {

// Lock-free, so the handler may set them.
std::atomic<int> g_received{0};
std::atomic<int> g_writeEnd{-1};
std::atomic<int> g_readEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void noteStopSignal(int signalNumber)
{
    const int savedErrno = errno;
    int expected = 0;
    g_received.compare_exchange_strong(expected, signalNumber);
    const char byte = static_cast<char>(signalNumber);
    if (const int fd = g_writeEnd.load(); fd >= 0) {
        // A full pipe already holds a byte that wakes the loop; the flag is set either way.
        const ssize_t written = ::write(fd, &byte, 1);
        static_cast<void>(written);
    }
    errno = savedErrno;
}

} // namespace

struct StopSignals::Saved {
    std::vector<std::pair<int, struct sigaction>> actions;
    std::array<int, 2> pipe{-1, -1};
};

StopSignals::StopSignals(std::initializer_list<int> signalNumbers, QObject* parent)
    : QObject(parent), m_saved(std::make_unique<Saved>())
{
    g_received = 0;
    if (::pipe2(m_saved->pipe.data(), O_CLOEXEC | O_NONBLOCK) == 0) {
        g_writeEnd = m_saved->pipe[1];
        g_readEnd = m_saved->pipe[0];
        m_notifier = new QSocketNotifier(m_saved->pipe[0], QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &StopSignals::readPipe);
    }
    struct sigaction action {};
    action.sa_handler = noteStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : signalNumbers) {
        struct sigaction previous {};
        if (::sigaction(signalNumber, &action, &previous) == 0)
            m_saved->actions.emplace_back(signalNumber, previous);
    }
}

StopSignals::~StopSignals()
{
    delete m_notifier; // before its descriptor closes
    for (const auto& [signalNumber, previous] : m_saved->actions)
        ::sigaction(signalNumber, &previous, nullptr);
    g_writeEnd = -1;
    g_readEnd = -1;
    for (const int fd : m_saved->pipe) {
        if (fd >= 0)
            ::close(fd);
    }
}

int StopSignals::received()
{
    return g_received.load();
}

int StopSignals::wakeDescriptor()
{
    return g_readEnd.load();
}

void StopSignals::readPipe()
{
    char byte = 0;
    while (::read(m_saved->pipe[0], &byte, 1) == 1)
        emit stopRequested(static_cast<unsigned char>(byte));
}

} // namespace vtx
