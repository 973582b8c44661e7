#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include "downloadrecorder.h"
#include "net/download.h"
#include "pythonhttpserver.h"
#include "requiredtool.h"

// The transfer control against an HTTP server this project did not write.
class tst_DownloadAgainstPython : public QObject
{
    Q_OBJECT

    QTemporaryDir m_served;
    QTemporaryDir m_local;
    PythonHttpServer m_server;
    QByteArray m_content;

private Q_SLOTS:
    void initTestCase()
    {
        CLIPVANE_REQUIRE_TOOL(PythonHttpServer::Available(), "python3 is not installed");
        // Several MiB that no pattern bug could reproduce by accident.
        m_content.resize(6 * 1024 * 1024 + 777);
        QRandomGenerator(20261207).fillRange(reinterpret_cast<quint32 *>(m_content.data()),
                                             m_content.size() / 4);
        QFile file(m_served.filePath(QStringLiteral("clip.flv")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(m_content) == m_content.size());
        file.close();
        QVERIFY2(m_server.Start(m_served.path()), "python3 -m http.server did not start");
    }

    void headRequest()
    {
        Download download;
        download.SetUrl(m_server.Url(QStringLiteral("clip.flv")));
        download.RequestInformation();
        QVERIFY(download.FileExists());
        QCOMPARE(download.FileSize(), double(m_content.size()));
        QVERIFY(download.LastModified().endsWith(QLatin1StringView(" GMT")));
        QVERIFY(!download.RemoteFileType().isEmpty());

        // Python words its 404 "File not found"; the search ignores case.
        download.SetUrl(m_server.Url(QStringLiteral("missing.flv")));
        download.RequestInformation();
        QVERIFY(!download.FileExists());
    }

    void downloadIsByteIdentical()
    {
        Download download;
        DownloadRecorder recorder(download);
        download.SetUrl(m_server.Url(QStringLiteral("clip.flv")));
        download.SetLocalFile(m_local.filePath(QStringLiteral("clip.flv")));
        QVERIFY(download.StartDownload());
        const int iBlocks = int((m_content.size() + 2047) / 2048);
        QCOMPARE(recorder.events.size(), iBlocks + 2);
        QCOMPARE(recorder.events.mid(iBlocks - 1), (QStringList{"P100", "P100", "C"}));
        QFile file(download.LocalFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll() == m_content);
    }
};

QTEST_GUILESS_MAIN(tst_DownloadAgainstPython)
#include "tst_downloadagainstpython.moc"
