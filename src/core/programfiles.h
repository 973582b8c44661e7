#pragma once

#include <QString>

// Files the program ships. In the build tree they sit beside the executable;
// installed, where the install rules put them relative to bin/.
namespace ProgramFiles {

// The help document in the language the windows speak; empty when it cannot
// be found.
QString HelpDocument();

// The help document in sLanguage ("de": help.de.html) for a program in
// sProgramDir, else the English help.html; empty when neither is there.
QString HelpDocumentFor(const QString &sProgramDir, const QString &sLanguage);

// The clipboard watcher's path; empty when it cannot be found.
QString ClipWatcher();

} // namespace ProgramFiles
