// SPDX-License-Identifier: GPL-3.0-or-later
#include "session.h"

#include "protocol/bridgecommands.h"

namespace vtx {

Session::Session(DriverChoice drivers, const LinkFlavour& flavour, Reporter& reporter, LinkObserver* observer,
                 LinkRecordSizes sizes)
    : m_drivers(std::move(drivers)),
      m_ownLink(std::make_unique<Link>(*m_drivers.driver, m_drivers.match, *m_drivers.clock, sizes)),
      m_link(*m_ownLink), m_client(m_link, flavour, observer ? *observer : m_noObserver, reporter),
      m_bus(m_client), m_dcp(m_bus, m_link.clock()), m_bracket(m_client, defaultBracket())
{
}

Session::Session(Link& link, const LinkFlavour& flavour, Reporter& reporter, LinkObserver* observer)
    : m_link(link), m_client(m_link, flavour, observer ? *observer : m_noObserver, reporter), m_bus(m_client),
      m_dcp(m_bus, m_link.clock()), m_bracket(m_client, defaultBracket())
{
}

Session::~Session()
{
    if (m_held)
        close();
    // An open that stopped after the driver started leaves nothing for close() to close. A link shared
    // with other front ends is theirs to clean up as well.
    if (m_ownLink)
        m_client.releaseFailedOpen();
}

Result<Done> Session::open()
{
    m_client.Connect_Usb();
    if (!m_link.UsbOpen)
        return Result<Done>::failure({}, Failure{Failure::Kind::Link, m_link.UsbStatus, {}});
    m_held = true;
    return Result<Done>::success({}, Done{});
}

void Session::close()
{
    m_held = false;
    m_client.Disconnect_USB();
}

BracketPolicy Session::defaultBracket()
{
    return BracketPolicy{
        .userHoldsLink = [this] { return m_held; },
        .leavesOpenLink = true,
        .open = [this] { m_client.Connect_Usb(); },
        .close = [this] { m_client.Disconnect_USB(); },
    };
}

std::unique_ptr<SessionRun> Session::tryRun(const QString& owner)
{
    auto scope = guard().tryBegin(owner);
    if (!scope)
        return nullptr;
    return std::make_unique<SessionRun>(std::move(*scope), m_bracket, m_link);
}

bool Session::probeModule()
{
    {
        const Link::QuietScope quiet(m_link);
        m_client.Connect_Usb();
    }
    if (m_link.UsbOpen)
        return true;
    m_client.releaseFailedOpen();
    return false;
}

Result<ModuleInfo> Session::moduleInfo()
{
    DeviceInfo info;
    if (const DriverStatus status = m_link.driver().getDeviceInfo(m_link.hActiveDevice, info);
        !succeeded(status))
        return Result<ModuleInfo>::failure(
            {}, Failure{Failure::Kind::Link, status, {m_link.UsbStatusText(status)}});
    ModuleInfo module;
    module.vendorId = info.descriptor.idVendor;
    module.productId = info.descriptor.idProduct;
    module.kind = m_link.BridgeKind;
    module.i2cOutPipe = m_link.I2COutPipe;
    module.i2cInPipe = m_link.I2COutPipe == 0 ? 0 : protocol::replyPipeFor(m_link.I2COutPipe);
    module.banner = m_link.driver().bannerText();
    module.simulated = simulated();
    return Result<ModuleInfo>::success({}, module);
}

} // namespace vtx
