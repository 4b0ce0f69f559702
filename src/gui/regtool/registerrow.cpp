// SPDX-License-Identifier: GPL-3.0-or-later
#include "registerrow.h"

#include "common/hex.h"
#include "common/textformat.h"
#include "setupfile/registermap.h"
#include "toolsession.h"
#include "widgets/lampwidget.h"
#include "widgets/matchedbackground.h"
#include "widgets/objectname.h"

#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

namespace vtx {

namespace {

constexpr int kBankTextLength = 2;

QLineEdit* rowBox(QWidget* frame, const char* name, int index, int width)
{
    auto* box = new QLineEdit(frame);
    box->setObjectName(indexedName(name, index));
    if (width > 0)
        box->setFixedWidth(box->fontMetrics().horizontalAdvance(QLatin1Char('W')) * width);
    return box;
}

bool isReadKey(const QKeyEvent& key)
{
    return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter || key.key() == Qt::Key_Space;
}

LampWidget* rowLamp(QWidget* frame, const char* name, int index)
{
    auto* lamp = new LampWidget(LampWidget::Shape::Circle, frame);
    lamp->setObjectName(indexedName(name, index));
    return lamp;
}

} // namespace

RegisterRow::RegisterRow(int index, QGridLayout& grid, int gridRow, QWidget* frame)
    : QObject(frame), m_index(index), m_address(rowBox(frame, "Reg_Adr", index, 3)),
      m_description(rowBox(frame, "Reg_Desc", index, 0)), m_write(rowBox(frame, "txtBWrite", index, 3)),
      m_writeLamp(rowLamp(frame, "shpBwrite", index)), m_read(rowBox(frame, "txtRdByte", index, 3)),
      m_readLamp(rowLamp(frame, "Shape1", index))
{
    m_address->setToolTip(QStringLiteral("Register Address 0x00 to 0xFF"));
    m_write->setToolTip(QStringLiteral("Double click, or press ENTER key to write to single register"));
    m_read->setToolTip(QStringLiteral("Single click to read register"));
    // The read box shows what the device said; a click reads it again.
    m_read->setReadOnly(true);
    // Room for the longest description of the default map.
    m_description->setMinimumWidth(m_description->fontMetrics().horizontalAdvance(
                                       QStringLiteral("Outgoing packet data fetch location")) +
                                   12);

    int column = 0;
    for (QWidget* const widget : {static_cast<QWidget*>(m_address), static_cast<QWidget*>(m_description),
                                  static_cast<QWidget*>(m_write), static_cast<QWidget*>(m_writeLamp),
                                  static_cast<QWidget*>(m_read), static_cast<QWidget*>(m_readLamp)})
        grid.addWidget(widget, gridRow, column++);

    m_read->installEventFilter(this);
    m_write->installEventFilter(this);
    connect(m_write, &QLineEdit::returnPressed, this, [this] { emit writeRequested(m_index); });
    for (QLineEdit* const box : {m_address, m_description, m_write})
        connect(box, &QLineEdit::textChanged, this, &RegisterRow::editableTextChanged);
}

void RegisterRow::paintOwnBackgrounds(MatchedBackground& matched)
{
    for (QWidget* const widget : {static_cast<QWidget*>(m_read), static_cast<QWidget*>(m_readLamp),
                                  static_cast<QWidget*>(m_writeLamp)})
        matched.add(*widget);
}

bool RegisterRow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_read && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        emit readClicked(m_index);
    } else if (watched == m_read && event->type() == QEvent::KeyPress &&
               isReadKey(*static_cast<QKeyEvent*>(event))) {
        // From the keyboard as with the mouse: the read box reads its row.
        emit readClicked(m_index);
        return true;
    } else if (watched == m_write && event->type() == QEvent::MouseButtonDblClick) {
        emit writeRequested(m_index);
    }
    return QObject::eventFilter(watched, event);
}

bool RegisterRow::takesPartInRead() const
{
    return m_address->text().size() == kBankTextLength;
}

void RegisterRow::loadDefaults()
{
    m_address->setText(hex2Text(static_cast<std::uint32_t>(m_index)));
    m_description->setText(defaultRegisterDescription(m_index));
    m_write->clear();
    m_read->clear();
    m_writeLamp->setColor(LampColor::Black);
    m_readLamp->setColor(LampColor::Black);
}

setupfile::Row RegisterRow::texts() const
{
    return {m_address->text(), m_description->text(), m_write->text(), m_read->text()};
}

void RegisterRow::setTexts(const setupfile::Row& texts)
{
    m_address->setText(texts.address);
    m_description->setText(texts.description);
    m_write->setText(texts.writeData);
    m_read->setText(texts.readData);
}

QString RegisterRow::readText() const
{
    return m_read->text();
}

void RegisterRow::setReadText(const QString& text)
{
    m_read->setText(text);
}

QString RegisterRow::writeText() const
{
    return m_write->text();
}

void RegisterRow::setWriteText(const QString& text)
{
    m_write->setText(text);
}

RegisterRow::Outcome RegisterRow::readRegister(ToolSession& session)
{
    const auto registerAddress = HexToInt(m_address->text());
    if (!registerAddress) {
        // Too long to be a register address: we send nothing rather than guess a register.
        m_read->setText(kNoValue);
        m_readLamp->setColor(LampColor::LightRed);
        return {};
    }
    const auto result = session.bus().readRegister(session.state().I2CRdAdr, lowByte(*registerAddress));
    session.showTransferCount(result.reply().count);
    if (result) {
        m_read->setText(hex2Text(result.value()));
        m_readLamp->setColor(nextSuccessColor(m_readLamp->color()));
        return {};
    }
    m_read->setText(kNoValue);
    m_readLamp->setColor(LampColor::LightRed);
    return {result.failure().kind == Failure::Kind::Link, result.linkMessages()};
}

RegisterRow::Outcome RegisterRow::writeRegister(ToolSession& session, std::uint8_t data)
{
    m_write->show();
    m_writeLamp->show();
    // "--" or "ZZ" would be read as register 00: a failure marker must not become an address.
    const auto registerAddress = twoDigitHexByte(m_address->text());
    if (!registerAddress) {
        m_writeLamp->setColor(LampColor::LightRed);
        return {};
    }
    const auto result = session.bus().writeRegister(session.state().I2CWrtAdr, *registerAddress, data);
    session.showTransferCount(result.reply().count);
    m_writeLamp->setColor(result ? nextSuccessColor(m_writeLamp->color()) : LampColor::LightRed);
    if (result)
        return {};
    return {result.failure().kind == Failure::Kind::Link, result.linkMessages()};
}

void RegisterRow::showWriteRefused()
{
    m_writeLamp->show();
    m_writeLamp->setColor(LampColor::LightRed);
}

bool RegisterRow::hasRegisterByte() const
{
    return twoDigitHexByte(m_address->text()).has_value();
}

void RegisterRow::showReadRefused()
{
    m_readLamp->setColor(LampColor::LightRed);
}

void RegisterRow::clearLamps()
{
    m_writeLamp->setColor(LampColor::Black);
    m_readLamp->setColor(LampColor::Black);
}

void RegisterRow::showReadResult()
{
    m_read->show();
    m_readLamp->show();
}

void RegisterRow::hideReadResult()
{
    m_read->hide();
    m_readLamp->setColor(LampColor::Black);
    m_readLamp->hide();
}

void RegisterRow::hideWriteLamp()
{
    m_writeLamp->setColor(LampColor::Black);
    m_writeLamp->hide();
}

} // namespace vtx
