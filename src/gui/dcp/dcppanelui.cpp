// SPDX-License-Identifier: GPL-3.0-or-later
#include "dcppanelui.h"

#include "dcpmessages.h"
#include "widgets/darkpalette.h"
#include "widgets/lampwidget.h"
#include "widgets/matchedbackground.h"
#include "widgets/objectname.h"
#include "widgets/stableslot.h"

#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStatusBar>
#include <QVBoxLayout>

namespace vtx::dcp {

namespace {

// Lets `widget` fill its own background in the colour of the group box it sits in.
void paintOwnBackground(QWidget& widget)
{
    QWidget* container = widget.parentWidget();
    while (container && !qobject_cast<QGroupBox*>(container))
        container = container->parentWidget();
    if (!container)
        return;
    auto* matched = container->findChild<MatchedBackground*>(QString(), Qt::FindDirectChildrenOnly);
    if (!matched)
        matched = new MatchedBackground(*container);
    matched->add(widget);
}

QGroupBox* frame(const char* objectName, const QString& title, const QString& toolTip = {})
{
    return named(new QGroupBox(title), objectName, toolTip);
}

QLineEdit* textBox(const char* objectName, const QString& text, int characters, const QString& toolTip = {})
{
    auto* box = named(new QLineEdit(text), objectName, toolTip);
    box->setAlignment(Qt::AlignCenter);
    box->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // Wide enough for `characters` plus the frame, at any scale.
    const int width = box->fontMetrics().horizontalAdvance(QString(characters + 2, u'W'));
    box->setMaximumWidth(width);
    box->setMinimumWidth(width);
    return box;
}

// A box the user reads but never types into: read-only, drawn on the window's colour rather than as an entry
// field, and reached by a click (to copy its text) but not by Tab.
void showAsReadOnly(QLineEdit* box)
{
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::ClickFocus);
    QPalette palette = box->palette();
    palette.setBrush(QPalette::Base, palette.brush(QPalette::Window));
    box->setPalette(palette);
}

// How long the outcome of one action stays in the status bar.
constexpr int kTransientStatusMs = 15000;

QListWidget* positionList(const char* objectName, const QString& toolTip)
{
    auto* list = named(new QListWidget, objectName, toolTip);
    list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setUniformItemSizes(true);
    const int width = list->fontMetrics().horizontalAdvance(QStringLiteral(" 1288 ")) +
                      list->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 12;
    list->setFixedWidth(width);
    list->setMinimumHeight(list->fontMetrics().height() * 12);
    // Fusion draws a focused list like an unfocused one; the highlight frame shows where the keys go.
    list->setStyleSheet(QStringLiteral("QListWidget:focus { border: 2px solid palette(highlight); }"));
    return list;
}

// A lamp with its caption under it; the caption carries the tool tip.
QWidget* lampColumn(LampWidget* lamp, QLabel* caption)
{
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->setSpacing(3);
    layout->addWidget(lamp, 0, Qt::AlignHCenter);
    layout->addWidget(caption, 0, Qt::AlignHCenter);
    caption->setAlignment(Qt::AlignHCenter);
    return column;
}

// Keeps the mouse from choosing an item of a display-only list; the wheel still scrolls it.
class DisplayOnlyFilter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
            return true;
        default:
            return QObject::eventFilter(watched, event);
        }
    }
};

QFrame* separatorLine()
{
    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

void buildMenus(QMainWindow& window, DcpPanelUi& ui)
{
    QMenuBar* bar = window.menuBar();
    QMenu* help = bar->addMenu(QStringLiteral("&User Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    ui.mnuJumperHelp = help->addAction(QStringLiteral("Display Jumper Info"));
    ui.mnuJumperHelp->setObjectName(QStringLiteral("mnuJumperHelp"));
    ui.mnuJumperInfoOff = help->addAction(QStringLiteral("Jumper Ino Off"));
    ui.mnuJumperInfoOff->setObjectName(QStringLiteral("mnuJumperInfoOff"));

    QMenu* tools = bar->addMenu(QStringLiteral("&Tools"));
    tools->setObjectName(QStringLiteral("mnuTools"));
    ui.mnuRegisterTool = tools->addAction(QStringLiteral("&I2C Register Tool"));
    ui.mnuRegisterTool->setObjectName(QStringLiteral("mnuRegisterTool"));
    ui.mnuReadbackPlot = tools->addAction(QStringLiteral("&Read-back Plot"));
    ui.mnuReadbackPlot->setObjectName(QStringLiteral("mnuReadbackPlot"));
    ui.mnuSweep = tools->addAction(QStringLiteral("&Sweep..."));
    ui.mnuSweep->setObjectName(QStringLiteral("mnuSweep"));
    ui.mnuTransferLog = tools->addAction(QStringLiteral("&Transfer Log"));
    ui.mnuTransferLog->setObjectName(QStringLiteral("mnuTransferLog"));
    tools->addSeparator();
    ui.mnuManUsbConn = tools->addAction(QStringLiteral("Manual USB Connect / Disconnect"));
    ui.mnuManUsbConn->setObjectName(QStringLiteral("mnuManUsbConn"));
    ui.mnuManUsbConn->setCheckable(true);

    ui.mnuAbout = bar->addAction(QStringLiteral("&About"));
    ui.mnuAbout->setObjectName(QStringLiteral("mnuAbout"));
}

QWidget* buildSetPositionFrame(DcpPanelUi& ui)
{
    ui.SSFrame3[0] = frame("SSFrame3_0", QStringLiteral(" Set  Position"),
                           QStringLiteral("Click here to set the DCP to any level from 1 to 128."));
    ui.List1[0] = positionList(
        "List1_0",
        QStringLiteral("Selects DCP Position Numerically, Use Scroll arrows to select desired value, "
                       "then click to write value to DCP device."));
    ui.Slider1_0 = named(new QSlider(Qt::Vertical), "Slider1_0",
                         QStringLiteral("Graphical control for setting the wiper position."));
    ui.Slider1_0->setRange(1, 128);
    ui.Slider1_0->setSingleStep(1);
    ui.Slider1_0->setPageStep(5);
    ui.Slider1_0->setTickPosition(QSlider::TicksBothSides);
    ui.Slider1_0->setTickInterval(8);
    if (isDark(ui.Slider1_0->palette())) {
        // Fusion draws the ticks a shade darker than the window: on a dark window they vanish. A lighter
        // window colour for the slider alone (it fills no background) brings them back.
        QPalette palette = ui.Slider1_0->palette();
        palette.setColor(QPalette::Window, palette.color(QPalette::Window).lighter(250));
        ui.Slider1_0->setPalette(palette);
    }
    ui.Slider1_0->setValue(1);
    // Position 1 at the top, as on the board's silk screen.
    ui.Slider1_0->setInvertedAppearance(true);
    ui.Slider1_0->setInvertedControls(true);
    auto* layout = new QHBoxLayout(ui.SSFrame3[0]);
    layout->addWidget(ui.List1[0]);
    layout->addWidget(ui.Slider1_0);
    return ui.SSFrame3[0];
}

QWidget* buildReadPositionFrame(DcpPanelUi& ui)
{
    ui.SSFrame3[1] =
        frame("SSFrame3_1", QStringLiteral("Read Position"),
              QStringLiteral("Indicates the position of the DCP as read back over the I2C bus. "));
    ui.List1[1] =
        positionList("List1_1", QStringLiteral("Displays numerical setting of the DCPs Wiper Position."));
    // Display only: the user cannot pick an item, only scroll.
    ui.List1[1]->setFocusPolicy(Qt::NoFocus);
    ui.List1[1]->viewport()->installEventFilter(new DisplayOnlyFilter(ui.List1[1]));
    ui.ProgressBar1 = named(new QProgressBar, "ProgressBar1",
                            QStringLiteral("Graphical display of the DCP's Wiper Position."));
    ui.ProgressBar1->setOrientation(Qt::Vertical);
    ui.ProgressBar1->setRange(0, 128);
    ui.ProgressBar1->setValue(0);
    ui.ProgressBar1->setTextVisible(false);
    auto* layout = new QHBoxLayout(ui.SSFrame3[1]);
    layout->addWidget(ui.List1[1]);
    layout->addWidget(ui.ProgressBar1);
    return ui.SSFrame3[1];
}

QWidget* buildSettingsColumn(DcpPanelUi& ui)
{
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);

    ui.SSFrame2 =
        frame("SSFrame2", QStringLiteral("Programming Mode"),
              QStringLiteral("Determines if writes to the DCP device are to the temporary register or "
                             "the EEPROM. "));
    ui.registerMode =
        named(new QRadioButton(QStringLiteral("Register")), "Option1_1",
              QStringLiteral("Sets LSB of the Data byte to a 1. Writes to the DCP will be to the "
                             "temporary register."));
    ui.eepromMode = named(new QRadioButton(QStringLiteral("EEPROM")), "Option1_0",
                          QStringLiteral("Sets LSB of the Data byte to a 0. Writes to the DCP will be to the "
                                         "permanent EEPROM."));
    auto* modeLayout = new QVBoxLayout(ui.SSFrame2);
    modeLayout->addWidget(ui.registerMode);
    modeLayout->addWidget(ui.eepromMode);
    layout->addWidget(ui.SSFrame2);

    ui.SSFrame6 = frame("SSFrame6", QStringLiteral(" Wrt  -DATA-  Rd "));
    ui.txtHexDataWrt = textBox("txtHexDataWrt", QStringLiteral("00"), 2,
                               QStringLiteral("Actual Hex value written over the I2C Bus."));
    ui.txtHexDataRead = textBox("txtHexDataRead", QStringLiteral("00"), 2,
                                QStringLiteral("Actual Hex value read back from  the I2C Bus."));
    showAsReadOnly(ui.txtHexDataWrt);
    showAsReadOnly(ui.txtHexDataRead);
    ui.Label2 = named(new QLabel(QStringLiteral("HEX")), "Label2");
    auto* dataLayout = new QHBoxLayout(ui.SSFrame6);
    dataLayout->addWidget(ui.txtHexDataWrt);
    dataLayout->addWidget(ui.Label2, 0, Qt::AlignCenter);
    dataLayout->addWidget(ui.txtHexDataRead);
    layout->addWidget(ui.SSFrame6);

    ui.SSFrame5 =
        frame("SSFrame5", QStringLiteral("I2C Slave Address"),
              QStringLiteral("The DCP I2C Slave Address is presently fixed at Hex 4F. This value is "
                             "shifted left one bit (hence 9E). The LSB is used to specify whether the "
                             "transaction is a Read or a Write."));
    ui.Text1 = textBox("Text1", QStringLiteral("9E"), 2);
    showAsReadOnly(ui.Text1);
    ui.cmdSlave = named(new QPushButton(QStringLiteral("Default")), "cmdSlave");
    auto* slaveLayout = new QHBoxLayout(ui.SSFrame5);
    slaveLayout->addWidget(ui.Text1);
    slaveLayout->addWidget(ui.cmdSlave);
    layout->addWidget(ui.SSFrame5);

    ui.SSFrame4 =
        frame("SSFrame4", QStringLiteral("I2C SCL Connection"),
              QStringLiteral("Displays Jumper requirements for using the Normal SCL connection or the "
                             "SCL_S secondary connections."));
    ui.SSOption1[0] = named(new QRadioButton(QStringLiteral("Standard")), "SSOption1_0");
    ui.SSOption1[1] = named(new QRadioButton(QStringLiteral("SCL_S")), "SSOption1_1");
    ui.SSOption1[0]->setChecked(true);
    auto* sclLayout = new QVBoxLayout(ui.SSFrame4);
    sclLayout->addWidget(ui.SSOption1[0]);
    sclLayout->addWidget(ui.SSOption1[1]);
    layout->addWidget(ui.SSFrame4);
    layout->addStretch(1);
    return column;
}

QWidget* buildActionColumn(DcpPanelUi& ui)
{
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);

    ui.CMDxMIT = named(new QPushButton(QStringLiteral("I2C-Write")), "CMDxMIT",
                       QStringLiteral("Executes a write transaction which sets the DCP's wiper position."));
    ui.cmdI2Read = named(new QPushButton(QStringLiteral("I2C-Read")), "cmdI2Read",
                         QStringLiteral("Executes an I2C read of the DCP's wiper position."));
    ui.cmdStoreVerify =
        named(new QPushButton(QStringLiteral("Store && Verify")), "cmdStoreVerify",
              QStringLiteral("Writes the selected position to the EEPROM, waits for the part's write cycle, "
                             "reads it back and compares; the status bar shows the outcome and the measured "
                             "write-cycle time."));
    ui.ChkAutoRead =
        named(new QCheckBox(QStringLiteral("Auto Read")), "ChkAutoRead",
              QStringLiteral("If checked, program will automatically read back the wiper position "
                             "after each write to the DCP device."));
    ui.chkFailIgnore = named(new QCheckBox(QStringLiteral("Ignore Fails")), "chkFailIgnore");
    ui.chkWriteTimer = named(new QCheckBox(QStringLiteral("Write Timer Controlled")), "chkWriteTimer",
                             QStringLiteral("Timer Controls I2C Write Interval"));
    ui.chkReadTimer = named(new QCheckBox(QStringLiteral("Read Timer Controlled")), "chkReadTimer",
                            QStringLiteral("Timer Controls I2C Read Intervals"));
    ui.txtDelay =
        textBox("txtDelay", QStringLiteral("20"), 6,
                QStringLiteral("If Timer Enabled, set time in milliseconds between I2C Write / Reads"));
    ui.txtDelay->setAlignment(Qt::AlignRight);
    ui.Label3 = named(new QLabel(QStringLiteral("mSec Interval")), "Label3");
    ui.cmdStopTimer = named(new QPushButton(QStringLiteral("Stop Timer")), "cmdStopTimer");
    ui.cmdStopTimer->setVisible(false);
    ui.SSCommand1 = named(new QPushButton(QStringLiteral("Show Jumpers")), "SSCommand1",
                          QStringLiteral("Displays Picture of the EVAL board, provides information on Jumper "
                                         "Orientation."));

    // Every click and tick hides and shows these; their slots keep the place, so the column does not jump
    // and the window is not laid out again.
    auto* writeRow = new QHBoxLayout;
    writeRow->addWidget(new StableSlot(ui.CMDxMIT, QSizePolicy::Preferred));
    writeRow->addWidget(ui.cmdStoreVerify);
    layout->addLayout(writeRow);
    layout->addWidget(new StableSlot(ui.cmdI2Read, QSizePolicy::Preferred));
    layout->addWidget(ui.ChkAutoRead);
    layout->addWidget(ui.chkFailIgnore);
    layout->addWidget(separatorLine());
    layout->addWidget(ui.chkWriteTimer);
    layout->addWidget(ui.chkReadTimer);
    auto* delayRow = new QHBoxLayout;
    delayRow->addWidget(ui.txtDelay);
    delayRow->addWidget(ui.Label3);
    delayRow->addStretch(1);
    layout->addLayout(delayRow);
    layout->addWidget(new StableSlot(ui.cmdStopTimer, QSizePolicy::Preferred));
    layout->addStretch(1);
    layout->addWidget(ui.SSCommand1);
    return column;
}

QWidget* buildMainFrame(DcpPanelUi& ui)
{
    ui.SSFrame1 = frame("SSFrame1", QStringLiteral("VTX830x Digital Poteniometer Control"));
    auto* layout = new QHBoxLayout(ui.SSFrame1);
    layout->setSpacing(10);
    layout->addWidget(buildSetPositionFrame(ui));
    layout->addWidget(buildReadPositionFrame(ui));
    layout->addWidget(buildSettingsColumn(ui));
    layout->addWidget(buildActionColumn(ui));
    return ui.SSFrame1;
}

QWidget* buildLampRow(DcpPanelUi& ui)
{
    struct LampEntry {
        LampWidget** lamp;
        const char* lampName;
        int captionIndex;
        const char* caption;
        const char* toolTip;
    };
    const LampEntry entries[] = {
        {&ui.ShpAttach, "ShpAttach", 0, "USB Status",
         "Green indicates Windows is connected to the EVAL Controller. Red indicates the Windows operating "
         "system does not see the USB Connection to the Eval Controller."},
        {&ui.lampComm, "Shape1_4", 4, "DCP COMM",
         "Green indicates a successful I2C read  between Windows and the EVAL Controller. Red indicates a "
         "problem. If red, try removing the I2C cable that connects the Eval controller and the Eval Board "
         "to "
         "isolate the problem."},
        {&ui.lampWrite, "Shape1_1", 1, "Write DCP",
         "Green indicates a successful write to the DCP Device. Red indicates a problem. If red, check DCP "
         "VDD "
         "and AVDD supplies, Jumpers and I2C cable connections."},
        {&ui.lampRead, "Shape1_2", 2, "Read DCP",
         "Green indicates a successful Read from the DCP Device. Red indicates a problem. If red, check DCP "
         "VDD "
         "and AVDD supplies, Jumpers and I2C cable connections."},
        {&ui.lampTimer, "Shape1_3", 3, "Timer Status",
         "Red Indicates a progam timer is active. This timer limits the time between USB transactions to the "
         "EVAL Controller Board."},
    };
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (const LampEntry& entry : entries) {
        *entry.lamp = named(new LampWidget(LampWidget::Shape::RoundedSquare), entry.lampName);
        const QString captionName = QStringLiteral("lblUSBChk_%1").arg(entry.captionIndex);
        auto* caption = new QLabel(QString::fromLatin1(entry.caption));
        caption->setObjectName(captionName);
        caption->setToolTip(QString::fromLatin1(entry.toolTip));
        ui.lblUSBChk[static_cast<std::size_t>(entry.captionIndex)] = caption;
        layout->addWidget(lampColumn(*entry.lamp, caption));
    }
    return row;
}

QWidget* buildConnectionRow(DcpPanelUi& ui)
{
    auto* box = named(new QGroupBox(QStringLiteral("USB Control Module")), "grpConnection");
    auto* layout = new QHBoxLayout(box);
    layout->setSpacing(12);

    auto* buttons = new QVBoxLayout;
    ui.cmdOpen_USB =
        named(new QPushButton(QStringLiteral("Open USB ")), "cmdOpen_USB",
              QStringLiteral("Opens USB Connection to USB Controller, Checks Presences, then executes a "
                             "self check that reads an on-board EEprom. USB Status and USB Self Check "
                             "should turn green. "));
    ui.cmdUSBConnect = named(new QPushButton(QStringLiteral("USB Connect")), "cmdUSBConnect",
                             QStringLiteral("Connect and leave USB connection open."));
    ui.cmdUSBDisconnect = named(new QPushButton(QStringLiteral("USB Disconnect")), "cmdUSBDisconnect",
                                QStringLiteral("Close USB Connection."));
    buttons->addWidget(ui.cmdOpen_USB);
    buttons->addWidget(ui.cmdUSBConnect);
    buttons->addWidget(ui.cmdUSBDisconnect);
    layout->addLayout(buttons);

    auto* addresses = new QGridLayout;
    ui.txtI2CADR = textBox("txtI2CADR", QStringLiteral("9E"), 2);
    showAsReadOnly(ui.txtI2CADR);
    ui.txtActualWrtAddress = textBox("txtActualWrtAddress", QStringLiteral("00"), 2);
    ui.txtActualReadAddress = textBox("txtActualReadAddress", QStringLiteral("00"), 2);
    showAsReadOnly(ui.txtActualWrtAddress);
    showAsReadOnly(ui.txtActualReadAddress);
    addresses->addWidget(new QLabel(QStringLiteral("I2C address")), 0, 0);
    addresses->addWidget(ui.txtI2CADR, 0, 1);
    addresses->addWidget(new QLabel(QStringLiteral("Write / Read")), 1, 0);
    auto* actual = new QHBoxLayout;
    actual->addWidget(ui.txtActualWrtAddress);
    actual->addWidget(ui.txtActualReadAddress);
    addresses->addLayout(actual, 1, 1);
    addresses->addWidget(new QLabel(QStringLiteral("Transfer count")), 2, 0);
    ui.lblReadCount = named(new QLabel, "lblReadCount");
    ui.lblReadCount->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    ui.lblReadCount->setFrameShape(QFrame::StyledPanel);
    // Its text changes with every transfer: it paints its own background so that only it is repainted.
    ui.lblReadCount->setAutoFillBackground(true);
    // Its size is fixed, with room for any count: a label that may change size lays the whole window out
    // again at every new text, which would be most of what a click costs.
    ui.lblReadCount->setText(QStringLiteral(" 000 "));
    ui.lblReadCount->setFixedSize(ui.lblReadCount->sizeHint());
    ui.lblReadCount->clear();
    addresses->addWidget(ui.lblReadCount, 2, 1, Qt::AlignLeft);
    layout->addLayout(addresses);

    layout->addStretch(1);
    layout->addWidget(buildLampRow(ui), 0, Qt::AlignVCenter);
    layout->addStretch(1);

    // Every transaction hides and shows "Exit" (the window will not close while the link is open).
    ui.cmdexit = named(new QPushButton(QStringLiteral("Exit")), "cmdexit");
    layout->addWidget(new StableSlot(ui.cmdexit, QSizePolicy::Fixed), 0, Qt::AlignBottom);
    return box;
}

} // namespace

DcpPanelUi buildDcpPanelUi(QMainWindow& window)
{
    DcpPanelUi ui;
    buildMenus(window, ui);

    auto* central = new QWidget(&window);
    central->setObjectName(QStringLiteral("centralWidget"));
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(10, 8, 10, 8);
    layout->setSpacing(8);
    layout->addWidget(buildMainFrame(ui), 1);
    layout->addWidget(buildConnectionRow(ui));
    window.setCentralWidget(central);

    ui.cbNoc = named(new StatusText, "cbNoc");
    ui.cbNoc->setRoomFor(kInterfaceClosedText);
    ui.lblFailStatus = named(new StatusText, "lblFailStatus");
    ui.lblFailStatus->setPlainToolTip(
        QStringLiteral("With \"Ignore Fails\" checked, the last failure and how "
                       "often it came in a row"));
    ui.banner = named(new QLabel, "lblBanner");
    // Shown and hidden by every transaction, like "Exit". The link's caption gets the room of its whole
    // text first; the failure text takes what is left. Short of room, each ends in "..." (StatusText).
    auto* const captionSlot = new StableSlot(ui.cbNoc, QSizePolicy::Preferred);
    // In the status bar's own font, with a little to spare for the frame.
    captionSlot->setMinimumWidth(window.statusBar()->fontMetrics().horizontalAdvance(kInterfaceClosedText) *
                                 11 / 10);
    window.statusBar()->addWidget(captionSlot, 0);
    window.statusBar()->addWidget(new StableSlot(ui.lblFailStatus, QSizePolicy::Expanding), 1);
    ui.lblStoreStatus = named(new StatusText, "lblStoreStatus");
    // The outcome of one "Store && Verify": it goes after a while.
    ui.lblStoreStatus->setLifetime(kTransientStatusMs);
    ui.lblEepromWrites = named(new QLabel(QStringLiteral("EEPROM writes: 0")), "lblEepromWrites",
                               QStringLiteral("EEPROM writes made in this session; each one wears the part's "
                                              "EEPROM cells (on the order of 100,000 writes per cell)"));
    // Empty until the first "Store && Verify", so the link's caption keeps its room until then.
    window.statusBar()->addWidget(ui.lblStoreStatus);
    window.statusBar()->addPermanentWidget(ui.lblEepromWrites);
    window.statusBar()->addPermanentWidget(ui.banner);

    // What every click changes inside a group box paints its own background in the group box's colour, so
    // the click repaints those widgets and not the group boxes under them.
    for (QWidget* const changing :
         {ui.CMDxMIT->parentWidget(), ui.cmdI2Read->parentWidget(), ui.cmdStopTimer->parentWidget(),
          ui.cmdexit->parentWidget(), static_cast<QWidget*>(ui.txtHexDataRead),
          static_cast<QWidget*>(ui.lblReadCount), static_cast<QWidget*>(ui.ShpAttach),
          static_cast<QWidget*>(ui.lampComm), static_cast<QWidget*>(ui.lampWrite),
          static_cast<QWidget*>(ui.lampRead), static_cast<QWidget*>(ui.lampTimer)})
        paintOwnBackground(*changing);
    return ui;
}

} // namespace vtx::dcp
