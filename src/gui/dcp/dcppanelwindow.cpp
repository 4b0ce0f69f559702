// SPDX-License-Identifier: GPL-3.0-or-later
#include "dcppanelwindow.h"

#include "common/appinfo.h"
#include "common/hex.h"
#include "common/i2caddress.h"
#include "common/textformat.h"
#include "common/yield.h"
#include "dcpmessages.h"
#include "engine/eepromwear.h"
#include "plot/readbackplotwindow.h"
#include "positionmodel.h"
#include "sweep/sweepwindow.h"
#include "widgets/eepromwearguard.h"
#include "widgets/lampwidget.h"
#include "widgets/mouserelease.h"
#include "widgets/paintbatcher.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QStatusBar>

namespace vtx::dcp {

namespace {
const QString kWriteRequestKey = QStringLiteral("dcp-write");
const QString kExitRequestKey = QStringLiteral("dcp-exit");
// Long enough to read why the timer does not tick as typed.
constexpr int kIntervalNoticeMs = 10000;
} // namespace

DcpPanelWindow::DcpPanelWindow(AppContext& context, QWidget* parent)
    : QMainWindow(parent), m_context(context), m_ui(buildDcpPanelUi(*this)),
      m_reporter(context.messages, this), m_session(context.link, kDcpPanelLink, m_reporter, this),
      m_client(m_session.client()), m_transactions(m_session, m_program, m_ui, m_state),
      m_timed(new TimedTransfers(
          m_ui, m_state, context.link.guard(), context.link.clock(),
          [this] {
              if (m_transactions.timedTransfersMayRun())
                  m_transactions.CMDxMIT_Click();
          },
          [this] {
              if (m_transactions.timedTransfersMayRun())
                  m_transactions.cmdI2Read_Click();
          },
          this))
{
    setObjectName(QStringLiteral("frmVTX8303"));
    setWindowTitle(kPanelCaption);
    const QString banner = context.link.driver().bannerText();
    m_ui.banner->setText(banner);
    m_ui.banner->setVisible(!banner.isEmpty());
    connectControls();
    connectMenus();
    // Lamps, counts and texts change as a transaction goes; the window shows the result once, at its end.
    auto* batcher = new PaintBatcher(*this);
    connect(&context.link.guard(), &TransactionGuard::transactionStarted, batcher, &PaintBatcher::hold);
    connect(&context.link.guard(), &TransactionGuard::transactionEnded, batcher, &PaintBatcher::release);
    connect(&context.link.guard(), &TransactionGuard::transactionStarted, this,
            [this] { m_transactions.beginTransaction(); });
    connect(&context.link.guard(), &TransactionGuard::transactionEnded, this, &DcpPanelWindow::followLink);
    connect(&context.link.guard(), &TransactionGuard::transactionEnded, this,
            &DcpPanelWindow::showEepromWrites);
    m_timed->setWriteStartCheck([this](int intervalMs) { return mayStartTimedWrites(intervalMs); });
}

DcpPanelWindow::~DcpPanelWindow() = default;

void DcpPanelWindow::setHooks(DcpPanelHooks hooks)
{
    m_hooks = std::move(hooks);
    m_ui.mnuRegisterTool->setEnabled(static_cast<bool>(m_hooks.openRegisterTool));
}

void DcpPanelWindow::setRegisterToolHook(std::function<void()> openRegisterTool)
{
    m_hooks.openRegisterTool = std::move(openRegisterTool);
    m_ui.mnuRegisterTool->setEnabled(static_cast<bool>(m_hooks.openRegisterTool));
}

void DcpPanelWindow::connectControls()
{
    // Keys write as they move the selection. With a mouse button down the slider and the data byte follow
    // the selection as it moves, and the release writes the position they show, once: also for a click on
    // the row already selected, and for a press on one row let go on another (which the list reports as no
    // click at all).
    connect(m_ui.List1[0], &QListWidget::currentRowChanged, this, [this] {
        if (QGuiApplication::mouseButtons() == Qt::NoButton)
            List1_Click(0);
        else
            followPositionList();
    });
    connect(new MouseRelease(*m_ui.List1[0]->viewport()), &MouseRelease::released, this,
            [this] { List1_Click(0); });
    connect(m_ui.List1[1], &QListWidget::currentRowChanged, this, [this] { List1_Click(1); });
    const std::array<QRadioButton*, 2> modes{m_ui.eepromMode, m_ui.registerMode}; // Option1_Click's index
    for (int i = 0; i < 2; ++i) {
        connect(modes[static_cast<std::size_t>(i)], &QRadioButton::toggled, this, [this, i](bool checked) {
            if (checked)
                Option1_Click(i);
        });
        connect(m_ui.SSOption1[static_cast<std::size_t>(i)], &QRadioButton::clicked, this,
                &DcpPanelWindow::showJumperPicture);
    }
    // A drag is taken when the mouse lets go of the handle; keys, the wheel and clicks on the groove move
    // the slider without dragging and are taken at once, so the slider never shows a position that the
    // list and the device do not have.
    // A click on the groove moves the slider in page steps while the button is down and never drags the
    // handle: its release writes.
    connect(m_ui.Slider1_0, &QSlider::sliderReleased, this, [this] { Slider1_MouseUp(0); });
    connect(m_ui.Slider1_0, &QSlider::valueChanged, this, [this] {
        if (!m_ui.Slider1_0->isSliderDown())
            Slider1_MouseUp(0);
    });
    connect(new MouseRelease(*m_ui.Slider1_0), &MouseRelease::released, this, [this] {
        if (!m_ui.Slider1_0->isSliderDown())
            List1_Click(0);
    });

    connect(m_ui.CMDxMIT, &QPushButton::clicked, this,
            [this] { runGuarded([this] { m_transactions.CMDxMIT_Click(); }); });
    connect(m_ui.cmdI2Read, &QPushButton::clicked, this,
            [this] { runGuarded([this] { m_transactions.cmdI2Read_Click(); }); });
    connect(m_ui.cmdStoreVerify, &QPushButton::clicked, this,
            [this] { runGuarded([this] { m_transactions.cmdStoreVerify_Click(); }); });
    connect(m_ui.ChkAutoRead, &QCheckBox::toggled, this,
            [this] { runGuarded([this] { m_transactions.ChkAutoRead_Click(); }); });
    connect(m_ui.cmdOpen_USB, &QPushButton::clicked, this,
            [this] { runGuarded([this] { m_transactions.cmdOpen_USB_Click(); }); });
    connect(m_ui.cmdUSBConnect, &QPushButton::clicked, this,
            [this] { runGuarded([this] { m_transactions.cmdUSBConnect_Click(); }); });
    connect(m_ui.cmdUSBDisconnect, &QPushButton::clicked, this,
            [this] { runGuarded([this] { m_transactions.cmdUSBDisconnect_Click(); }); });
    connect(m_ui.cmdexit, &QPushButton::clicked, this, &DcpPanelWindow::cmdexit_Click);

    connect(m_ui.chkWriteTimer, &QCheckBox::toggled, m_timed, &TimedTransfers::chkWriteTimer_Click);
    connect(m_ui.chkReadTimer, &QCheckBox::toggled, m_timed, &TimedTransfers::chkReadTimer_Click);
    connect(m_ui.cmdStopTimer, &QPushButton::clicked, m_timed, &TimedTransfers::cmdStopTimer_Click);
    connect(m_ui.txtDelay, &QLineEdit::editingFinished, m_timed, &TimedTransfers::txtDelay_LostFocus);
    connect(m_timed, &TimedTransfers::intervalNotice, this,
            [this](const QString& text) { statusBar()->showMessage(text, kIntervalNoticeMs); });
    connect(m_timed, &TimedTransfers::ticksFallShort, this, [this](double perSecond, int intervalMs) {
        // Held by the user, the ticks open nothing: what is left is the module's own time.
        const bool held = m_program.ManualUsbConn && m_context.link.UsbOpen;
        const QString& why = held ? kTicksFallShortHeldText : kTicksFallShortText;
        statusBar()->showMessage(
            why.arg(perSecond, 0, 'f', 1).arg(1000.0 / intervalMs, 0, 'f', 1).arg(intervalMs),
            kIntervalNoticeMs);
    });
    connect(m_ui.SSCommand1, &QPushButton::clicked, this, &DcpPanelWindow::showJumperPicture);
}

void DcpPanelWindow::connectMenus()
{
    connect(m_ui.mnuJumperHelp, &QAction::triggered, this, &DcpPanelWindow::showJumperPicture);
    connect(m_ui.mnuAbout, &QAction::triggered, this, [this] {
        if (m_hooks.showAbout)
            m_hooks.showAbout();
    });
    connect(m_ui.mnuRegisterTool, &QAction::triggered, this, [this] {
        if (m_hooks.openRegisterTool)
            m_hooks.openRegisterTool();
    });
    m_ui.mnuRegisterTool->setEnabled(false);
    connect(m_ui.mnuReadbackPlot, &QAction::triggered, this, &DcpPanelWindow::showReadbackPlot);
    connect(m_ui.mnuSweep, &QAction::triggered, this, &DcpPanelWindow::showSweep);
    connect(m_ui.mnuTransferLog, &QAction::triggered, this, [this] {
        if (m_hooks.showTransferLog)
            m_hooks.showTransferLog();
    });
    // Only the mode changes; the link stays as it is. The register tool has a mode of its own.
    connect(m_ui.mnuManUsbConn, &QAction::toggled, this,
            [this](bool checked) { m_program.ManualUsbConn = checked; });

    // Keys without a menu entry of their own: quit as Exit does, and the window's read ("I2C-Read").
    auto* const quit = new QAction(this);
    quit->setObjectName(QStringLiteral("actQuit"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quit, &QAction::triggered, this, &DcpPanelWindow::cmdexit_Click);
    auto* const read = new QAction(this);
    read->setObjectName(QStringLiteral("actRead"));
    read->setShortcut(QKeySequence(Qt::Key_F5));
    connect(read, &QAction::triggered, m_ui.cmdI2Read, &QPushButton::click);
    addActions({quit, read});
}

void DcpPanelWindow::showReadbackPlot()
{
    if (!m_readbackPlot)
        m_readbackPlot = std::make_unique<plot::ReadbackPlotWindow>(m_context);
    m_readbackPlot->show();
    m_readbackPlot->raise();
    m_readbackPlot->activateWindow();
}

void DcpPanelWindow::showSweep()
{
    if (!m_sweep)
        m_sweep = std::make_unique<sweep::SweepWindow>(m_context);
    m_sweep->show();
    m_sweep->raise();
    m_sweep->activateWindow();
}

bool DcpPanelWindow::mayStartTimedWrites(int intervalMs)
{
    if (m_state.DcpLsb != ProgrammingMode::Eeprom || intervalMs <= 0)
        return true;
    return confirmEepromWear(m_context.questions, m_context.link.dcpSession(), this,
                             timedEepromWritesQuestion(intervalMs));
}

void DcpPanelWindow::showEepromWrites()
{
    m_ui.lblEepromWrites->setText(
        QStringLiteral("EEPROM writes: %1").arg(m_context.link.dcpSession().eepromWrites()));
}

void DcpPanelWindow::showJumperPicture()
{
    if (m_hooks.showJumperPicture)
        m_hooks.showJumperPicture(this);
}

void DcpPanelWindow::runGuarded(const std::function<void()>& action)
{
    auto scope = m_context.link.guard().tryBegin(kTransactionOwner);
    if (!scope)
        return;
    action();
}

void DcpPanelWindow::requestWrite()
{
    TransactionGuard& guard = m_context.link.guard();
    if (auto scope = guard.tryBegin(kTransactionOwner)) {
        m_transactions.CMDxMIT_Click();
        return;
    }
    // Only the latest request waits; it writes whatever position is selected when it runs.
    guard.whenIdle(kWriteRequestKey, [self = QPointer(this)] {
        if (self && self->m_loaded)
            self->requestWrite();
    });
}

void DcpPanelWindow::computeDataByte()
{
    const QListWidgetItem* item = m_ui.List1[0]->currentItem();
    const int position = item ? positionFromItemText(item->text()).value_or(kFirstPosition) : kFirstPosition;
    m_state.DcpWrData = dataByteFor(position, m_state.DcpLsb);
    m_state.DcpWrHex = dataByteText(m_state.DcpWrData);
    m_ui.txtHexDataWrt->setText(m_state.DcpWrHex);
}

void DcpPanelWindow::followPositionList()
{
    {
        // Following the list must not come back to us as a slider move.
        const QSignalBlocker blocker(m_ui.Slider1_0);
        m_ui.Slider1_0->setValue(m_ui.List1[0]->currentRow() + 1);
    }
    computeDataByte();
}

void DcpPanelWindow::List1_Click(int index)
{
    if (index != 0) {
        // The "Read Position" list only shows what was read.
        yieldEvents();
        return;
    }
    followPositionList();
    yieldEvents();
    // Before the load has found the module there is nothing to write to (the load selects position 1).
    if (m_loaded)
        requestWrite();
    yieldEvents();
}

void DcpPanelWindow::Option1_Click(int index)
{
    m_state.DcpLsb = index != 0 ? ProgrammingMode::Register : ProgrammingMode::Eeprom;
    computeDataByte();
    // Timed writes that were running in Register mode now write the EEPROM: the same question as at their
    // start, and a No ends them.
    if (m_state.WriteTimerOn && !mayStartTimedWrites(m_timed->readTimer().interval()))
        m_ui.chkWriteTimer->setChecked(false);
    yieldEvents();
}

void DcpPanelWindow::Slider1_MouseUp(int index)
{
    Q_UNUSED(index);
    QListWidget* list = m_ui.List1[0];
    const int row = listRowFor(m_ui.Slider1_0->value());
    if (row == list->currentRow()) {
        // Let go where it was: the position is written again, as a click on the list would.
        List1_Click(0);
        return;
    }
    list->setCurrentRow(row);
    list->scrollToItem(list->currentItem(), QAbstractItemView::PositionAtCenter);
    computeDataByte();
    // Two passes: the list's new selection and its scroll paint before the slider takes the next event.
    yieldEvents(2);
}

void DcpPanelWindow::fillPositionLists()
{
    for (int p = kFirstPosition; p <= kLastPosition; ++p) {
        const QString text = positionItemText(p);
        m_ui.List1[0]->addItem(text);
        m_ui.List1[1]->addItem(text);
    }
    yieldEvents();
}

bool DcpPanelWindow::Form_Load()
{
    Link& link = m_context.link;
    // Nothing the user does reaches the module before the load is over: a position chosen meanwhile waits
    // and is written once the mode has been chosen.
    auto scope = link.guard().tryBegin(kTransactionOwner);

    m_client.becomeAttachLampForm();
    // The panel's own address and connection mode: whatever another window sets, the panel talks to the
    // device in its address box.
    m_ui.mnuManUsbConn->setChecked(false);
    m_program.ManualUsbConn = false;
    // A text that does not fit a byte keeps the default address.
    if (const auto address = HexToInt(m_ui.txtI2CADR->text()))
        m_program.setWriteAddress(lowByte(*address));
    m_ui.txtActualWrtAddress->setText(hexText(m_program.I2CWrtAdr));
    m_ui.txtActualReadAddress->setText(hexText(m_program.I2CRdAdr));
    // The same address as datasheets and i2c-tools write it, as the register tool shows it.
    m_ui.txtI2CADR->setToolTip(addressToolTip(m_program.I2CWrtAdr));
    yieldEvents();
    m_ui.cmdexit->show();
    m_ui.txtDelay->setText(QString::number(m_timed->readTimer().interval()));
    m_state.WriteTimerOn = false;
    m_state.ReadTimerOn = false;
    fillPositionLists();
    // Selects position 1; nothing is written because the module has not been found yet.
    m_ui.List1[0]->setCurrentRow(listRowFor(m_ui.Slider1_0->value()));

    m_client.Connect_Usb();
    yieldEvents();
    if (!link.UsbOK) {
        // The caller tells the user and decides what comes next (the shell's start-up failure dialog).
        m_client.shutDownDriver();
        yieldEvents();
        return false;
    }
    m_client.Disconnect_USB();
    yieldEvents();
    m_ui.cmdexit->show();
    // Settling time for the module after its first close, counted in passes as every wait of ours is: 2000
    // cover the module's own restart after the reset that closing sends.
    yieldEvents(2000);
    m_ui.registerMode->setChecked(true);
    yieldEvents();
    m_loaded = true;
    return true;
}

void DcpPanelWindow::cmdexit_Click()
{
    // Shutdown order: stop the timer, let a running transaction finish, close the link, close the window.
    m_timed->cmdStopTimer_Click();
    TransactionGuard& guard = m_context.link.guard();
    auto scope = guard.tryBegin(kTransactionOwner);
    if (!scope) {
        guard.whenIdle(kExitRequestKey, [self = QPointer(this)] {
            if (self)
                self->cmdexit_Click();
        });
        return;
    }
    m_client.Disconnect_USB();
    scope.reset();
    close();
    yieldEvents();
}

void DcpPanelWindow::closeEvent(QCloseEvent* event)
{
    if (m_context.link.UsbOpen) {
        event->ignore();
        m_reporter.report(kCloseRefusedText, kApplicationTitle);
        return;
    }
    TransactionGuard& guard = m_context.link.guard();
    if (guard.busy()) {
        // Closing in the middle of a transaction would pull the window from under it; close right after.
        event->ignore();
        guard.whenIdle(kExitRequestKey, [self = QPointer(this)] {
            if (self)
                self->close();
        });
        return;
    }
    m_timed->cmdStopTimer_Click();
    event->accept();
    yieldEvents();
    // Closing this window ends the whole program, whatever else is open.
    m_context.program.endProgram();
}

void DcpPanelWindow::followLink()
{
    // The link is shared: another window may have opened or closed it since this panel last looked.
    const bool open = m_context.link.UsbOpen;
    const bool shownOpen = !m_ui.cmdexit->isVisibleTo(this);
    if (open == shownOpen)
        return;
    if (open) {
        m_ui.cmdexit->hide();
        m_ui.ShpAttach->setColor(LampColor::LightGreen);
    } else {
        m_ui.cmdexit->show();
        m_ui.ShpAttach->setColor(LampColor::Black);
        setNocCaption(kInterfaceClosedText);
    }
}

void DcpPanelWindow::setNocCaption(const QString& caption)
{
    m_ui.cbNoc->setText(caption);
    m_ui.cbNoc->show();
}

void DcpPanelWindow::linkChanged(const LinkState& state)
{
    switch (state.phase) {
    case LinkState::Phase::DriverStarted:
        break; // the panel does not show the driver handle
    case LinkState::Phase::Failed:
        setNocCaption(state.caption);
        break;
    case LinkState::Phase::Opening:
    case LinkState::Phase::ModuleAttached:
        m_ui.ShpAttach->setColor(LampColor::LightGreen);
        break;
    case LinkState::Phase::Open:
        m_ui.cbNoc->hide();
        break;
    case LinkState::Phase::Closed:
        m_ui.ShpAttach->setColor(LampColor::Black);
        break;
    case LinkState::Phase::ModuleGone:
        m_ui.ShpAttach->setColor(LampColor::LightRed);
        break;
    }
}

} // namespace vtx::dcp
