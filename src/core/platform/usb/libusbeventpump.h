// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <map>
#include <memory>

struct libusb_context;

namespace vtx {

// Services libusb's events from the Qt event loop: every file descriptor libusb wants read gets a
// QSocketNotifier, and when one fires libusb handles what is pending without waiting. Idle costs nothing;
// there is no polling timer.
//
// Only descriptors watched for input are taken. On Linux those are libusb's event and timer descriptors,
// which is where hot-plug arrivals and removals show up. The per-device descriptors libusb watches for
// output only report finished URBs; our transfers are synchronous and libusb reaps their URBs inside the
// transfer call, so watching them would only wake us for nothing (and a socket is always writable).
// Windows has no descriptors at all; there libusb has no hot-plug either, so there is nothing to service.
class LibusbEventPump {
public:
    explicit LibusbEventPump(libusb_context* context);
    ~LibusbEventPump();

    LibusbEventPump(const LibusbEventPump&) = delete;
    LibusbEventPump& operator=(const LibusbEventPump&) = delete;

    std::size_t watchedCount() const { return m_notifiers.size(); }

private:
    static void onAdded(int fd, short events, void* userData);
    static void onRemoved(int fd, void* userData);
    void watch(int fd, short events);
    void unwatch(int fd);
    void service();

    libusb_context* const m_context;
    QObject m_owner; // the thread the notifiers live in; libusb may announce descriptors from its own thread
    std::map<int, std::unique_ptr<QSocketNotifier>> m_notifiers;
};

} // namespace vtx
