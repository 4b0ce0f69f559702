// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QTimer>

namespace vtx::dcp {

// The transfer timer: enabled or not, with an interval in milliseconds. An interval of 0 means no ticks at
// all (a bare QTimer would fire on every pass of the event loop instead).
class ReadTimer final : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultIntervalMs = 1000;

    explicit ReadTimer(QObject* parent = nullptr);

    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }
    void setInterval(int intervalMs);
    int interval() const { return m_interval; }
    // Whether ticks actually come: enabled with an interval above 0.
    bool isTicking() const { return m_timer.isActive(); }

signals:
    void tick();

private:
    void apply();

    QTimer m_timer;
    bool m_enabled = false;
    int m_interval = kDefaultIntervalMs;
};

} // namespace vtx::dcp
