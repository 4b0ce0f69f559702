// SPDX-License-Identifier: GPL-3.0-or-later
#include "endrequestcontrol.h"

namespace vtx::app {

void EndRequestControl::endProgram()
{
    if (closeAllWindowsAndExit())
        m_endRequested = true;
}

} // namespace vtx::app
