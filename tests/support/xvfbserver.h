#pragma once

#include <QProcess>
#include <QString>

// An X server of the test's own, on a display number it picks itself, with
// no TCP listener. Ends with the object.
class XvfbServer
{
public:
    XvfbServer() = default;
    ~XvfbServer();
    XvfbServer(const XvfbServer &) = delete;
    XvfbServer &operator=(const XvfbServer &) = delete;

    static bool Available();
    // False (with the reason in Error()) when no server could be started.
    bool Start();
    // ":N"
    QString Display() const { return m_sDisplay; }
    QString Error() const { return m_sError; }

    // The environment of a program started on this display as a new user
    // would start it: home, configuration, data and runtime directories under
    // sRoot (made here; the runtime one for the user alone), X only (no
    // Wayland). Empty when the directories cannot be made.
    QProcessEnvironment FreshUserEnvironment(const QString &sRoot) const;

private:
    QProcess m_process;
    QString m_sDisplay;
    QString m_sError;
};
