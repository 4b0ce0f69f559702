// SPDX-License-Identifier: GPL-3.0-or-later
#include "singlebytepanel.h"

#include "common/appinfo.h"
#include "common/textformat.h"
#include "common/yield.h"
#include "toolsession.h"
#include "widgets/lampwidget.h"
#include "widgets/messageboxes.h"
#include "widgets/objectname.h"
#include "writevalue.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace vtx {

SingleBytePanel::SingleBytePanel(ToolSession& session, MessageBoxes& messages, QWidget* parent)
    : QGroupBox(QStringLiteral("Single Byte Transfer User Panel"), parent), m_session(session),
      m_messages(messages), m_readBox(new QLineEdit(kNoValue, this)),
      m_nakLabel(new QLabel(QStringLiteral("NAK"), this)),
      m_nakLamp(new LampWidget(LampWidget::Shape::Square, this))
{
    setObjectName(QStringLiteral("FRGEN"));
    auto* grid = new QGridLayout(this);

    auto* registerLabel = new QLabel(QStringLiteral("Device Register Address"), this);
    registerLabel->setWordWrap(true);
    auto* registerBox = new QLineEdit(QStringLiteral("00"), this);
    registerBox->setObjectName(QStringLiteral("txtUserRegAdr"));
    registerBox->setToolTip(QStringLiteral(
        "Sets Device Register Accessed for Writes and Reads in Single Byte Transfer User Panel"));
    // A display only: the single-byte commands carry no register address.
    registerBox->setEnabled(false);
    grid->addWidget(registerLabel, 0, 0);
    grid->addWidget(registerBox, 1, 0);

    const std::array<const char*, 2> initialData{"AA", "55"};
    for (int i = 0; i < 2; ++i) {
        auto* button = new QPushButton(QStringLiteral("WRITE"), this);
        button->setObjectName(indexedName("cmdWrite1Byte", i));
        button->setToolTip(
            QStringLiteral("Writes Data entered below to  Address in Device Register Address Text Box"));
        QLineEdit*& box = m_writeBoxes[static_cast<std::size_t>(i)];
        box = new QLineEdit(QLatin1String(initialData[static_cast<std::size_t>(i)]), this);
        box->setObjectName(indexedName("txtsbwr", i));
        box->setMaxLength(8);
        grid->addWidget(button, 0, 1 + 2 * i, 1, 2);
        grid->addWidget(box, 1, 1 + 2 * i);
        connect(button, &QPushButton::clicked, this, [this, i] { cmdWrite1Byte_Click(i); });
        connect(box, &QLineEdit::returnPressed, this, [this, i] { txtsbwr_KeyPress(i); });
    }

    auto* readButton = new QPushButton(QStringLiteral("READ"), this);
    readButton->setObjectName(QStringLiteral("cmdRead"));
    readButton->setToolTip(QStringLiteral("Reads Address in Device Register Address Text Box"));
    m_readBox->setObjectName(QStringLiteral("txtReadByte"));
    grid->addWidget(readButton, 0, 5, 1, 2);
    grid->addWidget(m_readBox, 1, 5);
    connect(readButton, &QPushButton::clicked, this, &SingleBytePanel::cmdRead_Click);

    for (int i = 0; i < 3; ++i) {
        LampWidget*& lamp = m_activityLamps[static_cast<std::size_t>(i)];
        lamp = new LampWidget(LampWidget::Shape::Square, this);
        lamp->setObjectName(indexedName("Shape2", i));
        grid->addWidget(lamp, 1, 2 + 2 * i);
    }

    m_nakLabel->setObjectName(QStringLiteral("lblNak"));
    m_nakLamp->setObjectName(QStringLiteral("Shape3"));
    // Both appear with the first completed transfer.
    m_nakLabel->hide();
    m_nakLamp->hide();
    grid->addWidget(m_nakLabel, 0, 7, Qt::AlignHCenter);
    grid->addWidget(m_nakLamp, 1, 7, Qt::AlignHCenter);
}

void SingleBytePanel::showAcknowledge(bool acknowledged)
{
    m_nakLamp->show();
    m_nakLabel->show();
    m_nakLamp->setColor(acknowledged ? LampColor::LightGreen : LampColor::LightRed);
}

void SingleBytePanel::cmdRead_Click()
{
    const auto scope = m_session.tryBegin();
    if (!scope)
        return;
    ConnectionBracket bracket(m_session, ToolSession::Opening::Full);
    const auto result = m_session.reported(m_session.bus().read(m_session.state().I2CRdAdr));
    m_session.showTransferCount(result.reply().count);
    m_readBox->setText(hex2Text(result.reply().data));
    showOutcome(m_activityLamps[kReadLamp], result.ok());
    bracket.close();
    yieldEvents();
}

void SingleBytePanel::showOutcome(LampWidget* activityLamp, bool acknowledged)
{
    // A failed transfer of either kind leaves no byte worth showing in the READ box.
    if (acknowledged) {
        showAcknowledge(true);
        activityLamp->setColor(nextSuccessColor(activityLamp->color()));
    } else {
        m_readBox->setText(kNoValue);
        activityLamp->setColor(LampColor::LightRed);
        showAcknowledge(false);
    }
}

void SingleBytePanel::cmdWrite1Byte_Click(int index)
{
    if (index < 0 || index >= static_cast<int>(m_writeBoxes.size()))
        return;
    QLineEdit* const box = m_writeBoxes[static_cast<std::size_t>(index)];
    const WriteValue value = normaliseWriteText(box->text());
    box->setText(value.text);
    if (!value.value) {
        m_messages.showMessage(window(), kInvalidWriteValue, kApplicationTitle);
        return;
    }

    const auto scope = m_session.tryBegin();
    if (!scope)
        return;
    ConnectionBracket bracket(m_session, ToolSession::Opening::Full);
    const auto result = m_session.reported(m_session.bus().write(m_session.state().I2CWrtAdr, *value.value));
    m_session.showTransferCount(result.reply().count);
    showOutcome(m_activityLamps[static_cast<std::size_t>(index)], result.ok());
    bracket.close();
    yieldEvents();
}

} // namespace vtx
