// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace vtx {

class DcpSession;
class Questions;

// Asks the user before writes that wear the EEPROM out repeat by themselves (timed writes, a sweep in
// EEPROM mode): once per session, so a Yes holds until the program ends and a No asks again next time.
// True when the writes may go ahead.
bool confirmEepromWear(Questions& questions, DcpSession& session, QWidget* parent, const QString& question);

} // namespace vtx
