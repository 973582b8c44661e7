#pragma once

#include <QString>

// The list keeps its texts (statuses, stand-in file names, the reasons of a
// failure) in English: they are stored and compared. This gives the text
// shown for one of them in the user's language; a text it does not know
// (a file name, a size) is shown as it is.
namespace ShownListText {

QString Of(const QString &sStored);

} // namespace ShownListText
