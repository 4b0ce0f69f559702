// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/usbtypes.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace vtx::app {

// Asks the user which of several modules to use. The program goes through this seam so that tests record
// the question instead of blocking on a dialog.
class ModuleChooser {
public:
    virtual ~ModuleChooser() = default;
    // `modules`: one line each. The index of the one chosen; nothing when the user chose none.
    virtual std::optional<int> choose(const QStringList& modules) = 0;
};

// "1-4.2      serial VTX8303-A1  in use": a module as the chooser lists it.
QString moduleLine(const FoundModule& module);

// The module the driver is to take (a UsbMatch::device): the one `named` on the command line; with none
// named, any (empty) while at most one is plugged in, else the one the user chooses from those `found`,
// asked once. Nothing when the user chose none.
std::optional<QString> chooseModule(const QString& named, const std::vector<FoundModule>& found,
                                    ModuleChooser& chooser);

} // namespace vtx::app
