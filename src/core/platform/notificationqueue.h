// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "usbdriver.h"

#include <QObject>
#include <cstdint>
#include <functional>

namespace vtx {

// Holds a driver's attach and detach notifications and delivers them later on the UI thread, the next time
// the program yields to the event loop. Drivers post here instead of calling the notifications directly, so
// a notification never runs inside a driver call. Notifications posted before close() (or before a later
// open()) are dropped: after release nothing reaches the link any more.
class NotificationQueue {
public:
    using AttachOutcome = std::function<void(bool accepted)>;

    void open(UsbDriver::Notifications notifications);
    void close();
    bool isOpen() const { return m_open; }

    void postAttach(DeviceHandle device, DeviceInfo info, AttachOutcome outcome = {});
    void postDetach(DeviceHandle device);

private:
    QObject m_context; // queued calls die with it
    UsbDriver::Notifications m_notifications;
    std::uint64_t m_generation = 0;
    bool m_open = false;
};

} // namespace vtx
