// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace vtx {

// One transaction at a time for the whole program. Every transaction of every window shares the transfer
// buffer, and handlers yield to the event loop in the middle of one, so a click, a list selection or a timer
// tick can arrive while another transaction runs. Entry points take a Scope; when they get none, they either
// drop the request (buttons, ticks) or leave it to run once the transaction has ended (whenIdle).
//
// It announces the start and the end of every transaction, so that a window can paint once per transaction
// instead of at every yield inside one.
class TransactionGuard final : public QObject {
    Q_OBJECT
public:
    class Scope {
    public:
        Scope(Scope&& other) noexcept : m_guard(std::exchange(other.m_guard, nullptr)) {}
        Scope& operator=(Scope&&) = delete;
        Scope(const Scope&) = delete;
        ~Scope();

    private:
        friend class TransactionGuard;
        explicit Scope(TransactionGuard* guard) : m_guard(guard) {}
        TransactionGuard* m_guard;
    };

    TransactionGuard() = default;

    // A scope while no transaction runs, nothing while one does. `owner` names whoever runs the transaction
    // (a window's object name, a tool's name); the transfer log shows it beside every transfer.
    [[nodiscard]] std::optional<Scope> tryBegin(const QString& owner = QString());
    bool busy() const { return m_busy; }
    // Who holds the running transaction; empty between transactions or when the holder gave no name.
    const QString& owner() const { return m_owner; }

    // Runs `action` once no transaction runs (from the event loop, never inside the caller). A request with
    // the same key replaces one still waiting, so only the latest of a series reaches the device.
    void whenIdle(const QString& key, std::function<void()> action);
    int pendingCount() const { return static_cast<int>(m_pending.size()); }

signals:
    void transactionStarted();
    void transactionEnded();

private:
    void end();
    void scheduleDrain();
    void drain();

    struct Pending {
        QString key;
        std::function<void()> action;
    };
    std::vector<Pending> m_pending;
    bool m_busy = false;
    QString m_owner;
    bool m_drainScheduled = false;
};

} // namespace vtx
