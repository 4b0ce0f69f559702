// SPDX-License-Identifier: GPL-3.0-or-later
// list: the modules plugged in, so that one can be chosen with --device.

#include "commands.h"
#include "exitcodes.h"
#include "modulelist.h"
#include "session.h"

#include <QTextStream>

namespace vtx::cli {

namespace {

// The module's kind, asked through a link of its own that takes this module only. What the link says on
// the way is of no interest here: a module that cannot be opened is listed as such.
std::optional<int> askKind(bool simulate, const FoundModule& found)
{
    QString discarded;
    QTextStream sink(&discarded);
    ErrorStream quiet(sink);
    CommandSession session(simulate, quiet, QString::fromStdString(found.path));
    if (session.open() != kSuccess)
        return std::nullopt;
    const Result<ModuleInfo> info = session.engine().moduleInfo();
    return info ? std::optional<int>(info.value().kind) : std::nullopt;
}

} // namespace

std::vector<ListedModule> listModules(bool simulate, const QString& device)
{
    const DriverChoice drivers = chooseDriver(simulate, SimulatedTime::Traffic, device);
    std::vector<ListedModule> listed;
    for (const FoundModule& found : drivers.driver->listModules(drivers.match)) {
        ListedModule module{found, std::nullopt};
        if (!found.inUse)
            module.kind = askKind(simulate, found);
        listed.push_back(std::move(module));
    }
    return listed;
}

QString listLine(const ListedModule& module)
{
    const FoundModule& found = module.found;
    const QString serial = found.serial.empty()
                               ? QStringLiteral("no serial number")
                               : QStringLiteral("serial ") + QString::fromStdString(found.serial);
    QString state = QStringLiteral("in use");
    if (!found.inUse && !module.kind)
        state = QStringLiteral("cannot be opened");
    else if (!found.inUse)
        state = *module.kind == 0 ? QStringLiteral("kind not recognised")
                                  : QStringLiteral("kind %1").arg(*module.kind);
    return QString::fromStdString(found.path).leftJustified(9) + QStringLiteral("  ") + serial +
           QStringLiteral("  ") + state;
}

QJsonObject listObject(const ListedModule& module)
{
    QJsonObject object{{QStringLiteral("command"), QStringLiteral("list")},
                       {QStringLiteral("ok"), true},
                       {QStringLiteral("path"), QString::fromStdString(module.found.path)},
                       {QStringLiteral("serial"), QString::fromStdString(module.found.serial)},
                       {QStringLiteral("inUse"), module.found.inUse}};
    if (module.kind)
        object.insert(QStringLiteral("kind"), *module.kind);
    return object;
}

int runList(CommandContext& context, CommandWords& words)
{
    if (!words.positional(0, 0))
        return kUsageError;
    const std::vector<ListedModule> modules = listModules(context.simulate, context.device);
    for (const ListedModule& module : modules)
        context.out.result(listLine(module), listObject(module));
    if (!modules.empty())
        return kSuccess;
    if (!context.device.isEmpty()) {
        context.err.line(QStringLiteral("no module with the serial number or USB port \"%1\" is plugged in")
                             .arg(context.device));
        return kNoModule;
    }
    context.err.line(QStringLiteral("no module is plugged in"));
    return kSuccess;
}

} // namespace vtx::cli
