#pragma once

#include <QObject>
#include <QString>

#include <functional>

#include "desktop/desktopbus.h"

// Shows a file in the desktop's file manager: its folder, with the file
// picked out (org.freedesktop.FileManager1.ShowItems on the session bus).
// Where no file manager answers, the caller's fallback runs instead (it
// opens the folder), so the user always gets somewhere.
class FileManager : public QObject
{
    Q_OBJECT

public:
    explicit FileManager(const DesktopBus &bus, QObject *parent = nullptr);

    // Returns at once; fallback runs later, if at all.
    void ShowItem(const QString &sPath, const std::function<void()> &fallback);

private:
    DesktopBus m_bus;
};
