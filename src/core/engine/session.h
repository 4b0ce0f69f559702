// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dcpdevice.h"
#include "platform/driverchoice.h"
#include "i2cbus.h"
#include "link.h"
#include "linkbracket.h"
#include "linkclient.h"
#include "linkflavour.h"
#include "linkobserver.h"
#include "result.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <utility>

namespace vtx {

// The module the link found, as a front end shows it.
struct ModuleInfo {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    int kind = 0;                 // 0: not recognised
    std::uint32_t i2cOutPipe = 0; // 0: none
    std::uint32_t i2cInPipe = 0;  // 0: none
    QString banner;               // the driver's own words for itself; empty for the libusb driver
    bool simulated = false;
};

// One transaction its caller holds: the program-wide guard, and the link bracketed while it lives.
class SessionRun {
public:
    SessionRun(TransactionGuard::Scope scope, LinkBracket& bracket, Link& link)
        : m_scope(std::move(scope)), m_transfers(bracket, link)
    {
    }
    BracketedTransfers& transfers() { return m_transfers; }
    // Closes the link (once) and returns what it said from the opening to the closing.
    QStringList finish() { return m_transfers.finish(); }

private:
    // The bracket closes before the guard lets the next transaction in.
    TransactionGuard::Scope m_scope;
    BracketedTransfers m_transfers;
};

// The engine's front door: everything a front end needs to reach the module, put together once. It owns the
// chosen driver and the link on it (or joins a link another session owns, as every window after the first
// does), and a client of the link with the front end's flavour, the I2C bus and the DCP on it.
//
// The link is either held (open() until close()) or opened for each transaction and closed after it; a front
// end that opens and closes in its own way (painting as it goes) sets its bracket policy.
class Session {
public:
    // Owns `drivers` and a link on them, whose rings take `sizes`.
    Session(DriverChoice drivers, const LinkFlavour& flavour, Reporter& reporter,
            LinkObserver* observer = nullptr, LinkRecordSizes sizes = {});
    // A further front end on `link`, which must outlive the session.
    Session(Link& link, const LinkFlavour& flavour, Reporter& reporter, LinkObserver* observer = nullptr);
    // Closes a link this session holds, and lets the driver go after an open that stopped half-way.
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Opens the link and holds it until close(). The failure carries the link's last status; what the link
    // said went to the reporter as it happened.
    Result<Done> open();
    void close();
    bool isOpen() const { return m_link.UsbOpen; }
    bool holdsLink() const { return m_held; }

    // One transaction: false, and nothing done, while another runs. Otherwise the program-wide guard is
    // taken for `owner` (the transfer log's name for it), the link bracketed, and fn(BracketedTransfers&) run
    // inside.
    template <typename Fn> bool transaction(const QString& owner, Fn&& fn)
    {
        const std::unique_ptr<SessionRun> run = tryRun(owner);
        if (!run)
            return false;
        fn(run->transfers());
        return true;
    }
    // The same for a caller that ends the transaction itself; nothing while another runs.
    std::unique_ptr<SessionRun> tryRun(const QString& owner);
    LinkBracket& bracket() { return m_bracket; }
    void setBracketPolicy(BracketPolicy policy) { m_bracket.setPolicy(std::move(policy)); }

    // Whether the module is there (again), heard by opening the link quietly: opening sends nothing unless
    // it is. The link is left open when it is (the transaction's bracket closes it).
    bool probeModule();

    // What `vtxctl info` shows; the failure's only message is the driver's words for its status.
    Result<ModuleInfo> moduleInfo();

    bool simulated() const { return m_drivers.simulated; }
    Link& link() { return m_link; }
    LinkClient& client() { return m_client; }
    I2cBus& bus() { return m_bus; }
    DcpDevice& dcp() { return m_dcp; }
    const Clock& clock() const { return m_link.clock(); }
    TransactionGuard& guard() { return m_link.guard(); }

private:
    // Held links stay; otherwise opened and closed plainly, and a link found open is left as it is.
    BracketPolicy defaultBracket();

    // Declared in the order they are built, so they go in reverse: the DCP before the bus, the link before
    // the driver it releases.
    DriverChoice m_drivers; // empty when the link belongs to another session
    std::unique_ptr<Link> m_ownLink;
    Link& m_link;
    NullLinkObserver m_noObserver;
    LinkClient m_client;
    I2cBus m_bus;
    DcpDevice m_dcp;
    LinkBracket m_bracket;
    bool m_held = false;
};

} // namespace vtx
