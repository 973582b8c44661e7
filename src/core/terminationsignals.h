#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

// Brings SIGTERM, SIGINT and SIGHUP into the event loop: the handler only
// writes the signal's number to one end of a socket pair, and a notifier on
// the other end emits Received, so the program ends by its own orderly road
// instead of dying in the middle of a transfer. A second signal ends the
// program at once, by the signal's default action. One instance per program.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    // Gives the signals back to their default handling.
    ~TerminationSignals() override;

    // False when the socket pair or a handler could not be set up; the
    // signals then keep their default handling (they end the program).
    bool Install();

Q_SIGNALS:
    void Received(int iSignal);

private:
    void ReadSignals();
    void Uninstall();

    std::unique_ptr<QSocketNotifier> m_notifier;
    bool m_bInstalled = false;
};
