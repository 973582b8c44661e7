#pragma once

#include <QColor>
#include <QPointer>
#include <QStyledItemDelegate>

// Edits a local file name in the grid: a line no longer than the view's
// FileName column, in the grid's colour for the active cell.
class FileNameDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    FileNameDelegate(const QColor &activeColour, QObject *parent = nullptr);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void destroyEditor(QWidget *editor, const QModelIndex &index) const override;

    // How an editor lives through the grid binding a new view: pEditor is
    // not destroyed when the grid closes it, and the next editor asked for
    // is pEditor again, as the user left it.
    void KeepEditor(QWidget *pEditor);
    // Destroys a kept editor that is not wanted again.
    void DropKeptEditor();

private:
    QColor m_activeColour;
    mutable QPointer<QWidget> m_pKeptEditor;
    // Handed out again, but not yet past setEditorData.
    mutable QPointer<QWidget> m_pReopenedEditor;
};
