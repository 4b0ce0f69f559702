#include "registertoolwindow.h"

#include "addresstestpanel.h"
#include "common/appinfo.h"
#include "common/textformat.h"
#include "common/yield.h"
#include "connectionpanel.h"
#include "directwritepanel.h"
#include "registerbank.h"
#include "setupfile/setupfilestore.h"
#include "singlebytepanel.h"
#include "ui/paintbatcher.h"
#include "ui/stableslot.h"

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
const QString kSuggestedSetupName = QStringLiteral("I2C_General.vtx");

FileDialogRequest setupDialog(const QString& title, const QString& fileName)
{
    return FileDialogRequest{
        .title = title,
        .fileName = fileName,
        // "*" rather than "*.*", which on Linux hides every file without a dot in its name.
        .nameFilters = {QStringLiteral("All Files (*)"), QStringLiteral("I2C_General Setup Files (*.vtx)")},
        .selectedFilter = 1,
        .defaultSuffix = QStringLiteral("vtx"),
    };
}

} // namespace

const QString RegisterToolWindow::kCaption = QStringLiteral("USB - I2C Communications  VELTRANE CORPORATION");
const QString RegisterToolWindow::kSaveQuestion = QStringLiteral("Save changes to the register setup?");

RegisterToolWindow::RegisterToolWindow(AppContext& context, QWidget* parent)
    : QMainWindow(parent), m_context(context), m_reporter(context.messages, this),
      m_client(context.link, kRegisterToolLink, *this, m_reporter),
      m_session(
          m_client, context.state,
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
      m_exit(new QPushButton(QStringLiteral("Exit"), this)), m_readCount(new QLabel(kNoValue, this))
{
    setObjectName(QStringLiteral("frmI2C_General"));
    setWindowTitle(kCaption);
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

    Form_Load();
}

RegisterToolWindow::~RegisterToolWindow() = default;

void RegisterToolWindow::buildMenus()
{
    QMenu* const file = menuBar()->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("mnuFileProcess"));
    QAction* const open = file->addAction(QStringLiteral("Open"));
    open->setObjectName(QStringLiteral("mnuSetup_Open"));
    QAction* const save = file->addAction(QStringLiteral("Save"));
    save->setObjectName(QStringLiteral("mnuSetup_Save"));
    QAction* const about = menuBar()->addAction(QStringLiteral("About"));
    about->setObjectName(QStringLiteral("frmAbout"));
    connect(open, &QAction::triggered, this, &RegisterToolWindow::mnuSetup_Open_Click);
    connect(save, &QAction::triggered, this, &RegisterToolWindow::mnuSetup_Save_Click);
    connect(about, &QAction::triggered, this, &RegisterToolWindow::frmAbout_Click);
}

void RegisterToolWindow::buildLayout()
{
    auto* central = new QWidget(this);
    auto* left = new QVBoxLayout;
    left->addWidget(m_connection);
    left->addWidget(m_address);
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
    markSaved();
    m_loaded = true;
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
        paintLinkOpening();
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
    if (!settleUnsavedEdits()) {
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

bool RegisterToolWindow::settleUnsavedEdits()
{
    if (!hasUnsavedEdits())
        return true;
    switch (m_context.questions.askToSave(this, kSaveQuestion, kApplicationTitle)) {
    case Questions::SaveAnswer::Save:
        return saveSetup(); // a cancelled or failed save keeps the window open
    case Questions::SaveAnswer::Discard:
        return true;
    case Questions::SaveAnswer::Cancel:
        break;
    }
    return false;
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
    const QString fileName = m_context.fileDialogs.openFileName(
        this, setupDialog(QStringLiteral("Select Setup File to Open"), QString()));
    if (fileName.isEmpty())
        return;
    Read_Param_File(fileName);
}

void RegisterToolWindow::Read_Param_File(const QString& fileName)
{
    const setupfile::LoadResult loaded = setupfile::loadFile(fileName);
    if (!loaded.setup) {
        showMessage(loaded.error);
        return;
    }
    setWindowTitle(QFileInfo(fileName).fileName() + kLoadedCaptionSuffix);
    m_address->setAddressText(loaded.setup->i2cAddress);
    m_address->adoptAddressText();
    for (int r = 0; r < kRegisterRowCount; ++r)
        m_bank->setRowTexts(r, loaded.setup->rows[static_cast<std::size_t>(r)]);
    markSaved();
}

void RegisterToolWindow::mnuSetup_Save_Click()
{
    saveSetup();
}

bool RegisterToolWindow::saveSetup()
{
    // Refuse before the dialog: the user fixes the text first.
    if (const auto problem = setupfile::findUnsavableText(currentSetup())) {
        showMessage(setupfile::refusalMessage(*problem));
        return false;
    }
    const QString fileName =
        m_context.fileDialogs.saveFileName(this, setupDialog(QString(), kSuggestedSetupName));
    if (fileName.isEmpty())
        return false;
    return WriteParameters(fileName);
}

bool RegisterToolWindow::WriteParameters(const QString& fileName)
{
    if (const auto error = setupfile::saveFile(fileName, currentSetup())) {
        showMessage(*error);
        return false;
    }
    markSaved();
    return true;
}

setupfile::Setup RegisterToolWindow::editableTexts() const
{
    setupfile::Setup setup = currentSetup();
    for (setupfile::Row& row : setup.rows)
        row.readData.clear();
    return setup;
}

bool RegisterToolWindow::hasUnsavedEdits() const
{
    return editableTexts() != m_savedTexts;
}

setupfile::Setup RegisterToolWindow::currentSetup() const
{
    setupfile::Setup setup;
    setup.i2cAddress = m_address->addressText();
    for (int r = 0; r < kRegisterRowCount; ++r)
        setup.rows[static_cast<std::size_t>(r)] = m_bank->rowTexts(r);
    return setup;
}

void RegisterToolWindow::showDriverHandle(const QString& text)
{
    m_connection->showDriverHandle(text);
}

void RegisterToolWindow::setNocCaption(const QString& caption)
{
    m_connection->setNocCaption(caption);
}

void RegisterToolWindow::hideNoc()
{
    m_connection->hideNoc();
}

void RegisterToolWindow::paintLinkOpening()
{
    m_connection->paintLinkBars(LampColor::LightGreen, LampColor::Black);
}

void RegisterToolWindow::paintLinkOpened()
{
    m_connection->paintHandle(LampColor::LightGreen);
}

void RegisterToolWindow::paintLinkClosed()
{
    m_connection->paintLinkBars(LampColor::Black, LampColor::LightGreen);
}

void RegisterToolWindow::paintAttachLamp(LampColor color)
{
    m_connection->paintAttach(color);
}

} // namespace vtx
