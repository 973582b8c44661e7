// A program that takes termination signals as the window does, and whose
// end, once the first signal came, never finishes: it stands for a long
// write-out during which no event is processed. Prints "ready" and then
// "ending" on standard output.
#include <QCoreApplication>

#include <cstdio>
#include <unistd.h>

#include "core/terminationsignals.h"

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    TerminationSignals terminationSignals;
    if (!terminationSignals.Install())
        return 3;
    QObject::connect(&terminationSignals, &TerminationSignals::Received, [](int) {
        std::puts("ending");
        std::fflush(stdout);
        for (;;)
            ::pause();
    });
    std::puts("ready");
    std::fflush(stdout);
    return app.exec();
}
