// SPDX-License-Identifier: GPL-3.0-or-later
#include "yield.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace vtx {

namespace {

// How often a counted batch asks the operating system for new input. Posted events (the drivers'
// notifications, queued requests) are delivered at every pass of a batch; input that arrives meanwhile waits at
// most this long, which nobody can notice.
constexpr qint64 kInputPollIntervalNs = 20'000;

} // namespace

void yieldEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void yieldEvents(int times)
{
    // A batch stands for time that the module needs (after its serial set-up, after each command). Most of
    // its passes find nothing new, and each full pass costs a system call, so only the first pass and one
    // every kInputPollIntervalNs ask the operating system; the others deliver what has been posted. The count
    // of passes stays what it was.
    QElapsedTimer sinceFullPass;
    for (int i = 0; i < times; ++i) {
        if (i == 0 || sinceFullPass.nsecsElapsed() >= kInputPollIntervalNs) {
            yieldEvents();
            sinceFullPass.start();
        } else {
            QCoreApplication::sendPostedEvents();
        }
    }
}

} // namespace vtx
