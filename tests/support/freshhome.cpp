// Linked into every test program: before main, the process gets a home of
// its own, made anew and removed at the end. No test reads or writes the
// developer's settings, list or sockets, and none passes because of what an
// earlier run left behind. The XDG directories are unset so that they fall
// back under that home, as for a new user; the runtime directory is the
// test's own too, so no running program of the developer's answers it.
// Programs the tests start speak English, whatever the developer's desktop
// speaks (a test of another language asks for it), and reach no desktop
// service over D-Bus.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>

namespace {

class FreshHome
{
public:
    FreshHome()
    {
        const QDir root(m_root.path());
        const QString sHome = root.filePath(QStringLiteral("home"));
        const QString sRuntime = root.filePath(QStringLiteral("run"));
        if (!m_root.isValid() || !root.mkdir(QStringLiteral("home")) || !root.mkdir(QStringLiteral("run"))
            || !QFile::setPermissions(sRuntime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
            qFatal("cannot make a home for the test under %s", qPrintable(QDir::tempPath()));
        qputenv("HOME", QFile::encodeName(sHome));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(sRuntime));
        qputenv("LANGUAGE", "en");
        for (const char *pName : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
            qunsetenv(pName);
        // No notification, file manager or sleep inhibitor of the
        // developer's desktop hears from a test: its buses lead nowhere
        // unless a test starts one of its own.
        const QByteArray noBus = "unix:path=" + QFile::encodeName(root.filePath(QStringLiteral("no-bus")));
        qputenv("DBUS_SESSION_BUS_ADDRESS", noBus);
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", noBus);
    }

private:
    QTemporaryDir m_root{QDir::tempPath() + QStringLiteral("/clipvane-test-home-XXXXXX")};
};

const FreshHome freshHome;

} // namespace
