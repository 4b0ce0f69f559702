// SPDX-License-Identifier: GPL-3.0-or-later
#include "logging.h"

Q_LOGGING_CATEGORY(lcLink, "vtx.link", QtWarningMsg)
Q_LOGGING_CATEGORY(lcTransfer, "vtx.transfer", QtWarningMsg)
Q_LOGGING_CATEGORY(lcUsb, "vtx.usb", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSim, "vtx.sim", QtWarningMsg)
