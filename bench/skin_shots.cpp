// Renders each page of the skin to PNG files, to look at the design:
//
//     skin_shots OUTPUT_DIR
//
// Run it once as it is and once with QT_SCALE_FACTOR=2 to see the skin at a
// device pixel ratio of 2; the files carry the ratio in their names.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QQmlProperty>
#include <QQuickItem>

#include "gui/skinhost.h"

namespace {

void Settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

void Shoot(SkinHost &skin, const QString &dir, const QString &name)
{
    Settle();
    const QImage image = skin.grabFramebuffer();
    const QString file = QStringLiteral("%1/%2@%3x.png")
                             .arg(dir, name)
                             .arg(image.devicePixelRatio());
    if (!image.save(file))
        qWarning("could not write %s", qPrintable(file));
}

} // namespace

int main(int argc, char *argv[])
{
    SkinHost::SelectRenderer();
    QApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(dir);

    SkinHost skin;
    skin.SetVariable(QStringLiteral("_root.download_dir"),
                     QDir::homePath() + QStringLiteral("/Downloaded Videos"));
    skin.SetVariable(QStringLiteral("_root.abouttxt"),
                     QStringLiteral("Version 0.1.0.0\r\nClipvane is an easy to use program to "
                                    "download video files from google,youtube,iFilm and other "
                                    "9 video sharing sites to your PC."));
    skin.SetVariable(QStringLiteral("_root.autoToDownloadList_CB"), QStringLiteral("1"));
    skin.SetVariable(QStringLiteral("_root.startDownload"), QStringLiteral("1"));
    skin.show();

    QQuickItem *scene = skin.rootObject();
    const auto showPage = [&](const char *page) {
        QQmlProperty::write(scene, QStringLiteral("page"), QString::fromLatin1(page));
    };

    Shoot(skin, dir, QStringLiteral("download-empty"));

    skin.SetVariable(QStringLiteral("_root.video_url"),
                     QStringLiteral("http://www.youtube.com/watch?v=abc123"));
    for (const char *name : {"_root.downloadBtn", "_root.startDownload", "_root.downloadTab"})
        skin.SetVariable(QString::fromLatin1(name), QStringLiteral("0"));
    if (QQuickItem *start = scene->findChild<QQuickItem *>(QStringLiteral("startButton")))
        start->forceActiveFocus();
    Shoot(skin, dir, QStringLiteral("download-running"));

    showPage("settings");
    if (QQuickItem *box = scene->findChild<QQuickItem *>(QStringLiteral("monitorCheckBox")))
        box->forceActiveFocus();
    Shoot(skin, dir, QStringLiteral("settings"));
    skin.SetVariable(QStringLiteral("_root.autoToDownloadList_CB"), QStringLiteral("0"));
    Shoot(skin, dir, QStringLiteral("settings-unchecked"));

    skin.SetVariable(QStringLiteral("_root.downloadBtnTab"), QStringLiteral("1"));
    showPage("about");
    Shoot(skin, dir, QStringLiteral("about"));
    return 0;
}
