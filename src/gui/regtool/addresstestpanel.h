// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <array>
#include <functional>

class QLabel;
class QLineEdit;

namespace vtx {

class MessageBoxes;
class ToolSession;

// The I2C address entry and the communication test: the user types the device's 8-bit write address,
// Enter or Test makes it the window's address, reads one byte to see whether the device answers, shows
// "Good" or "Fail" and tells the module the outcome. Also the Read Adr / Write Adr displays, which the
// window places at its bottom left.
class AddressTestPanel : public QWidget {
    Q_OBJECT
public:
    AddressTestPanel(ToolSession& session, MessageBoxes& messages, QWidget* parent = nullptr);

    QString addressText() const;
    void setAddressText(const QString& text);
    // Makes the address text the window's address without the test's range check (window load, setup
    // files). A text too long to be a number keeps the previous address in force and shows "--".
    void adoptAddressText();
    QWidget* addressDisplays() const { return m_displays; }

    void cmdTestComm_Click();
    void txtI2CADR_KeyPress(); // Enter

    // Run when a test has been carried out: the register panel shows itself.
    std::function<void()> onTestDone;

signals:
    void addressTextChanged();

private:
    void runTest();
    void showAddresses();
    void showNoAddress(); // "--" in every address display
    void showFail();
    void showGood();

    ToolSession& m_session;
    MessageBoxes& m_messages;
    QLineEdit* m_address;
    std::array<QLineEdit*, 2> m_testBoxes{}; // transfer count, value
    QLabel* m_result;
    QWidget* m_displays;
    QLineEdit* m_readAddress;
    QLineEdit* m_writeAddress;
    QLabel* m_sevenBit; // "9E = 0x4F" beside the 8-bit displays
};

} // namespace vtx
