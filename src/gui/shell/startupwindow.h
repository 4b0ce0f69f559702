// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>
#include <functional>

class QAction;

namespace vtx {
class Link;
class MessageBoxes;
} // namespace vtx

namespace vtx::shell {

// `frmStartup`: the window the program starts with. Its load opens the DCP panel; its "Device Select" menu
// lists the device families of the evaluation kit, and "About" opens the about box.
class StartupWindow final : public QMainWindow {
    Q_OBJECT
public:
    struct Hooks {
        std::function<bool()> openDcpPanel; // loads and shows the DCP panel; false when the program ends
        std::function<void()> showAbout;
    };

    StartupWindow(const Link& link, MessageBoxes& messages, Hooks hooks, const QString& bannerText,
                  QWidget* parent = nullptr);

    // Opens the DCP panel, then lets pending events through once. False when the panel's start ended the
    // program.
    bool Form_Load();

    void MNUVTX6101_Click();
    void mnu6332_1_Click();

private:
    QAction* addEntry(QMenu* menu, const char* objectName, const QString& caption);

    const Link& m_link;
    MessageBoxes& m_messages;
    Hooks m_hooks;
};

} // namespace vtx::shell
