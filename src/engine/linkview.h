// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/palette.h"

#include <QString>

namespace vtx {

// What the link paints or writes on the window that uses it. Each working window implements this.
class LinkView {
public:
    virtual ~LinkView() = default;

    // The driver handle, right after the driver initialised (only windows that show it).
    virtual void showDriverHandle(const QString& text) { Q_UNUSED(text); }
    // The link status caption (`cbNoc`).
    virtual void setNocCaption(const QString& caption) = 0;
    virtual void hideNoc() = 0;
    // The lamps when the link opens: first right after the driver found the module, then once the module
    // has been prepared.
    virtual void paintLinkOpening() = 0;
    virtual void paintLinkOpened() {}
    // The lamps once the link has closed.
    virtual void paintLinkClosed() = 0;
    // The "USB Attach" / "USB Status" lamp that the attach and detach notifications paint.
    virtual void paintAttachLamp(LampColor color) = 0;
};

// For a front end without a window (the command line, benchmarks, engine tests): shows nothing of the link.
class NullLinkView final : public LinkView {
public:
    void setNocCaption(const QString&) override {}
    void hideNoc() override {}
    void paintLinkOpening() override {}
    void paintLinkClosed() override {}
    void paintAttachLamp(LampColor) override {}
};

} // namespace vtx
