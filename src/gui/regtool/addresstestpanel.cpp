// SPDX-License-Identifier: GPL-3.0-or-later
#include "addresstestpanel.h"

#include "common/appinfo.h"
#include "common/hex.h"
#include "common/i2caddress.h"
#include "common/textformat.h"
#include "common/yield.h"
#include "toolsession.h"
#include "widgets/messageboxes.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace vtx {

namespace {

// 0xFF would make the read address wrap to 0x00; the test takes 0x00 to 0xFE.
constexpr int kHighestTestAddress = 0xFE;

QLineEdit* displayBox(QWidget* parent, const char* name, const char* toolTip)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setReadOnly(true);
    if (toolTip)
        box->setToolTip(QLatin1String(toolTip));
    return box;
}

} // namespace

AddressTestPanel::AddressTestPanel(ToolSession& session, MessageBoxes& messages, QWidget* parent)
    : QWidget(parent), m_session(session), m_messages(messages),
      m_address(new QLineEdit(QStringLiteral("9E"), this)), m_result(new QLabel(this)),
      m_displays(new QWidget(this)),
      m_readAddress(displayBox(m_displays, "txtActualReadAddress", "Actual I2C Read Address")),
      m_writeAddress(displayBox(m_displays, "txtActualWrtAddress", "Actual I2C Write Address")),
      m_sevenBit(new QLabel(kNoValue, m_displays))
{
    m_sevenBit->setObjectName(QStringLiteral("lblSevenBitAddress"));
    m_address->setObjectName(QStringLiteral("txtI2CADR"));
    m_address->setToolTip(QStringLiteral("Enter I2C Address"));
    connect(m_address, &QLineEdit::textChanged, this, &AddressTestPanel::addressTextChanged);
    m_testBoxes[0] = displayBox(this, "txtTstReg_0", "If good Com, will be equal to 1.");
    m_testBoxes[1] = displayBox(this, "txtTstReg_1", nullptr);
    auto* test = new QPushButton(QStringLiteral("Test"), this);
    test->setObjectName(QStringLiteral("cmdTestComm"));
    test->setToolTip(QStringLiteral("Click to test Communications"));
    m_result->setObjectName(QStringLiteral("lblCommTest"));
    m_result->setAlignment(Qt::AlignCenter);
    m_result->setAutoFillBackground(true);
    QFont bold = m_result->font();
    bold.setBold(true);
    m_result->setFont(bold);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("IC2 Addr"), this), 0, 0);
    grid->addWidget(m_address, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Transfer Count"), this), 1, 0);
    grid->addWidget(m_testBoxes[0], 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Value"), this), 2, 0);
    grid->addWidget(m_testBoxes[1], 2, 1);
    grid->addWidget(test, 3, 0);
    grid->addWidget(m_result, 3, 1);

    auto* displays = new QGridLayout(m_displays);
    displays->setContentsMargins(0, 0, 0, 0);
    displays->addWidget(new QLabel(QStringLiteral("Read Adr"), m_displays), 0, 0);
    displays->addWidget(m_readAddress, 0, 1);
    displays->addWidget(new QLabel(QStringLiteral("Write Adr"), m_displays), 1, 0);
    displays->addWidget(m_writeAddress, 1, 1);
    displays->addWidget(m_sevenBit, 2, 0, 1, 2);

    connect(test, &QPushButton::clicked, this, &AddressTestPanel::cmdTestComm_Click);
    connect(m_address, &QLineEdit::returnPressed, this, &AddressTestPanel::txtI2CADR_KeyPress);
}

QString AddressTestPanel::addressText() const
{
    return m_address->text();
}

void AddressTestPanel::setAddressText(const QString& text)
{
    m_address->setText(text);
}

void AddressTestPanel::adoptAddressText()
{
    // Only a device address (a hex byte from 00 to FE) is put in force: "ZZ", "" or "100" would read as 00,
    // the general-call address, and "Write All" would send the file's rows to every device that listens.
    if (const auto address = deviceAddressFromText(m_address->text())) {
        m_session.state().setWriteAddress(*address);
        showAddresses();
    } else {
        showNoAddress();
    }
}

void AddressTestPanel::showNoAddress()
{
    m_readAddress->setText(kNoValue);
    m_writeAddress->setText(kNoValue);
    m_sevenBit->setText(kNoValue);
    m_sevenBit->setToolTip(QString());
}

void AddressTestPanel::showAddresses()
{
    m_writeAddress->setText(hexText(m_session.state().I2CWrtAdr));
    m_readAddress->setText(hexText(m_session.state().I2CRdAdr));
    // The same address as datasheets and i2c-tools write it.
    m_sevenBit->setText(addressByteWithSevenBit(m_session.state().I2CWrtAdr));
    m_sevenBit->setToolTip(addressToolTip(m_session.state().I2CWrtAdr));
}

void AddressTestPanel::showFail()
{
    QPalette colours = m_result->palette();
    colours.setColor(QPalette::Window, QColor(255, 0, 0));
    colours.setColor(QPalette::WindowText, QColor(255, 255, 255));
    m_result->setPalette(colours);
    m_result->setText(QStringLiteral("Fail"));
}

void AddressTestPanel::showGood()
{
    QPalette colours = m_result->palette();
    colours.setColor(QPalette::Window, QColor(0, 128, 0));
    colours.setColor(QPalette::WindowText, QApplication::palette().color(QPalette::ButtonText));
    m_result->setPalette(colours);
    m_result->setText(QStringLiteral("Good"));
}

void AddressTestPanel::txtI2CADR_KeyPress()
{
    const auto scope = m_session.tryBegin();
    if (!scope)
        return;
    // "Fail" stands while the test runs; the test paints its own outcome at the end.
    showFail();
    runTest();
}

void AddressTestPanel::cmdTestComm_Click()
{
    const auto scope = m_session.tryBegin();
    if (!scope)
        return;
    runTest();
}

void AddressTestPanel::runTest()
{
    ConnectionBracket bracket(m_session, ToolSession::Opening::Full);
    const auto value = HexToInt(m_address->text());
    // A text without a digit would read as 00, the general-call address every device may answer.
    const bool hasDigit = hasHexDigit(m_address->text());
    if (!hasDigit || !value || *value < 0 || *value > kHighestTestAddress) {
        // The last accepted address stays in force.
        m_messages.showMessage(
            window(), hasDigit ? QStringLiteral("Address value to large") : QStringLiteral("Invalid Address"),
            kApplicationTitle);
        showNoAddress();
        showFail();
        m_session.module().signalTestResult(false);
        return;
    }

    ProgramState& state = m_session.state();
    state.setWriteAddress(static_cast<std::uint8_t>(*value));
    showAddresses();
    const auto result = m_session.reported(m_session.bus().communicationTest(state.I2CRdAdr));
    m_testBoxes[0]->setText(hexText(result.reply().count));
    m_testBoxes[1]->setText(hexText(result.reply().data));
    if (result) {
        showGood();
        if (onTestDone)
            onTestDone();
        yieldEvents();
        m_session.module().signalTestResult(true);
    } else {
        m_session.module().signalTestResult(false);
        if (onTestDone)
            onTestDone();
        showFail();
        yieldEvents();
    }
}

} // namespace vtx
