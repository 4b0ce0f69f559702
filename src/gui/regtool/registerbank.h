// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "setupfile/registermap.h"
#include "registerrow.h"
#include "setupfile/setupfile.h"

#include <QWidget>
#include <array>

class QGroupBox;
class QPushButton;

namespace vtx {

class MessageBoxes;
class RegisterRow;
class ToolSession;

// The "Active Device Registers": 32 rows in two frames, read or written whole with one button each, read
// data copied to the write boxes with a third, a row read by clicking its read box and written by double
// clicking its write box or pressing Enter in it.
class RegisterBank : public QWidget {
    Q_OBJECT
public:
    RegisterBank(ToolSession& session, MessageBoxes& messages, QWidget* parent = nullptr);

    // The register map the window opens with: addresses 00 to 1F, their descriptions, black lamps.
    void loadDefaults();
    // Both frames and the three buttons.
    void showBank();

    RegisterRow& row(int index) { return *m_rows[static_cast<std::size_t>(index)]; }
    setupfile::Row rowTexts(int index) const;
    void setRowTexts(int index, const setupfile::Row& texts);

    void cmdReadRegs_Click();
    void cmdwriteAll_Click();
    void Command7_Click();
    void txtRdByte_Click(int index);
    void txtBWrite_DblClick(int index);
    void txtBWrite_KeyPress(int index) { txtBWrite_DblClick(index); } // Enter

signals:
    // A row's address, description or write text changed.
    void editableTextChanged();

private:
    void stopAtLinkFailure(const RegisterRow::Outcome& outcome, std::size_t firstNotReached);

    ToolSession& m_session;
    MessageBoxes& m_messages;
    std::array<QGroupBox*, 2> m_frames{};
    std::array<QPushButton*, 3> m_buttons{};
    std::array<RegisterRow*, kRegisterRowCount> m_rows{};
};

} // namespace vtx
