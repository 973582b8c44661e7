#include "gui/fontpreload.h"

#include <QFontDatabase>
#include <QStringList>

#include <fontconfig/fontconfig.h>

#include <future>
#include <thread>

namespace FontPreload {
namespace {

// Only the main thread starts, tells and waits; the promise carries what it
// tells to the thread.
class Reader
{
public:
    void Start()
    {
        if (m_bStarted)
            return;
        m_bStarted = true;
        m_thread = std::thread([told = m_buildDatabase.get_future()]() mutable {
            FcInit();
            if (told.get())
                QFontDatabase::families();
        });
    }

    // What the thread does once fontconfig is read: go on to Qt's font
    // database, or stop. Only the first word counts.
    void Tell(bool bBuildDatabase)
    {
        if (m_bTold)
            return;
        m_bTold = true;
        m_buildDatabase.set_value(bBuildDatabase);
    }

    void Wait()
    {
        Tell(false);
        if (m_thread.joinable())
            m_thread.join();
    }

    // A program that ends before its first text must not leave the thread
    // running.
    ~Reader() { Wait(); }

private:
    bool m_bStarted = false;
    bool m_bTold = false;
    std::promise<bool> m_buildDatabase;
    std::thread m_thread;
};

Reader &TheReader()
{
    static Reader reader;
    return reader;
}

} // namespace

void Start()
{
    TheReader().Start();
}

ApplicationScope::ApplicationScope()
{
    TheReader().Tell(true);
}

ApplicationScope::~ApplicationScope()
{
    TheReader().Wait();
}

void Wait()
{
    TheReader().Wait();
}

} // namespace FontPreload
