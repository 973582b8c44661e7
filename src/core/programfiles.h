#pragma once

#include <QString>

// Files the program ships. In the build tree they sit beside the executable;
// installed, under the usual share/ folder next to bin/.
namespace ProgramFiles {

// The help document's path; empty when it cannot be found.
QString HelpDocument();

} // namespace ProgramFiles
