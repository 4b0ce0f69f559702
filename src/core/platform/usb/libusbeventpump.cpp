// SPDX-License-Identifier: GPL-3.0-or-later
#include "libusbeventpump.h"

#include "common/logging.h"

#include <libusb.h>
#include <poll.h>

namespace vtx {

namespace {

struct PollfdListDeleter {
    void operator()(const libusb_pollfd** list) const { libusb_free_pollfds(list); }
};

} // namespace

LibusbEventPump::LibusbEventPump(libusb_context* context) : m_context(context)
{
    // Notifiers first, then the current list: a descriptor added in between is seen twice, never missed.
    libusb_set_pollfd_notifiers(m_context, &LibusbEventPump::onAdded, &LibusbEventPump::onRemoved, this);
    const std::unique_ptr<const libusb_pollfd*, PollfdListDeleter> list(libusb_get_pollfds(m_context));
    if (!list) {
        qCDebug(lcUsb)
            << "libusb has no pollable descriptors on this platform; events are handled in transfers";
        return;
    }
    for (const libusb_pollfd* const* entry = list.get(); *entry != nullptr; ++entry)
        watch((*entry)->fd, (*entry)->events);
}

LibusbEventPump::~LibusbEventPump()
{
    // libusb_exit removes its descriptors; by then nobody must be told.
    libusb_set_pollfd_notifiers(m_context, nullptr, nullptr, nullptr);
}

void LibusbEventPump::onAdded(int fd, short events, void* userData)
{
    auto* const pump = static_cast<LibusbEventPump*>(userData);
    // Direct when libusb announces on our thread, queued to it otherwise: QSocketNotifier is thread-bound.
    QMetaObject::invokeMethod(
        &pump->m_owner, [pump, fd, events] { pump->watch(fd, events); }, Qt::AutoConnection);
}

void LibusbEventPump::onRemoved(int fd, void* userData)
{
    auto* const pump = static_cast<LibusbEventPump*>(userData);
    QMetaObject::invokeMethod(
        &pump->m_owner, [pump, fd] { pump->unwatch(fd); }, Qt::AutoConnection);
}

void LibusbEventPump::watch(int fd, short events)
{
    if ((events & POLLIN) == 0 || m_notifiers.contains(fd))
        return;
    auto notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, &m_owner, [this] { service(); });
    qCDebug(lcUsb) << "watching libusb descriptor" << fd;
    m_notifiers.emplace(fd, std::move(notifier));
}

void LibusbEventPump::unwatch(int fd)
{
    const auto found = m_notifiers.find(fd);
    if (found == m_notifiers.end())
        return;
    // The descriptor may go while its own notifier is being serviced, so the notifier is retired, not
    // destroyed in place.
    found->second->setEnabled(false);
    found->second.release()->deleteLater();
    m_notifiers.erase(found);
    qCDebug(lcUsb) << "no longer watching libusb descriptor" << fd;
}

void LibusbEventPump::service()
{
    timeval noWait{0, 0};
    const int result = libusb_handle_events_timeout_completed(m_context, &noWait, nullptr);
    if (result < 0)
        qCWarning(lcUsb) << "handling libusb events failed:" << libusb_error_name(result);
}

} // namespace vtx
