// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QGroupBox>
#include <array>

class QLabel;
class QLineEdit;

namespace vtx {

class LampWidget;
class MessageBoxes;
class ToolSession;

// The "Single Byte Transfer User Panel": READ fetches one byte from the addressed device, each of the two
// WRITE buttons sends the byte typed under it. Activity lamps show each button's last outcome, the lamp
// under "NAK" whether the last transfer was acknowledged.
class SingleBytePanel : public QGroupBox {
    Q_OBJECT
public:
    SingleBytePanel(ToolSession& session, MessageBoxes& messages, QWidget* parent = nullptr);

    void cmdRead_Click();
    void cmdWrite1Byte_Click(int index);
    // Enter in a data box writes it, after the same check as the button.
    void txtsbwr_KeyPress(int index) { cmdWrite1Byte_Click(index); }

private:
    static constexpr int kReadLamp = 2;
    void showAcknowledge(bool acknowledged);
    // Paints a transfer's outcome: its activity lamp and the acknowledge lamp.
    void showOutcome(LampWidget* activityLamp, bool acknowledged);

    ToolSession& m_session;
    MessageBoxes& m_messages;
    std::array<QLineEdit*, 2> m_writeBoxes{};
    QLineEdit* m_readBox;
    std::array<LampWidget*, 3> m_activityLamps{}; // WRITE (0), WRITE (1), READ
    QLabel* m_nakLabel;
    LampWidget* m_nakLamp;
};

} // namespace vtx
