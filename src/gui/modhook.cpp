#include "gui/modhook.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include "gui/downloadgrid.h"

namespace {

constexpr int kWheelStep = 120;

} // namespace

WindowHooks::WindowHooks(QWidget &skin, DownloadGrid &grid, QObject *parent)
    : QObject(parent)
    , m_pSkin(&skin)
    , m_pGrid(&grid)
{
}

void WindowHooks::StartHook()
{
    // Installing twice would filter every event twice.
    if (m_bHooked)
        return;
    m_bHooked = true;
    if (m_pSkin)
        m_pSkin->installEventFilter(this);
    if (m_pGrid) {
        m_pGrid->installEventFilter(this);
        m_pGrid->viewport()->installEventFilter(this);
    }
}

void WindowHooks::StopHook()
{
    if (!m_bHooked)
        return;
    m_bHooked = false;
    if (m_pSkin)
        m_pSkin->removeEventFilter(this);
    if (m_pGrid) {
        m_pGrid->removeEventFilter(this);
        m_pGrid->viewport()->removeEventFilter(this);
    }
}

int WindowHooks::RowsForWheel(int iDelta, int &iCarry)
{
    // A notch or more is one row whatever its size; smaller turns (smooth
    // wheels, touchpads) add up until they make a notch, so that a slight
    // touch neither scrolls a whole row nor scrolls the wrong way.
    if (iDelta >= kWheelStep || iDelta <= -kWheelStep) {
        iCarry = 0;
        return iDelta > 0 ? -1 : 1;
    }
    if ((iCarry > 0 && iDelta < 0) || (iCarry < 0 && iDelta > 0))
        iCarry = 0;
    iCarry += iDelta;
    if (iCarry >= kWheelStep || iCarry <= -kWheelStep) {
        const int iRows = iCarry > 0 ? -1 : 1;
        iCarry = 0;
        return iRows;
    }
    return 0;
}

bool WindowHooks::eventFilter(QObject *pWatched, QEvent *pEvent)
{
    if (m_pSkin && pWatched == m_pSkin.data()) {
        switch (pEvent->type()) {
        case QEvent::ContextMenu:
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            return static_cast<QMouseEvent *>(pEvent)->button() == Qt::RightButton;
        case QEvent::KeyPress:
            return static_cast<QKeyEvent *>(pEvent)->key() == Qt::Key_Menu;
        default:
            return false;
        }
    }

    // The grid's own wheel handling would scroll three rows per notch, and
    // the wheel turns over the grid whatever has the keyboard focus.
    if (pEvent->type() == QEvent::Wheel && m_pGrid) {
        const auto *pWheel = static_cast<QWheelEvent *>(pEvent);
        const int iRows = RowsForWheel(pWheel->angleDelta().y(), m_iWheelCarry);
        if (iRows < 0)
            ScrollDown();
        else if (iRows > 0)
            ScrollUp();
        return true;
    }
    return false;
}

// A wheel turned away from the user moves the list toward its first item.
void WindowHooks::ScrollDown()
{
    m_pGrid->ScrollRowsBy(-1);
}

void WindowHooks::ScrollUp()
{
    m_pGrid->ScrollRowsBy(1);
}
