// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace vtx {
class MessageBoxes;
class SystemServices;
} // namespace vtx

namespace vtx::shell {

// `frmAbout2`: the application's name and version, our logo, a notice on the accuracy of the information,
// and a button that starts the system's information program. Non-modal; OK answers Enter and Esc.
class AboutBox final : public QDialog {
    Q_OBJECT
public:
    AboutBox(SystemServices& system, MessageBoxes& messages, const QString& bannerText,
             QWidget* parent = nullptr);

    void cmdSysInfo_Click();

private:
    SystemServices& m_system;
    MessageBoxes& m_messages;
};

} // namespace vtx::shell
