// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dcppanelui.h"
#include "dcpstate.h"
#include "dcptransactions.h"
#include "engine/linkobserver.h"
#include "engine/session.h"
#include "timedtransfers.h"
#include "widgets/appcontext.h"
#include "widgets/windowreporter.h"

#include <QMainWindow>
#include <functional>
#include <memory>

namespace vtx::plot {
class ReadbackPlotWindow;
}
namespace vtx::sweep {
class SweepWindow;
}

namespace vtx::dcp {

// What the panel asks of the rest of the program; the shell fills these in. An empty hook leaves its menu
// entry or button without effect (the register tool's entry is disabled until it is set).
struct DcpPanelHooks {
    std::function<void(QWidget* opener)> showJumperPicture;
    std::function<void()> showAbout;
    std::function<void()> openRegisterTool;
    std::function<void()> showTransferLog;
};

// The DCP panel `frmVTX8303`: sets the VTX8303's wiper from a list or a slider, writes it to the register or
// the EEPROM, reads it back, repeats both on a timer, and shows the link and every transfer on lamps.
//
// Every entry point that talks to the module takes the program's transaction guard first. A button, a check
// box or a tick that finds a transaction running is dropped; a wiper position chosen meanwhile is queued,
// the latest replacing any earlier one, so the last position the user chose reaches the device.
class DcpPanelWindow final : public QMainWindow, public LinkObserver {
    Q_OBJECT
public:
    explicit DcpPanelWindow(AppContext& context, QWidget* parent = nullptr);
    ~DcpPanelWindow() override;

    // The start sequence: lists, addresses, then a probe of the module. False when the module did not
    // answer: the driver has been shut down, and the caller tells the user and decides what comes next.
    bool Form_Load();

    void setHooks(DcpPanelHooks hooks);
    void setRegisterToolHook(std::function<void()> openRegisterTool);

    // Handlers, by control.
    void List1_Click(int index);
    void Option1_Click(int index);
    void Slider1_MouseUp(int index);
    void cmdexit_Click();
    // Tools > "Read-back Plot" and "Sweep...": each window is made on first use and brought forward after.
    void showReadbackPlot();
    void showSweep();

    const DcpPanelUi& ui() const { return m_ui; }
    const DcpState& state() const { return m_state; }
    TimedTransfers& timedTransfers() { return *m_timed; }

    // The link's state as this panel shows it: the "USB Status" lamp and the status caption.
    void linkChanged(const LinkState& state) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void setNocCaption(const QString& caption);
    void connectControls();
    void connectMenus();
    // Recomputes DcpWrData from the selected position and the mode, and shows it.
    void computeDataByte();
    // The slider and the data byte show the position list's selection; nothing is written.
    void followPositionList();
    void fillPositionLists();
    // Runs `action` as one transaction, or drops it when another one is running.
    void runGuarded(const std::function<void()>& action);
    // Writes the current data byte now, or as soon as the running transaction has ended.
    void requestWrite();
    void showJumperPicture();
    // "Exit" and the "USB Status" lamp show the link as it is, whichever window opened or closed it.
    void followLink();
    // Timed writes in EEPROM mode wear the part out: asked once per session before they start.
    bool mayStartTimedWrites(int intervalMs);
    void showEepromWrites();

    AppContext& m_context;
    DcpPanelUi m_ui;
    DcpState m_state;
    ProgramState m_program; // this panel's device address and connection mode
    bool m_loaded = false;  // the load found the module
    WindowReporter m_reporter;
    Session m_session;    // this window's side of the shared link
    LinkClient& m_client; // the session's
    DcpTransactions m_transactions;
    TimedTransfers* m_timed; // child QObject
    DcpPanelHooks m_hooks;
    std::unique_ptr<plot::ReadbackPlotWindow> m_readbackPlot;
    std::unique_ptr<sweep::SweepWindow> m_sweep;
};

} // namespace vtx::dcp
