// SPDX-License-Identifier: GPL-3.0-or-later
#include "registertoolwindow.h"

#include "addresstestpanel.h"
#include "busscan/busscanwindow.h"
#include "common/appinfo.h"
#include "common/i2caddress.h"
#include "common/textformat.h"
#include "common/yield.h"
#include "connectionpanel.h"
#include "directwritepanel.h"
#include "registerbank.h"
#include "singlebytepanel.h"
#include "widgets/paintbatcher.h"
#include "widgets/stableslot.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace vtx {

namespace {

const QString kLoadedCaptionSuffix = QStringLiteral(" - Veltrane R2IZOR");
// Where Qt shows the window's modified state in the caption.
const QString kModifiedMarker = QStringLiteral("[*]");
QAction* namedAction(QMenu* menu, const QString& text, const char* objectName,
                     const QKeySequence& shortcut = {})
{
    QAction* const action = menu->addAction(text);
    action->setObjectName(QLatin1String(objectName));
    action->setShortcut(shortcut);
    return action;
}

} // namespace

const QString RegisterToolWindow::kCaption = QStringLiteral("USB - I2C Communications  VELTRANE CORPORATION");

RegisterToolWindow::RegisterToolWindow(AppContext& context, QWidget* parent)
    : QMainWindow(parent), m_context(context), m_reporter(context.messages, this),
      m_engine(context.link, kRegisterToolLink, m_reporter, this), m_client(m_engine.client()),
      m_session(
          m_engine, context.state,
          ToolSession::Hooks{
              .connect = [this] { cmdUSBConnect_Click(); },
              .disconnect = [this] { cmdUSBDisconnect_Click(); },
              .showTransferCount = [this](std::uint8_t count) { m_readCount->setText(decimalText(count)); },
          }),
      m_connection(new ConnectionPanel(this)),
      m_address(new AddressTestPanel(m_session, context.messages, this)),
      m_bank(new RegisterBank(m_session, context.messages, this)),
      m_singleByte(new SingleBytePanel(m_session, context.messages, this)),
      m_directWrite(new DirectWritePanel(m_session, context.messages, this)),
      m_exit(new QPushButton(QStringLiteral("Exit"), this)), m_readCount(new QLabel(kNoValue, this)),
      m_document(new SetupDocument(context, *this,
                                   SetupDocument::Texts{
                                       .read = [this] { return currentSetup(); },
                                       .show = [this](const setupfile::Setup& setup) { showSetup(setup); },
                                   }))
{
    setObjectName(QStringLiteral("frmI2C_General"));
    // "[*]": the caption marks unsaved edits.
    setWindowTitle(kCaption + kModifiedMarker);
    m_exit->setObjectName(QStringLiteral("cmdexit"));
    m_exit->hide();
    // Receives the transfer count of every transfer; never shown.
    m_readCount->setObjectName(QStringLiteral("lblReadCount"));
    m_readCount->hide();

    buildMenus();
    buildLayout();
    // A whole-bank read changes 64 boxes and lamps; the window shows them once, at the end.
    auto* batcher = new PaintBatcher(*this);
    connect(&context.link.guard(), &TransactionGuard::transactionStarted, batcher, &PaintBatcher::hold);
    connect(&context.link.guard(), &TransactionGuard::transactionEnded, batcher, &PaintBatcher::release);
    connect(&context.link.guard(), &TransactionGuard::transactionEnded, this,
            &RegisterToolWindow::followLink);
    if (const QString banner = context.link.driver().bannerText(); !banner.isEmpty()) {
        auto* bannerLabel = new QLabel(banner, this);
        bannerLabel->setObjectName(QStringLiteral("lblDriverBanner"));
        statusBar()->addPermanentWidget(bannerLabel);
    }

    connect(m_connection, &ConnectionPanel::connectClicked, this, [this] {
        if (const auto scope = m_session.tryBegin())
            cmdUSBConnect_Click();
    });
    connect(m_connection, &ConnectionPanel::disconnectClicked, this, [this] {
        if (const auto scope = m_session.tryBegin())
            cmdUSBDisconnect_Click();
    });
    connect(m_connection, &ConnectionPanel::manualModeChanged, this,
            &RegisterToolWindow::ChKManUsbConn_Click);
    connect(m_exit, &QPushButton::clicked, this, &RegisterToolWindow::cmdexit_Click);
    m_address->onTestDone = [this] { m_bank->showBank(); };
    connect(m_document, &SetupDocument::fileNameChanged, this, &RegisterToolWindow::showFileName);
    connect(m_document, &SetupDocument::modifiedChanged, this, &QWidget::setWindowModified);
    connect(m_address, &AddressTestPanel::addressTextChanged, m_document, &SetupDocument::textsChanged);
    connect(m_bank, &RegisterBank::editableTextChanged, m_document, &SetupDocument::textsChanged);
    connect(m_document, &SetupDocument::recentFilesChanged, this, &RegisterToolWindow::fillRecentFilesMenu);

    Form_Load();
}

RegisterToolWindow::~RegisterToolWindow() = default;

void RegisterToolWindow::buildMenus()
{
    QMenu* const file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFileProcess"));
    QAction* const open = namedAction(file, QStringLiteral("&Open"), "mnuSetup_Open", QKeySequence::Open);
    QAction* const save = namedAction(file, QStringLiteral("&Save"), "mnuSetup_Save", QKeySequence::Save);
    QAction* const saveAs =
        namedAction(file, QStringLiteral("Save &As..."), "mnuSetup_SaveAs", QKeySequence::SaveAs);
    file->addSeparator();
    m_recentMenu = file->addMenu(QStringLiteral("&Recent Files"));
    m_recentMenu->setObjectName(QStringLiteral("mnuRecentFiles"));
    fillRecentFilesMenu();
    QMenu* const tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    tools->setObjectName(QStringLiteral("mnuTools"));
    m_transferLogEntry = namedAction(tools, QStringLiteral("&Transfer Log"), "mnuTransferLog");
    m_transferLogEntry->setEnabled(false);
    QAction* const about = menuBar()->addAction(QStringLiteral("&About"));
    about->setObjectName(QStringLiteral("frmAbout"));
    connect(open, &QAction::triggered, this, &RegisterToolWindow::mnuSetup_Open_Click);
    connect(save, &QAction::triggered, this, &RegisterToolWindow::mnuSetup_Save_Click);
    connect(saveAs, &QAction::triggered, this, &RegisterToolWindow::mnuSetup_SaveAs_Click);
    connect(m_transferLogEntry, &QAction::triggered, this, [this] {
        if (m_transferLog)
            m_transferLog();
    });
    connect(about, &QAction::triggered, this, &RegisterToolWindow::frmAbout_Click);

    // Keys without a menu entry of their own: quit as Exit does, and the window's read.
    auto* const quit = new QAction(this);
    quit->setObjectName(QStringLiteral("actQuit"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quit, &QAction::triggered, this, &RegisterToolWindow::cmdexit_Click);
    auto* const readAll = new QAction(this);
    readAll->setObjectName(QStringLiteral("actRead"));
    readAll->setShortcut(QKeySequence(Qt::Key_F5));
    connect(readAll, &QAction::triggered, this, [this] { m_bank->cmdReadRegs_Click(); });
    addActions({quit, readAll});
}

void RegisterToolWindow::setTransferLogAction(std::function<void()> action)
{
    m_transferLog = std::move(action);
    m_transferLogEntry->setEnabled(static_cast<bool>(m_transferLog));
}

void RegisterToolWindow::fillRecentFilesMenu()
{
    m_recentMenu->clear();
    const QStringList files = m_document->recentFiles().files();
    for (int i = 0; i < files.size(); ++i) {
        QAction* const entry =
            m_recentMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(files[i]).fileName()));
        entry->setObjectName(QStringLiteral("mnuRecentFile_%1").arg(i));
        entry->setToolTip(files[i]);
        entry->setStatusTip(files[i]);
        connect(entry, &QAction::triggered, this, [this, i] { mnuRecentFile_Click(i); });
    }
    m_recentMenu->setEnabled(!files.isEmpty());
}

void RegisterToolWindow::showFileName(const QString& fileName)
{
    setWindowTitle(QFileInfo(fileName).fileName() + kLoadedCaptionSuffix + kModifiedMarker);
}

void RegisterToolWindow::mnuRecentFile_Click(int index)
{
    if (m_context.link.guard().busy()) {
        // As File > Open: a load waits for the end of a running transaction.
        m_context.link.guard().whenIdle(QStringLiteral("frmI2C_General open"),
                                        [window = QPointer<RegisterToolWindow>(this), index] {
                                            if (window)
                                                window->mnuRecentFile_Click(index);
                                        });
        return;
    }
    m_document->openRecent(index);
}

void RegisterToolWindow::cmdScanBus_Click()
{
    if (!m_busScan) {
        m_busScan = new BusScanWindow(m_session, m_context.messages, m_context.fileDialogs, this);
        connect(m_busScan, &BusScanWindow::addressChosen, this, &RegisterToolWindow::useScannedAddress);
    }
    m_busScan->show();
    m_busScan->raise();
    m_busScan->activateWindow();
    m_busScan->cmdScan_Click();
}

void RegisterToolWindow::useScannedAddress(std::uint8_t sevenBit)
{
    m_address->setAddressText(hexText(writeAddressByte(sevenBit)));
    m_address->txtI2CADR_KeyPress();
}

void RegisterToolWindow::buildLayout()
{
    auto* central = new QWidget(this);
    auto* left = new QVBoxLayout;
    left->addWidget(m_connection);
    left->addWidget(m_address);
    auto* const scanBus = new QPushButton(QStringLiteral("Scan &Bus"), this);
    scanBus->setObjectName(QStringLiteral("cmdScanBus"));
    scanBus->setToolTip(QStringLiteral("Finds the addresses that answer on the I2C bus"));
    connect(scanBus, &QPushButton::clicked, this, &RegisterToolWindow::cmdScanBus_Click);
    left->addWidget(scanBus);
    left->addStretch();
    left->addWidget(m_address->addressDisplays());

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_singleByte, 1);
    // "Exit" goes away while the link is open, at every automatic bracket: its slot keeps the place.
    bottom->addWidget(new StableSlot(m_exit, QSizePolicy::Fixed), 0, Qt::AlignBottom);
    auto* right = new QVBoxLayout;
    right->addWidget(m_bank, 1);
    right->addLayout(bottom);
    right->addWidget(m_directWrite);

    auto* columns = new QHBoxLayout(central);
    columns->addLayout(left);
    columns->addLayout(right, 1);
    setCentralWidget(central);
}

void RegisterToolWindow::Form_Load()
{
    m_client.becomeAttachLampForm();
    m_context.state.ManualUsbConn = false;
    // The address bytes follow the address box; the test's range check is not applied here.
    m_address->adoptAddressText();
    startUpProbe();
    m_exit->show();
    m_bank->showBank();
    m_bank->loadDefaults();
    m_document->markUnmodified();
    m_loaded = true;
    // Enough passes for what the load queued (the probe's notifications, the bank's first paint) to be done
    // before the window counts as shown and the user's first click is handled.
    yieldEvents(19);
}

void RegisterToolWindow::followLink()
{
    // The link is shared: the DCP panel may have opened or closed it since this window last looked.
    if (!m_loaded)
        return;
    const bool open = m_context.link.UsbOpen;
    const bool shownOpen = !m_exit->isVisibleTo(this);
    if (open == shownOpen)
        return;
    m_exit->setVisible(!open);
    if (open) {
        paintLinkOpened();
    } else {
        // The caption stays: it may say why the link did not open.
        paintLinkClosed();
        m_connection->paintHandle(LampColor::Black);
    }
}

void RegisterToolWindow::startUpProbe()
{
    const auto scope = m_session.tryBegin();
    if (!scope) {
        // Another window's transaction is running; probe once it has ended.
        m_context.link.guard().whenIdle(QStringLiteral("frmI2C_General probe"),
                                        [window = QPointer<RegisterToolWindow>(this)] {
                                            if (window)
                                                window->startUpProbe();
                                        });
        return;
    }
    // A link that another window left open is closed properly, so that no driver initialisation is
    // forgotten; we start from a closed link either way.
    m_client.closeWhateverItsState();
    m_client.Connect_Usb();
    yieldEvents();
    m_client.Disconnect_USB();
    yieldEvents();
    m_connection->paintAttach(LampColor::Black);
}

void RegisterToolWindow::showMessage(const QString& text)
{
    m_context.messages.showMessage(this, text, kApplicationTitle);
}

void RegisterToolWindow::cmdUSBConnect_Click()
{
    m_client.Connect_Usb();
    m_exit->hide();
}

void RegisterToolWindow::cmdUSBDisconnect_Click()
{
    m_client.Disconnect_USB();
    m_connection->setNocCaption(QStringLiteral("USB Board Interface Closed"));
    m_connection->paintHandle(LampColor::Black);
    m_connection->showDriverHandle(QStringLiteral("Closed"));
    m_exit->show();
}

void RegisterToolWindow::ChKManUsbConn_Click(bool checked)
{
    // Only the mode changes; the link stays as it is.
    m_context.state.ManualUsbConn = checked;
}

void RegisterToolWindow::cmdexit_Click()
{
    close();
}

void RegisterToolWindow::setOtherWorkingWindow(std::function<bool()> isOpen, std::function<void()> closed)
{
    m_otherWorkingWindowOpen = std::move(isOpen);
    m_closedOnly = std::move(closed);
}

void RegisterToolWindow::closeEvent(QCloseEvent* event)
{
    if (m_context.link.UsbOpen) {
        event->ignore();
        showMessage(
            QStringLiteral("Form will not close until USB Connection is closed. Click USB Disconnect"));
        return;
    }
    if (m_context.link.guard().busy()) {
        // A transaction is between two of its steps; close once it has ended.
        event->ignore();
        m_context.link.guard().whenIdle(QStringLiteral("frmI2C_General close"),
                                        [window = QPointer<RegisterToolWindow>(this)] {
                                            if (window)
                                                window->close();
                                        });
        return;
    }
    if (!m_document->settleUnsavedEdits()) {
        event->ignore();
        return;
    }
    event->accept();
    yieldEvents();
    if (m_otherWorkingWindowOpen && m_otherWorkingWindowOpen()) {
        // The other window goes on with the program.
        if (m_closedOnly)
            m_closedOnly();
        return;
    }
    m_context.program.endProgram();
}

void RegisterToolWindow::frmAbout_Click()
{
    if (m_about)
        m_about();
}

void RegisterToolWindow::mnuSetup_Open_Click()
{
    if (m_context.link.guard().busy()) {
        // A load changes the address a running transaction uses; it waits for that transaction's end.
        m_context.link.guard().whenIdle(QStringLiteral("frmI2C_General open"),
                                        [window = QPointer<RegisterToolWindow>(this)] {
                                            if (window)
                                                window->mnuSetup_Open_Click();
                                        });
        return;
    }
    m_document->open();
}

void RegisterToolWindow::showSetup(const setupfile::Setup& setup)
{
    m_address->setAddressText(setup.i2cAddress);
    m_address->adoptAddressText();
    for (int r = 0; r < kRegisterRowCount; ++r)
        m_bank->setRowTexts(r, setup.rows[static_cast<std::size_t>(r)]);
}

void RegisterToolWindow::mnuSetup_Save_Click()
{
    m_document->save();
}

void RegisterToolWindow::mnuSetup_SaveAs_Click()
{
    m_document->saveAs();
}

setupfile::Setup RegisterToolWindow::currentSetup() const
{
    setupfile::Setup setup;
    setup.i2cAddress = m_address->addressText();
    for (int r = 0; r < kRegisterRowCount; ++r)
        setup.rows[static_cast<std::size_t>(r)] = m_bank->rowTexts(r);
    return setup;
}

void RegisterToolWindow::linkChanged(const LinkState& state)
{
    switch (state.phase) {
    case LinkState::Phase::DriverStarted:
        m_connection->showDriverHandle(decimalText(state.driverHandle));
        break;
    case LinkState::Phase::Failed:
        m_connection->setNocCaption(state.caption);
        break;
    case LinkState::Phase::Opening:
        m_connection->paintLinkBars(LampColor::LightGreen, LampColor::Black);
        break;
    case LinkState::Phase::Open:
        m_connection->hideNoc();
        m_connection->paintHandle(LampColor::LightGreen);
        break;
    case LinkState::Phase::Closed:
        paintLinkClosed();
        break;
    case LinkState::Phase::ModuleAttached:
        m_connection->paintAttach(LampColor::LightGreen);
        break;
    case LinkState::Phase::ModuleGone:
        m_connection->paintAttach(LampColor::LightRed);
        break;
    }
}

void RegisterToolWindow::paintLinkOpened()
{
    m_connection->paintLinkBars(LampColor::LightGreen, LampColor::Black);
    m_connection->paintHandle(LampColor::LightGreen);
}

void RegisterToolWindow::paintLinkClosed()
{
    m_connection->paintLinkBars(LampColor::Black, LampColor::LightGreen);
}

} // namespace vtx
