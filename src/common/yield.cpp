#include "yield.h"

#include <QCoreApplication>

namespace vtx {

void yieldEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void yieldEvents(int times)
{
    for (int i = 0; i < times; ++i)
        yieldEvents();
}

} // namespace vtx
