#include "programcontrol.h"

#include <QApplication>

namespace vtx {

void QtProgramControl::endProgram()
{
    QApplication::closeAllWindows();
    QApplication::exit(0);
}

} // namespace vtx
