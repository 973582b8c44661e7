#include "gui/filenamedelegate.h"

#include <QLineEdit>

#include "list/downloadviewmodel.h"

FileNameDelegate::FileNameDelegate(const QColor &activeColour, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_activeColour(activeColour)
{
}

QWidget *FileNameDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                        const QModelIndex &index) const
{
    QWidget *pEditor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto *pLine = qobject_cast<QLineEdit *>(pEditor)) {
        pLine->setMaxLength(DownloadViewModel::kFileNameWidth);
        QPalette palette = pLine->palette();
        palette.setColor(QPalette::Base, m_activeColour);
        palette.setColor(QPalette::Text, Qt::black);
        pLine->setPalette(palette);
        pLine->setAutoFillBackground(true);
    }
    return pEditor;
}
