// SPDX-License-Identifier: GPL-3.0-or-later
#include "transactionguard.h"

#include <QMetaObject>
#include <algorithm>

namespace vtx {

TransactionGuard::Scope::~Scope()
{
    if (m_guard)
        m_guard->end();
}

std::optional<TransactionGuard::Scope> TransactionGuard::tryBegin(const QString& owner)
{
    if (m_busy)
        return std::nullopt;
    m_busy = true;
    m_owner = owner;
    emit transactionStarted();
    return Scope(this);
}

void TransactionGuard::end()
{
    m_busy = false;
    m_owner.clear();
    emit transactionEnded();
    if (!m_pending.empty())
        scheduleDrain();
}

void TransactionGuard::whenIdle(const QString& key, std::function<void()> action)
{
    const auto sameKey = [&key](const Pending& p) { return p.key == key; };
    m_pending.erase(std::remove_if(m_pending.begin(), m_pending.end(), sameKey), m_pending.end());
    m_pending.push_back({key, std::move(action)});
    if (!m_busy)
        scheduleDrain();
}

void TransactionGuard::scheduleDrain()
{
    if (m_drainScheduled)
        return;
    m_drainScheduled = true;
    QMetaObject::invokeMethod(
        this, [this] { drain(); }, Qt::QueuedConnection);
}

void TransactionGuard::drain()
{
    m_drainScheduled = false;
    // One action at a time: each usually starts a transaction of its own, and the rest wait for its end.
    while (!m_busy && !m_pending.empty()) {
        const Pending next = std::move(m_pending.front());
        m_pending.erase(m_pending.begin());
        next.action();
    }
}

} // namespace vtx
