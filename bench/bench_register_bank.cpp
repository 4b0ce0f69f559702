// SPDX-License-Identifier: GPL-3.0-or-later
// The register tool's "Read All Active Device Registers" on the simulated board: the whole bank of 32 rows
// (the default map, registers 00 to 1F) read from the register device at C0, with the tool's automatic
// connection bracket. Each click comes from its own event of the running event loop and is timed from
// click() until the loop has worked through what it left behind (repaints, deletions); see timeRounds().
//
// Run: bench_register_bank [--reps N]      (QT_QPA_PLATFORM=offscreen, Release build)
#include "benchprogram.h"
#include "benchstats.h"

#include <QApplication>
#include <QLabel>

using namespace vtxbench;

namespace {

constexpr double kGoalUs = 1000;
constexpr int kRows = 32;
constexpr int kWarmUp = 20;
constexpr int kCountedReads = 20;

QString rowBox(int row)
{
    return QStringLiteral("txtRdByte_%1").arg(row);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const int reps = intOption(QCoreApplication::arguments(), "--reps", 500);

    Program program;
    RegisterTool tool(program);
    // The register device answers at C0: the communication test makes it the tool's address.
    tool.setText(QStringLiteral("txtI2CADR"), QStringLiteral("C0"));
    tool.click(QStringLiteral("cmdTestComm"));
    if (tool.find<QLabel>(QStringLiteral("lblCommTest"))->text() != QLatin1String("Good"))
        fail(QStringLiteral("the register device at C0 did not answer the communication test"));
    int rowsTakingPart = 0;
    for (int row = 0; row < kRows; ++row)
        rowsTakingPart += tool.text(QStringLiteral("Reg_Adr_%1").arg(row)).size() == 2 ? 1 : 0;
    if (rowsTakingPart != kRows)
        fail(QStringLiteral("only %1 rows have a register address").arg(rowsTakingPart));

    QAbstractButton* const readAll = tool.button(QStringLiteral("cmdReadRegs"));
    auto check = [&] {
        if (program.messages.count > 0)
            fail(QStringLiteral("a message came up: ") + program.messages.last);
        for (int row = 0; row < kRows; ++row) {
            const QString text = tool.text(rowBox(row));
            if (text.size() != 2 || text == QLatin1String("--"))
                fail(QStringLiteral("row %1 shows \"%2\"").arg(row).arg(text));
        }
        // Register 00 holds the product ID.
        if (tool.text(rowBox(0)) != QLatin1String("83"))
            fail(QStringLiteral("register 00 reads ") + tool.text(rowBox(0)));
    };

    // Cleared boxes before each read, so that every read has to fill them again.
    auto clear = [&] {
        for (int row = 0; row < kRows; ++row)
            tool.setText(rowBox(row), QString());
    };
    auto click = [readAll] { readAll->click(); };
    timeRounds(kWarmUp, clear, click, check);
    const RoundTimes counted = timeRounds(kCountedReads, clear, click, check, true);
    const double passesPerRead = static_cast<double>(counted.passes) / kCountedReads;
    const Summary passUs = processEventsCostUs();
    const RoundTimes timed = timeRounds(reps, clear, click, check);
    const Summary clickUs = summarize(timed.actionUs);
    const Summary totalUs = summarize(timed.totalUs);

    printLine(QStringLiteral("one idle event-loop pass (processEvents): %1").arg(figure(passUs, "µs", 2)));
    printLine(QStringLiteral("read all (32 rows): click, until the loop is idle  %1").arg(figure(totalUs, "µs", 1)));
    printLine(QStringLiteral("read all (32 rows): click() alone                 %1").arg(figure(clickUs, "µs", 1)));
    printLine(QStringLiteral("event-loop passes inside one read-all: %1 (x %2 µs per idle pass = %3 µs)")
                  .arg(number(passesPerRead, 0), number(passUs.median, 2),
                       number(passesPerRead * passUs.median, 0)));
    printGoal("2", QStringLiteral("Register tool: Read All Active Device Registers (32 rows at C0)"),
              figure(totalUs, "µs", 1), QStringLiteral("median <= 1000 µs"), totalUs.median <= kGoalUs);
    return 0;
}
