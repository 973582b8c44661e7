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
    if (m_pKeptEditor) {
        m_pReopenedEditor = m_pKeptEditor;
        m_pKeptEditor = nullptr;
        return m_pReopenedEditor;
    }
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

void FileNameDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    // A kept editor holds what the user typed, not the cell's value.
    if (editor == m_pReopenedEditor) {
        m_pReopenedEditor = nullptr;
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void FileNameDelegate::destroyEditor(QWidget *editor, const QModelIndex &index) const
{
    if (editor != m_pKeptEditor)
        QStyledItemDelegate::destroyEditor(editor, index);
}

void FileNameDelegate::KeepEditor(QWidget *pEditor)
{
    m_pKeptEditor = pEditor;
}

void FileNameDelegate::DropKeptEditor()
{
    if (m_pKeptEditor)
        m_pKeptEditor->deleteLater();
    m_pKeptEditor = nullptr;
}
