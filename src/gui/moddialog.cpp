#include "gui/moddialog.h"

#include <QFileDialog>

namespace modDialog {

QString BrowseForFolder(QWidget *pOwner, const QString &sPrompt)
{
    return QFileDialog::getExistingDirectory(pOwner, sPrompt, QString(),
                                             QFileDialog::ShowDirsOnly);
}

} // namespace modDialog
