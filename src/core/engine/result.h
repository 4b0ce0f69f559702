// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/driverstatus.h"
#include "protocol/bridgecommands.h"

#include <QStringList>
#include <optional>
#include <utility>

namespace vtx {

// Why an operation did not do what it was asked.
struct Failure {
    enum class Kind {
        NotAcknowledged, // the module carried the command out, but the device did not acknowledge it
        Link,            // the link failed: not open, no module, a transfer refused or timed out
    };
    Kind kind = Kind::NotAcknowledged;
    DriverStatus status = DriverStatus::Success; // the link's last status
    QStringList linkMessages;                    // what the link had to say, word for word and in order

    bool timedOut() const { return kind == Kind::Link && status == DriverStatus::Timeout; }
};

// The outcome of one I2C command: its value, or why there is none. Either way it carries the reply as the
// module sent it (the transfer count is shown whatever happened; zeros when no reply arrived).
template <typename T> class Result {
public:
    static Result success(protocol::I2cReply reply, T value) { return Result(reply, std::move(value), {}); }
    static Result failure(protocol::I2cReply reply, Failure failure)
    {
        return Result(reply, std::nullopt, std::move(failure));
    }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const T& value() const { return *m_value; }
    const Failure& failure() const { return *m_failure; }
    const protocol::I2cReply& reply() const { return m_reply; }
    // The link's messages, whether or not the command went through.
    QStringList linkMessages() const { return m_failure ? m_failure->linkMessages : QStringList{}; }

private:
    Result(protocol::I2cReply reply, std::optional<T> value, std::optional<Failure> failure)
        : m_reply(reply), m_value(std::move(value)), m_failure(std::move(failure))
    {
    }
    protocol::I2cReply m_reply;
    std::optional<T> m_value;
    std::optional<Failure> m_failure;
};

// For operations that return nothing but their outcome.
struct Done {};

} // namespace vtx
