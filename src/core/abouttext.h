#pragma once

#include <QString>

// The About text the skin shows: the version line, then one line on what the
// program does. Version 1.0.7 reads "Version 1.0.0.7".
QString AboutText(int iMajor, int iMinor, int iRevision);

// The About text of this build, from its own version number.
QString AboutText();
