// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the DCP panel on the simulated board after a few transfers and saves it as a PNG, for the README:
//   vtx-dcp-screenshot docs/dcp-panel.png [jumpers.png [about.png]] [--sweep sweep.png] [--plot plot.png]
//                      [--bus-scan bus-scan.png] [--transfer-log log.png] [--register-tool tool.png] [--dark]
// --sweep draws the sweep window after an EEPROM sweep, --plot the read-back plot after a minute of writes
// and reads (two of them failed), --bus-scan the register tool's bus scan, --transfer-log the transfer log
// after everything before it, --register-tool the register tool after a whole-bank read of the register
// device, --dark every window under Fusion with a dark palette. Time is simulated: every transfer takes
// 0.5 ms.
// Run it under a virtual display (xvfb-run) or with QT_QPA_PLATFORM=offscreen; QT_SCALE_FACTOR=2 shows 200 %.

#include "busscan/busscanwindow.h"
#include "common/clock.h"
#include "common/programstate.h"
#include "dcp/dcppanelwindow.h"
#include "engine/session.h"
#include "platform/sim/simulatedboard.h"
#include "plot/readbackplotwindow.h"
#include "regtool/addresstestpanel.h"
#include "regtool/registertoolwindow.h"
#include "shell/aboutbox.h"
#include "shell/artwork.h"
#include "shell/desktopsystemservices.h"
#include "shell/evalpicture.h"
#include "sweep/sweepwindow.h"
#include "transferlog/transferlogwindow.h"
#include "widgets/appcontext.h"
#include "widgets/filedialogs.h"
#include "widgets/messageboxes.h"
#include "widgets/programcontrol.h"
#include "widgets/questions.h"
#include "widgets/windowreporter.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QStyleFactory>
#include <cmath>
#include <cstdio>

namespace {

// No box may wait for a click here; anything unexpected is printed instead.
class PrintedMessages final : public vtx::MessageBoxes {
public:
    void showMessage(QWidget*, const QString& text, const QString& caption) override
    {
        std::fprintf(stderr, "message [%s]: %s\n", qPrintable(caption), qPrintable(text));
    }
};

class NoEnd final : public vtx::ProgramControl {
public:
    void endProgram() override {}
};

// The EEPROM wear question is answered Yes.
class YesQuestions final : public vtx::Questions {
public:
    SaveAnswer askToSave(QWidget*, const QString&, const QString&) override { return SaveAnswer::Discard; }
    bool askYesNo(QWidget*, const QString&, const QString&) override { return true; }
};

// A dark desktop as Fusion draws one: light text on dark grey.
QPalette darkPalette()
{
    QPalette palette;
    const QColor window(53, 53, 53);
    const QColor base(35, 35, 35);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::ToolTipBase, base);
    palette.setColor(QPalette::ToolTipText, Qt::white);
    palette.setColor(QPalette::PlaceholderText, QColor(127, 127, 127));
    palette.setColor(QPalette::Text, Qt::white);
    palette.setColor(QPalette::Button, window);
    palette.setColor(QPalette::ButtonText, Qt::white);
    palette.setColor(QPalette::BrightText, Qt::red);
    palette.setColor(QPalette::Link, QColor(42, 130, 218));
    palette.setColor(QPalette::Highlight, QColor(42, 130, 218));
    palette.setColor(QPalette::HighlightedText, Qt::black);
    palette.setColor(QPalette::Light, QColor(90, 90, 90));
    palette.setColor(QPalette::Midlight, QColor(70, 70, 70));
    palette.setColor(QPalette::Mid, QColor(40, 40, 40));
    palette.setColor(QPalette::Dark, QColor(25, 25, 25));
    palette.setColor(QPalette::Shadow, Qt::black);
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(127, 127, 127));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(127, 127, 127));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(127, 127, 127));
    return palette;
}

// Takes the option's value out of the arguments: "--sweep x.png" gives x.png.
QString takeOption(QStringList& arguments, const QString& option)
{
    const qsizetype at = arguments.indexOf(option);
    if (at < 0 || at + 1 >= arguments.size())
        return {};
    const QString value = arguments.at(at + 1);
    arguments.remove(at, 2);
    return value;
}

bool saveSweep(vtx::AppContext& context, const QString& path)
{
    vtx::sweep::SweepWindow sweep(context);
    sweep.show();
    sweep.findChild<QSpinBox*>(QStringLiteral("spnStep"))->setValue(3);
    sweep.findChild<QRadioButton*>(QStringLiteral("optEeprom"))->setChecked(true);
    sweep.cmdStart_Click();
    while (sweep.isRunning())
        QApplication::processEvents();
    QApplication::processEvents();
    return sweep.grab().save(path);
}

// A minute of a lab session: a staircase written every 5 s, read back every 100 ms, with a bit of the wiper
// stuck for a few seconds and the part gone silent for two reads.
bool savePlot(vtx::AppContext& context, vtx::Session& session, vtx::ManualClock& clock,
              vtx::SimulatedBoard& board, const QString& path)
{
    vtx::DcpDevice& dcp = session.dcp();
    session.open();
    for (int tick = 0; tick < 700; ++tick) {
        clock.advance(100);
        if (tick % 50 == 0) {
            const int position = 64 + static_cast<int>(std::lround(50 * std::sin(tick / 120.0)));
            dcp.write(0x9E, static_cast<std::uint8_t>(2 * (position - 1) + 1));
        }
        board.setDeviceAnswers(0x9E, tick != 430 && tick != 431);
        if (tick == 520)
            board.dcp().setStuckReadBit(5, true);
        if (tick == 560)
            board.dcp().clearStuckReadBit();
        dcp.read(0x9F);
    }
    session.close();
    vtx::plot::ReadbackPlotWindow plot(context);
    plot.show();
    QApplication::processEvents();
    plot.refresh();
    QApplication::processEvents();
    return plot.grab().save(path);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QStringList arguments = QApplication::arguments();
    if (const qsizetype dark = arguments.indexOf(QStringLiteral("--dark")); dark >= 0) {
        arguments.remove(dark);
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(darkPalette());
    }
    const QString registerToolOutput = takeOption(arguments, QStringLiteral("--register-tool"));
    const QString sweepOutput = takeOption(arguments, QStringLiteral("--sweep"));
    const QString plotOutput = takeOption(arguments, QStringLiteral("--plot"));
    const QString busScanOutput = takeOption(arguments, QStringLiteral("--bus-scan"));
    const QString transferLogOutput = takeOption(arguments, QStringLiteral("--transfer-log"));
    const auto positional = [&arguments](int i) {
        return i < arguments.size() ? arguments.at(i) : QString();
    };
    const QString output = arguments.size() > 1 ? arguments.at(1) : QStringLiteral("dcp-panel.png");

    auto manualClock = std::make_unique<vtx::ManualClock>();
    vtx::ManualClock& clock = *manualClock;
    vtx::DriverChoice drivers = vtx::simulatedBoardOn(std::move(manualClock));
    vtx::SimulatedBoard& board = *drivers.board;
    board.setTransferTimeUs(500);
    PrintedMessages messages;
    vtx::QtFileDialogs fileDialogs;
    NoEnd program;
    vtx::shell::DesktopSystemServices system;
    vtx::ProgramState state;
    vtx::WindowReporter reporter(messages, nullptr);
    vtx::Session session(std::move(drivers), vtx::kDcpPanelLink, reporter);
    vtx::Link& link = session.link();
    YesQuestions questions;
    vtx::AppContext context{link, state, messages, fileDialogs, program, system, questions};

    vtx::dcp::DcpPanelWindow panel(context);
    panel.setWindowIcon(vtx::shell::applicationIcon());
    panel.show();
    if (!panel.Form_Load())
        return 1;
    // A typical moment: "Auto Read" on, position 65 written and read back.
    panel.findChild<QCheckBox*>(QStringLiteral("ChkAutoRead"))->setChecked(true);
    panel.findChild<QSlider*>(QStringLiteral("Slider1_0"))->setValue(65);
    QApplication::processEvents();
    bool saved = panel.grab().save(output);
    // With a second name, the jumper picture too.
    if (!positional(2).isEmpty()) {
        vtx::shell::EvalPicture picture(board.bannerText());
        picture.show();
        QApplication::processEvents();
        saved = picture.grab().save(positional(2)) && saved;
    }
    // With a third, the about box.
    if (!positional(3).isEmpty()) {
        vtx::shell::AboutBox about(system, messages, board.bannerText());
        about.show();
        QApplication::processEvents();
        saved = about.grab().save(positional(3)) && saved;
    }
    if (!sweepOutput.isEmpty())
        saved = saveSweep(context, sweepOutput) && saved;
    if (!plotOutput.isEmpty())
        saved = savePlot(context, session, clock, board, plotOutput) && saved;
    if (!busScanOutput.isEmpty()) {
        vtx::RegisterToolWindow tool(context);
        tool.show();
        tool.cmdScanBus_Click();
        QApplication::processEvents();
        saved = tool.busScanWindow()->grab().save(busScanOutput) && saved;
        tool.busScanWindow()->close();
    }
    if (!registerToolOutput.isEmpty()) {
        vtx::RegisterToolWindow tool(context);
        tool.show();
        tool.findChild<QLineEdit*>(QStringLiteral("Reg_Desc_3"))->setText(QStringLiteral("Control (edited)"));
        tool.addressPanel().setAddressText(QStringLiteral("C0"));
        tool.addressPanel().cmdTestComm_Click();
        tool.findChild<QPushButton*>(QStringLiteral("cmdReadRegs"))->click();
        QApplication::processEvents();
        saved = tool.grab().save(registerToolOutput) && saved;
    }
    if (!transferLogOutput.isEmpty()) {
        vtx::TransferLogWindow log(link, messages, fileDialogs);
        log.show();
        QApplication::processEvents();
        saved = log.grab().save(transferLogOutput) && saved;
    }
    std::fprintf(stderr, "%s %s\n", saved ? "saved" : "could not save", qPrintable(output));
    return saved ? 0 : 1;
}
