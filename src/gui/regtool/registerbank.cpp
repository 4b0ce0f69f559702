// SPDX-License-Identifier: GPL-3.0-or-later
#include "registerbank.h"

#include "common/appinfo.h"
#include "registerrow.h"
#include "setupfile/bankwrite.h"
#include "toolsession.h"
#include "widgets/matchedbackground.h"
#include "widgets/messageboxes.h"
#include "writevalue.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vtx {

namespace {

QPushButton* bankButton(QWidget* parent, const char* name, const QString& caption, const QString& toolTip)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(toolTip);
    return button;
}

} // namespace

RegisterBank::RegisterBank(ToolSession& session, MessageBoxes& messages, QWidget* parent)
    : QWidget(parent), m_session(session), m_messages(messages)
{
    auto* frames = new QHBoxLayout;
    for (int f = 0; f < 2; ++f) {
        auto* frame = new QGroupBox(QStringLiteral("Active Device Registers"), this);
        frame->setObjectName(QStringLiteral("Frame1_%1").arg(f));
        m_frames[static_cast<std::size_t>(f)] = frame;
        auto* grid = new QGridLayout(frame);
        grid->setVerticalSpacing(1);
        int column = 0;
        for (const char* heading : {"Adr", "Description", "Write", "", "Read", ""})
            grid->addWidget(new QLabel(QLatin1String(heading), frame), 0, column++);
        grid->setColumnStretch(1, 1);
        auto* matched = new MatchedBackground(*frame);
        for (int i = 0; i < kRowsPerFrame; ++i) {
            const int index = f * kRowsPerFrame + i;
            auto* row = new RegisterRow(index, *grid, i + 1, frame);
            row->paintOwnBackgrounds(*matched);
            m_rows[static_cast<std::size_t>(index)] = row;
            connect(row, &RegisterRow::readClicked, this, &RegisterBank::txtRdByte_Click);
            connect(row, &RegisterRow::writeRequested, this, &RegisterBank::txtBWrite_KeyPress);
            connect(row, &RegisterRow::editableTextChanged, this, &RegisterBank::editableTextChanged);
        }
        frames->addWidget(frame);
    }

    m_buttons = {
        bankButton(this, "cmdReadRegs", QStringLiteral("Read All Active Device  Registers"),
                   QStringLiteral("Performs Single Byte Reads on all Registers")),
        bankButton(this, "cmdwriteAll", QStringLiteral("Write All Active Device Registers"),
                   QStringLiteral("Performs Single Byte Writes  on all Registers")),
        bankButton(this, "Command7", QStringLiteral("Set Write Data = Read Data "),
                   QStringLiteral("Moves Active Device Registers  Read Data Into Associated Write Boxes")),
    };
    connect(m_buttons[0], &QPushButton::clicked, this, &RegisterBank::cmdReadRegs_Click);
    connect(m_buttons[1], &QPushButton::clicked, this, &RegisterBank::cmdwriteAll_Click);
    connect(m_buttons[2], &QPushButton::clicked, this, &RegisterBank::Command7_Click);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* const button : m_buttons)
        buttons->addWidget(button);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addLayout(frames);
    column->addLayout(buttons);
}

void RegisterBank::loadDefaults()
{
    for (RegisterRow* const row : m_rows)
        row->loadDefaults();
}

void RegisterBank::showBank()
{
    for (QGroupBox* const frame : m_frames)
        frame->show();
    for (QPushButton* const button : m_buttons)
        button->show();
}

setupfile::Row RegisterBank::rowTexts(int index) const
{
    return m_rows[static_cast<std::size_t>(index)]->texts();
}

void RegisterBank::setRowTexts(int index, const setupfile::Row& texts)
{
    m_rows[static_cast<std::size_t>(index)]->setTexts(texts);
}

void RegisterBank::cmdReadRegs_Click()
{
    const auto scope = m_session.tryBegin();
    if (!scope)
        return;
    ConnectionBracket bracket(m_session, ToolSession::Opening::Full);
    // A row the device does not acknowledge shows its own failure and the bank goes on; a failure of the
    // link itself ends the bank with its one message, the rows not reached left dark.
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        RegisterRow* const row = m_rows[i];
        if (!row->takesPartInRead()) {
            row->hideReadResult();
            continue;
        }
        row->showReadResult();
        if (!row->hasRegisterByte()) {
            // "--" or "ZZ" would read register 00 into the row: a failure marker must not become an
            // address, as in "Write All".
            row->showReadRefused();
            continue;
        }
        if (const RegisterRow::Outcome outcome = row->readRegister(m_session); outcome.linkFailed) {
            stopAtLinkFailure(outcome, i + 1);
            return;
        }
    }
}

void RegisterBank::cmdwriteAll_Click()
{
    const auto scope = m_session.tryBegin();
    if (!scope)
        return;
    ConnectionBracket bracket(m_session, ToolSession::Opening::Full);
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        RegisterRow* const row = m_rows[i];
        const setupfile::RowWrite write = setupfile::rowWrite(row->texts());
        if (write.kind == setupfile::RowWrite::Kind::Skipped) {
            row->hideWriteLamp();
            continue;
        }
        if (write.kind == setupfile::RowWrite::Kind::Refused) {
            row->showWriteRefused();
            continue;
        }
        if (const RegisterRow::Outcome outcome = row->writeRegister(m_session, write.data);
            outcome.linkFailed) {
            stopAtLinkFailure(outcome, i + 1);
            return;
        }
    }
}

void RegisterBank::stopAtLinkFailure(const RegisterRow::Outcome& outcome, std::size_t firstNotReached)
{
    for (std::size_t i = firstNotReached; i < m_rows.size(); ++i)
        m_rows[i]->clearLamps();
    // The first thing the link said is the cause; what followed from it adds nothing.
    if (!outcome.linkMessages.isEmpty())
        m_messages.showMessage(window(), outcome.linkMessages.first(), kApplicationTitle);
}

void RegisterBank::Command7_Click()
{
    for (RegisterRow* const row : m_rows)
        row->setWriteText(row->readText());
}

void RegisterBank::txtRdByte_Click(int index)
{
    if (index < 0 || index >= kRegisterRowCount)
        return;
    const auto scope = m_session.tryBegin();
    if (!scope)
        return;
    RegisterRow& target = row(index);
    if (target.readText().isEmpty())
        target.setReadText(QStringLiteral("00"));
    ConnectionBracket bracket(m_session, ToolSession::Opening::ConnectOnly);
    m_session.reportAll(target.readRegister(m_session).linkMessages);
}

void RegisterBank::txtBWrite_DblClick(int index)
{
    if (index < 0 || index >= kRegisterRowCount)
        return;
    RegisterRow& target = row(index);
    const WriteValue value = normaliseWriteText(target.writeText());
    target.setWriteText(value.text);
    if (!value.value) {
        m_messages.showMessage(window(), kInvalidWriteValue, kApplicationTitle);
        return;
    }
    const auto scope = m_session.tryBegin();
    if (!scope)
        return;
    ConnectionBracket bracket(m_session, ToolSession::Opening::ConnectOnly);
    m_session.reportAll(target.writeRegister(m_session, *value.value).linkMessages);
}

} // namespace vtx
