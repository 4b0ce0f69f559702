#pragma once

#include "common/appinfo.h"
#include "common/lampwidget.h"
#include "regtool/registertoolwindow.h"
#include "simfixture.h"

#include <QTest>
#include <QWidget>
#include <memory>
#include <vector>

namespace vtx::test {

// The register tool loaded on the simulated board with recording seams, shown offscreen. The transfer log
// and the messages of the load are cleared so that each test sees only its own.
struct RegToolHarness {
    SimFixture sim;
    std::unique_ptr<RegisterToolWindow> window;

    RegToolHarness()
    {
        window = std::make_unique<RegisterToolWindow>(sim.context);
        window->show();
        sim.board.clearTransferLog();
        sim.board.clearCallLog();
        sim.messages.clear();
    }

    template <typename T> T* child(const QString& name) const
    {
        T* const found = window->findChild<T*>(name);
        if (!found)
            qFatal("no child %s", qPrintable(name));
        return found;
    }

    LampColor lamp(const QString& name) const { return child<LampWidget>(name)->color(); }

    // Makes the register device (write address 0xC0) the window's device through the communication test.
    void useRegisterDevice();

    // Reads of `pipe` as the board logged them.
    std::vector<TransferRecord> readsOn(std::uint32_t pipe) const
    {
        std::vector<TransferRecord> result;
        for (const auto& record : sim.board.transferLog())
            if (record.direction == TransferDirection::Read && record.pipe == pipe)
                result.push_back(record);
        return result;
    }

    // The commands sent on the I2C pipe, as "01 9E AA" texts.
    QStringList i2cCommands() const;
};

} // namespace vtx::test
