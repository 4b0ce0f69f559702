// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace vtx {

class MessageBoxes;
class ToolSession;

// The direct register write: writes one of the control module's own registers on pipe 4, without the
// connection bracket and without a reply. Kept out of the way in a collapsed section of the window.
class DirectWritePanel : public QWidget {
    Q_OBJECT
public:
    DirectWritePanel(ToolSession& session, MessageBoxes& messages, QWidget* parent = nullptr);

    void setExpanded(bool expanded);
    bool isExpanded() const;

    void cmdWrite_Click();

private:
    ToolSession& m_session;
    MessageBoxes& m_messages;
    QToolButton* m_toggle;
    QWidget* m_body;
    QLineEdit* m_address;
    QLineEdit* m_data;
};

} // namespace vtx
