#include "gui/progressbardelegate.h"

#include <QPainter>

#include <cmath>

#include "list/downloadviewmodel.h"

namespace {

double RoundHalfEven(double d)
{
    const double dFloor = std::floor(d);
    const double dFraction = d - dFloor;
    if (dFraction > 0.5)
        return dFloor + 1;
    if (dFraction < 0.5)
        return dFloor;
    return std::fmod(dFloor, 2.0) == 0 ? dFloor : dFloor + 1;
}

QPalette::ColorGroup GroupOf(const QStyleOptionViewItem &option)
{
    if (!(option.state & QStyle::State_Enabled))
        return QPalette::Disabled;
    return option.state & QStyle::State_Active ? QPalette::Normal : QPalette::Inactive;
}

} // namespace

ProgressBarDelegate::ProgressBarDelegate(const QPalette &barPalette, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_barPalette(barPalette)
{
}

bool ProgressBarDelegate::IsBarCell(const QModelIndex &index, double *pdValue)
{
    if (!index.isValid())
        return false;
    const QVariant vKey = index.model()->headerData(index.column(), Qt::Horizontal,
                                                    DownloadViewModel::ColumnKeyRole);
    if (vKey.toString() != QLatin1String("Status"))
        return false;
    const QVariant vValue = index.data(DownloadViewModel::NumericValueRole);
    if (!vValue.isValid())
        return false;
    if (pdValue)
        *pdValue = vValue.toDouble();
    return true;
}

qint32 ProgressBarDelegate::BarPercent(double dValue)
{
    // Clamped before rounding, so that no value is too large to convert.
    if (!(dValue > 0))
        return 0;
    if (dValue >= 100)
        return 100;
    return static_cast<qint32>(RoundHalfEven(dValue));
}

QString ProgressBarDelegate::BarText(qint32 lPercent)
{
    return QString::number(qBound(0, lPercent, 100)) + QLatin1Char('%');
}

void ProgressBarDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const
{
    double dValue = 0;
    if (!IsBarCell(index, &dValue)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    DrawProgressBar(painter, option, BarPercent(dValue),
                    m_barPalette.color(QPalette::Active, QPalette::Highlight),
                    m_barPalette.color(QPalette::Active, QPalette::HighlightedText), true);
}

void ProgressBarDelegate::DrawProgressBar(QPainter *painter, const QStyleOptionViewItem &option,
                                          qint32 lPercent, const QColor &barColour,
                                          const QColor &backColour, bool bShowText)
{
    const qint32 p = qBound(0, lPercent, 100);
    QColor bar = barColour;
    QColor back = backColour;
    const bool bSelected = option.state & QStyle::State_Selected;
    if (bSelected) {
        // Like the other cells of a selected row.
        const QPalette::ColorGroup group = GroupOf(option);
        bar = option.palette.color(group, QPalette::Highlight);
        back = option.palette.color(group, QPalette::HighlightedText);
    }

    const QRect r = option.rect;
    const int iBarWidth =
        bSelected ? r.width() : static_cast<int>(RoundHalfEven(p / 100.0 * r.width()));
    const QRect barRect(r.left(), r.top(), iBarWidth, r.height());
    const QRect restRect(r.left() + iBarWidth, r.top(), r.width() - iBarWidth, r.height());

    painter->save();
    painter->fillRect(restRect, back);
    painter->fillRect(barRect, bar);
    if (bShowText) {
        // One text across both parts, each part clipped to its own colour.
        const QString sText = BarText(p);
        const int iFlags = Qt::AlignCenter | Qt::TextSingleLine;
        painter->setFont(option.font);
        painter->save();
        painter->setClipRect(barRect, Qt::IntersectClip);
        painter->setPen(back);
        painter->drawText(r, iFlags, sText);
        painter->restore();
        painter->setClipRect(restRect, Qt::IntersectClip);
        painter->setPen(bar);
        painter->drawText(r, iFlags, sText);
    }
    painter->restore();
}
