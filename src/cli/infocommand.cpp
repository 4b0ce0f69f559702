// SPDX-License-Identifier: GPL-3.0-or-later
// info: the module the link found.

#include "commands.h"
#include "common/textformat.h"
#include "exitcodes.h"
#include "protocol/bridgecommands.h"
#include "session.h"

namespace vtx::cli {

int runInfo(CommandContext& context, CommandWords& words)
{
    if (!words.positional(0, 0))
        return kUsageError;
    Session session(context.simulate, context.err);
    if (const int status = session.open(); status != kSuccess)
        return status;

    Link& link = session.link();
    DeviceInfo info;
    if (const DriverStatus status = session.driver().getDeviceInfo(link.hActiveDevice, info);
        !succeeded(status)) {
        context.err.line(QStringLiteral("the module's device information is not available: %1")
                             .arg(link.UsbStatusText(status)));
        return kNoModule;
    }
    const auto& ids = info.descriptor;
    const std::uint32_t inPipe = link.I2COutPipe == 0 ? 0 : protocol::replyPipeFor(link.I2COutPipe);
    const QString banner = session.driver().bannerText();
    const QString driver = session.simulated() ? QStringLiteral("simulated") : QStringLiteral("usb");

    QStringList text;
    text << QStringLiteral("module:   USB %1:%2")
                .arg(hexText(ids.idVendor).rightJustified(4, QLatin1Char('0')),
                     hexText(ids.idProduct).rightJustified(4, QLatin1Char('0')));
    text << QStringLiteral("kind:     %1")
                .arg(link.BridgeKind == 0 ? QStringLiteral("not recognised")
                                          : QString::number(link.BridgeKind));
    text
        << (link.I2COutPipe == 0
                ? QStringLiteral("I2C pipe: none")
                : QStringLiteral("I2C pipe: out %1, in %2").arg(hex2Text(link.I2COutPipe), hex2Text(inPipe)));
    text << QStringLiteral("driver:   %1").arg(banner.isEmpty() ? QStringLiteral("USB (libusb)") : banner);

    context.out.result(text.join(QLatin1Char('\n')),
                       QJsonObject{{QStringLiteral("command"), QStringLiteral("info")},
                                   {QStringLiteral("ok"), true},
                                   {QStringLiteral("vendorId"), ids.idVendor},
                                   {QStringLiteral("productId"), ids.idProduct},
                                   {QStringLiteral("kind"), link.BridgeKind},
                                   {QStringLiteral("i2cOutPipe"), static_cast<int>(link.I2COutPipe)},
                                   {QStringLiteral("i2cInPipe"), static_cast<int>(inPipe)},
                                   {QStringLiteral("driver"), driver}});
    return kSuccess;
}

} // namespace vtx::cli
