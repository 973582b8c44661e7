#include "gui/moddialog.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>

namespace modDialog {

QString BrowseForFolder(QWidget *pOwner, const QString &sPrompt, const QString &sStartDir)
{
    // A folder removed since it was chosen: the picker opens at what is left
    // of its path rather than wherever the program was started.
    QString sStart = sStartDir;
    while (!sStart.isEmpty() && !QFileInfo(sStart).isDir() && QFileInfo(sStart).path() != sStart)
        sStart = QFileInfo(sStart).path();
    QFileDialog dialog(pOwner, sPrompt, sStart);
    dialog.setObjectName(QStringLiteral("folderPicker"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setLabelText(QFileDialog::Accept, QCoreApplication::translate("modDialog", "OK"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

} // namespace modDialog
