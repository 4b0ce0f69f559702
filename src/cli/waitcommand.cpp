// SPDX-License-Identifier: GPL-3.0-or-later
// wait MS: a pause between a script's commands, such as the time a part needs to finish its EEPROM write
// cycle before it answers again (the transfer log's scripts put one where the window's polls found it busy).

#include "commands.h"
#include "common/clock.h"
#include "common/stopsignals.h"
#include "exitcodes.h"

#include <QDeadlineTimer>
#include <poll.h>

namespace vtx::cli {

namespace {

inline constexpr NumberKind kMilliseconds{0, 60000, "a time in milliseconds", "0 to 60000"};

// Sleeps up to `ms` of wall time; a stop signal ends the sleep, as it ends a sweep.
void sleepUnlessStopped(int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired() && StopSignals::received() == 0) {
        pollfd wake{StopSignals::wakeDescriptor(), POLLIN, 0};
        ::poll(&wake, wake.fd < 0 ? 0 : 1, static_cast<int>(deadline.remainingTime()));
    }
}

} // namespace

int runWait(CommandContext& context, CommandWords& words)
{
    const auto arguments = words.positional(1, 1);
    if (!arguments)
        return kUsageError;
    const auto ms = words.number(QStringLiteral("MS"), arguments->constFirst(), kMilliseconds);
    if (!ms)
        return kUsageError;
    // The wait is on the module's time, which the simulated board keeps with the bus traffic: there the
    // clock moves on at once, and a real module's wall time is slept.
    ModuleUse session(context.module);
    if (const int status = session.open(); status != kSuccess)
        return status;
    const Clock& clock = session->clock();
    const std::int64_t untilUs = clock.nowUs() + std::int64_t{*ms} * 1000;
    if (!context.simulate)
        sleepUnlessStopped(*ms);
    if (StopSignals::received() == 0)
        clock.waitUntilUs(untilUs);
    context.out.result(QStringLiteral("waited %1 ms").arg(*ms),
                       QJsonObject{{QStringLiteral("command"), QStringLiteral("wait")},
                                   {QStringLiteral("ok"), true},
                                   {QStringLiteral("ms"), *ms}});
    return kSuccess;
}

} // namespace vtx::cli
