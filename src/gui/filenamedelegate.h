#pragma once

#include <QColor>
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

private:
    QColor m_activeColour;
};
