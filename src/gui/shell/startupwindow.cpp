// SPDX-License-Identifier: GPL-3.0-or-later
#include "startupwindow.h"

#include "artwork.h"
#include "common/appinfo.h"
#include "common/yield.h"
#include "engine/link.h"
#include "widgets/messageboxes.h"

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>

namespace vtx::shell {

namespace {

// The start-up window holds no controls; it shows our mark so it does not look empty.
class StartupBackdrop final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Base));
        const qreal h = std::min(height(), width()) * 0.16;
        const QRectF logo(width() / 2.0 - h * 1.5, height() / 2.0 - h * 0.9, h * 3, h);
        paintLogo(painter, logo);
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(QRectF(0, logo.bottom() + h * 0.3, width(), h), Qt::AlignHCenter | Qt::AlignTop,
                         kApplicationTitle);
    }
};

} // namespace

StartupWindow::StartupWindow(const Link& link, MessageBoxes& messages, Hooks hooks, const QString& bannerText,
                             QWidget* parent)
    : QMainWindow(parent), m_link(link), m_messages(messages), m_hooks(std::move(hooks))
{
    setObjectName(QStringLiteral("frmStartup"));
    setWindowTitle(QStringLiteral("Veltrane I2C Video Mux Control Software"));
    setWindowIcon(applicationIcon());

    QMenu* devices = menuBar()->addMenu(QStringLiteral("&Device Select"));
    devices->setObjectName(QStringLiteral("MnuDevSel1"));
    connect(addEntry(devices, "MNUVTX6101", QStringLiteral("VTX6101 Light Sensor")), &QAction::triggered,
            this, &StartupWindow::MNUVTX6101_Click);
    // These device families have no window in this program; their entries do nothing.
    addEntry(devices, "mnuVTX6240", QStringLiteral("VTX6240 Mux Combo"));
    addEntry(devices, "MNU6330_1", QStringLiteral("VTX6330 16 X 16"));
    addEntry(devices, "mnuVTX6331", QStringLiteral("VTX6331 16 X 16, No Clamp"));
    connect(addEntry(devices, "mnu6332_1", QStringLiteral("VTX6332 32 X 32 ")), &QAction::triggered, this,
            &StartupWindow::mnu6332_1_Click);
    addEntry(devices, "mnuVTX6333", QStringLiteral("VTX6333 32 X 32 , No Clamp"));

    QAction* about = menuBar()->addAction(QStringLiteral("&About"));
    about->setObjectName(QStringLiteral("mnuAbout"));
    connect(about, &QAction::triggered, this, [this] {
        if (m_hooks.showAbout)
            m_hooks.showAbout();
    });

    setCentralWidget(new StartupBackdrop(this));
    if (!bannerText.isEmpty()) {
        auto* banner = new QLabel(bannerText);
        banner->setObjectName(QStringLiteral("lblBanner"));
        statusBar()->addPermanentWidget(banner);
    }
    // A client area of 635 x 603 at 100 %.
    centralWidget()->setMinimumSize(200, 150);
    resize(635, 603 + menuBar()->sizeHint().height() + (statusBar() ? statusBar()->sizeHint().height() : 0));
}

QAction* StartupWindow::addEntry(QMenu* menu, const char* objectName, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(objectName));
    return action;
}

bool StartupWindow::Form_Load()
{
    const bool opened = m_hooks.openDcpPanel ? m_hooks.openDcpPanel() : false;
    yieldEvents();
    return opened;
}

void StartupWindow::MNUVTX6101_Click()
{
    if (m_link.UsbOpen) {
        m_messages.showMessage(this, QStringLiteral("Exit and ReStart App to change devices"),
                               kApplicationTitle);
        return;
    }
    close();
}

void StartupWindow::mnu6332_1_Click()
{
    if (!m_link.UsbOpen)
        close();
}

} // namespace vtx::shell
