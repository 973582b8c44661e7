#pragma once

#include <QDBusConnection>

#include <optional>

// A bus of the desktop's, connected when it is first used. Connecting is a
// round trip to the bus (and, where no session bus is known, a program
// started to look for one): the window's start need not wait for it. Made
// from a connection, it is that connection (a test's private bus).
class DesktopBus
{
public:
    DesktopBus(QDBusConnection::BusType type) : m_type(type) {}
    DesktopBus(const QDBusConnection &connection) : m_connection(connection) {}

    QDBusConnection &Connection();

private:
    QDBusConnection::BusType m_type = QDBusConnection::SessionBus;
    std::optional<QDBusConnection> m_connection;
};
