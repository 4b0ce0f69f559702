// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link.h"
#include "linkflavour.h"
#include "linkobserver.h"
#include "protocol/bridgecommands.h"

namespace vtx {

// One window's side of the shared link: opening and closing it, preparing the module and moving commands,
// parameterised by the window's LinkFlavour; every change of the link's state goes to its LinkObserver.
class LinkClient {
public:
    // The window's (or tool's) messages go to `reporter`.
    LinkClient(Link& link, const LinkFlavour& flavour, LinkObserver& observer, Reporter& reporter);
    ~LinkClient();
    LinkClient(const LinkClient&) = delete;
    LinkClient& operator=(const LinkClient&) = delete;

    Link& link() { return m_link; }
    const LinkFlavour& flavour() const { return m_flavour; }
    Reporter& reporter() { return m_reporter; }

    // This client's observer is told of the attach and detach notifications from now on.
    void becomeAttachLampForm();

    void Connect_Usb();
    void Disconnect_USB();
    // The last Connect_Usb failed because the module did not answer the bridge query in time (and said so):
    // the transfers until the next open or close are not tried.
    bool openTimedOut() const { return m_openTimedOut; }
    // Closes the link whatever state another window left it in: a link that counts as open without a
    // driver handle (opened without the module's device information) is only marked closed.
    void closeWhateverItsState();
    // An open that stopped after the driver started leaves no open link for Disconnect_USB to close: lets
    // the driver go now rather than at the next open.
    void releaseFailedOpen();
    // Bridge query: learns the module's kind and with it the pipe for I2C commands. False when the module did
    // not answer it in time.
    bool Init_USB_Com();
    // Bridge query, then the serial set-up for kind-1 modules. False as Init_USB_Com.
    bool Init_Serial();
    void WritePipe() { m_link.WritePipe(m_reporter); }
    void ReadPipe() { m_link.ReadPipe(m_reporter); }

    // The DCP panel's way out when the module does not answer at start: reset the module, close the driver
    // handle and release the driver, whatever state the link is in.
    void shutDownDriver();

    // Sends one command without a reply on `pipe`.
    void send(std::uint32_t pipe, const protocol::Bytes& bytes);
    // Sends an I2C command on the I2C pipe and reads its reply into a cleared buffer.
    protocol::I2cReply exchange(const protocol::I2cCommand& command);

private:
    Link& m_link;
    const LinkFlavour m_flavour;
    void tell(LinkState::Phase phase, const QString& caption = {});

    LinkObserver& m_observer;
    Reporter& m_reporter;
    bool m_openTimedOut = false;
};

} // namespace vtx
