// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

// One category per module, silent by default; --trace or QT_LOGGING_RULES switches them on.
Q_DECLARE_LOGGING_CATEGORY(lcLink)     // vtx.link: the link's trace hooks
Q_DECLARE_LOGGING_CATEGORY(lcTransfer) // vtx.transfer: every pipe transfer
Q_DECLARE_LOGGING_CATEGORY(lcUsb)      // vtx.usb: the libusb driver
Q_DECLARE_LOGGING_CATEGORY(lcSim)      // vtx.sim: the simulated evaluation board
