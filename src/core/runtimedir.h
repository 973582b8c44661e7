#pragma once

#include <QString>

// The program's folder in the user's runtime directory ($XDG_RUNTIME_DIR, or
// Qt's private stand-in for it), made on first use and readable by the user
// alone: the local sockets through which the program's processes find each
// other live here. Empty when it cannot be made.
QString ProgramRuntimeDir();
