#pragma once

#include <QString>

class QWidget;

namespace modDialog {

// Lets the user pick a directory with the desktop's folder picker, opened in
// sStartDir (only directories can be confirmed; new folders can be made in
// it; its accept button reads "OK", as the prompts ask). The chosen
// directory's path, or empty text when the user cancelled.
QString BrowseForFolder(QWidget *pOwner, const QString &sPrompt, const QString &sStartDir);

} // namespace modDialog
