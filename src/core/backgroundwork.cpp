#include "core/backgroundwork.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <system_error>
#include <thread>

void RunWhileProcessingEvents(const std::function<void()> &work)
{
    if (!QCoreApplication::instance()) {
        work();
        return;
    }
    QEventLoop loop;
    std::thread worker;
    try {
        worker = std::thread([&work, &loop] {
            work();
            // Posting to it is all another thread may do with the loop; the
            // call waits in the queue if the loop has not started yet.
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
    } catch (const std::system_error &) {
        work();
        return;
    }
    loop.exec();
    // Only a quitting application ends the loop before the work is done.
    worker.join();
}
