// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/driverstatus.h"
#include "platform/usbtypes.h"
#include "widgets/messageboxes.h"
#include "widgets/programcontrol.h"
#include "widgets/startupfailuredialog.h"

#include <QStringList>
#include <vector>

namespace vtx::shell {

// Sits between the DCP panel and the program's message boxes and program control. While the panel probes
// the module at start, its messages (the link's own, and its "not responding" line) are gathered for the
// start-up failure dialog instead of coming up one box each, and its request to end the program is held:
// the shell decides what comes next. At any other time both pass straight on.
class StartProbeSeams final : public MessageBoxes, public ProgramControl {
public:
    StartProbeSeams(MessageBoxes& messages, ProgramControl& program)
        : m_messages(messages), m_program(program)
    {
    }

    void beginProbe();
    // Ends the probe. The module answered: what was gathered is shown now, in order. It did not: the texts
    // are handed back for the dialog, and the held end request is dropped.
    QStringList endProbe(bool answered);

    void showMessage(QWidget* parent, const QString& text, const QString& caption) override;
    void endProgram() override;

private:
    struct Gathered {
        QWidget* parent;
        QString text;
        QString caption;
    };
    MessageBoxes& m_messages;
    ProgramControl& m_program;
    bool m_probing = false;
    std::vector<Gathered> m_gathered;
};

// The start-up failure dialog's texts: the DCP panel's "not responding" line, what was looked for (`match`)
// and what was found, judged from the status the link was left with (`statusText` is the driver's word for
// it), and the link's messages (less that line) as details. `accessCommand` is the command that gives the
// user access to the module, for a module found but not accessible; empty where there is none.
StartupFailure describeStartupFailure(const UsbMatch& match, DriverStatus status, const QString& statusText,
                                      const QStringList& linkMessages, const QString& accessCommand);

} // namespace vtx::shell
