#pragma once

#include <QPalette>
#include <QStyledItemDelegate>

// Draws a Status cell that holds a number as a progress bar with the
// percentage centred in it, the text changing colour where the bar passes
// under it. Every other cell is drawn as usual.
class ProgressBarDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    // The bar takes the highlight colours of barPalette, which stay the same
    // whatever the grid's own palette makes of selected cells.
    explicit ProgressBarDelegate(const QPalette &barPalette, QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

    // A cell of the column keyed "Status" whose value is a number; its value
    // goes to pdValue.
    static bool IsBarCell(const QModelIndex &index, double *pdValue);
    // The whole percent a value shows: rounded to the nearest, halves to even,
    // and kept within 0 to 100.
    static qint32 BarPercent(double dValue);
    static QString BarText(qint32 lPercent);

    // Paints all of option.rect: the bar in barColour up to lPercent of the
    // width over backColour, the text in the other colour of what lies behind
    // each part of it. A selected cell is drawn in its selection colours at
    // full width, so it shows no partial bar.
    static void DrawProgressBar(QPainter *painter, const QStyleOptionViewItem &option,
                                qint32 lPercent, const QColor &barColour,
                                const QColor &backColour, bool bShowText);

    const QPalette &BarPalette() const { return m_barPalette; }

private:
    QPalette m_barPalette;
};
