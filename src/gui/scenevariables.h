#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// The skin's variables as the scene sees them. The ones the program sets
// are typed properties, so a misspelt name in the scene fails qmllint and
// the compiled scene instead of reading undefined. The program sets and
// reads every variable by its exact name; a name it has not declared here
// is kept all the same, out of the scene's sight.
class SceneVariables : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The program hands the scene its variables.")

    Q_PROPERTY(QString startDownload MEMBER m_startDownload NOTIFY startDownloadChanged)
    Q_PROPERTY(QString downloadBtn MEMBER m_downloadBtn NOTIFY downloadBtnChanged)
    Q_PROPERTY(QString downloadTab MEMBER m_downloadTab NOTIFY downloadTabChanged)
    Q_PROPERTY(QString downloadBtnTab MEMBER m_downloadBtnTab NOTIFY downloadBtnTabChanged)
    Q_PROPERTY(QString video_url MEMBER m_videoUrl NOTIFY video_urlChanged)
    Q_PROPERTY(QString download_dir MEMBER m_downloadDir NOTIFY download_dirChanged)
    Q_PROPERTY(QString abouttxt MEMBER m_aboutText NOTIFY abouttxtChanged)
    Q_PROPERTY(QString autoToDownloadList_CB MEMBER m_autoToDownloadList
                   NOTIFY autoToDownloadList_CBChanged)
    Q_PROPERTY(QString Download_CB MEMBER m_downloadCheck NOTIFY Download_CBChanged)
    Q_PROPERTY(QString Convert_CB MEMBER m_convertCheck NOTIFY Convert_CBChanged)
    Q_PROPERTY(QString anySite_CB MEMBER m_anySiteCheck NOTIFY anySite_CBChanged)
    Q_PROPERTY(QString ytDlpProgram MEMBER m_ytDlpProgram NOTIFY ytDlpProgramChanged)
    Q_PROPERTY(QString ytDlpVersion MEMBER m_ytDlpVersion NOTIFY ytDlpVersionChanged)
    Q_PROPERTY(QString playlistAll_CB MEMBER m_playlistAll NOTIFY playlistAll_CBChanged)
    Q_PROPERTY(QString cookiesBrowser MEMBER m_cookiesBrowser NOTIFY cookiesBrowserChanged)
    Q_PROPERTY(QString quality MEMBER m_quality NOTIFY qualityChanged)
    Q_PROPERTY(QString notify_CB MEMBER m_notifyCheck NOTIFY notify_CBChanged)
    Q_PROPERTY(QString connections MEMBER m_connections NOTIFY connectionsChanged)
    Q_PROPERTY(QString speedLimit_CB MEMBER m_speedLimitCheck NOTIFY speedLimit_CBChanged)
    // KiB/s; empty while there is no limit.
    Q_PROPERTY(QString speedLimit MEMBER m_speedLimit NOTIFY speedLimitChanged)
    // "0" where the desktop has no notification area.
    Q_PROPERTY(QString trayAvailable MEMBER m_trayAvailable NOTIFY trayAvailableChanged)
    // What the file under way is doing, for the line under the list.
    Q_PROPERTY(QString transferLine MEMBER m_transferLine NOTIFY transferLineChanged)

public:
    explicit SceneVariables(QObject *parent = nullptr);

    void Set(const QString &sName, const QString &sValue);
    QString Get(const QString &sName) const;

Q_SIGNALS:
    void startDownloadChanged();
    void downloadBtnChanged();
    void downloadTabChanged();
    void downloadBtnTabChanged();
    void video_urlChanged();
    void download_dirChanged();
    void abouttxtChanged();
    void autoToDownloadList_CBChanged();
    void Download_CBChanged();
    void Convert_CBChanged();
    void anySite_CBChanged();
    void ytDlpProgramChanged();
    void ytDlpVersionChanged();
    void playlistAll_CBChanged();
    void cookiesBrowserChanged();
    void qualityChanged();
    void notify_CBChanged();
    void connectionsChanged();
    void speedLimit_CBChanged();
    void speedLimitChanged();
    void trayAvailableChanged();
    void transferLineChanged();

private:
    static int PropertyIndex(const QString &sName);

    QString m_startDownload;
    QString m_downloadBtn;
    QString m_downloadTab;
    QString m_downloadBtnTab;
    QString m_videoUrl;
    QString m_downloadDir;
    QString m_aboutText;
    QString m_autoToDownloadList;
    QString m_downloadCheck;
    QString m_convertCheck;
    QString m_anySiteCheck;
    QString m_ytDlpProgram;
    QString m_ytDlpVersion;
    QString m_playlistAll;
    QString m_cookiesBrowser;
    QString m_quality;
    QString m_notifyCheck;
    QString m_connections;
    QString m_speedLimitCheck;
    QString m_speedLimit;
    QString m_trayAvailable;
    QString m_transferLine;
    QHash<QString, QString> m_others;
};
