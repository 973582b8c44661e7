#pragma once

#include <QString>

// Files the program ships. In the build tree they sit beside the executable;
// installed, where the install rules put them relative to bin/.
namespace ProgramFiles {

// The help document's path; empty when it cannot be found.
QString HelpDocument();

// The clipboard watcher's path; empty when it cannot be found.
QString ClipWatcher();

} // namespace ProgramFiles
