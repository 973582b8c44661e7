#include "gui/skincommands.h"

const QStringList &SkinCommands::AllCommands()
{
    static const QStringList commands{
        QStringLiteral("IDC_FS_Drag"),           QStringLiteral("IDC_FS_Minimize"),
        QStringLiteral("IDC_FS_Tray"),           QStringLiteral("IDC_FS_Close"),
        QStringLiteral("IDC_FS_Slider"),         QStringLiteral("IDC_FS_Download"),
        QStringLiteral("IDC_FS_About"),          QStringLiteral("IDC_FS_help"),
        QStringLiteral("ID_FS_webSite"),         QStringLiteral("IDC_FS_startDownload"),
        QStringLiteral("IDC_FS_stopDownload"),   QStringLiteral("IDC_FS_addDownloadURL"),
        QStringLiteral("IDC_FS_selectAllD"),     QStringLiteral("IDC_FS_removeSelectedD"),
        QStringLiteral("IDC_FS_moveUp"),         QStringLiteral("IDC_FS_moveDown"),
        QStringLiteral("ID_FS_clearComplete"),   QStringLiteral("ID_FS_downloadBrowse"),
        QStringLiteral("ID_FS_autoDownloadCheck"), QStringLiteral("ID_FS_autoDownloadUncheck"),
        QStringLiteral("ID_FS_anySiteCheck"),    QStringLiteral("ID_FS_anySiteUncheck"),
        QStringLiteral("ID_FS_ytDlpProgram"),    QStringLiteral("ID_FS_cookiesBrowserNext"),
        QStringLiteral("ID_FS_playlistAllCheck"), QStringLiteral("ID_FS_playlistAllUncheck"),
        QStringLiteral("ID_FS_qualityBest"),     QStringLiteral("ID_FS_quality1080"),
        QStringLiteral("ID_FS_quality720"),      QStringLiteral("ID_FS_quality480"),
        QStringLiteral("ID_FS_qualitySmallest"),
        QStringLiteral("ID_FS_notifyCheck"),     QStringLiteral("ID_FS_notifyUncheck"),
        QStringLiteral("ID_FS_connectionsLess"), QStringLiteral("ID_FS_connectionsMore"),
        QStringLiteral("ID_FS_speedLimitCheck"), QStringLiteral("ID_FS_speedLimitUncheck"),
        QStringLiteral("ID_FS_speedLimit"),
    };
    return commands;
}

void SkinCommands::Register(const QString &sCommand, Action action)
{
    m_actions.insert(sCommand, std::move(action));
}

bool SkinCommands::Flash_FSCommand(const QString &sCommand, const QString &)
{
    const auto found = m_actions.constFind(sCommand);
    if (found == m_actions.constEnd())
        return false;
    // A copy: the action may run nested event loops in which the table changes.
    const Action action = found.value();
    action();
    return true;
}
