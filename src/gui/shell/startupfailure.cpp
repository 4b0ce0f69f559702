// SPDX-License-Identifier: GPL-3.0-or-later
#include "startupfailure.h"

#include "dcp/dcpmessages.h"

namespace vtx::shell {

void StartProbeSeams::beginProbe()
{
    m_probing = true;
    m_gathered.clear();
}

QStringList StartProbeSeams::endProbe(bool answered)
{
    m_probing = false;
    std::vector<Gathered> gathered;
    gathered.swap(m_gathered);
    QStringList texts;
    for (const Gathered& message : gathered) {
        if (answered)
            m_messages.showMessage(message.parent, message.text, message.caption);
        else
            texts << message.text;
    }
    return texts;
}

void StartProbeSeams::showMessage(QWidget* parent, const QString& text, const QString& caption)
{
    if (m_probing)
        m_gathered.push_back({parent, text, caption});
    else
        m_messages.showMessage(parent, text, caption);
}

void StartProbeSeams::endProgram()
{
    // During the probe only a failed probe asks, and the shell answers that with its dialog.
    if (!m_probing)
        m_program.endProgram();
}

namespace {

QString usbId(const UsbMatch& match)
{
    return QStringLiteral("%1:%2")
        .arg(match.vendorId, 4, 16, QLatin1Char('0'))
        .arg(match.productId, 4, 16, QLatin1Char('0'))
        .toUpper();
}

QString whatWasFound(const UsbMatch& match, DriverStatus status, const QString& statusText,
                     const QString& accessCommand)
{
    switch (status) {
    case DriverStatus::DeviceGone:
    case DriverStatus::InvalidHandle:
        return QStringLiteral("Found: no such device. Check that the module is plugged in and its cable is "
                              "sound; \"lsusb -d %1\" lists it when the computer sees it.")
            .arg(usbId(match).toLower());
    case DriverStatus::AccessDenied:
        if (accessCommand.isEmpty())
            return QStringLiteral("Found: the module, but it is not accessible: this user may not open it.");
        return QStringLiteral("Found: the module, but it is not accessible: this user may not open it. This "
                              "command gives the user logged in at this computer access to it:\n\n%1\n\nThen "
                              "plug the module in again and press Retry.")
            .arg(accessCommand);
    case DriverStatus::Busy:
        return QStringLiteral("Found: the module, but it is in use by another program. Close that program "
                              "(another vtx-eval, perhaps) and press Retry.");
    default:
        break;
    }
    return QStringLiteral("Found: no module that could be used; the USB driver reported \"%1\".")
        .arg(statusText);
}

} // namespace

StartupFailure describeStartupFailure(const UsbMatch& match, DriverStatus status, const QString& statusText,
                                      const QStringList& linkMessages, const QString& accessCommand)
{
    QStringList details;
    for (const QString& message : linkMessages) {
        if (message != dcp::kModuleMissingAtStartText)
            details << message.trimmed();
    }
    return StartupFailure{
        .text = dcp::kModuleMissingAtStartText,
        .explanation = QStringLiteral("Looked for: the USB control module, USB ID %1.\n").arg(usbId(match)) +
                       whatWasFound(match, status, statusText, accessCommand),
        .details = details.join(QLatin1Char('\n')),
    };
}

} // namespace vtx::shell
