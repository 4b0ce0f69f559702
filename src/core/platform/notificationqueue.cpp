// SPDX-License-Identifier: GPL-3.0-or-later
#include "notificationqueue.h"

#include <QMetaObject>
#include <utility>

namespace vtx {

void NotificationQueue::open(UsbDriver::Notifications notifications)
{
    m_notifications = std::move(notifications);
    ++m_generation;
    m_open = true;
}

void NotificationQueue::close()
{
    m_notifications = {};
    ++m_generation;
    m_open = false;
}

void NotificationQueue::postAttach(DeviceHandle device, DeviceInfo info, AttachOutcome outcome)
{
    if (!m_open)
        return;
    const auto generation = m_generation;
    QMetaObject::invokeMethod(
        &m_context,
        [this, generation, device, info = std::move(info), outcome = std::move(outcome)] {
            if (generation != m_generation || !m_notifications.attach)
                return;
            // A copy: the notification may close or reopen this queue while it runs.
            const auto attach = m_notifications.attach;
            const bool accepted = attach(device, info);
            if (outcome)
                outcome(accepted);
        },
        Qt::QueuedConnection);
}

void NotificationQueue::postDetach(DeviceHandle device)
{
    if (!m_open)
        return;
    const auto generation = m_generation;
    QMetaObject::invokeMethod(
        &m_context,
        [this, generation, device] {
            if (generation != m_generation || !m_notifications.detach)
                return;
            const auto detach = m_notifications.detach;
            detach(device);
        },
        Qt::QueuedConnection);
}

} // namespace vtx
