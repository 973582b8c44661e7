#include "gui/fontpreload.h"

#include <QFontDatabase>
#include <QStringList>

#include <fontconfig/fontconfig.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace FontPreload {
namespace {

class Reader
{
public:
    void Start()
    {
        if (m_bStarted)
            return;
        m_bStarted = true;
        m_thread = std::thread([this] { Run(); });
    }

    // What the thread does once fontconfig is read: go on to Qt's font
    // database, or stop.
    void Tell(bool bBuildDatabase)
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            if (m_bTold)
                return;
            m_bTold = true;
            m_bBuildDatabase = bBuildDatabase;
        }
        m_told.notify_one();
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
    void Run()
    {
        FcInit();
        std::unique_lock<std::mutex> lock(m_mutex);
        m_told.wait(lock, [this] { return m_bTold; });
        if (m_bBuildDatabase)
            QFontDatabase::families();
    }

    bool m_bStarted = false;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_told;
    bool m_bTold = false;
    bool m_bBuildDatabase = false;
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
