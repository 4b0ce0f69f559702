// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace vtx::dcp {

// What the DCP panel tells the user, word for word.
inline const QString kWriteErrorText =
    QStringLiteral("Write DCP Error, Check VDD & AVDD Power and I2C Connections ");
inline const QString kWriteErrorCaption = QStringLiteral(" Error during Write to DCP ");
inline const QString kReadErrorText =
    QStringLiteral("Read DCP Error, Check VDD & AVDD Power and I2C Connections ");
inline const QString kReadErrorCaption = QStringLiteral(" Error during DCP Read ");
inline const QString kModuleMissingAtOpenText =
    QStringLiteral("USB Control Module is not responding  check USB Connection");
inline const QString kDeviceMissingText =
    QStringLiteral("DCP Device is not responding, check Eval board connections and Power");
inline const QString kModuleMissingAtStartText =
    QStringLiteral("USB Control module is not responding, check USB connections and re-start application");
inline const QString kCloseRefusedText =
    QStringLiteral("Form will not close until USB Connection is closed. Click USB Disconnect");
inline const QString kInterfaceClosedText = QStringLiteral("USB Board Interface Closed");
inline const QString kTimedTransfersPausedText =
    QStringLiteral("USB control module unplugged: timed transfers paused until it is back");
inline const QString kTimedTransfersResumedText =
    QStringLiteral("USB control module back: timed transfers resumed");
// "Store && Verify" when the write itself failed (%1: the position); the other outcomes are the engine's.
inline const QString kStoreFailedText = QStringLiteral("Position %1 not stored in EEPROM: the write failed");
// The status-bar line when the interval box gives the timer nothing it can run at: %1 the text, %2 the
// interval kept.
inline const QString kIntervalRefusedText =
    QStringLiteral("Interval \"%1\" not taken: the timer runs at 0 to 65535 ms; it stays at %2 ms");
inline const QString kIntervalNoTicksText = QStringLiteral(
    "Interval \"%1\" is 0 ms: the timer gives no ticks until a number from 1 to 65535 is typed");
// The status-bar line when timed transfers cannot keep the interval's rate: %1 the ticks per second
// measured, %2 those the interval asks for, %3 the interval.
inline const QString kTicksFallShortText =
    QStringLiteral("Timed transfers run at %1 per second, below the %2 per second of the %3 ms interval: "
                   "each tick opens and "
                   "resets the module; \"Manual USB Connect / Disconnect\" with \"USB Connect\" holds it");
inline const QString kTicksFallShortHeldText = QStringLiteral(
    "Timed transfers run at %1 per second, below the %2 per second of the %3 ms interval: the module's "
    "transfers take longer than the interval");
inline const QString kPanelCaption = QStringLiteral("Veltrane's I2C DCP Product Demonstation");
// Whose transactions the transfer log says the panel's are: the window's object name.
inline const QString kTransactionOwner = QStringLiteral("frmVTX8303");

} // namespace vtx::dcp
