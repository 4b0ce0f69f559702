// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/usbtypes.h"

#include <QJsonObject>
#include <QString>
#include <optional>
#include <vector>

namespace vtx::cli {

// A module as `vtxctl list` shows it: what the driver found, and its kind once opened.
struct ListedModule {
    FoundModule found;
    // The bridge query's answer (0: not recognised); nothing when the module was not opened (another
    // program has it) or could not be.
    std::optional<int> kind;
};

// Every module plugged in that `device` names (empty: all), each free one opened for a moment to ask its
// kind.
std::vector<ListedModule> listModules(bool simulate, const QString& device);

// "1-4.2      serial 8303A1B2  kind 1": one line, the same wherever modules are listed.
QString listLine(const ListedModule& module);
QJsonObject listObject(const ListedModule& module);

} // namespace vtx::cli
