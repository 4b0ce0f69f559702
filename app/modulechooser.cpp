// SPDX-License-Identifier: GPL-3.0-or-later
#include "modulechooser.h"

namespace vtx::app {

QString moduleLine(const FoundModule& module)
{
    QString line =
        QString::fromStdString(module.path).leftJustified(9) + QStringLiteral("  ") +
        (module.serial.empty() ? QStringLiteral("no serial number")
                               : QStringLiteral("serial ") + QString::fromStdString(module.serial));
    if (module.inUse)
        line += QStringLiteral("  in use");
    return line;
}

std::optional<QString> chooseModule(const QString& named, const std::vector<FoundModule>& found,
                                    ModuleChooser& chooser)
{
    if (!named.isEmpty() || found.size() < 2)
        return named;
    QStringList lines;
    for (const FoundModule& module : found)
        lines << moduleLine(module);
    const std::optional<int> index = chooser.choose(lines);
    if (!index || *index < 0 || static_cast<std::size_t>(*index) >= found.size())
        return std::nullopt;
    // The port, not the serial number: every module has one, and no two share it.
    return QString::fromStdString(found[static_cast<std::size_t>(*index)].path);
}

} // namespace vtx::app
