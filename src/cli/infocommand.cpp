// SPDX-License-Identifier: GPL-3.0-or-later
// info: the module the link found.

#include "commands.h"
#include "common/textformat.h"
#include "exitcodes.h"

namespace vtx::cli {

int runInfo(CommandContext& context, CommandWords& words)
{
    if (!words.positional(0, 0))
        return kUsageError;
    ModuleUse session(context.module);
    if (const int status = session.open(); status != kSuccess)
        return status;

    const Result<ModuleInfo> found = session->engine().moduleInfo();
    if (!found) {
        context.err.line(QStringLiteral("the module's device information is not available: %1")
                             .arg(found.failure().linkMessages.value(0)));
        return kNoModule;
    }
    const ModuleInfo& module = found.value();
    const QString driver = module.simulated ? QStringLiteral("simulated") : QStringLiteral("usb");

    QStringList text;
    text << QStringLiteral("module:   USB %1:%2")
                .arg(hexText(module.vendorId).rightJustified(4, QLatin1Char('0')),
                     hexText(module.productId).rightJustified(4, QLatin1Char('0')));
    text << QStringLiteral("kind:     %1")
                .arg(module.kind == 0 ? QStringLiteral("not recognised") : QString::number(module.kind));
    text << (module.i2cOutPipe == 0 ? QStringLiteral("I2C pipe: none")
                                    : QStringLiteral("I2C pipe: out %1, in %2")
                                          .arg(hex2Text(module.i2cOutPipe), hex2Text(module.i2cInPipe)));
    text << QStringLiteral("driver:   %1")
                .arg(module.banner.isEmpty() ? QStringLiteral("USB (libusb)") : module.banner);

    context.out.result(text.join(QLatin1Char('\n')),
                       QJsonObject{{QStringLiteral("command"), QStringLiteral("info")},
                                   {QStringLiteral("ok"), true},
                                   {QStringLiteral("vendorId"), module.vendorId},
                                   {QStringLiteral("productId"), module.productId},
                                   {QStringLiteral("kind"), module.kind},
                                   {QStringLiteral("i2cOutPipe"), static_cast<int>(module.i2cOutPipe)},
                                   {QStringLiteral("i2cInPipe"), static_cast<int>(module.i2cInPipe)},
                                   {QStringLiteral("driver"), driver}});
    return kSuccess;
}

} // namespace vtx::cli
