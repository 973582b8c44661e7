#include "desktop/desktopbus.h"

QDBusConnection &DesktopBus::Connection()
{
    if (!m_connection) {
        m_connection = m_type == QDBusConnection::SystemBus ? QDBusConnection::systemBus()
                                                            : QDBusConnection::sessionBus();
    }
    return *m_connection;
}
