// SPDX-License-Identifier: GPL-3.0-or-later
#include "directwritepanel.h"

#include "common/appinfo.h"
#include "common/hex.h"
#include "toolsession.h"
#include "widgets/messageboxes.h"
#include "writevalue.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace vtx {

namespace {

// Bit 7 of the address byte is the command's read flag; module registers are 0x00 to 0x7F.
constexpr int kHighestModuleRegister = 0x7F;

std::optional<std::uint8_t> valueUpTo(const QString& text, int highest)
{
    const auto value = HexToInt(text);
    if (!value || *value < 0 || *value > highest)
        return std::nullopt;
    return static_cast<std::uint8_t>(*value);
}

} // namespace

DirectWritePanel::DirectWritePanel(ToolSession& session, MessageBoxes& messages, QWidget* parent)
    : QWidget(parent), m_session(session), m_messages(messages), m_toggle(new QToolButton(this)),
      m_body(new QWidget(this)), m_address(new QLineEdit(QStringLiteral("00"), m_body)),
      m_data(new QLineEdit(QStringLiteral("00"), m_body))
{
    m_toggle->setObjectName(QStringLiteral("tglDirectWrite"));
    m_toggle->setText(QStringLiteral("Direct register write"));
    m_toggle->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toggle->setCheckable(true);
    m_toggle->setAutoRaise(true);
    m_body->setObjectName(QStringLiteral("DirectWriteGroup"));
    m_address->setObjectName(QStringLiteral("txtAddr"));
    m_data->setObjectName(QStringLiteral("txtData"));
    auto* write = new QPushButton(QStringLiteral("Write"), m_body);
    write->setObjectName(QStringLiteral("cmdWrite"));
    // Kept from the original group; it selects nothing.
    auto* readWrite = new QCheckBox(QStringLiteral("Write (unchecked) Read (checked)"), m_body);
    readWrite->setObjectName(QStringLiteral("Check1"));

    auto* row = new QHBoxLayout(m_body);
    row->addWidget(new QLabel(QStringLiteral("Addr"), m_body));
    row->addWidget(m_address);
    row->addWidget(m_data);
    row->addWidget(write);
    row->addWidget(readWrite);
    row->addStretch();

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(m_toggle);
    column->addWidget(m_body);
    setExpanded(false);

    connect(m_toggle, &QToolButton::toggled, this, &DirectWritePanel::setExpanded);
    connect(write, &QPushButton::clicked, this, &DirectWritePanel::cmdWrite_Click);
}

void DirectWritePanel::setExpanded(bool expanded)
{
    m_toggle->setChecked(expanded);
    m_toggle->setArrowType(expanded ? Qt::DownArrow : Qt::RightArrow);
    m_body->setVisible(expanded);
}

bool DirectWritePanel::isExpanded() const
{
    return m_toggle->isChecked();
}

void DirectWritePanel::cmdWrite_Click()
{
    if (m_address->text().isEmpty())
        m_address->setText(QStringLiteral("00"));
    if (m_data->text().isEmpty())
        m_data->setText(QStringLiteral("00"));
    const auto address = valueUpTo(m_address->text(), kHighestModuleRegister);
    const auto data = valueUpTo(m_data->text(), 0xFF);
    if (!address || !data) {
        m_messages.showMessage(window(), kInvalidWriteValue, kApplicationTitle);
        return;
    }
    const auto scope = m_session.tryBegin();
    if (!scope)
        return;
    m_session.module().writeRegister(*address, *data);
}

} // namespace vtx
