// SPDX-License-Identifier: GPL-3.0-or-later
#include "moduleaccess.h"

#include "engine/modulecause.h"
#include "exitcodes.h"

namespace vtx::cli {

ModuleAccess::ModuleAccess(Factory factory, ErrorStream& err, Hold hold)
    : m_factory(std::move(factory)), m_err(err), m_hold(hold)
{
}

ModuleAccess::~ModuleAccess()
{
    close();
}

int ModuleAccess::open()
{
    if (m_session)
        return kSuccess;
    m_session = m_factory(m_err);
    const int status = m_session->open();
    if (status == kSuccess)
        return status;
    // The driver goes with the session, so a later attempt starts afresh (and the board's lock is free).
    m_session.reset();
    m_lost = m_hold == Hold::WholeSession;
    return status;
}

void ModuleAccess::release()
{
    if (!m_session)
        return;
    if (m_hold == Hold::PerCommand) {
        m_session.reset();
        return;
    }
    const DriverStatus gone = m_session->moduleGone();
    if (succeeded(gone))
        return;
    // The command has told how its transfer failed, in the link's words; the cause is said once, here, since
    // the session ends with it.
    m_err.line(moduleCause(gone));
    m_lost = true;
    m_session.reset();
}

void ModuleAccess::close()
{
    m_session.reset();
}

} // namespace vtx::cli
