// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/driverstatus.h"

#include <QString>

namespace vtx {

// The one place where libusb's result codes become our DriverStatus and back into words. The libusb code
// is passed as a plain int so that callers (and tests) need not see libusb.h.

// A libusb result (0 or a negative LIBUSB_ERROR_*) as our status. Positive results are counts, not
// errors, and map to Success; codes libusb may add later map to Other.
DriverStatus statusFromLibusb(int libusbResult);

// The text a user sees for a status of the libusb driver: libusb's own description of the error the
// status came from, so it reads the same as every other libusb program. AccessDenied also says how to
// install our udev rule, since on Linux that is nearly always the cure; Busy says that another program has
// the module, since claiming its interface is where our driver meets it. Statuses that only our driver
// produces (no such pipe, no such handle) get our own words.
QString libusbStatusText(DriverStatus status);

// The advice appended to an access-denied text on Linux; empty elsewhere.
QString udevRuleAdvice();

// The udev rule that came with the installed program: <prefix>/lib/udev/rules.d/70-vtx-eval.rules beside
// `programDirectory` (<prefix>/bin), where `cmake --install` and the package put it; empty when it is not
// there (a program run from its build tree).
QString installedUdevRule(const QString& programDirectory);

// The one shell command that makes udev give the module to the user logged in at the seat, for the rule
// file `rule`: a rule udev already reads (/usr/lib, /lib or /etc/udev/rules.d) only needs udev told again;
// any other is copied to /etc/udev/rules.d first. An empty `rule` means the one in a source tree's
// packaging/ folder.
QString udevRuleCommand(const QString& rule);

} // namespace vtx
