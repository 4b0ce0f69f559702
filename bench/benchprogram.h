// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The one place where the goal benchmarks put the program together: the simulated board on a steady clock,
// the link and the shared state, quiet seams, and the two working windows. The benchmarks drive the windows
// only through their controls, found by object name, and through the public accessors used here; when the
// layout of src/ changes, this file is the one to follow it.

#include "common/clock.h"
#include "common/programstate.h"
#include "dcp/dcppanelwindow.h"
#include "engine/session.h"
#include "regtool/registertoolwindow.h"
#include "widgets/appcontext.h"
#include "widgets/windowreporter.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QWidget>

#include <cstdint>
#include <memory>

namespace vtxbench {

// A message box during a run means a transfer failed (the windows show the link's reports as boxes too): the
// benchmarks count them and stop on one.
class CountingMessages final : public vtx::MessageBoxes {
public:
    void showMessage(QWidget*, const QString& text, const QString&) override
    {
        ++count;
        last = text;
    }
    int count = 0;
    QString last;
};

class NoFileDialogs final : public vtx::FileDialogs {
public:
    QString openFileName(QWidget*, const vtx::FileDialogRequest&) override { return {}; }
    QString saveFileName(QWidget*, const vtx::FileDialogRequest&) override { return {}; }
};

class NoProgramEnd final : public vtx::ProgramControl {
public:
    void endProgram() override { ended = true; }
    bool ended = false;
};

class NoSystemServices final : public vtx::SystemServices {
public:
    bool startProgram(const QString&) override { return false; }
    bool fileExists(const QString&) const override { return false; }
};

// The whole program on the simulated board, as app/main.cpp builds it with --simulate.
struct Program {
    CountingMessages messages;
    NoFileDialogs fileDialogs;
    NoProgramEnd program;
    NoSystemServices system;
    vtx::ProgramState state;
    vtx::WindowReporter reporter{messages, nullptr};
    // The simulated board on a steady clock; the windows join this session's link.
    vtx::Session session{vtx::simulatedBoardOn(std::make_unique<vtx::SteadyClock>()), vtx::kDcpPanelLink,
                         reporter};
    vtx::Link& link = session.link();
    vtx::AppContext context{link, state, messages, fileDialogs, program, system};

    bool linkOpen() const { return link.UsbOpen; }
};

// A window's controls by object name.
class Controls {
public:
    template <typename T = QWidget> T* find(const QString& name) const
    {
        T* const found = m_root->findChild<T*>(name);
        if (!found)
            qFatal("no control named %s", qPrintable(name));
        return found;
    }
    QAbstractButton* button(const QString& name) const { return find<QAbstractButton>(name); }
    void click(const QString& name) const { button(name)->click(); }
    void setChecked(const QString& name, bool checked) const { button(name)->setChecked(checked); }
    void setText(const QString& name, const QString& text) const { find<QLineEdit>(name)->setText(text); }
    QString text(const QString& name) const { return find<QLineEdit>(name)->text(); }
    QWidget& window() const { return *m_root; }

protected:
    QWidget* m_root = nullptr;
};

// The DCP panel, shown and loaded as the start-up window opens it.
class DcpPanel : public Controls {
public:
    explicit DcpPanel(Program& program) : m_window(std::make_unique<vtx::dcp::DcpPanelWindow>(program.context))
    {
        m_root = m_window.get();
    }
    // Shows the panel and runs its start sequence; false when the module did not answer.
    bool load()
    {
        m_window->show();
        return m_window->Form_Load();
    }
    std::uint64_t ticksRun() { return m_window->timedTransfers().ticksRun(); }
    int droppedTicks() { return m_window->timedTransfers().droppedTicks(); }

private:
    std::unique_ptr<vtx::dcp::DcpPanelWindow> m_window;
};

// The I2C register tool, shown; it probes the module as it is built.
class RegisterTool : public Controls {
public:
    explicit RegisterTool(Program& program) : m_window(std::make_unique<vtx::RegisterToolWindow>(program.context))
    {
        m_root = m_window.get();
        m_window->show();
    }

private:
    std::unique_ptr<vtx::RegisterToolWindow> m_window;
};

} // namespace vtxbench
