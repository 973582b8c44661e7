#include "core/terminationsignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// [0] is written by the handler, [1] read by the notifier.
int g_fds[2] = {-1, -1};

// Set by the first signal: the program is on its way out from then on.
volatile std::sig_atomic_t g_bEnding = 0;

extern "C" void OnTerminationSignal(int iSignal)
{
    // A second signal means the user will not wait for the orderly end (a
    // long write-out, say): the signal's own default ends the program once
    // this handler returns.
    if (g_bEnding) {
        struct sigaction action = {};
        action.sa_handler = SIG_DFL;
        sigemptyset(&action.sa_mask);
        ::sigaction(iSignal, &action, nullptr);
        ::raise(iSignal);
        return;
    }
    g_bEnding = 1;
    const int iSavedErrno = errno;
    const char cSignal = static_cast<char>(iSignal);
    // Non-blocking: with the pair full, one more byte adds nothing anyway.
    [[maybe_unused]] const ssize_t iWritten = ::write(g_fds[0], &cSignal, 1);
    errno = iSavedErrno;
}

void CloseSocketPair()
{
    for (int &fd : g_fds) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

} // namespace

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent) {}

TerminationSignals::~TerminationSignals()
{
    Uninstall();
}

bool TerminationSignals::Install()
{
    if (m_bInstalled)
        return true;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_fds) != 0)
        return false;
    ::fcntl(g_fds[0], F_SETFL, ::fcntl(g_fds[0], F_GETFL) | O_NONBLOCK);
    m_notifier = std::make_unique<QSocketNotifier>(g_fds[1], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &TerminationSignals::ReadSignals);

    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    m_bInstalled = true;
    for (const int iSignal : kSignals) {
        if (::sigaction(iSignal, &action, nullptr) != 0) {
            Uninstall();
            return false;
        }
    }
    return true;
}

void TerminationSignals::Uninstall()
{
    if (!m_bInstalled)
        return;
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int iSignal : kSignals)
        ::sigaction(iSignal, &action, nullptr);
    m_notifier.reset();
    CloseSocketPair();
    g_bEnding = 0;
    m_bInstalled = false;
}

void TerminationSignals::ReadSignals()
{
    char cSignal = 0;
    if (::read(g_fds[1], &cSignal, 1) == 1)
        Q_EMIT Received(static_cast<unsigned char>(cSignal));
}
