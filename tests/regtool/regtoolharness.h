#pragma once

#include "common/appinfo.h"
#include "common/lampwidget.h"
#include "regtool/addresstestpanel.h"
#include "regtool/registertoolwindow.h"
#include "simfixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

namespace vtx::test {

// "Reg_Adr_5" and the like: the name of a register row's widget.
inline QString rowName(const char* base, int row) { return QStringLiteral("%1_%2").arg(QLatin1String(base)).arg(row); }

// The register tool loaded and shown on the simulated board; the logs and messages of the load are cleared.
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
    QLineEdit* box(const QString& name) const { return child<QLineEdit>(name); }
    QString text(const QString& name) const { return box(name)->text(); }
    void setText(const QString& name, const QString& text) const { box(name)->setText(text); }
    void click(const QString& name) const { child<QPushButton>(name)->click(); }
    QString label(const QString& name) const { return child<QLabel>(name)->text(); }
    LampColor lamp(const QString& name) const { return child<LampWidget>(name)->color(); }
    QList<LampColor> lamps(const QStringList& names) const
    {
        QList<LampColor> colours;
        for (const QString& name : names)
            colours << lamp(name);
        return colours;
    }
    // The texts of the named boxes, separated by blanks.
    QString texts(const QStringList& names) const
    {
        QStringList result;
        for (const QString& name : names)
            result << text(name);
        return result.join(u' ');
    }
    QStringList messages() const { return sim.messages.texts(); }
    void manualMode() const { child<QCheckBox>(QStringLiteral("ChKManUsbConn"))->click(); }

    // Makes the register device (write address 0xC0) the window's device through the communication test.
    void useRegisterDevice()
    {
        window->addressPanel().setAddressText(QStringLiteral("C0"));
        window->addressPanel().cmdTestComm_Click();
        if (sim.state.I2CWrtAdr != 0xC0 || child<QLabel>(QStringLiteral("lblCommTest"))->text() != u"Good")
            qFatal("the register device did not answer the communication test");
        sim.board.clearTransferLog();
        sim.messages.clear();
    }
    // The commands sent on the I2C pipe, as "01 9E AA" texts.
    QStringList i2cCommands() const
    {
        QStringList result;
        for (const auto& record : sim.writesOn(sim.board.i2cOutPipe()))
            result << hexBytes(record.bytes);
        return result;
    }
    int readCount(std::uint32_t pipe = 0x83) const
    {
        int n = 0;
        for (const auto& record : sim.board.transferLog())
            n += record.direction == TransferDirection::Read && record.pipe == pipe;
        return n;
    }
};

} // namespace vtx::test
