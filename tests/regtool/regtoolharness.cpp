#include "regtoolharness.h"

#include "regtool/addresstestpanel.h"

#include <QLabel>
#include <QLineEdit>

namespace vtx::test {

void RegToolHarness::useRegisterDevice()
{
    window->addressPanel().setAddressText(QStringLiteral("C0"));
    window->addressPanel().cmdTestComm_Click();
    if (sim.state.I2CWrtAdr != 0xC0 || child<QLabel>(QStringLiteral("lblCommTest"))->text() != u"Good")
        qFatal("the register device did not answer the communication test");
    sim.board.clearTransferLog();
    sim.messages.clear();
}

QStringList RegToolHarness::i2cCommands() const
{
    QStringList result;
    for (const auto& record : sim.writesOn(sim.board.i2cOutPipe()))
        result << hexBytes(record.bytes);
    return result;
}

} // namespace vtx::test
