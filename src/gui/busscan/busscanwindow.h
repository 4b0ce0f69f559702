// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <cstdint>
#include <optional>

class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace vtx {

class BusAccess;
class FileDialogs;
class MessageBoxes;
class RegisterDumpWindow;

// `frmBusScan`: which addresses answer on the bus, in the 8 x 16 grid of 7-bit addresses that i2cdetect
// users know (rows 0x00 to 0x70, columns 0 to F). 0x08 to 0x77 are probed inside one connection bracket and
// one transaction; the rest are reserved and shown grey. An answering address shows its number on a green
// ground and its 8-bit bytes in the tooltip. A double-click on one hands it to the window that opened the
// scan (addressChosen); "Dump" reads all its registers into a register dump window.
class BusScanWindow final : public QWidget {
    Q_OBJECT
public:
    BusScanWindow(BusAccess& access, MessageBoxes& messages, FileDialogs& fileDialogs,
                  QWidget* parent = nullptr);
    ~BusScanWindow() override;

    static const QString kTransactionOwner;
    static const QString kLinkFailedText;

    // Scans the bus. False when another transaction runs (nothing happens then).
    bool cmdScan_Click();
    // Ends a running scan after the address being probed.
    void cmdStop_Click();
    // Dumps the registers of the selected answering address.
    void cmdDump_Click();
    void grdAddresses_DoubleClick(int row, int column);

    bool isScanning() const { return m_scanning; }
    RegisterDumpWindow* dumpWindow() const { return m_dumpWindow; }

signals:
    // The user chose an answering address (7-bit) by double-clicking it.
    void addressChosen(std::uint8_t sevenBit);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void resetGrid();
    void showProbe(std::uint8_t sevenBit, bool answered);
    std::optional<std::uint8_t> selectedAnsweringAddress() const;
    void updateButtons();

    BusAccess& m_access;
    MessageBoxes& m_messages;
    FileDialogs& m_fileDialogs;
    QTableWidget* m_grid;
    QProgressBar* m_progress;
    QLabel* m_status;
    QPushButton* m_scan;
    QPushButton* m_stop;
    QPushButton* m_dump;
    RegisterDumpWindow* m_dumpWindow = nullptr;
    bool m_scanning = false;
    bool m_stopRequested = false;
};

} // namespace vtx
