// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vtx::cli {

// What vtxctl's exit status tells a script.
enum ExitCode : int {
    kSuccess = 0,
    kDeviceFailure = 1, // the device did not acknowledge, a read-back differed, or a transfer failed
    kUsageError = 2,    // the command line (or a file it names) is not usable
    kNoModule = 3,      // no module, no permission to open it, or another program has it
};

} // namespace vtx::cli
