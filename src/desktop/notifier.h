#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include "desktop/desktopbus.h"

// Desktop notifications (org.freedesktop.Notifications): a summary and a
// body under the program's icon, and for a file, the actions "Open" and
// "Show in folder", which come back as signals. A desktop without a
// notification server gets nothing, and the program hears no error.
class Notifier : public QObject
{
    Q_OBJECT

public:
    static constexpr QLatin1StringView kIconName{"clipvane"};

    explicit Notifier(const DesktopBus &bus, QObject *parent = nullptr);

    // sFile, when given, is what the actions act on.
    void Notify(const QString &sSummary, const QString &sBody, const QString &sFile = QString());

Q_SIGNALS:
    void OpenRequested(const QString &sFile);
    void ShowRequested(const QString &sFile);

private Q_SLOTS:
    // QtDBus delivers signals to slots by their signature only.
    void OnActionInvoked(uint uId, const QString &sAction);
    void OnClosed(uint uId, uint uReason);

private:
    DesktopBus m_bus;
    bool m_bListening = false;
    // The file of each notification shown with actions.
    QHash<uint, QString> m_files;
};
