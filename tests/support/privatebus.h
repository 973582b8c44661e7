#pragma once

#include <QProcess>
#include <QString>

// A D-Bus daemon of the test's own (session configuration): services the
// test plays register there, and the code under test is pointed at it, so
// nothing reaches the developer's desktop. Ends with the object.
class PrivateBus
{
public:
    PrivateBus() = default;
    ~PrivateBus();
    PrivateBus(const PrivateBus &) = delete;
    PrivateBus &operator=(const PrivateBus &) = delete;

    static bool Available();
    bool Start();
    // The bus's address, as DBUS_SESSION_BUS_ADDRESS takes it.
    QString Address() const { return m_sAddress; }

private:
    QProcess m_process;
    QString m_sAddress;
};
