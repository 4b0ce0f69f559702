// SPDX-License-Identifier: GPL-3.0-or-later
// board reset, board power-cycle: the simulated board's kept state.

#include "commands.h"
#include "common/clock.h"
#include "exitcodes.h"
#include "platform/sim/simboardstatefile.h"
#include "platform/sim/simulatedboard.h"

namespace vtx::cli {

int runBoard(CommandContext& context, CommandWords& words)
{
    const QString action = words.takeSubcommand();
    const bool reset = action == QLatin1String("reset");
    if (!reset && action != QLatin1String("power-cycle")) {
        words.fail(action.isEmpty() ? QStringLiteral("board needs reset or power-cycle")
                                    : QStringLiteral("unknown board command '%1'").arg(action));
        return kUsageError;
    }
    if (!words.positional(0, 0))
        return kUsageError;
    if (!context.simulate) {
        words.fail(QStringLiteral("board %1 works on the simulated board only: add --simulate").arg(action));
        return kUsageError;
    }

    // A session that holds the board lets it go first (its state saved): the board is ours to change then.
    context.module.close();
    SimBoardStateFile file(SimBoardStateFile::defaultPath());
    if (!file.claim()) {
        context.err.line(QStringLiteral("The simulated board is in use %1.").arg(file.holder()));
        return kNoModule;
    }
    // A board as it leaves the factory; a power cycle starts from what it kept and recalls the wiper from the
    // EEPROM, as the part does at power-up.
    ManualClock clock;
    SimulatedBoard board(clock);
    if (!reset) {
        if (const auto saved = file.load())
            board.restore(*saved);
        board.dcp().powerUp();
    }
    file.save(board.state());
    file.release();

    const int wiper = board.dcp().wiperCode() + 1;
    const int eeprom = board.dcp().eepromCode() + 1;
    context.out.result(
        (reset ? QStringLiteral(
                     "simulated board reset to factory defaults: wiper position %1, EEPROM position %2")
               : QStringLiteral("simulated board power-cycled: wiper position %1 recalled from the EEPROM "
                                "(EEPROM position %2)"))
            .arg(wiper)
            .arg(eeprom),
        QJsonObject{{QStringLiteral("command"), QStringLiteral("board ") + action},
                    {QStringLiteral("ok"), true},
                    {QStringLiteral("wiperPosition"), wiper},
                    {QStringLiteral("eepromPosition"), eeprom}});
    return kSuccess;
}

} // namespace vtx::cli
