#pragma once

#include <QString>

// The program's folder in the user's runtime directory ($XDG_RUNTIME_DIR, or
// Qt's private stand-in for it), made on first use and reachable by the user
// alone: the local sockets through which the program's processes find each
// other live here. A folder of ours with a wider mode is narrowed to 0700;
// one that is a link or belongs to someone else is refused. Empty (and a
// warning logged) when there is no such folder to be had.
QString ProgramRuntimeDir();
