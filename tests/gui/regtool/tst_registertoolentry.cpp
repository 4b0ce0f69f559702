// SPDX-License-Identifier: GPL-3.0-or-later
// How users reach the register tool on the simulated board: the DCP panel's Tools menu, or directly as the
// command line does, while the DCP panel holds the link open; one window however often it is opened; its
// About menu. How it closes: alone or beside the DCP panel, and the question about unsaved edits. The keys
// of both working windows, and the one transfer log both open.
#include "dcp/dcppanelwindow.h"
#include "namedchild.h"
#include "regtool/registertoolopener.h"
#include "regtool/registertoolwindow.h"
#include "shell/aboutbox.h"
#include "shell/shellwindows.h"
#include "simfixture.h"
#include "transferlog/transferlogwindow.h"
#include "widgets/lampwidget.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace vtx;
using namespace vtx::test;

Q_DECLARE_METATYPE(vtx::Questions::SaveAnswer)

namespace {

// The program as main() builds it on the simulated board, started, while the DCP panel holds the link open;
// the register tool opened from the panel's Tools menu or (not `fromMenu`) directly, as the command line
// does. Or (`alone`) the register tool on its own as the only working window.
struct Program {
    explicit Program(bool alone, bool fromMenu = true)
    {
        registerTool.setTransferLogAction([this] { windows.showTransferLog(); });
        if (alone) {
            registerTool.open();
            return;
        }
        registerTool.setHostWindow([this] { return windows.shownDcpPanel(); });
        windows.setRegisterToolOpener([this] { registerTool.open(); });
        if (!windows.start())
            qFatal("start-up failed");
        namedChild<QPushButton>(windows.dcpPanel(), "cmdUSBConnect")->click();
        sim.recorder.clearCallLog();
        fromMenu ? namedChild<QAction>(windows.dcpPanel(), "mnuRegisterTool")->trigger()
                 : registerTool.open();
        openingCalls = sim.recorder.callLog();
    }
    RegisterToolWindow* tool() const { return registerTool.window(); }
    QLineEdit* box(const char* name) const { return namedChild<QLineEdit>(tool(), name); }

    SimFixture sim;
    shell::ShellWindows windows{sim.context};
    RegisterToolOpener registerTool{sim.context, [this] { windows.showAbout(); }};
    std::vector<QString> openingCalls; // the driver calls of opening the tool beside the panel
};

} // namespace

class TestRegisterToolEntry : public QObject {
    Q_OBJECT
private slots:
    void openingWhileTheDcpPanelHoldsTheLinkOpen()
    {
        for (const bool fromMenu : {true, false}) {
            Program p(false, fromMenu);
            RegisterToolWindow* const window = p.tool();
            QVERIFY(window && window->isVisible());
            // The link is closed the proper way before the probe initialises the driver again, and every
            // initialisation is released: the DCP panel's and the probe's own.
            const auto& calls = p.openingCalls;
            QCOMPARE(std::vector<QString>(calls.begin(),
                                          calls.begin() + std::min<std::ptrdiff_t>(4, std::ssize(calls))),
                     (std::vector<QString>{"resetDevice 0", "closeDriverHandle", "uninit", "init"}));
            QCOMPARE(std::count(calls.begin(), calls.end(), QStringLiteral("init")), 1);
            QCOMPARE(std::count(calls.begin(), calls.end(), QStringLiteral("uninit")), 2);
            QVERIFY(!p.sim.link.UsbOpen && !p.sim.board.isInitialised() && p.sim.messages.messages.empty());
            // The register tool loaded last, so its lamp takes the attach notifications.
            QCOMPARE(p.sim.link.AttachLampForm, static_cast<LinkObserver*>(window));
            p.sim.recorder.clearCallLog();
            // The same window again, not loaded a second time.
            namedChild<QAction>(p.windows.dcpPanel(), "mnuRegisterTool")->trigger();
            QCOMPARE(p.tool(), window);
            QVERIFY(p.sim.recorder.callLog().empty());
            namedChild<QAction>(window, "frmAbout")->trigger();
            QVERIFY(p.windows.aboutBox() && p.windows.aboutBox()->isVisible());
            p.sim.recorder.clearTransferLog();
            namedChild<QPushButton>(window, "cmdRead")->click(); // on the board it was opened on
            QCOMPARE(p.sim.hexWritesOn(p.sim.board.i2cOutPipe()), QStringList{"01 9F"});
        }
    }

    // Closing the tool (its window or "Exit"): the question about edits and its three answers, the save it
    // may run, and whether the program goes on. Typing counts as an edit; a read that fills a read box does
    // not, and neither does a load or a save.
    void closingTheTool_data()
    {
        using A = Questions::SaveAnswer;
        QTest::addColumn<bool>("alone");     // no DCP panel: the tool is the only working window
        QTest::addColumn<QString>("change"); // "type", "read", "type, save" or ""
        QTest::addColumn<bool>("linkOpen");
        QTest::addColumn<A>("answer");
        QTest::addColumn<QString>("saveAs"); // the Save dialog's name: "" cancelled, "bad" a missing folder
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<int>("endRequests");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<QStringList>("boxes");
        const QStringList none;
        // clang-format off
        QTest::newRow("unchanged, beside the panel") << false << "" << false << A::Cancel << "" << false << true << 0 << false << none;
        QTest::newRow("unchanged, alone") << true << "" << false << A::Cancel << "" << false << true << 1 << false << none;
        QTest::newRow("read results only") << false << "read" << false << A::Cancel << "" << false << true << 0 << false << none;
        QTest::newRow("typed, then saved") << false << "type, save" << false << A::Cancel << "" << false << true << 0 << true << none;
        QTest::newRow("typed: Save") << false << "type" << false << A::Save << "ok" << true << true << 0 << true << none;
        QTest::newRow("typed: Save, dialog cancelled") << false << "type" << false << A::Save << "" << true << false << 0 << false << none;
        QTest::newRow("typed: Save fails") << false << "type" << false << A::Save << "bad" << true << false << 0 << false
            << QStringList{"The setup file \"%1\" could not be saved: %2. Any earlier file of that name is unchanged."};
        QTest::newRow("typed: Discard") << false << "type" << false << A::Discard << "ok" << true << true << 0 << false << none;
        QTest::newRow("typed: Cancel") << false << "type" << false << A::Cancel << "ok" << true << false << 0 << false << none;
        QTest::newRow("typed: Cancel, alone") << true << "type" << false << A::Cancel << "ok" << true << false << 0 << false << none;
        QTest::newRow("typed, link open") << false << "type" << true << A::Discard << "ok" << false << false << 0 << false
            << QStringList{"Form will not close until USB Connection is closed. Click USB Disconnect"};
        // clang-format on
    }
    void closingTheTool()
    {
        QFETCH(bool, alone);
        QFETCH(QString, change);
        QFETCH(bool, linkOpen);
        QFETCH(Questions::SaveAnswer, answer);
        QFETCH(QString, saveAs);
        QFETCH(bool, closes);
        QFETCH(bool, saved);
        QFETCH(QStringList, boxes);
        Program p(alone);
        RegisterToolWindow* const tool = p.tool();
        QTemporaryDir dir;
        const QString path = dir.filePath(saveAs == u"bad" ? "missing/I2C_General.vtx" : "I2C_General.vtx");
        if (change.contains(u"type"))
            QTest::keyClicks(p.box("Reg_Desc_3"), " gain");
        if (change == u"read")
            QTest::mouseClick(p.box("txtRdByte_4"), Qt::LeftButton);
        if (change.contains(u"save")) {
            p.sim.fileDialogs.nextSaveName = dir.filePath("earlier.vtx");
            namedChild<QAction>(tool, "mnuSetup_Save")->trigger();
        }
        if (change == u"read") // the read did change a box
            QVERIFY(!p.box("txtRdByte_4")->text().isEmpty());
        if (linkOpen)
            namedChild<QPushButton>(tool, "cmdUSBConnect")->click();
        p.sim.messages.clear();
        p.sim.fileDialogs.nextSaveName = saveAs.isEmpty() ? QString() : path;
        p.sim.questions.answer = answer;
        const int saveDialogsBefore = int(p.sim.fileDialogs.saveRequests.size());

        alone ? namedChild<QPushButton>(tool, "cmdexit")->click() : void(tool->close());

        QTEST(!p.sim.questions.asked.empty(), "asked");
        if (!p.sim.questions.asked.empty()) {
            QCOMPARE(p.sim.questions.asked.size(), std::size_t{1});
            QCOMPARE(p.sim.questions.asked[0].text, QStringLiteral("Save changes to the register setup?"));
            QCOMPARE(p.sim.questions.asked[0].caption, kApplicationTitle);
        }
        QCOMPARE(tool->isVisible(), !closes);
        QTEST(p.sim.program.endRequests, "endRequests");
        const bool saveDialog = answer == Questions::SaveAnswer::Save && !p.sim.questions.asked.empty();
        QCOMPARE(int(p.sim.fileDialogs.saveRequests.size()) - saveDialogsBefore, saveDialog ? 1 : 0);
        QFile file(path);
        QCOMPARE(file.open(QIODevice::ReadOnly) && file.readAll().contains("\r\n03,Control gain,,\r\n"),
                 saved && saveAs == u"ok");
        if (!boxes.isEmpty() && saveAs == u"bad")
            boxes[0] =
                boxes[0].arg(QDir::toNativeSeparators(path), QStringLiteral("No such file or directory"));
        QCOMPARE(p.sim.messages.texts(), boxes);
        QCOMPARE(tool->hasUnsavedEdits(), change.contains(u"type") && !saved && !change.contains(u"save"));
        if (alone || !closes)
            return;
        // Beside the panel: the program goes on, the panel's lamp takes the notifications again, and the
        // next open loads a new tool.
        dcp::DcpPanelWindow* const panel = p.windows.dcpPanel();
        QVERIFY(panel->isVisible());
        QCOMPARE(p.sim.link.AttachLampForm, static_cast<LinkObserver*>(panel));
        QCOMPARE(namedChild<LampWidget>(panel, "ShpAttach")->color(),
                 LampColor::Black); // green while it held the link
        p.sim.recorder.clearCallLog();
        namedChild<QAction>(panel, "mnuRegisterTool")->trigger();
        QVERIFY(p.tool()->isVisible() && !p.tool()->hasUnsavedEdits());
        QCOMPARE(p.box("Reg_Desc_3")->text(), QStringLiteral("Control"));
        QCOMPARE(p.sim.recorder.callLog().front(), QStringLiteral("init")); // loaded, and so probed, again
    }

    // Ending the program (the DCP panel closing) asks the tool too; Cancel keeps it, and the program.
    void programEndStopsAtAToolThatStays()
    {
        Program p(false);
        QTest::keyClicks(p.box("Reg_Desc_3"), " gain");
        p.sim.questions.answer = Questions::SaveAnswer::Cancel;
        QVERIFY(!closeAllWindowsAndExit());
        QVERIFY(p.tool()->isVisible());
        QCOMPARE(p.sim.questions.asked.size(), std::size_t{1});
    }

    // The real question box and the real start-up failure dialog, built but not shown: their words and
    // buttons.
    void realDialogs()
    {
        const auto question = saveQuestionBox(nullptr, SetupDocument::kSaveQuestion, kApplicationTitle);
        QCOMPARE(question->text(), QStringLiteral("Save changes to the register setup?"));
        QCOMPARE(question->standardButtons(), QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
        QCOMPARE(question->escapeButton(), question->button(QMessageBox::Cancel));
        const auto failure = startupFailureBox(nullptr, {"headline", "looked for, found", "the link said"});
        QCOMPARE(failure->text() + u'|' + failure->informativeText() + u'|' + failure->detailedText(),
                 QStringLiteral("headline|looked for, found|the link said"));
        QStringList buttons;
        for (const QAbstractButton* button : failure->buttons())
            buttons << button->text();
        buttons.sort();
        QCOMPARE(buttons, (QStringList{"Quit", "Retry", "Show Details...", "Use simulated board"}));
        QCOMPARE(failure->escapeButton()->text(), QStringLiteral("Quit"));
        QCOMPARE(failure->defaultButton()->text(), QStringLiteral("Retry"));
    }

    // The keys of both working windows, pressed on the window as the user does.
    void shortcuts_data()
    {
        QTest::addColumn<bool>("onTool"); // else on the DCP panel
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("effect");
        QTest::newRow("tool Ctrl+O: File > Open")
            << true << QKeySequence(Qt::CTRL | Qt::Key_O) << "open dialog";
        QTest::newRow("tool Ctrl+S: File > Save")
            << true << QKeySequence(Qt::CTRL | Qt::Key_S) << "save dialog";
        QTest::newRow("tool F5: read all registers") << true << QKeySequence(Qt::Key_F5) << "32 reads";
        QTest::newRow("tool Ctrl+Q: Exit") << true << QKeySequence(Qt::CTRL | Qt::Key_Q) << "closed";
        QTest::newRow("panel F5: I2C-Read") << false << QKeySequence(Qt::Key_F5) << "1 reads";
        QTest::newRow("panel Ctrl+Q: Exit") << false << QKeySequence(Qt::CTRL | Qt::Key_Q) << "closed";
    }
    void shortcuts()
    {
        QFETCH(bool, onTool);
        QFETCH(QKeySequence, keys);
        QFETCH(QString, effect);
        Program p(false);
        QWidget* const window = onTool ? static_cast<QWidget*>(p.tool()) : p.windows.dcpPanel();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        p.sim.recorder.clearTransferLog();
        QTest::keySequence(window, keys);
        QString seen;
        if (!p.sim.fileDialogs.openRequests.empty())
            seen = QStringLiteral("open dialog");
        else if (!p.sim.fileDialogs.saveRequests.empty())
            seen = QStringLiteral("save dialog");
        else if (!window->isVisible())
            seen = QStringLiteral("closed");
        else
            seen = QStringLiteral("%1 reads").arg(p.sim.writesOn(3).size());
        QCOMPARE(seen, effect);
    }

    // Tools > Transfer Log of either window shows the one log window.
    void bothWindowsOpenTheOneTransferLog()
    {
        Program p(false);
        namedChild<QAction>(p.windows.dcpPanel(), "mnuTransferLog")->trigger();
        TransferLogWindow* const log = p.windows.transferLog();
        QVERIFY(log && log->isVisible());
        log->close();
        namedChild<QAction>(p.tool(), "mnuTransferLog")->trigger();
        QCOMPARE(p.windows.transferLog(), log);
        QVERIFY(log->isVisible());
    }
};

QTEST_MAIN(TestRegisterToolEntry)
#include "tst_registertoolentry.moc"
