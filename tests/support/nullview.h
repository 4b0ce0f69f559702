#pragma once

#include "engine/linkview.h"

namespace vtx::test {

// A window that shows nothing of the link: for engine tests that need a LinkClient but no painting.
class NullLinkView final : public LinkView {
public:
    void setNocCaption(const QString&) override {}
    void hideNoc() override {}
    void paintLinkOpening() override {}
    void paintLinkClosed() override {}
    void paintAttachLamp(LampColor) override {}
};

} // namespace vtx::test
