#pragma once

// Fontconfig reads its configuration and every font cache, and Qt then
// lists every installed font, the first time anyone lays out text: about a
// fifth of what the window computes before its first frame. Begun first
// thing in main(), that work runs on another core while the application
// object and the skin's types load.
namespace FontPreload {

// Starts reading fontconfig's configuration on a thread of its own; once
// per process, before the application object exists.
void Start();

// While it lives, the thread goes on to build Qt's font database as well.
// Make it just after the application object, in the same scope: the
// thread must be done before the application object goes.
class ApplicationScope
{
public:
    ApplicationScope();
    ~ApplicationScope();
    ApplicationScope(const ApplicationScope &) = delete;
    ApplicationScope &operator=(const ApplicationScope &) = delete;
};

// Returns when what was begun is done, at once when nothing was begun.
// Call it before the first text is laid out or measured: Qt would
// otherwise read the configuration a second time beside the thread.
void Wait();

} // namespace FontPreload
