// SPDX-License-Identifier: GPL-3.0-or-later
#include "dcptransactions.h"

#include "common/appinfo.h"
#include "common/programstate.h"
#include "common/textformat.h"
#include "common/yield.h"
#include "dcpmessages.h"
#include "engine/failurereport.h"
#include "engine/session.h"
#include "engine/verifiedstore.h"
#include "protocol/bridgecommands.h"
#include "widgets/lampwidget.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <utility>

namespace vtx::dcp {

namespace {

void paintSuccess(LampWidget* lamp)
{
    lamp->setColor(nextSuccessColor(lamp->color()));
}

} // namespace

DcpTransactions::DcpTransactions(Session& session, ProgramState& program, DcpPanelUi& ui, DcpState& state)
    : m_session(session), m_client(session.client()), m_program(program),
      m_reporter(session.client().reporter()), m_ui(ui), m_state(state), m_device(session.dcp())
{
    m_session.setBracketPolicy(BracketPolicy{
        .userHoldsLink = [this] { return m_program.ManualUsbConn; },
        .leavesOpenLink = false,
        .open = [this] { cmdUSBConnect_Click(); },
        .close = [this] { cmdUSBDisconnect_Click(); },
    });
}

bool DcpTransactions::timersRun() const
{
    return m_ui.chkWriteTimer->isChecked() || m_ui.chkReadTimer->isChecked();
}

bool DcpTransactions::tellFailure(const QString& text, const QString& caption, const Failure& failure,
                                  const QStringList& openMessages)
{
    if (m_followUp.note(failure, timersRun())) {
        m_ui.lblFailStatus->setText(kTimedTransfersPausedText);
        return false;
    }
    if (m_ui.chkFailIgnore->isChecked()) {
        // No box at all, however often it fails: the lamps and this line say it.
        m_ignoredInARow = text == m_lastIgnoredFailure ? m_ignoredInARow + 1 : 1;
        m_lastIgnoredFailure = text;
        m_ui.lblFailStatus->setText(
            m_ignoredInARow == 1 ? text.trimmed()
                                 : QStringLiteral("%1 (%2 times)").arg(text.trimmed()).arg(m_ignoredInARow));
        return false;
    }
    m_reporter.report(describeFailure(text, failure, openMessages).boxText(), caption);
    return true;
}

bool DcpTransactions::timedTransfersMayRun()
{
    switch (m_followUp.timedTick([this] { return m_session.probeModule(); })) {
    case FailureFollowUp::Tick::Runs:
        return true;
    case FailureFollowUp::Tick::Resumed:
        m_ui.lblFailStatus->setText(kTimedTransfersResumedText);
        return true;
    case FailureFollowUp::Tick::Paused:
        break;
    }
    return false;
}

bool DcpTransactions::Wrt_DCP()
{
    // The byte is taken now: a position chosen while this write yields is written by a write of its own.
    const std::uint8_t data = m_state.DcpWrData;
    yieldEvents();
    // The last open failed (the module was unplugged): there is nobody to write to unless it is back, which
    // only opening the link can tell. Without it nothing is sent and no lamp changes.
    if (!m_client.link().UsbOK && !m_session.probeModule())
        return false;
    if (m_followUp.skipsRest())
        return false;
    BracketedTransfers transfers(m_session.bracket(), m_client.link());
    yieldEvents();

    const Result<Done> result =
        transfers.openTimedOut() ? timedOutResult<Done>() : m_device.write(m_program.I2CWrtAdr, data);
    m_ui.lblReadCount->setText(decimalText(result.reply().count));
    if (result) {
        m_ui.lampComm->setColor(LampColor::LightGreen);
        paintSuccess(m_ui.lampWrite);
    } else {
        m_ui.lampComm->setColor(LampColor::LightRed);
        m_ui.lampWrite->setColor(LampColor::LightRed);
        yieldEvents();
        // Timed writes end before the box goes up, so no further tick runs into the same fault (an unplugged
        // module only pauses them).
        if (!m_ui.chkFailIgnore->isChecked() && !FailureFollowUp::pauses(result.failure(), timersRun()))
            m_ui.chkWriteTimer->setChecked(false);
        tellFailure(kWriteErrorText, kWriteErrorCaption, result.failure(), transfers.openMessages());
    }
    transfers.finish();
    yieldEvents();
    return result.ok();
}

bool DcpTransactions::Read_DCP()
{
    if (m_followUp.skipsRest())
        return false;
    BracketedTransfers transfers(m_session.bracket(), m_client.link());
    yieldEvents();

    const Result<std::uint8_t> result =
        transfers.openTimedOut() ? timedOutResult<std::uint8_t>() : m_device.read(m_program.I2CRdAdr);
    m_ui.lblReadCount->setText(decimalText(result.reply().count));
    if (result) {
        paintSuccess(m_ui.lampRead);
        m_ui.lampComm->setColor(LampColor::LightGreen);
    } else {
        m_ui.lampRead->setColor(LampColor::LightRed);
        m_ui.lampComm->setColor(LampColor::LightRed);
        yieldEvents();
        if (tellFailure(kReadErrorText, kReadErrorCaption, result.failure(), transfers.openMessages()))
            m_ui.chkReadTimer->setChecked(false);
    }
    transfers.finish();

    // A read that failed has no byte to show: the cleared reply buffer would pass for position 1.
    if (result) {
        m_state.DcpRdData = result.value();
        m_state.DcpRdHex = dataByteText(result.value());
    } else {
        m_state.DcpRdHex = kNoValue;
    }
    m_ui.txtHexDataRead->setText(m_state.DcpRdHex);
    return result.ok();
}

void DcpTransactions::showReadPosition(bool readSucceeded)
{
    QListWidget* list = m_ui.List1[1];
    if (readSucceeded) {
        const int code = wiperCodeFromRead(m_state.DcpRdData);
        m_ui.ProgressBar1->setValue(progressValueFromRead(m_state.DcpRdData));
        list->setCurrentRow(code);
        list->scrollToItem(list->item(code), QAbstractItemView::PositionAtCenter);
    } else {
        m_ui.ProgressBar1->reset();
        list->setCurrentRow(-1);
        list->clearSelection();
    }
}

void DcpTransactions::cmdI2Read_Click()
{
    m_ui.cmdI2Read->hide();
    const bool good = Read_DCP();
    showReadPosition(good);
    if (!m_ui.chkReadTimer->isChecked())
        m_ui.cmdI2Read->show();
    yieldEvents();
}

void DcpTransactions::CMDxMIT_Click()
{
    // One open and one close for the write and its read-back.
    const LinkBracket::Hold hold(m_session.bracket());
    Wrt_DCP();
    m_ui.CMDxMIT->hide();
    m_ui.cmdI2Read->hide();
    yieldEvents();
    if (m_ui.ChkAutoRead->isChecked()) {
        cmdI2Read_Click();
        yieldEvents();
    }
    if (!m_ui.chkWriteTimer->isChecked())
        m_ui.CMDxMIT->show();
    if (!m_ui.chkReadTimer->isChecked())
        m_ui.cmdI2Read->show();
    yieldEvents();
}

void DcpTransactions::cmdStoreVerify_Click()
{
    const int position = positionFromWrite(m_state.DcpWrData);
    yieldEvents();
    if (!m_client.link().UsbOK && !m_session.probeModule())
        return;
    BracketedTransfers transfers(m_session.bracket(), m_client.link());
    yieldEvents();
    const Result<StoreVerification> result = transfers.openTimedOut()
                                                 ? timedOutResult<StoreVerification>()
                                                 : storeVerified(m_device, m_program.I2CWrtAdr, position);
    m_ui.lblReadCount->setText(decimalText(result.reply().count));
    if (!result) {
        m_ui.lampComm->setColor(LampColor::LightRed);
        m_ui.lampWrite->setColor(LampColor::LightRed);
        m_ui.lblStoreStatus->setText(kStoreFailedText.arg(position));
        yieldEvents();
        tellFailure(kWriteErrorText, kWriteErrorCaption, result.failure(), transfers.openMessages());
        return;
    }
    const StoreVerification& store = result.value();
    m_ui.lampComm->setColor(LampColor::LightGreen);
    paintSuccess(m_ui.lampWrite);
    m_ui.lblStoreStatus->setText(storeVerificationText(store));
    if (store.readByte) {
        paintSuccess(m_ui.lampRead);
        m_state.DcpRdData = *store.readByte;
        m_state.DcpRdHex = dataByteText(*store.readByte);
        m_ui.txtHexDataRead->setText(m_state.DcpRdHex);
        showReadPosition(true);
    } else if (store.readFailure) {
        m_ui.lampRead->setColor(LampColor::LightRed);
        m_ui.lampComm->setColor(LampColor::LightRed);
        yieldEvents();
        tellFailure(kReadErrorText, kReadErrorCaption, *store.readFailure, {});
    }
    transfers.finish();
    yieldEvents();
}

void DcpTransactions::ChkAutoRead_Click()
{
    if (m_ui.ChkAutoRead->isChecked())
        cmdI2Read_Click();
    yieldEvents();
}

void DcpTransactions::cmdOpen_USB_Click()
{
    Link& link = m_client.link();
    m_client.Connect_Usb();
    if (!link.UsbOK) {
        m_ui.ShpAttach->setColor(LampColor::LightRed);
        m_reporter.report(kModuleMissingAtOpenText, kApplicationTitle);
        m_client.Disconnect_USB();
        m_client.releaseFailedOpen();
        yieldEvents();
        return;
    }
    m_ui.SSFrame1->show();
    m_ui.ShpAttach->setColor(LampColor::LightGreen);
    const bool good = Read_DCP();
    m_client.Disconnect_USB();
    // Closing the link painted the lamp black; the module did answer.
    m_ui.ShpAttach->setColor(LampColor::LightGreen);
    if (!good) {
        m_ui.lampComm->setColor(LampColor::LightRed);
        m_reporter.report(kDeviceMissingText, kApplicationTitle);
    } else {
        m_ui.lampComm->setColor(LampColor::LightGreen);
    }
}

void DcpTransactions::cmdUSBConnect_Click()
{
    m_client.Connect_Usb();
    // The window refuses to close while the link is open, so "Exit" goes away meanwhile.
    m_ui.cmdexit->hide();
}

void DcpTransactions::cmdUSBDisconnect_Click()
{
    m_client.Disconnect_USB();
    m_ui.cbNoc->setText(kInterfaceClosedText);
    m_ui.cbNoc->show();
    m_ui.cmdexit->show();
}

} // namespace vtx::dcp
