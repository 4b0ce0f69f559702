// Draws the DCP panel on the simulated board after a few transfers and saves it as a PNG, for the README:
//   vtx-dcp-screenshot docs/dcp-panel.png [jumpers.png [about.png]]
// Run it under a virtual display (xvfb-run) or with QT_QPA_PLATFORM=offscreen; QT_SCALE_FACTOR=2 shows 200 %.

#include "common/clock.h"
#include "common/programstate.h"
#include "dcp/dcppanelwindow.h"
#include "engine/link.h"
#include "platform/simulatedboard.h"
#include "shell/aboutbox.h"
#include "shell/artwork.h"
#include "shell/desktopsystemservices.h"
#include "shell/evalpicture.h"
#include "ui/appcontext.h"
#include "ui/filedialogs.h"
#include "ui/messageboxes.h"
#include "ui/programcontrol.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QSlider>
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

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("dcp-panel.png");

    vtx::SteadyClock clock;
    vtx::SimulatedBoard board(clock);
    PrintedMessages messages;
    vtx::QtFileDialogs fileDialogs;
    NoEnd program;
    vtx::shell::DesktopSystemServices system;
    vtx::ProgramState state;
    vtx::Link link(board, {vtx::SimulatedBoard::kVendorId, vtx::SimulatedBoard::kProductId}, clock);
    vtx::AppContext context{link, state, messages, fileDialogs, program, system};

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
    if (argc > 2) {
        vtx::shell::EvalPicture picture(board.bannerText());
        picture.show();
        QApplication::processEvents();
        saved = picture.grab().save(QString::fromLocal8Bit(argv[2])) && saved;
    }
    // With a third, the about box.
    if (argc > 3) {
        vtx::shell::AboutBox about(system, messages, board.bannerText());
        about.show();
        QApplication::processEvents();
        saved = about.grab().save(QString::fromLocal8Bit(argv[3])) && saved;
    }
    std::fprintf(stderr, "%s %s\n", saved ? "saved" : "could not save", qPrintable(output));
    return saved ? 0 : 1;
}
