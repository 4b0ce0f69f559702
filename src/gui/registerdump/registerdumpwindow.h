// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/registerdump.h"

#include <QWidget>
#include <cstdint>

class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace vtx {

class BusAccess;
class FileDialogs;
class MessageBoxes;

// `frmRegisterDump`: every register of one device, 00 to FF, in a 16 x 16 hexadecimal view ("--" where a
// register did not answer), read with the register tool's register read, and saved as CSV with "Save As...".
class RegisterDumpWindow final : public QWidget {
    Q_OBJECT
public:
    RegisterDumpWindow(BusAccess& access, MessageBoxes& messages, FileDialogs& fileDialogs,
                       QWidget* parent = nullptr);

    static const QString kTransactionOwner;

    // Reads every register of the device at `sevenBit` into the view. False when another transaction runs
    // (nothing happens then).
    bool dump(std::uint8_t sevenBit);
    void cmdSaveAs_Click();

    const RegisterDump& lastDump() const { return m_dump; }

private:
    void showValue(std::uint8_t registerAddress, const std::optional<std::uint8_t>& value);

    BusAccess& m_access;
    MessageBoxes& m_messages;
    FileDialogs& m_fileDialogs;
    QTableWidget* m_grid;
    QProgressBar* m_progress;
    QLabel* m_status;
    QPushButton* m_saveAs;
    RegisterDump m_dump;
};

} // namespace vtx
