// SPDX-License-Identifier: GPL-3.0-or-later
#include "connectionpanel.h"

#include "widgets/lampwidget.h"
#include "widgets/objectname.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vtx {

ConnectionPanel::ConnectionPanel(QWidget* parent)
    : QWidget(parent),
      m_attachLamp(named(new LampWidget(LampWidget::Shape::RoundedSquare, this), "ShpAttach")),
      m_handleLamp(named(new LampWidget(LampWidget::Shape::RoundedSquare, this), "ShpHandleStatus")),
      m_driverHandle(named(new QLineEdit(QStringLiteral("Not Initialized"), this), "txthDriver")),
      m_noc(named(new QPushButton(QStringLiteral("USB Initialized"), this), "cbNoc")),
      m_manual(
          named(new QCheckBox(QStringLiteral("Manual USB Connect / Disconnect"), this), "ChKManUsbConn")),
      m_connectBar(named(new LampWidget(LampWidget::Shape::Bar, this), "shpUSBCon_0")),
      m_disconnectBar(named(new LampWidget(LampWidget::Shape::Bar, this), "shpUSBCon_1"))
{
    m_handleLamp->setColor(LampColor::LightRed);
    m_driverHandle->setReadOnly(true);
    // The status caption is only ever written, never shown.
    m_noc->setEnabled(false);
    m_noc->hide();
    m_manual->setToolTip(QStringLiteral("Check to disable automatic open / closing of USB connection."));

    auto* lamps = new QGridLayout;
    lamps->addWidget(new QLabel(QStringLiteral("USB Attach"), this), 0, 0);
    lamps->addWidget(m_attachLamp, 0, 1);
    lamps->addWidget(new QLabel(QStringLiteral("Handle"), this), 1, 0);
    lamps->addWidget(m_handleLamp, 1, 1);
    lamps->addWidget(m_driverHandle, 2, 0, 1, 2);

    auto* group = named(new QGroupBox(QStringLiteral("Manual User Connect"), this), "lblUSBConnect");
    auto* connect = named(new QPushButton(QStringLiteral("USB Connect"), group), "cmdUSBConnect");
    connect->setToolTip(QStringLiteral("Connect and leave USB connection open."));
    auto* disconnect = named(new QPushButton(QStringLiteral("USB Disconnect"), group), "cmdUSBDisconnect");
    disconnect->setToolTip(QStringLiteral("Close USB Connection."));
    auto* buttons = new QGridLayout(group);
    buttons->addWidget(connect, 0, 0);
    buttons->addWidget(m_connectBar, 0, 1);
    buttons->addWidget(disconnect, 1, 0);
    buttons->addWidget(m_disconnectBar, 1, 1);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addLayout(lamps);
    column->addWidget(m_noc);
    column->addWidget(m_manual);
    column->addWidget(group);

    QObject::connect(connect, &QPushButton::clicked, this, &ConnectionPanel::connectClicked);
    QObject::connect(disconnect, &QPushButton::clicked, this, &ConnectionPanel::disconnectClicked);
    QObject::connect(m_manual, &QCheckBox::toggled, this, &ConnectionPanel::manualModeChanged);
}

void ConnectionPanel::paintAttach(LampColor color)
{
    m_attachLamp->setColor(color);
}

void ConnectionPanel::paintHandle(LampColor color)
{
    m_handleLamp->setColor(color);
}

void ConnectionPanel::showDriverHandle(const QString& text)
{
    m_driverHandle->setText(text);
}

void ConnectionPanel::setNocCaption(const QString& caption)
{
    m_noc->setText(caption);
}

void ConnectionPanel::hideNoc()
{
    m_noc->hide();
}

void ConnectionPanel::paintLinkBars(LampColor connectBar, LampColor disconnectBar)
{
    m_connectBar->setColor(connectBar);
    m_disconnectBar->setColor(disconnectBar);
}

} // namespace vtx
