// SPDX-License-Identifier: GPL-3.0-or-later
#include "eepromwearguard.h"

#include "common/appinfo.h"
#include "engine/dcpsession.h"
#include "questions.h"

namespace vtx {

bool confirmEepromWear(Questions& questions, DcpSession& session, QWidget* parent, const QString& question)
{
    if (session.eepromWearAccepted())
        return true;
    if (!questions.askYesNo(parent, question, kApplicationTitle))
        return false;
    session.acceptEepromWear();
    return true;
}

} // namespace vtx
