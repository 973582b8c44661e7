#pragma once

#include <QString>

// Address, text and file helpers shared across the program.
namespace modGlobal {

// Splits an address into host and path in place. A leading "http://" (any
// case) is dropped; everything before the first "/" stays in address (port
// and credentials included) and path becomes the rest from that "/" on. With
// no "/" at all, address is all host and path is left as it was.
void SplitUrl(QString &address, QString &path);

// The text before its first NUL character, or all of it.
QString CutAtNul(const QString &sText);

// Deletes a file even when it is read-only; a link is deleted itself, never
// its target. True when nothing is left under that name (a folder stays).
bool DeleteFileForced(const QString &sPath);

} // namespace modGlobal
