#pragma once

#include <QObject>
#include <QPointer>

class DownloadGrid;
class QWidget;

// Adjusts what two parts of the window do with input: the skin never opens a
// context menu (right button, menu key), and while the download grid has the
// keyboard focus the mouse wheel moves the list by one row per step, however
// far the wheel was turned.
class WindowHooks : public QObject
{
    Q_OBJECT

public:
    WindowHooks(QWidget &skin, DownloadGrid &grid, QObject *parent = nullptr);

    void StartHook();
    void StopHook();
    bool IsHooked() const { return m_bHooked; }

    // Rows to scroll for a wheel turn of iDelta (in eighths of a degree, 120
    // a step), given what was left over from earlier small turns: -1 toward
    // the top, +1 toward the bottom, 0 while a touchpad's small turns have not
    // yet made up a step.
    static int RowsForWheel(int iDelta, int &iCarry);

protected:
    bool eventFilter(QObject *pWatched, QEvent *pEvent) override;

private:
    void ScrollUp();
    void ScrollDown();

    QPointer<QWidget> m_pSkin;
    QPointer<DownloadGrid> m_pGrid;
    bool m_bHooked = false;
    int m_iWheelCarry = 0;
};
