// The empty Qt Quick window that skin_bench measures next to the skin: a
// QQuickView of the skin's size showing one Rectangle (with --text, and one
// line of text on it), compiled ahead of time like the skin's scene and
// drawn by the same renderer. It links Qt Quick only, no widgets.
#include <QGuiApplication>
#include <QQuickView>
#include <QQuickWindow>
#include <QSGRendererInterface>

#include "quickviewprobe.h"

int main(int argc, char *argv[])
{
    // The skin's rule: the software renderer unless QT_QUICK_BACKEND says.
    if (!qEnvironmentVariableIsSet("QT_QUICK_BACKEND"))
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QGuiApplication app(argc, argv);
    QQuickView view;
    const bool bText = argc >= 2 && qstrcmp(argv[1], "--text") == 0;
    return startupprobe::ShowScene(
        view, QUrl(bText ? QStringLiteral("qrc:/qt/qml/EmptyReference/TextScene.qml")
                         : QStringLiteral("qrc:/qt/qml/EmptyReference/EmptyScene.qml")));
}
