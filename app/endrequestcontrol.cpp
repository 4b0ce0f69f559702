#include "endrequestcontrol.h"

#include <QApplication>

namespace vtx::app {

void EndRequestControl::endProgram()
{
    m_endRequested = true;
    QApplication::closeAllWindows();
    QApplication::exit(0);
}

} // namespace vtx::app
