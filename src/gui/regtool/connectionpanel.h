// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/palette.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vtx {

class LampWidget;

// The link controls of the register tool: the USB Attach and Handle lamps, the driver handle box, the
// hidden link status caption, the manual-connection check box and the USB Connect / USB Disconnect buttons
// with their bar lamps. It paints; the window decides what the buttons do.
class ConnectionPanel : public QWidget {
    Q_OBJECT
public:
    explicit ConnectionPanel(QWidget* parent = nullptr);

    void paintAttach(LampColor color);
    void paintHandle(LampColor color);
    void showDriverHandle(const QString& text);
    void setNocCaption(const QString& caption);
    void hideNoc();
    // The bars beside USB Connect (lit while the link is open) and USB Disconnect (lit while it is closed).
    void paintLinkBars(LampColor connectBar, LampColor disconnectBar);

signals:
    void connectClicked();
    void disconnectClicked();
    void manualModeChanged(bool manual);

private:
    LampWidget* m_attachLamp;
    LampWidget* m_handleLamp;
    QLineEdit* m_driverHandle;
    QPushButton* m_noc;
    QCheckBox* m_manual;
    LampWidget* m_connectBar;
    LampWidget* m_disconnectBar;
};

} // namespace vtx
